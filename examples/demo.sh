#!/bin/sh
# The table engine's main job: create the customer table from its definition
# file, fill it from the Shift-JIS data file and list it for a UTF-8
# terminal.
#
#   examples/demo.sh [WORK-FOLDER]
#
# ZUDB names the zudb program (default: build/linux/bin/zudb of this tree).
# The table is made in WORK-FOLDER (default: a new temporary folder).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
zudb=${ZUDB:-$here/../build/linux/bin/zudb}
work=${1:-$(mktemp -d "${TMPDIR:-/tmp}/zudb-demo.XXXXXX")}
mkdir -p "$work"
table=$work/CUSTOMER.DBF

# The data are Shift-JIS bytes: the shell must pass them through untouched,
# and zudb takes them as they are (--sjis).  What zudb shows is UTF-8
# (--utf8).
LC_ALL=C
export LC_ALL

rm -f "$table" "$work/CUSTOMER.INAME"
cp "$here/CUSTOMER.FIELD" "$work/CUSTOMER.FIELD"
"$zudb" create "$table" --utf8

# One record a line: NAME=VALUE pairs separated by tabs.
tab=$(printf '\t')
while IFS= read -r line; do
    [ -n "$line" ] || continue
    old_ifs=$IFS
    IFS=$tab
    set -f
    # shellcheck disable=SC2086
    set -- $line
    set +f
    IFS=$old_ifs
    "$zudb" append "$table" "$@" --sjis >/dev/null
done < "$here/customers.txt"

"$zudb" info "$table" --utf8
echo
"$zudb" list "$table" --utf8
