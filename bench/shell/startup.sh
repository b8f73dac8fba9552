#!/usr/bin/env bash
# Start-up of Tessary (the built-in test camera) against a bare Qt window, side by side: each
# started `runs` times in turn under one X server, time from start to its first window mapped
# and peak resident memory a second later (bench/shell/StartupProbe.cpp). Prints the medians
# and the ratios.
#   xvfb-run -a -s "-screen 0 1280x1024x24" bench/shell/startup.sh <build dir> [runs]
# Build with -DMS_BENCH=ON -DCMAKE_BUILD_TYPE=Release.
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MS_SYNTHETIC_CAMERA=1
probe() { "$build/bench/startup_probe" 1 "$@"; }
: >"$work/tessary"
: >"$work/bare"
for ((i = 0; i < runs; ++i)); do
  # A fresh home and program folder each time: a first start, nothing remembered.
  rm -rf "$work/home" "$work/program"
  mkdir -p "$work/home" "$work/program"
  HOME=$work/home MS_PROGRAM_DIR=$work/program probe "$build/bin/Tessary" >>"$work/tessary"
  HOME=$work/home probe "$build/bench/bare_qt_window" >>"$work/bare"
done
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
t_ms=$(cut -d' ' -f1 "$work/tessary" | median)
t_kb=$(cut -d' ' -f2 "$work/tessary" | median)
b_ms=$(cut -d' ' -f1 "$work/bare" | median)
b_kb=$(cut -d' ' -f2 "$work/bare" | median)
echo "start to window mapped: Tessary $t_ms ms, bare Qt window $b_ms ms," \
  "ratio $(echo "scale=2; $t_ms / $b_ms" | bc)"
echo "peak memory: Tessary $((t_kb / 1024)) MB, bare Qt window $((b_kb / 1024)) MB," \
  "ratio $(echo "scale=2; $t_kb / $b_kb" | bc)"
echo "shared libraries loaded by Tessary: $(ldd "$build/bin/Tessary" | wc -l)"
