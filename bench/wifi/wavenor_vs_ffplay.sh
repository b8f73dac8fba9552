#!/usr/bin/env bash
# CPU of Wavenor showing the test camera's 1280 x 1024 stream against ffplay showing the same
# URL in a window of the video area's size (640 x 480), side by side in one run under Xvfb:
#   xvfb-run -a -s "-screen 0 1280x1024x24" bench/wifi/wavenor_vs_ffplay.sh <build dir> [seconds]
# Wavenor runs in a throwaway home and program folder; its Preview button is clicked by
# xdotool. Prints the CPU seconds of each over the same interval.
set -euo pipefail
build=$1
seconds=${2:-20}
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'kill $app $player $camera 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME=$work/home MS_PROGRAM_DIR=$work/program
mkdir -p "$HOME" "$MS_PROGRAM_DIR"
cp "$top"/res/art/wavenor/video.png "$MS_PROGRAM_DIR"/
python3 "$top/tests/wifi/test_camera.py" --width 1280 --height 1024 --lifetime 600 \
  --ready-file "$work/ready.json" >/dev/null &
camera=$!
while [ ! -f "$work/ready.json" ]; do sleep 0.1; done
port() { python3 -c "import json;print(json.load(open('$work/ready.json'))['$1'])"; }
export WAVENOR_CAMERA_ADDRESS=127.0.0.1 WAVENOR_STREAM_PORT=$(port stream_port) \
  WAVENOR_HTTP_PORT=$(port http_port)
"$build/bin/Wavenor" >/dev/null 2>&1 &
app=$!
sleep 4
window=$(xdotool search --onlyvisible --name '^Wavenor$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 15)) $((Y + 38)) click 1 # Preview, under the menu bar
ffplay -loglevel quiet -x 640 -y 480 -window_title ffplay \
  "http://127.0.0.1:$WAVENOR_STREAM_PORT/" >/dev/null 2>&1 &
player=$!
sleep 5 # both streams run
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
tick=$(getconf CLK_TCK)
a0=$(cpu $app); f0=$(cpu $player)
sleep "$seconds"
a1=$(cpu $app); f1=$(cpu $player)
echo "over $seconds s: Wavenor $(echo "scale=2; ($a1 - $a0) / $tick" | bc) CPU s," \
  "ffplay $(echo "scale=2; ($f1 - $f0) / $tick" | bc) CPU s"
