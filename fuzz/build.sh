#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address and undefined-behaviour
# sanitizers) into build/fuzz, or into $FUZZ_BUILD.
#
#   fuzz/build.sh                  build the five targets
#   fuzz/build.sh run SECONDS      build, then fuzz each target for SECONDS on a
#                                  working copy of its corpus (build/fuzz/work)
#   FUZZ_TARGETS="a b" picks targets (default all)
#   fuzz/build.sh merge            add the working inputs that reach new code to
#                                  the corpora kept in fuzz/corpus
#
# A crash leaves its input in build/fuzz/crash-*; replay it with
#   build/fuzz/fuzz_<target> build/fuzz/crash-...
set -eu
here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
out=${FUZZ_BUILD:-$repo/build/fuzz}
jobs=${JOBS:-2}
targets=${FUZZ_TARGETS:-"skin_picture settings_file session_script directory_listing workspace_reader"}
compile_flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1"
link_flags="-fsanitize=fuzzer,address,undefined"

command -v clang++ >/dev/null || { echo "fuzz/build.sh needs clang++ (and libclang-rt-14-dev)" >&2; exit 1; }

cmake -S "$repo" -B "$out/core" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DKN_TESTS=OFF -DKN_BENCH=OFF -DCMAKE_CXX_FLAGS="$compile_flags" >/dev/null
cmake --build "$out/core" -j "$jobs" --target kn_host
# The layers from the top down, as a static link wants them.
layers=""
for layer in host shell screens ui animation raster drawing surface input geometry platform; do
  layers="$layers $out/core/libkn_$layer.a"
done
libs="$(pkg-config --libs sdl2 libpng) -lz"
for target in $targets; do
  if [ ! -x "$out/fuzz_$target" ] || [ -n "$(find "$here" $layers -newer "$out/fuzz_$target" -print -quit)" ]; then
    clang++ -std=c++20 -Wall -Wextra $compile_flags $link_flags -I"$repo/src" "$here/$target.cpp" \
            $layers $libs -o "$out/fuzz_$target"
  fi
done

case "${1:-}" in
  run)
    seconds=${2:-60}
    for target in $targets; do
      mkdir -p "$out/work/$target" "$out/scratch/$target"
      echo "== $target: $seconds s"
      (cd "$out" && KN_FUZZ_SCRATCH="$out/scratch/$target" "./fuzz_$target" -max_total_time="$seconds" -timeout=10 -max_len=16384 \
          -print_final_stats=1 "work/$target" "$here/corpus/$target" 2>&1 | tee "log_$target.txt" | \
          grep -E "^(stat::number_of_executed_units|#[0-9]+ +DONE)|ERROR|SUMMARY" || true)
    done
    ;;
  merge)
    for target in $targets; do
      "$out/fuzz_$target" -merge=1 "$here/corpus/$target" "$out/work/$target"
    done
    ;;
esac
