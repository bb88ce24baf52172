#!/usr/bin/python3
"""ZUSTD's JIS conversion beside Python's iso2022_jp codec (and nkf -j when
installed), and its byte classification beside one made from Python's cp932
codec.  Usage: jis_peers.py JISTOOL"""
import random
import shutil
import subprocess
import sys

tool = sys.argv[1]
failures = []


def run(mode, data):
    p = subprocess.run([tool, mode], input=data, stdout=subprocess.PIPE)
    return p.stdout if p.returncode == 0 else None


def same_meaning(jis):
    # ESC ( B and ESC ( J both switch to single bytes, ESC $ @ and ESC $ B to JIS X 0208.
    return jis.replace(b"\x1b(B", b"\x1b(J").replace(b"\x1b$@", b"\x1b$B")


def check(what, got, expected):
    if got != expected:
        failures.append("%s: got %r, expected %r" % (what, got, expected))


# Every JIS X 0208 character Python knows, row by row, both ways.
for row in range(0x21, 0x75):
    chars = []
    for cell in range(0x21, 0x7F):
        if (row << 8 | cell) > 0x7424:
            break
        try:
            chars.append(bytes([0x1B, 0x24, 0x42, row, cell]).decode("iso2022_jp"))
        except UnicodeDecodeError:
            pass
    if not chars:
        continue
    text = "".join(chars)
    jis = text.encode("iso2022_jp")
    sjis = text.encode("shift_jis")
    check("row %x to JIS" % row, run("s2j", sjis), same_meaning(jis))
    check("row %x to Shift-JIS" % row, run("j2s", jis), sjis)

# Texts mixing ASCII and kanji, cut around the 1014-byte output limit.
rng = random.Random(11)
kanji = [c for c in (bytes([0x1B, 0x24, 0x42, r, c]).decode("iso2022_jp", "ignore")
                     for r in range(0x30, 0x50) for c in range(0x21, 0x7F)) if c]
nkf = shutil.which("nkf")
for n in list(range(300, 700, 7)) + [20, 50]:
    text = "".join(rng.choice(kanji) if rng.random() < 0.6 else rng.choice("ab c-1/Z")
                   for _ in range(n))
    jis = same_meaning(text.encode("iso2022_jp"))
    sjis = text.encode("shift_jis")
    body = len(jis) - (3 if jis.endswith(b"\x1b(J") else 0)
    check("text of %d to JIS" % n, run("s2j", sjis), jis if body <= 1014 else None)
    if nkf and body <= 1014:
        out = subprocess.run([nkf, "-S", "-j"], input=sjis, stdout=subprocess.PIPE).stdout
        check("text of %d beside nkf" % n, jis, same_meaning(out))
    check("text of %d to Shift-JIS" % n, run("j2s", text.encode("iso2022_jp")), sjis)

# Byte classes from cp932: a lead byte is one that the codec takes for the
# start of an unfinished character; a trail byte ends some character.
def one_char(b):
    try:
        return len(b.decode("cp932")) == 1
    except UnicodeDecodeError:
        return False

def unfinished(c):
    try:
        bytes([c]).decode("cp932")
    except UnicodeDecodeError as e:
        return "incomplete" in e.reason
    return False


lead = {c for c in range(1, 0x100) if unfinished(c)}
trail = {b for a in range(0x81, 0xA0) for b in range(1, 0x100) if one_char(bytes([a, b]))}
kana = {c for c in range(0x80, 0x100) if c not in lead and one_char(bytes([c]))
        and 0xFF61 <= ord(bytes([c]).decode("cp932")) <= 0xFF9F}
single_ok = kana | set(range(0x20, 0x7F)) | {0x09, 0x0A, 0x0D}
blank = "\u3000".encode("cp932")


def reference(b1, b2):
    out = [b1, b2]
    if b1 in lead and b2 in trail:
        valid = 1
    else:
        if b1 in lead or b1 not in single_ok:
            out[0] = 0x23
        if b2 in lead or b2 not in single_ok:  # a lead byte before the terminator
            out[1] = 0x23
        valid = int(out == [b1, b2])
    flag1 = int(b1 in lead)
    flag2 = int(b2 in lead and b1 not in lead)
    if b1 in lead:
        trim = "E" if b2 not in trail else ("0" if bytes([b1, b2]) == blank else "2")
    elif b2 in lead:
        trim = "E"  # followed by a blank
    else:
        trim = "2" if b2 != 0x20 else ("1" if b1 != 0x20 else "0")
    return "%d %d %d %02x%02x %d %d %s" % (b1, b2, valid, out[0], out[1], flag1, flag2, trim)


lines = run("classify", b"").decode().splitlines()
expected = [reference(a, b) for a in range(1, 256) for b in range(1, 256)]
bad = [(g, e) for g, e in zip(lines, expected) if g != e]
if len(lines) != len(expected) or bad:
    failures.append("classification: %d lines, %d differ, first %r" % (len(lines), len(bad), bad[:3]))

for f in failures[:20]:
    print(f)
print("jis peers: %s (nkf %s)" % ("FAILED" if failures else "ok", "used" if nkf else "not installed"))
sys.exit(1 if failures else 0)
