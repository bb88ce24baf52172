#!/bin/sh
# Encoding and decoding a file of random bytes (64 MB unless given in MB)
# with the zucprs tool, beside `openssl enc -bf-ecb -nopad` on the same file
# in the same run; prints MB/s of each and their ratio; then the cipher
# alone (bench/bf_cipher.cpp, in memory) beside `openssl speed -evp bf-ecb`.
# Not part of the tests.  usage: bench/bf_bench.sh [MB]   (after a build of the linux preset)
set -eu
mb=${1:-64}
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$root/build/linux/bin/zucprs
[ -x "$tool" ] || { echo "build the linux preset first ($tool)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c $((mb * 1048576)) /dev/urandom > DATA.BIN
export ZUCPRS_KEY=benchmark-key
key=$(printf '%s' "0123456789abcdef" | od -An -tx1 | tr -d ' \n')

now() { date +%s.%N; }
rate() { echo "$mb $1 $2" | awk '{ printf "%.1f", $1 / ($3 - $2) }'; }
ossl="enc -bf-ecb -nopad -provider legacy -provider default -K $key"

t0=$(now); "$tool" encode DATA.BIN enc.cpress >/dev/null; t1=$(now)
"$tool" decode enc.cpress dec.bin >/dev/null; t2=$(now)
cmp -s DATA.BIN dec.bin || { echo "decoded file differs"; exit 1; }
openssl $ossl -in DATA.BIN -out ossl.enc; t3=$(now)
openssl $ossl -d -in ossl.enc -out ossl.dec; t4=$(now)
cmp -s DATA.BIN ossl.dec || { echo "openssl's decoded file differs"; exit 1; }

ze=$(rate "$t0" "$t1") zd=$(rate "$t1" "$t2") oe=$(rate "$t2" "$t3") od=$(rate "$t3" "$t4")
printf '%s MB          encode MB/s  decode MB/s\n' "$mb"
printf 'zucprs        %11s  %11s\n' "$ze" "$zd"
printf 'openssl enc   %11s  %11s\n' "$oe" "$od"
echo "$ze $oe $zd $od" | awk '{ printf "ratio zucprs/openssl: encode %.2f, decode %.2f\n", $1 / $2, $3 / $4 }'

# The cipher alone, in memory, beside OpenSSL's own measure of it.
c++ -O2 -I"$root" "$root/bench/bf_cipher.cpp" "$root/zustd/blowfish.cpp" -o bf_cipher
set -- $(./bf_cipher)
ce=$2 cdec=$4
os=$(openssl speed -provider legacy -provider default -evp bf-ecb -seconds 3 -bytes 16384 2>/dev/null |
     awk '/^BF-ECB/ { sub(/k$/, "", $2); printf "%.1f", $2 / 1000 }')
printf 'cipher alone: encipher %s MB/s, decipher %s MB/s; openssl speed (16 KiB blocks) %s MB/s\n' "$ce" "$cdec" "$os"
echo "$ce $cdec $os" | awk '{ printf "ratio cipher/openssl: encipher %.2f, decipher %.2f\n", $1 / $3, $2 / $3 }'
