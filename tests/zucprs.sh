#!/bin/sh
# The zucprs tool: encode and decode with the key from a file and from the
# environment, the default names, --check, and the reports.
# usage: zucprs.sh ZUCPRS WORKDIR
set -u
tool=$1 dir=$2
rm -rf "$dir" && mkdir -p "$dir" && cd "$dir" || exit 1
fail() { echo "zucprs: FAILED: $*"; exit 1; }

printf 'one,two\r\n' > DATA.TXT
printf 'k3y\n' > key
name=$("$tool" encode DATA.TXT --key-file key) || fail "encode"
[ "$name" = DATA.0001.cpress ] || fail "default name $name"
[ "$(wc -c < DATA.0001.cpress)" -eq 80 ] || fail "encoded size"
mv DATA.TXT plain.txt
[ "$(ZUCPRS_KEY=k3y "$tool" decode DATA.0001.cpress --check)" = DATA.TXT ] || fail "check"
[ -e DATA.TXT ] && fail "check wrote a file"
ZUCPRS_KEY=k3y "$tool" decode DATA.0001.cpress >/dev/null || fail "decode"
cmp -s DATA.TXT plain.txt || fail "decoded bytes"
ZUCPRS_KEY=k3y "$tool" decode DATA.0001.cpress out.bin >/dev/null && cmp -s out.bin plain.txt || fail "decode to a name"

# Reports: exit code 1 and the text on standard error.
ZUCPRS_KEY=k3y "$tool" encode DATA.0001.cpress again 2>err && fail "encoded twice"
grep -q "ファイルエラー DATA.0001.cpress StrEncodeFile" err || fail "report text: $(cat err)"
: > empty
"$tool" decode DATA.0001.cpress x --key-file empty 2>err; [ $? -eq 1 ] || fail "empty key"
"$tool" decode DATA.0001.cpress x </dev/null 2>err; [ $? -eq 1 ] && grep -q "no key" err || fail "no key"
"$tool" decode 2>/dev/null; [ $? -eq 2 ] || fail "usage"
"$tool" --help | grep -q "usage: zucprs encode" || fail "help"
echo "zucprs: ok"
