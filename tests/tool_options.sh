#!/bin/sh
# Every tool answers --version with its name and the version, and --help with
# its usage text, both with exit code 0.
#   tool_options.sh VERSION TOOL...
version=$1
shift
fail=0
for tool in "$@"; do
    name=$(basename "$tool" .exe)
    got=$("$tool" --version) || { echo "$name --version: exit code $?"; fail=1; }
    [ "$got" = "$name $version" ] || { echo "$name --version printed: $got"; fail=1; }
    "$tool" --help | grep -q "^usage: $name" || { echo "$name --help: no usage text"; fail=1; }
    "$tool" --help >/dev/null || { echo "$name --help: exit code $?"; fail=1; }
done
[ $fail = 0 ] && echo "tool options: ok"
exit $fail
