#!/bin/sh
# Index files against libxbase64 (its i386 build): indexes that libxbase64
# makes and keeps up are read by our engine, and indexes that our engine
# builds and keeps up pass libxbase64's checkndx and its key searches.
# Key lengths are multiples of 4, where both agree on the page layout.
#
#   xbase_peer.sh NDX_TOOL SOURCE_DIR WORK_DIR
# Exits 77 (skipped) when the peer is not installed.
set -u
# checkndx's report is read below: in the C locale's words.
LC_ALL=C
export LC_ALL
tool=$1
src=$2
work=$3

skip() { echo "peer test skipped: $1"; exit 77; }
command -v checkndx >/dev/null 2>&1 || skip "checkndx (libxbase64-bin:i386) missing"
[ -f /usr/include/xbase64/xbase64.h ] || skip "libxbase64-dev:i386 missing"
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
g++ -m32 -O1 -o xbpeer "$src/xbpeer.cpp" -lxbase64 >build.log 2>&1 || skip "cannot build for i386: $(head -n 3 build.log)"
./xbpeer >/dev/null 2>&1
[ $? -eq 2 ] || skip "i386 programs do not run here"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Both sides walk the index in the same order, forwards and backwards.
same_walk() { # table index
  "$tool" walk "$2" >ours.txt || { fail "$2: our walk"; return; }
  ./xbpeer walk "$1" "$2" >theirs.txt || { fail "$2: libxbase64 walk"; return; }
  [ -s ours.txt ] || fail "$2: empty walk"
  cmp -s ours.txt theirs.txt || fail "$2: walks differ"
  "$tool" back "$2" >back.txt || { fail "$2: our backward walk"; return; }
  tac ours.txt | cmp -s - back.txt || fail "$2: backward walk differs"
}

# Their indexes, read by us: a character key over 3000 records (kept up
# while appending, and built by their reindex) and a numeric key.  Their
# numeric index breaks down beyond some 650 keys, so that table is smaller.
./xbpeer make T.DBF 3000 TCODE.NDX CODE TNAME.NDX NAME || fail "libxbase64 cannot make the table"
./xbpeer index T.DBF RCODE.NDX CODE || fail "libxbase64 reindex"
./xbpeer make N.DBF 600 NAMT.NDX AMT || fail "libxbase64 cannot make the numeric table"
for pair in T.DBF:TCODE.NDX T.DBF:TNAME.NDX T.DBF:RCODE.NDX N.DBF:NAMT.NDX; do
  t=${pair%%:*}
  i=${pair#*:}
  "$tool" find "$t" "$i" >find.txt 2>&1 || fail "$i: our search: $(tail -n 3 find.txt)"
  same_walk "$t" "$i"
done

# Our indexes, checked by them: built from the table, and grown key by key.
for mode in build grow; do
  for field in CODE NAME; do
    i=O$mode$field.NDX
    "$tool" $mode T.DBF "$i" "$field" || { fail "$i: our $mode"; continue; }
    checkndx T.DBF "$i" >check.txt 2>&1
    grep -aq "Ndx integrity check = 0" check.txt || fail "$i: checkndx: $(grep -av "^Checking Record" check.txt | head -n 5)"
    ./xbpeer find T.DBF "$i" "$field" >find.txt 2>&1 || fail "$i: libxbase64 search: $(tail -n 3 find.txt)"
    same_walk T.DBF "$i"
  done
done

if [ "$failures" -ne 0 ]; then
  echo "$failures peer check(s) failed"
  exit 1
fi
echo "peer checks passed"
