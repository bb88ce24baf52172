#!/bin/sh
# Builds one benchmark program of the optimised native tree (build/bench)
# and runs it in a fresh work folder.
#   bench/build_and_run.sh TARGET WORK-FOLDER-NAME [PROGRAM OPTIONS...]
set -e
target=$1
name=$2
shift 2
cd "$(dirname "$0")/.."
root=$PWD
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DZU_BENCH=ON -DZU_TESTS=OFF > build/bench.log 2>&1 ||
  { tail -n 30 build/bench.log; exit 1; }
cmake --build build/bench -j"${ZU_JOBS:-2}" --target "$target" >> build/bench.log 2>&1 ||
  { tail -n 30 build/bench.log; exit 1; }
work=$root/build/bench/$name
rm -rf "$work" && mkdir -p "$work"
cd "$work"
exec "$root/build/bench/bin/$target" "$@"
