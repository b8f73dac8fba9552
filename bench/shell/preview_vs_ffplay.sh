#!/usr/bin/env bash
# Tessary's preview against ffplay, side by side in one run under one X server:
#  - CPU per shown frame: Tessary with the built-in test camera (1600 x 1200 at 30 fps into the
#    640 x 480 preview) and ffplay showing a generated 1600 x 1200 30 fps stream in a 640 x 480
#    window with SDL's software renderer, both running at once; frames counted off the screen and
#    CPU read from /proc by bench/shell/FrameProbe.cpp over the same `seconds`;
#  - the longest gap between shown preview frames while F2 takes a still every second, in an
#    empty picture folder and in one holding 10,000 stills.
#   xvfb-run -a -s "-screen 0 2560x1440x24" bench/shell/preview_vs_ffplay.sh <build dir> [seconds]
# Build with -DMS_BENCH=ON -DCMAKE_BUILD_TYPE=Release; ffplay is a yardstick, not a dependency.
set -euo pipefail
build=$(cd "$1" && pwd)
seconds=${2:-20}
work=$(mktemp -d)
app='' player=''
trap 'kill $app $player 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
export MS_SYNTHETIC_CAMERA=1 HOME=$work/home MS_PROGRAM_DIR=$work/program
mkdir -p "$HOME/.config/microscope" "$MS_PROGRAM_DIR"
# No calibration reminder over the window: F2 must reach the main window.
printf '[SOFTWARE]\n[SOFTWARE\\varazizuziVe]\n[SOFTWARE\\varazizuziVe\\LanguageID]\n%s\n' \
  '"sys_date"=dword:00000000' >"$HOME/.config/microscope/registry.txt"
probe=$build/bench/frame_probe

start_tessary() {
  "$build/bin/Tessary" >/dev/null 2>&1 &
  app=$!
}
start_tessary
# ffplay reads 24-bit frames, as the camera delivers them, from a generator of their own, so
# that neither program's figure holds the cost of making the pictures beyond a copy.
# Lean: SDL's software renderer on the window's own framebuffer (no GL), the frame shrunk to the
# window with nearest sampling before it reaches SDL, one decoding thread; beside Tessary's
# window, so that neither covers the other.
ffmpeg -loglevel quiet -re -f lavfi -i testsrc2=size=1600x1200:rate=30 -f rawvideo \
  -pix_fmt bgr24 - 2>/dev/null |
  SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0 ffplay -loglevel quiet \
    -window_title ffplay -x 640 -y 480 -left 1400 -top 0 -threads 1 \
    -f rawvideo -pixel_format bgr24 -video_size 1600x1200 -framerate 30 \
    -vf scale=640:480:flags=neighbor -i - >/dev/null 2>&1 &
player=$! # ffplay; the generator ends with it
sleep 6 # both show frames

"$probe" "$app" "$seconds" >"$work/tessary" &
first=$!
"$probe" "$player" "$seconds" >"$work/ffplay"
wait $first
echo "Tessary: $(cat "$work/tessary")"
echo "ffplay:  $(cat "$work/ffplay")"
value() { tr ' ' '\n' <"$1" | grep -A1 -x "$2" | tail -1; }
echo "CPU per shown frame, Tessary / ffplay: $(echo "scale=2; $(value "$work/tessary" \
  cpu_per_frame_ms) / $(value "$work/ffplay" cpu_per_frame_ms)" | bc)"
kill $player
player=''

# F2 every second: the preview meanwhile (the stills are JPEGs in the picture folder). Then
# again from a new start with 10,000 stills in the folder.
echo "F2, empty picture folder: $("$probe" "$app" "$seconds" 100000 1000)"
pictures="$HOME/Documents/Tessary files/Picture"
if [ ! -d "$pictures" ]; then
  echo "no picture folder: F2 took no still" >&2
  exit 1
fi
echo "stills written: $(find "$pictures" -name 'Still_*' -size +0 | wc -l)"
kill $app
wait $app 2>/dev/null || true
rm -f "$pictures"/Still_*
for ((i = 1; i <= 10000; ++i)); do
  printf '%s/Still_2024-01-01_100000_N%04d.jpg\0' "$pictures" "$i"
done | xargs -0 touch
start_tessary
sleep 6
echo "F2, 10,000 stills in the folder: $("$probe" "$app" "$seconds" 100000 1000)"
echo "stills written: $(find "$pictures" -name 'Still_*' -size +0 | wc -l)"
