#!/usr/bin/env python3
"""zuwgy beside GNU sed: random literal pattern sets over a large Shift-JIS
file, converted by the zuwgy tool and by sed with one s///g per pattern in
table order; equal byte for byte once CR LF became LF.

The sets are built so that both mean the same: every source begins with a
character that occurs in sources only at their start (so occurrences of two
sources never overlap, and a source that is a prefix of another wins in
both where it comes first), the rest of a source is drawn from characters
that no target holds (a replacement never completes a later match), and
no target is empty (a deletion would join the text around it into a match
for a later s///g, where the engine has moved past it).
Start characters lie below 0x40: no trail byte, so sed's byte matching
starts only on character boundaries.

Usage: wgy_sed_peer.py ZUWGY_TOOL WORKDIR
(bench/wgy_bench.py imports the set, text and script builders.)"""
import os
import random
import subprocess
import sys

rng = random.Random(1313)

STARTS = list(b"#$%=012")
BODY = [bytes([c]) for c in b"abcdefghij"] + [bytes([0x88, t]) for t in range(0x9F, 0xFD)]
TARGET = [bytes([c]) for c in b"KLMNOPQRSTUVWXYZ"] + [bytes([0x89, t]) for t in range(0xA0, 0xFD)]
OTHER = [bytes([0x82, t]) for t in range(0xA0, 0xF1)] + [b" ", b"\n"]


def pattern_set(n):
    seen, out = set(), []
    while len(out) < n:
        src = bytes([rng.choice(STARTS)]) + b"".join(rng.choice(BODY) for _ in range(rng.randint(0, 3)))
        if src in seen:
            continue
        seen.add(src)
        out.append((src, b"".join(rng.choice(TARGET) for _ in range(rng.randint(1, 4)))))
    return out


def text(size, pats):
    parts, n = [], 0
    pool = BODY + TARGET + OTHER + [bytes([c]) for c in STARTS]
    while n < size:
        piece = rng.choice(pats)[0] if rng.random() < 0.05 else rng.choice(pool)
        parts.append(piece)
        n += len(piece)
    return b"".join(parts) + b"\n"


def sed_escape(b):
    out = b""
    for c in b:
        ch = bytes([c])
        out += b"\\" + ch if ch in b"\\/.*[]^$&" else ch
    return out


def write_scripts(base, pats):
    """The pattern file (base.gy) and the sed script (base.sed) of a set."""
    with open(base + ".gy", "wb") as f:
        f.write(b"".join(s + b"_" + t + b"\r\n" for s, t in pats))
    with open(base + ".sed", "wb") as f:
        f.write(b"".join(b"s/" + sed_escape(s) + b"/" + sed_escape(t) + b"/g\n" for s, t in pats))
    return base + ".gy", base + ".sed"


def check(name, pats, size):
    data = text(size, pats)
    src = os.path.join(work, name + ".txt")
    with open(src, "wb") as f:
        f.write(data)
    gy, script = write_scripts(os.path.join(work, name), pats)
    env = dict(os.environ, LC_ALL="C")
    expected = subprocess.run(["sed", "-f", script, src], env=env, check=True, capture_output=True).stdout
    r = subprocess.run([tool, "--quiet", src, gy], env=env, cwd=work)
    if r.returncode != 0:
        sys.exit("%s: zuwgy exit %d" % (name, r.returncode))
    with open(src, "rb") as f:
        got = f.read().replace(b"\r\n", b"\n")
    if got != expected:
        i = next(i for i in range(min(len(got), len(expected))) if got[i] != expected[i])
        sys.exit("%s: differs at byte %d: %r / %r" % (name, i, got[i - 20:i + 20], expected[i - 20:i + 20]))
    print("%s: %d patterns, %d bytes: equal" % (name, len(pats), len(data)))


if __name__ == "__main__":
    tool, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    check("few", pattern_set(5), 3_000_000)
    check("many", pattern_set(300), 1_000_000)

    # A file no pattern matches stays as it was, its time stamp too.
    quiet = os.path.join(work, "none.txt")
    with open(quiet, "wb") as f:
        f.write(b"abc\nxyz\n" * 5000)
    os.utime(quiet, (1_000_000_000, 1_000_000_000))
    gy = os.path.join(work, "none.gy")
    with open(gy, "wb") as f:
        f.write(b"#q_Z\r\n")
    r = subprocess.run([tool, "--quiet", quiet, gy], cwd=work)
    with open(quiet, "rb") as f:
        same = f.read() == b"abc\nxyz\n" * 5000
    if r.returncode != 1 or not same or os.stat(quiet).st_mtime != 1_000_000_000:
        sys.exit("untouched file: exit %d, same %s, mtime %s" % (r.returncode, same, os.stat(quiet).st_mtime))
    print("wgy sed peer: ok")
