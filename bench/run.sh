#!/bin/sh
# Builds the table engine's benchmark (optimised, native) and runs it:
# 100 000 records of a customer table with two indexes.
#   bench/run.sh [BENCHMARK OPTIONS...]
set -e
cd "$(dirname "$0")/.."
root=$PWD
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DZU_BENCH=ON -DZU_TESTS=OFF > build/bench.log 2>&1 ||
  { tail -n 30 build/bench.log; exit 1; }
cmake --build build/bench -j"${ZU_JOBS:-2}" --target zudb_bench >> build/bench.log 2>&1 ||
  { tail -n 30 build/bench.log; exit 1; }
work=$root/build/bench/work
rm -rf "$work" && mkdir -p "$work"
cd "$work"
exec "$root/build/bench/bin/zudb_bench" "$@"
