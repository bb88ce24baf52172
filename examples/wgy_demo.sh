#!/bin/sh
# The text conversion engine's main job: a Shift-JIS letter converted in
# place by a pattern file (the company's new spelling, full-width digits and
# dashes to ASCII) outside its <注記> notes; shown before and after for a
# UTF-8 terminal.
#
#   examples/wgy_demo.sh [WORK-FOLDER]
#
# ZUWGY names the zuwgy program (default: build/linux/bin/zuwgy of this
# tree).  The files are copied to WORK-FOLDER (default: a new temporary
# folder) and converted there.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
zuwgy=${ZUWGY:-$here/../build/linux/bin/zuwgy}
work=${1:-$(mktemp -d "${TMPDIR:-/tmp}/zuwgy-demo.XXXXXX")}
mkdir -p "$work"
cp "$here/notice.txt" "$here/notice.gy" "$work/"
cd "$work"

# zuwgy reads its arguments and shows its progress lines in the terminal's
# UTF-8; the files stay Shift-JIS (shown here through iconv).
LC_ALL=C.UTF-8
export LC_ALL
show() { iconv -f CP932 -t UTF-8 "$1" | tr -d '\r'; }

echo "== notice.txt (Shift-JIS) before"
show notice.txt
echo
echo "== zuwgy notice.txt notice.gy '!<注記>' '</注記>'"
"$zuwgy" notice.txt notice.gy '!<注記>' '</注記>'
echo
echo "== notice.txt after"
show notice.txt
