#!/bin/sh
# zudb in a Japanese UTF-8 locale: a value typed in UTF-8 is stored as its
# Shift-JIS bytes and listed as typed, a value that Shift-JIS cannot hold is
# refused with the files unchanged, and the engine's progress line reaches
# the terminal as UTF-8.
#   zudb_locale.sh ZUDB WORKDIR
Z=$1
W=$2
locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\{0,1\}8' || { echo "skipped: no ja_JP.UTF-8 locale"; exit 77; }
LC_ALL=ja_JP.UTF-8
export LC_ALL
rm -rf "$W" && mkdir -p "$W" && cd "$W" || exit 1
failures=0
check() { # what, then a command
  what=$1
  shift
  "$@" || { echo "FAIL: $what"; failures=$((failures + 1)); }
}
hex() { od -An -tx1 -v | tr -d ' \n'; }

printf 'CODE,A,5\r\nNAME,A,20\r\nCODE,P\r\n' > T.FIELD
"$Z" create T.DBF > /dev/null
"$Z" append T.DBF CODE=A1 NAME=山田ﾀﾛｳ > out.txt 2>&1
check "progress line as UTF-8" grep -qx 'インデックスファイル名：T.CODE.IDEX.NDX' out.txt
# The record: flag, CODE "A1" and NAME in Shift-JIS, blank-padded; then 0x1A.
record=2041312020208e529363c0dbb3$(printf '20%.0s' 1 2 3 4 5 6 7 8 9 10 11 12 13)1a
table=$(hex < T.DBF)
check "Shift-JIS bytes in the table" test "${table%"$record"}" != "$table"
check "listed as typed" test "$("$Z" list T.DBF | tail -n 1)" = 'A1,山田ﾀﾛｳ'
check "--sjis lists the bytes" test "$("$Z" list T.DBF --sjis | tail -n 1 | hex)" = 41312c8e529363c0dbb30a

cp T.DBF before.dbf
cp T.CODE.IDEX before.idx
if "$Z" append T.DBF CODE=A2 NAME=寿司🍣 > out.txt 2> err.txt; then
  echo "FAIL: a value with an emoji was appended"
  failures=$((failures + 1))
fi
check "refusal says why" grep -q 'NAME=寿司🍣: refused: a character has no Shift-JIS form' err.txt
check "table unchanged" cmp -s before.dbf T.DBF
check "index unchanged" cmp -s before.idx T.CODE.IDEX

[ "$failures" -eq 0 ] || exit 1
echo "zudb in a UTF-8 locale: ok"
