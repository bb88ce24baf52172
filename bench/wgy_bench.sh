#!/bin/sh
# Builds the zuwgy tool (the linux preset) and runs the text conversion
# benchmark beside GNU sed: 100 MB of Shift-JIS text, 1, 20 and 200 literal
# patterns, throughput and peak memory.  Not part of the tests.
#   bench/wgy_bench.sh [MEGABYTES]
set -e
cd "$(dirname "$0")/.."
root=$PWD
cmake --preset linux > /dev/null
cmake --build --preset linux -j"${ZU_JOBS:-2}" --target zuwgy_tool > /dev/null
exec python3 bench/wgy_bench.py "$root/build/linux/bin/zuwgy" "$root/build/bench-wgy" "$@"
