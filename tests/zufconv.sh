#!/bin/sh
# The zufconv tool on README's example, a marked record, a report and --utf8.
#   zufconv.sh ZUFCONV WORKDIR
tool=$1 dir=$2
mkdir -p "$dir" && cd "$dir" || exit 1
fail() { echo "zufconv: $*"; exit 1; }
"$tool" --help | grep -q '^usage: zufconv' || fail "no usage"
printf '5 @\r\n6 E\r\n4 F\r\n2 -\r\n' > HOST.DEF
printf 'C0001\251\244\221\276\100\100\273\263\305\304\r\nC0002\216\216\276\207\100\100\316\353\314\332\r\n' > HOST.DAT
"$tool" HOST.DAT HOST.DEF HOST.CSV 17 || fail "exit code $? on clean records"
printf ',C0001,\324\317\300\336,\216R\223c\r\n,C0002,\275\275\336\267,\227\351\226\330\r\n' > WANT.CSV
cmp -s HOST.CSV WANT.CSV || fail "wrong lines: $(od -c HOST.CSV)"
"$tool" --utf8 HOST.DAT HOST.DEF UTF8.CSV 17 || fail "exit code $? with --utf8"
[ "$(cat UTF8.CSV)" = "$(printf ',C0001,ﾔﾏﾀﾞ,山田\n,C0002,ｽｽﾞｷ,鈴木')" ] || fail "wrong UTF-8: $(cat UTF8.CSV)"
printf "C0003\101" > MARK.DAT
"$tool" MARK.DAT HOST.DEF MARK.CSV 17; [ $? = 1 ] || fail "no exit code 1 for a mark"
[ "$(cat MARK.CSV)" = "$(printf ',C0003,{H:0041},\r')" ] || fail "wrong mark line: $(cat MARK.CSV)"
printf '3 Q\n' > BAD.DEF
"$tool" MARK.DAT BAD.DEF BAD.CSV 17 2> BAD.ERR; [ $? = 2 ] || fail "no exit code 2 for a report"
grep -q "^zufconv: " BAD.ERR || fail "no report on standard error"
"$tool" MARK.DAT HOST.DEF BAD.CSV 0 2> /dev/null; [ $? = 2 ] || fail "no exit code 2 for a bad length"
echo "zufconv tool: ok"
