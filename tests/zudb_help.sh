#!/bin/sh
# README's list of zudb's commands is what `zudb --help` prints.
#   zudb_help.sh ZUDB README
help=$("$1" --help | sed 's/^./    &/') || exit 1
listed=$(sed -n '/^    usage: zudb /,/^$/{/^$/!p}' "$2")
[ "$help" = "$listed" ] && echo "zudb help in README: ok" && exit 0
echo "README's zudb list differs from zudb --help:"
printf '%s\n' "$help"
exit 1
