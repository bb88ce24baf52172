#!/bin/sh
# zudb's whole-table commands on a small table: pack, sort, export, import,
# copy, clone, cleanup and list --csv.
#   zudb_whole.sh ZUDB WORKDIR
set -e
LC_ALL=C
export LC_ALL
Z=$1
W=$2
rm -rf "$W" && mkdir -p "$W" && cd "$W"
# The records zudb lists, without the engine's progress lines.
rows() { "$Z" list "$@" | grep -av '\.NDX$'; }
printf 'code,A,5\r\nname,A,10\r\nqty,N\r\nCODE,P\r\nname,I\r\n' > C.FIELD
"$Z" create C.DBF > /dev/null
for r in "B1 Bob 1" "A1 Ann 2" "C1 Cy,x 3" "A2 Al 4"; do
    set -- $r
    "$Z" append C.DBF CODE=$1 NAME=$2 QTY=$3 > /dev/null
done
# Deleting record 2 moves the last record into its place.
"$Z" delete C.DBF 2 > /dev/null
"$Z" sort C.DBF --index NAME | grep -a '^sorted: 3 records, 0 left out'
test "$(rows C.DBF | cut -d, -f1 | tr '\n' ' ')" = "A2 B1 C1 "
rows C.DBF --csv | grep -a '^C1,"Cy,x",3$'
"$Z" export C.DBF out.txt --header > /dev/null
printf 'CODE,NAME,QTY,\r\nA2,Al,4,\r\nB1,Bob,1,\r\nC1,Cy,x,3,\r\n' | cmp - out.txt
printf '"D1",Dee,5\r\nE1,"Eve",6\r\n' > in.txt
"$Z" import C.DBF in.txt | grep -a '^imported: 2 records, 0 refused'
"$Z" seek C.DBF E1 | grep -a '^2:E1,Eve,6$'
"$Z" export C.DBF sdf.txt --sdf > /dev/null
"$Z" import C.DBF sdf.txt --sdf | grep -a '^imported: 2 records'
"$Z" clone C.DBF K.DBF > /dev/null
"$Z" indexes K.DBF | grep -a '2  name .* K.name.IDEX'
"$Z" copy C.DBF K.DBF --clear > /dev/null
test "$(rows K.DBF | wc -l)" = 2
# A record whose code K already holds is not added again.
"$Z" append C.DBF CODE=F1 NAME=Fay > /dev/null
"$Z" copy C.DBF K.DBF > /dev/null
test "$(rows K.DBF | cut -d, -f1 | tr '\n' ' ')" = "D1 E1 F1 "
"$Z" cleanup K.DBF > /dev/null
test ! -e K.DBF && test ! -e K.INAME && test ! -e K.name.IDEX
printf 'code,A,5\r\nCODE,P\r\n' > P.FIELD
"$Z" create P.DBF > /dev/null
for c in X1 X2 X3; do "$Z" append P.DBF CODE=$c > /dev/null; done
printf '*' | dd of=P.DBF bs=1 seek=$(($(od -An -tu2 -j8 -N2 P.DBF) + 6)) conv=notrunc 2> /dev/null
"$Z" pack P.DBF | grep -a '^packed: 2 records'
test "$(rows P.DBF | tr '\n' ' ')" = "X1 X3 "
"$Z" seek P.DBF X3 | grep -a '^2:X3$'
echo "zudb whole-table commands: ok"
