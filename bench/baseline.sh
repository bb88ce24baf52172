#!/bin/sh
# The table engine's benchmark beside the same benchmark on the engine of an
# earlier commit, in one run: the earlier tree is unpacked into
# build/bench-base, both are built optimised with today's benchmark program
# and run in turn (twice each, the better rate of a workload kept), and the
# rates are printed side by side with their ratio, together with the table
# file read in 64 KB blocks, the limit of a scan, and the records of the
# name-order walk read without the engine (one positioned read each, or
# copied from a mapping of the file), the limits of a walk.
#   bench/baseline.sh [COMMIT [BENCHMARK OPTIONS...]]    (COMMIT: b2d3ad4)
# Rates are per CPU second of the process (system time included), so that
# other load on the machine matters less.
set -e
base=${1:-b2d3ad4}
[ $# -gt 0 ] && shift
cd "$(dirname "$0")/.."
root=$PWD
old=$root/build/bench-base
rm -rf "$old" && mkdir -p "$old/src"
git archive "$base" | tar -x -C "$old/src"
cp bench/zudb_bench.cpp "$old/src/bench/zudb_bench.cpp"
out=$root/build/bench-compare
rm -rf "$out" && mkdir -p "$out"
for round in 1 2; do
  for side in base now; do
    if [ $side = base ]; then src=$old/src build=$old/build; else src=$root build=$root/build/bench; fi
    ZU_BENCH_SRC=$src ZU_BENCH_BUILD=$build bench/build_and_run.sh zudb_bench work \
      --benchmark_out="$out/$side$round.json" --benchmark_out_format=json "$@" > "$out/$side$round.txt" 2>&1 ||
      { tail -n 30 "$out/$side$round.txt"; exit 1; }
  done
done
python3 - "$base" "$out" <<'PY'
import json, sys
base, out = sys.argv[1], sys.argv[2]

def best(prefix):
    rates = {}
    for r in (1, 2):
        for b in json.load(open("%s/%s%d.json" % (out, prefix, r)))["benchmarks"]:
            if b.get("run_type", "iteration") != "iteration" or b.get("error_occurred"):
                continue
            name = b["name"].split("/iterations")[0]
            rate = (b["items_per_second"], b.get("bytes_per_second", 0.0))
            if rate > rates.get(name, (0.0, 0.0)):
                rates[name] = rate
    return rates

before, now = best("base"), best("now")
print("\n%-17s %14s %14s %7s" % ("workload", base, "now", "ratio"))
for name in now:
    if name in before and name != "BlockRead64K" and not name.startswith("floor/"):
        print("%-17s %12.0f/s %12.0f/s %6.2fx" % (name, before[name][0], now[name][0], now[name][0] / before[name][0]))
limit = max(before.get("BlockRead64K", (0, 0))[1], now.get("BlockRead64K", (0, 0))[1])
if limit:
    print("\n64 KB block read of the table file: %.0f MB/s" % (limit / 1e6))
    print("%-17s %12s %12s %15s" % ("", base + " MB/s", "now MB/s", "limit / now"))
    for name in ("Scan", "WalkByName", "held/Scan", "held/WalkByName"):
        if name in now and name in before:
            print("%-17s %12.0f %12.0f %14.1fx" % (name, before[name][1] / 1e6, now[name][1] / 1e6, limit / now[name][1]))
floors = [(now.get(n) or before.get(n) or (0, 0))[1] for n in ("floor/WalkReads", "floor/WalkMapped")]
if floors[0] and "held/WalkByName" in now:
    walk = now["held/WalkByName"][1]
    print("\nThe records of the name-order walk read without the engine:")
    print("  one positioned read each %8.0f MB/s   (held/WalkByName now: %.2fx of it)" % (floors[0] / 1e6, walk / floors[0]))
    if floors[1]:
        print("  copied from a mapping    %8.0f MB/s   (64 KB block read / it: %.1fx)" % (floors[1] / 1e6, limit / floors[1]))
print("(items per second: records appended, keys sought, records read, records indexed;\n"
      " ratio: now / %s; held: the table opened under a named mutex)" % base)
PY
