#!/usr/bin/env bash
# ZuSeekDriveAll searches every drive.  Under Wine that would be the whole
# machine (Z: is /), so this runs the one test that calls it in the prefix
# with its drives confined: every drive but C: is taken away for the run, D:
# is a fresh folder, and C: (the prefix's own drive_c) gets the marker file
# the test looks for on every drive root before it searches.  The prefix is
# put back as it was however the run ends.
#
# usage: tests/wine_seek_all.sh BIN_DIR [--64]   (WINEPREFIX set, prefix made)
set -uo pipefail
bin=$1
loader=${2:-}
here=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:?WINEPREFIX names the prefix}"
dev=$WINEPREFIX/dosdevices
drive_d=$(mktemp -d /tmp/zuseek-d.XXXXXX)
saved=$dev/.saved-by-seek-test

restore() {
  wineserver -k >/dev/null 2>&1 || true
  rm -f "$dev/d:" "$WINEPREFIX/drive_c/ZUSEEKALL.OK"
  if [ -d "$saved" ]; then
    for link in "$saved"/*; do [ -L "$link" ] && mv "$link" "$dev/"; done
    rmdir "$saved"
  fi
  rm -rf "$drive_d"
}
trap restore EXIT

wineserver -k >/dev/null 2>&1 || true
mkdir -p "$saved"
for link in "$dev"/?:; do
  [ -L "$link" ] && [ "$(basename "$link")" != "c:" ] && mv "$link" "$saved/"
done
ln -s "$drive_d" "$dev/d:"
touch "$drive_d/ZUSEEKALL.OK" "$WINEPREFIX/drive_c/ZUSEEKALL.OK"
cp "$bin/test_fileops.exe" "$bin/ZUSTD.dll" "$drive_d/"

out=$(cd "$drive_d" && ZU_SEEK_ALL_DIR='D:\' "$here/scripts/wine-run" $loader 'D:\test_fileops.exe' \
        --gtest_filter=Search.EveryDriveOfAConfinedPrefix 2>&1)
rc=$?
echo "$out" | tail -n 5
if [ $rc -ne 0 ] || ! grep -q '\[  PASSED  \] 1 test' <<<"$out" || grep -q '\[  SKIPPED \]' <<<"$out"; then
  echo "wine_seek_all: FAILED"
  exit 1
fi
echo "wine_seek_all: passed"
