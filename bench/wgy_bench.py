#!/usr/bin/env python3
"""The zuwgy tool beside GNU sed on a 100 MB Shift-JIS file: 1, 20 and 200
literal patterns, the same substitutions by both in the same run (pattern
sets, text and sed scripts made as in tests/peer/wgy_sed_peer.py, so both
mean the same); MB/s of both, their ratio, and the peak memory of both at
10 MB and 100 MB.  Each result is checked against sed's once CR LF became LF.

Usage: wgy_bench.py ZUWGY_TOOL WORKDIR [MEGABYTES]"""
import os
import random
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "peer"))
import wgy_sed_peer as peer  # noqa: E402

tool, work = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
mb = int(sys.argv[3]) if len(sys.argv) > 3 else 100
os.makedirs(work, exist_ok=True)
env = dict(os.environ, LC_ALL="C")

peer.rng = random.Random(1313)
sets = peer.pattern_set(200)
# A 4 MB block of the peer's text (5% of its pieces are sources of the 200
# patterns), repeated: 8190 does not divide the block, so the window edges
# fall elsewhere in every copy.
block = peer.text(4 << 20, sets)


def make(name, size):
    """size bytes (to the last line end before it) of copies of the block."""
    path = os.path.join(work, name)
    with open(path, "wb") as f:
        n = 0
        while n < size:
            piece = block if n + len(block) <= size else block[:block.rfind(b"\n", 0, size - n) + 1]
            if not piece:
                break
            f.write(piece)
            n += len(piece)
    return path


def run(argv, out=None):
    """Seconds and peak resident kilobytes of one child (measured by
    /usr/bin/time: a child forked from this process would start with its
    peak)."""
    peak = os.path.join(work, "peak")
    start = time.perf_counter()
    with open(out or os.devnull, "wb") as sink:
        code = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak] + argv, env=env, cwd=work,
                              stdout=sink).returncode
    seconds = time.perf_counter() - start
    if code not in (0, 1):
        sys.exit("%s: exit %d" % (argv[0], code))
    with open(peak) as f:
        return seconds, int(f.read().split()[-1])


def both(data, pats, check):
    """zuwgy and sed over a copy of data; their seconds and peak kilobytes."""
    gy, script = peer.write_scripts(os.path.join(work, "p%d" % len(pats)), pats)
    copy = os.path.join(work, "converted.txt")
    shutil.copyfile(data, copy)
    ours = run([tool, "--quiet", copy, gy])
    expected = os.path.join(work, "sed.txt")
    theirs = run(["sed", "-f", script, data], expected)
    if check:
        with open(copy, "rb") as a, open(expected, "rb") as b:
            if a.read().replace(b"\r\n", b"\n") != b.read():
                sys.exit("%d patterns: zuwgy and sed differ" % len(pats))
    return ours, theirs


data = make("data%d.txt" % mb, mb * 1_000_000)
size = os.path.getsize(data) / 1e6
print("file: %.1f MB of Shift-JIS text (%s)" % (size, data))
print("%9s %14s %14s %7s" % ("patterns", "zuwgy MB/s", "sed MB/s", "ratio"))
for n in (1, 20, 200):
    (t1, _), (t2, _) = both(data, sets[:n], True)
    print("%9d %14.1f %14.1f %6.2fx" % (n, size / t1, size / t2, t2 / t1), flush=True)
print("(ratio: zuwgy's throughput / sed's; outputs checked equal)")

print("\npeak memory, 200 patterns:")
small = make("data10.txt", 10_000_000)
for path in (small, data):
    (_, ours), (_, theirs) = both(path, sets, False)
    print("%9.1f MB   zuwgy %7d KB   sed %7d KB" % (os.path.getsize(path) / 1e6, ours, theirs))
