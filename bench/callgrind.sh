#!/usr/bin/env bash
# Counts the instructions of one frame of the editor redraw (512 shapes, 2,048
# vertices, widgets, presentation), of playback (64 actors) and of the colour
# picker's redraw, and compares each with the handheld's budget of 10 million
# instructions per frame. Each scene runs in its own process under callgrind,
# which collects only inside the benchmark's CountedFrame function, so
# start-up and scene set-up are not counted.
#
# Usage: bench/callgrind.sh [--exe PATH] [--out DIR]
# Needs: valgrind. Defaults: build/release/kalvenorix_bench, build/callgrind/.
# The output files can be read with callgrind_annotate for a per-function profile.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
exe=$here/../build/release/kalvenorix_bench
out=$here/../build/callgrind
budget=10000000
while [ $# -gt 0 ]; do
  case "$1" in
    --exe) exe=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--exe PATH] [--out DIR]" >&2; exit 2 ;;
  esac
done
command -v valgrind >/dev/null || { echo "valgrind is missing (apt-get install valgrind)" >&2; exit 1; }
[ -x "$exe" ] || { echo "no benchmark binary at $exe (make build)" >&2; exit 1; }
mkdir -p "$out"

status=0
printf '%-10s %14s %14s  %s\n' scene instructions budget verdict
for scene in editor playback picker; do
  file=$out/callgrind.$scene.out
  valgrind --tool=callgrind --callgrind-out-file="$file" --toggle-collect='CountedFrame*' \
    "$exe" --frame=$scene >"$out/$scene.log" 2>&1 || {
    echo "$scene: the run failed, see $out/$scene.log" >&2
    status=1
    continue
  }
  count=$(awk '/^(summary|totals):/ { print $2; exit }' "$file")
  verdict=met
  [ "$count" -le "$budget" ] || { verdict=MISSED; status=1; }
  printf '%-10s %14s %14s  %s\n' "$scene" "$count" "$budget" "$verdict"
done
echo "Profiles: callgrind_annotate $out/callgrind.SCENE.out"
exit $status
