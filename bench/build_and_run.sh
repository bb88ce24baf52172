#!/bin/sh
# Builds one benchmark program of the optimised native tree (build/bench)
# and runs it in a fresh work folder.
#   bench/build_and_run.sh TARGET WORK-FOLDER-NAME [PROGRAM OPTIONS...]
# ZU_BENCH_SRC and ZU_BENCH_BUILD name another source tree and its build
# folder (bench/baseline.sh builds an earlier commit so).
set -e
target=$1
name=$2
shift 2
cd "$(dirname "$0")/.."
root=$PWD
src=${ZU_BENCH_SRC:-$root}
build=${ZU_BENCH_BUILD:-$root/build/bench}
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZU_BENCH=ON -DZU_TESTS=OFF > "$build.log" 2>&1 ||
  { tail -n 30 "$build.log"; exit 1; }
cmake --build "$build" -j"${ZU_JOBS:-2}" --target "$target" >> "$build.log" 2>&1 ||
  { tail -n 30 "$build.log"; exit 1; }
work=$build/$name
rm -rf "$work" && mkdir -p "$work"
cd "$work"
exec "$build/bin/$target" "$@"
