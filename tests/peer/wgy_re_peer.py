#!/usr/bin/python3
"""ZuWGYStr beside Python's re.

Random pattern sets made of literal characters, ? and character classes
(Shift-JIS double-byte characters, ranges, negation), one or two groups,
are applied by ZuWGYStr (through the wgy_str program) and by re.sub over
the alternation of the same sources in table order, on random Shift-JIS
texts; the results must be equal byte for byte.

Texts are compared as sequences of character codes: a single-byte character
is its byte, a double-byte character lead * 256 + trail, which is also how
the engine orders the members of a range.  In Python each code becomes the
character chr(code), so ranges mean the same on both sides.

usage: wgy_re_peer.py WGY_STR_PROGRAM WORK_DIR
"""
import os
import random
import re
import struct
import subprocess
import sys

SEED = 20240612
SETS = 1500
TEXTS_PER_SET = 3


def code_of(ch):
    b = ch.encode("cp932")
    return b[0] if len(b) == 1 else b[0] << 8 | b[1]


def sjis(codes):
    out = bytearray()
    for c in codes:
        if c > 0xFF:
            out += bytes((c >> 8, c & 0xFF))
        else:
            out.append(c)
    return bytes(out)


def codes_of(data):
    out, i = [], 0
    while i < len(data):
        b = data[i]
        if (0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC) and i + 1 < len(data):
            out.append(b << 8 | data[i + 1])
            i += 2
        else:
            out.append(b)
            i += 1
    return out


# Characters of patterns and texts: ASCII, characters of the notation
# (written escaped), double-byte characters (two with the trail byte 0x5C)
# and a half-width katakana.
PLAIN = [code_of(c) for c in "abcde12-^"] + [code_of(c) for c in "あいう漢表ソ、ｱ"]
SPECIAL = [code_of(c) for c in "?[]*+_\\"]
ALPHABET = PLAIN + SPECIAL
TEXT_ALPHABET = ALPHABET + [code_of(c) for c in "fえ "]


def notation(c, in_class):
    """The pattern text of one literal character."""
    ch = sjis([c])
    if c in SPECIAL or (in_class and c in (ord("-"), ord("^"))):
        return b"\\" + ch
    return ch


def rx(c):
    return "\\u%04x" % c


def random_class(rng):
    negated = rng.random() < 0.3
    members, text, regex = [], b"[" + (b"^" if negated else b""), ""
    for _ in range(rng.randint(0 if negated else 1, 4)):
        lo = rng.choice(ALPHABET)
        if rng.random() < 0.4:
            hi = rng.choice(ALPHABET)
            lo, hi = min(lo, hi), max(lo, hi)
            text += notation(lo, True) + b"-" + notation(hi, True)
            regex += rx(lo) + "-" + rx(hi)
        else:
            text += notation(lo, True)
            regex += rx(lo)
    text += b"]"
    if not regex:
        return text, "(.)"  # [^] matches any character
    return text, "([" + ("^" if negated else "") + regex + "])"


def random_pattern(rng):
    """(source text, source regex, number of captures, target text, target items)."""
    src, regex, captures = b"", "", 0
    for _ in range(rng.randint(1, 4)):
        r = rng.random()
        if r < 0.2:
            src += b"?"
            regex += "(.)"
            captures += 1
        elif r < 0.4:
            t, x = random_class(rng)
            src += t
            regex += x
            captures += 1
        else:
            c = rng.choice(ALPHABET)
            src += notation(c, False)
            regex += rx(c)
    tgt, items = b"", []
    for _ in range(rng.randint(0, 4)):
        if captures and rng.random() < 0.4 and items.count(None) < captures:
            tgt += b"?"
            items.append(None)
        else:
            c = rng.choice(ALPHABET)
            tgt += notation(c, False)
            items.append(c)
    return src, regex, captures, tgt, items


def python_sub(group, text):
    """re.sub over the alternation of the group's sources, in table order."""
    parts, layout, n = [], [], 0
    for _, regex, captures, _, items in group:
        parts.append("(" + regex + ")")
        layout.append((n + 1, captures, items))
        n += 1 + captures
    pattern = re.compile("|".join(parts), re.DOTALL)

    def replace(m):
        for outer, captures, items in layout:
            if m.group(outer) is not None:
                got = [m.group(outer + 1 + k) for k in range(captures)]
                return "".join(got.pop(0) if c is None else chr(c) for c in items)
        raise AssertionError("no alternative matched")

    return pattern.sub(replace, text)


def record(kind, data):
    return kind + struct.pack("<I", len(data)) + data


def main():
    program, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    rng = random.Random(SEED)
    cases, expected = [], []
    for _ in range(SETS):
        groups = [[random_pattern(rng) for _ in range(rng.randint(1, 6))] for _ in range(rng.choice((1, 1, 1, 2)))]
        text = b"{CHGPTN}\r\n".join(b"".join(p[0] + b"_" + p[3] + b"\n" for p in g) for g in groups)
        cases.append(record(b"P", text))
        for _ in range(TEXTS_PER_SET):
            codes = [rng.choice(TEXT_ALPHABET) for _ in range(rng.randint(0, 60))]
            cases.append(record(b"T", sjis(codes)))
            s = "".join(map(chr, codes))
            for g in groups:
                s = python_sub(g, s)
            expected.append((text, sjis(codes), sjis(map(ord, s))))
    case_file = os.path.join(work, "cases.bin")
    result_file = os.path.join(work, "results.bin")
    with open(case_file, "wb") as f:
        f.write(b"".join(cases))
    subprocess.run([program, case_file, result_file], check=True, stdout=subprocess.DEVNULL)
    data = open(result_file, "rb").read()
    pos, failures = 0, 0
    for patterns, text, want in expected:
        (n,) = struct.unpack_from("<I", data, pos)
        pos += 4
        if n == 0xFFFFFFFF:
            got = b"(null)"
        elif n == 0xFFFFFFFE:
            (n,) = struct.unpack_from("<I", data, pos)
            got = b"report: " + data[pos + 4:pos + 4 + n]
            pos += 4 + n
        else:
            got = data[pos:pos + n]
            pos += n
        if got != want:
            failures += 1
            if failures <= 5:
                print("patterns:", patterns.decode("cp932", "replace"))
                print("text:    ", text.decode("cp932", "replace"))
                print("engine:  ", got.decode("cp932", "replace"))
                print("re.sub:  ", want.decode("cp932", "replace"))
    total = len(expected)
    print("wgy re peer: %d of %d conversions equal" % (total - failures, total))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
