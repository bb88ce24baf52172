#!/bin/sh
# The Pascal units under Free Pascal (fpc -Mdelphi): every unit's Windows
# branch compiles (against a stand-in for the Windows unit, without linking),
# and a program over the Linux libraries runs.
# usage: pascal_host.sh SOURCE_ROOT BIN_DIR WORK_DIR
set -e
src=$1 bin=$2 work=$3
command -v fpc >/dev/null || { echo "fpc is missing (scripts/setup installs Free Pascal)"; exit 1; }
rm -rf "$work"
mkdir -p "$work/windows" "$work/linux" "$work/run"
fpc_quiet() {
    # -Sew: a warning fails the build too.
    out=$(fpc -Mdelphi -Sew "$@" 2>&1) || { echo "$out"; echo "fpc failed: $*"; exit 1; }
}
for unit in "$src"/include/pascal/*.pas; do
    fpc_quiet -dMSWINDOWS -Fu"$src/tests/support/pascal/windows" -FU"$work/windows" "$unit"
done
fpc_quiet -Fu"$src/include/pascal" -Fl"$bin" -k-rpath="$bin" -FU"$work/linux" -FE"$work" \
    "$src/tests/support/pascal/pascal_host.pas"
cd "$work/run"
../pascal_host
