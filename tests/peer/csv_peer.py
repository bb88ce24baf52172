#!/usr/bin/python3
"""ZUSTD's record files beside Python's csv module (cp932, no quoting): files
written by Python are read by ZuioReadRecord field for field, and files
written by the Zuio calls are read back by Python as the same fields.
Random Shift-JIS fields without commas, empty fields, records of 255 fields.
Usage: csv_peer.py RECPEER WORKDIR"""
import csv
import os
import random
import subprocess
import sys

tool, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)
rng = random.Random(2024)

# Characters of code page 932: printable ASCII but the comma and the double
# quote, half-width katakana, and double-byte characters (trail bytes 0x40 to
# 0xFC, so 0x5C and 0x7C trails among them).
chars = [chr(c) for c in range(0x20, 0x7F) if chr(c) not in ',"']
chars += [bytes([c]).decode("cp932") for c in range(0xA1, 0xE0)]
for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xF0)):
    for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
        try:
            ch = bytes([lead, trail]).decode("cp932")
        except UnicodeDecodeError:
            continue
        if ch.encode("cp932") == bytes([lead, trail]):
            chars.append(ch)


def field():
    if rng.random() < 0.2:
        return ""
    return "".join(rng.choice(chars) for _ in range(rng.randint(1, 12)))


def record():
    n = 255 if rng.random() < 0.1 else rng.randint(2, 20)
    return [field() for _ in range(n)]


records = [record() for _ in range(300)]
records.append(["単独"])


def hexline(fields):
    return " ".join(f.encode("cp932").hex() or "-" for f in fields)


failures = []

# Python writes, ZUSTD reads.
py_file = os.path.join(work, "python.csv")
with open(py_file, "w", encoding="cp932", newline="") as f:
    w = csv.writer(f, quoting=csv.QUOTE_NONE, quotechar=None, lineterminator="\r\n")
    w.writerows(records)
p = subprocess.run([tool, "read", py_file], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
got = p.stdout.decode("ascii").splitlines()
if p.returncode != 0 or len(got) != len(records):
    failures.append("read: exit %d, %d records of %d: %s" % (p.returncode, len(got), len(records), p.stderr))
for i, (line, rec) in enumerate(zip(got, records)):
    if line != hexline(rec):
        failures.append("read record %d: %s != %s" % (i, line[:80], hexline(rec)[:80]))

# ZUSTD writes, Python reads.
spec = os.path.join(work, "records.hex")
zu_file = os.path.join(work, "zustd.csv")
with open(spec, "w") as f:
    for rec in records:
        f.write(hexline(rec) + "\n")
p = subprocess.run([tool, "write", spec, zu_file], stderr=subprocess.PIPE)
if p.returncode != 0:
    failures.append("write: exit %d %s" % (p.returncode, p.stderr))
else:
    with open(zu_file, encoding="cp932", newline="") as f:
        back = list(csv.reader(f, quoting=csv.QUOTE_NONE, quotechar=None))
    if back != records:
        bad = [i for i, (a, b) in enumerate(zip(back, records)) if a != b]
        failures.append("write: %d records back of %d, first difference at %s" % (len(back), len(records), bad[:1]))
    with open(zu_file, "rb") as f:
        if f.read() != open(py_file, "rb").read():
            failures.append("write: the bytes differ from Python's")

for m in failures[:10]:
    print(m)
print("csv peer: ok" if not failures else "csv peer: %d failures" % len(failures))
sys.exit(1 if failures else 0)
