#!/bin/sh
# zudb's index commands on a small customer table: indexes, seek, reindex.
#   zudb_index.sh ZUDB WORKDIR
set -e
LC_ALL=C
export LC_ALL
Z=$1
W=$2
rm -rf "$W" && mkdir -p "$W" && cd "$W"
printf 'code,A,5\r\nname,A,10\r\nqty,N\r\nCODE,P\r\nname;code,I\r\n' > C.FIELD
"$Z" create C.DBF > /dev/null
"$Z" append C.DBF CODE=B1 NAME=Bob QTY=1 > /dev/null
"$Z" append C.DBF CODE=A1 NAME=Ann QTY=2 > /dev/null
"$Z" append C.DBF CODE=A2 NAME=Ann QTY=3 > /dev/null
if "$Z" append C.DBF CODE=A2 NAME=Zed > /dev/null 2>&1; then echo "duplicate appended"; exit 1; fi
"$Z" indexes C.DBF | grep -a 'indexes: 2'
"$Z" indexes C.DBF | grep -a '1  CODE  *type 0 (character)  unique  C.CODE.IDEX'
"$Z" indexes C.DBF | grep -a '2  name;code  *type 0 (character)  duplicates  C.name.code.IDEX'
"$Z" seek C.DBF A2 | grep -a '^3:A2,Ann,3$'
test "$("$Z" seek C.DBF Ann --index 'NAME;CODE' | grep -a -c ':A[12],Ann,')" = 2
if "$Z" seek C.DBF A3 > /dev/null; then echo "found a missing key"; exit 1; fi
cp C.name.code.IDEX before.idx
"$Z" reindex C.DBF | grep -a 'rebuilt 2 indexes'
cmp before.idx C.name.code.IDEX
echo "zudb index commands: ok"
