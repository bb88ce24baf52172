#!/bin/sh
# Makes the Debian package of this build (cpack, into WORK) and checks it.
#   package_deb.sh CPACK BUILD_DIR SOURCE_DIR WORK
cpack=$1 build=$2 src=$3 work=$4
rm -rf "$work"
mkdir -p "$work"
(cd "$build" && "$cpack" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
exec sh "$src/tests/package_check.sh" "$src" "$work/check" "$work"/out/*.deb
