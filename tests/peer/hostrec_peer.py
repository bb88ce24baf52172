#!/usr/bin/python3
"""Jobs F (host kanji) and J (JIS) of zufconv beside Python's euc_jp and
iso2022_jp codecs over every JIS X 0208 code: the same Shift-JIS bytes for
the codes the codec knows, a {H:XXXX} mark for the others.  F converts the
rows 0x21-0x73 and J the codes up to 0x7424; codes beyond are marked.
Usage: hostrec_peer.py ZUFCONV WORKDIR"""
import os
import subprocess
import sys

tool, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)
codes = [(r, c) for r in range(0x21, 0x7F) for c in range(0x21, 0x7F)]
failures = []


def python_sjis(raw, codec):
    try:
        text = raw.decode(codec)
    except UnicodeDecodeError:
        return None
    sjis = text.encode("shift_jis")
    return b"" if sjis == b"\x81\x40" else sjis  # the trailing blank is trimmed


def run(job, records):
    data, out, dfn = (os.path.join(work, n) for n in ("IN.DAT", "OUT.TXT", "IN.DEF"))
    with open(data, "wb") as f:
        f.write(b"".join(records))
    with open(dfn, "wb") as f:
        f.write(b"2 %s\r\n" % job.encode())
    p = subprocess.run([tool, data, dfn, out, "2"])
    if p.returncode not in (0, 1):
        failures.append("job %s: exit code %d" % (job, p.returncode))
        return []
    with open(out, "rb") as f:
        return f.read().split(b"\r\n")[:-1]


for job, codec, make, limit in (
        ("F", "euc_jp", lambda r, c: bytes([r | 0x80, c | 0x80]), lambda r, c: r <= 0x73),
        ("J", "iso2022_jp", lambda r, c: bytes([r, c]), lambda r, c: (r << 8 | c) <= 0x7424)):
    records = [make(r, c) for r, c in codes]
    lines = run(job, records)
    if len(lines) != len(records):
        failures.append("job %s: %d lines for %d records" % (job, len(lines), len(records)))
        continue
    mapped = 0
    for (r, c), raw, line in zip(codes, records, lines):
        peer = python_sjis(b"\x1b$B" + raw if job == "J" else raw, codec) if limit(r, c) else None
        expected = b"," + (peer if peer is not None else b"{H:%02X%02X}" % (raw[0], raw[1]))
        mapped += peer is not None
        if line != expected:
            failures.append("job %s code %02X%02X: got %r, expected %r" % (job, raw[0], raw[1], line, expected))
    print("job %s: %d codes, %d converted" % (job, len(records), mapped))

for f in failures[:20]:
    print(f)
print("hostrec peer: %s" % ("ok" if not failures else "%d failures" % len(failures)))
sys.exit(1 if failures else 0)
