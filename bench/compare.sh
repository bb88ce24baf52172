#!/bin/sh
# The table engine beside libxbase64: builds the benchmark for i386 (the
# only build of libxbase64 that works), runs both on the same 100 000
# customers in one process and prints each workload's time ratio.
#   bench/compare.sh [BENCHMARK OPTIONS...]
# Needs what scripts/setup installs (g++-multilib, libxbase64-dev:i386,
# libbenchmark-dev:i386).
set -e
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/bench-i386
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-i386.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DZU_BENCH=ON -DZU_BENCH_XBASE=ON -DZU_TESTS=OFF > "$build.log" 2>&1 ||
  { tail -n 30 "$build.log"; exit 1; }
cmake --build "$build" -j"${ZU_JOBS:-2}" --target zudb_bench >> "$build.log" 2>&1 ||
  { tail -n 30 "$build.log"; exit 1; }
work=$build/work
rm -rf "$work" && mkdir -p "$work"
cd "$work"
"$build/bin/zudb_bench" --benchmark_out=result.json --benchmark_out_format=json "$@"
python3 - result.json <<'PY'
import json, sys
runs = {b["name"].split("/iterations")[0].split("/manual_time")[0]: b
        for b in json.load(open(sys.argv[1]))["benchmarks"]
        if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")}
print("\n%-11s %16s %16s %7s" % ("workload", "this engine", "libxbase64", "ratio"))
for name, b in runs.items():
    if name.startswith("xbase/") or "xbase/" + name not in runs:
        continue
    x = runs["xbase/" + name]
    ours, theirs = b["items_per_second"], x["items_per_second"]
    print("%-11s %14.0f/s %14.0f/s %6.2fx  %s" % (name, ours, theirs, ours / theirs, x.get("label", "")))
    same = x.get("engine_rate_same_records")
    if same and x.get("label"):
        print("%-11s %14.0f/s %14.0f/s %6.2fx  (this engine over the same first %d records)"
              % ("", same, theirs, same / theirs, x["records"]))
print("(items per second: records appended, keys sought, records walked, records indexed;\n"
      " ratio: this engine's rate / libxbase64's rate)")
PY
