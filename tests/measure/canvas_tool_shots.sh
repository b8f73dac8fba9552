#!/usr/bin/env bash
# Drives canvas_tool_shots with xdotool on a virtual display and saves screenshots.
#   tests/measure/canvas_tool_shots.sh <build dir> <output folder> [display number]
set -euo pipefail
build=$1
out=$2
display=:${3:-73}
mkdir -p "$out"
home=$(mktemp -d)
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $app $xvfb 2>/dev/null; rm -rf "$home"' EXIT
sleep 1
export DISPLAY=$display MS_PROGRAM_DIR=$home HOME=$home
"$build/bin/canvas_tool_shots" >"$home/log" 2>&1 &
app=$!
sleep 2

tool() { echo "$1" >"$home/tool.txt"; sleep 0.4; }
at() { xdotool mousemove "$1" "$2"; sleep 0.12; }
click() { at "$1" "$2"; xdotool click 1; sleep 0.15; }
right() { at "$1" "$2"; xdotool click 3; sleep 0.2; }
shot() { sleep 0.3; import -window root -crop 640x480+0+0 "$out/$1.png"; }

tool line;      click 20 20; click 220 20; at 150 45; shot label-follows; click 120 45
# (the disc is centred at (450, 219) with a radius of 80, the band spans x 120 to 170)
tool dot;       click 20 60; click 220 60; click 150 110; click 160 100
tool parallel;  click 250 20; click 250 110; click 260 60
tool rect;      click 20 130; click 100 200; click 30 205
tool angle;     click 200 200; click 260 140; click 320 200; click 265 205
tool circle3;   click 380 40; click 420 80; click 460 40; click 470 90
tool arc;       click 500 60; click 540 20; click 580 60; click 560 90
tool four;      click 20 250; click 90 230; click 20 270; click 90 320; click 100 280
tool two;       click 220 300; click 250 270; click 280 300; click 240 345
                click 300 300; click 320 280; click 340 300; click 320 345; click 280 365
tool polyline;  click 20 350; click 80 340; click 50 325; click 120 380
                at 110 395; xdotool click --repeat 2 --delay 60 1; sleep 0.2
tool label;     click 600 120; click 600 160
tool freehand;  click 180 420; for x in 200 220 240 260 280; do at $x $((420 + (x - 180) / 5)); done
                click 300 440
tool rect;      click 400 400; at 600 460; shot rubber-band; right 600 460
shot manual-tools

tool autocircle; click 450 134; click 534 219; click 450 304; click 366 219; right 560 300
                 at 565 310; click 565 310
tool autoline;   click 116 100; click 118 200; click 115 300; right 60 250; click 60 250
tool autoarc;    click 393 160; click 450 136; click 507 160; right 470 110; click 470 110
tool spacing;    click 120 380; click 120 460; click 170 380; click 170 460; click 190 420
tool edge;       at 350 150; xdotool mousedown 1; sleep 0.1; at 450 240; at 560 380
                 shot edge-drag; xdotool mouseup 1; sleep 0.3
shot automatic-tools

tool select;     click 120 20; shot selected
tool move;       sleep 0.3; at 300 430; at 320 440; shot moving; click 320 440; shot moved
tool magnifier;  click 520 180; at 525 185; shot lens; right 455 190; shot lens-closed
kill $app
cat "$home/log"
