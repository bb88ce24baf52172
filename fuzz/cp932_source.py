#!/usr/bin/env python3
"""Writes a copy of a UTF-8 C++ source whose non-ASCII characters are their
code page 932 bytes as octal escapes, for compilers that cannot translate
literals into CP932 themselves (clang: -fexec-charset=UTF-8 only).  Outside
literals the characters only occur in comments, where the escapes are
harmless.  A #line directive keeps the original name in diagnostics.

usage: cp932_source.py SOURCE OUTPUT
"""
import sys

source, output = sys.argv[1], sys.argv[2]
with open(source, encoding="utf-8") as f:
    text = f.read()
out = ['#line 1 "%s"\n' % source]
for ch in text:
    if ord(ch) < 0x80:
        out.append(ch)
    else:
        # Octal escapes take at most three digits: no following character
        # can extend one, as a following hex digit would extend \x.
        out.append("".join("\\%03o" % b for b in ch.encode("cp932")))
with open(output, "w", encoding="ascii") as f:
    f.write("".join(out))
