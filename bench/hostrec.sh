#!/bin/sh
# Builds the host record benchmark (optimised, native) and runs it once:
# 1 000 000 records of 200 bytes through ZuFConversion.
#   bench/hostrec.sh [RECORDS]
set -e
cd "$(dirname "$0")/.."
root=$PWD
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DZU_BENCH=ON -DZU_TESTS=OFF > build/bench.log 2>&1 ||
  { tail -n 30 build/bench.log; exit 1; }
cmake --build build/bench -j"${ZU_JOBS:-2}" --target hostrec_bench >> build/bench.log 2>&1 ||
  { tail -n 30 build/bench.log; exit 1; }
work=$root/build/bench/hostrec
rm -rf "$work" && mkdir -p "$work"
cd "$work"
exec "$root/build/bench/bin/hostrec_bench" "$@"
