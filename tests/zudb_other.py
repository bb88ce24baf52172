#!/usr/bin/python3
"""zudb on dBASE III tables as other programs write them, built byte by byte
here: lower-case names, text fields up to 254 bytes, numbers of 19 and 24
bytes with decimals, date and logical fields, a table without fields and one
without records.  `zudb list`, `zudb export` and `zudb info` show every value
and length.
    zudb_other.py ZUDB WORKDIR"""
import os
import re
import shutil
import struct
import subprocess
import sys

ZUDB, WORK = sys.argv[1], sys.argv[2]


def table(path, fields, records):
    """A dBASE III file: fields are (name, type, length, decimals), records
    tuples of values, each padded as dBASE does (numbers right-aligned)."""
    rlen = 1 + sum(f[2] for f in fields)
    head = struct.pack("<B3BIHH20x", 3, 124, 5, 17, len(records), 32 * len(fields) + 33, rlen)
    for name, kind, length, decimals in fields:
        head += struct.pack("<11sc4xBB14x", name.encode(), kind.encode(), length, decimals)
    body = b""
    for rec in records:
        body += b" "
        for (name, kind, length, _), value in zip(fields, rec):
            v = value.encode("cp932")
            body += v.rjust(length) if kind == "N" else v.ljust(length)
    with open(path, "wb") as f:
        f.write(head + b"\r" + body + b"\x1a")


def zudb(*args):
    r = subprocess.run([ZUDB, "--sjis"] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if r.returncode != 0:
        sys.exit("zudb %s failed: %s" % (" ".join(args), r.stderr.decode("utf-8", "replace")))
    return r.stdout


def check(ok, what):
    if not ok:
        sys.exit("FAIL: " + what)


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
os.chdir(WORK)

FIELDS = [("iso_a2", "C", 2, 0), ("Track", "C", 254, 0), ("pop", "N", 19, 15), ("area", "N", 24, 15),
          ("born", "D", 8, 0), ("ok", "L", 1, 0), ("qty", "N", 5, 0)]
LONG = "東京, " + "x" * 245 + "end"  # 254 bytes in Shift-JIS
ROWS = [("JP", LONG, "1.500000000000000", "-123456789.123456789012345"[:24], "20240131", "T", "42"),
        ("fr", "", "0.000000000000000", "0.000000000000000", "        ", "?", "-7"),
        ("", "a \"quoted\" one", "123.000000000000000", "1.000000000000000", "19991231", "F", "")]
check(len(LONG.encode("cp932")) == 254, "the long value fills its field")
table("WIDE.DBF", FIELDS, ROWS)
want = [tuple(v.strip() if FIELDS[i][1] == "N" else v.rstrip() for i, v in enumerate(r)) for r in ROWS]

# info: every field with its length and type letter.
info = zudb("info", "WIDE.DBF").decode("cp932")
check("records: 3" in info and "fields:  7" in info, "info counts: " + info)
for i, (name, kind, length, _) in enumerate(FIELDS):
    check(re.search(r"\b%d  %s\s+length\s+%d  type %s\b" % (i + 1, name, length, kind), info) is not None,
          "info shows %s: %s" % (name, info))

# list --csv: the values as Python's csv would read them back.
import csv
import io
listed = list(csv.reader(io.StringIO(zudb("list", "WIDE.DBF", "--csv").decode("cp932"), newline="")))
check([tuple(r) for r in listed] == want, "list --csv: %s" % listed)

# export: each value followed by a comma, CR LF, field names first.
zudb("export", "WIDE.DBF", "wide.txt", "--header")
text = "".join(",".join(r) + ",\r\n" for r in [[f[0] for f in FIELDS]] + [list(r) for r in want])
with open("wide.txt", "rb") as f:
    got = f.read()
check(got == text.encode("cp932"), "export: %r" % got)

# --utf8: the same text as UTF-8; a value that is not Shift-JIS text is refused
# and nothing is written.
zudb("export", "WIDE.DBF", "wide8.txt", "--header", "--utf8")
with open("wide8.txt", "rb") as f:
    check(f.read() == text.encode("utf-8"), "export --utf8")
table("BAD.DBF", [("name", "C", 4, 0)], [("ok",), ("ok",)])
with open("BAD.DBF", "r+b") as f:
    f.seek(65 + 5 + 1 + 3)
    f.write(b"\x81")  # a lead byte without its second byte
r = subprocess.run([ZUDB, "export", "BAD.DBF", "bad.txt", "--utf8"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
check(r.returncode == 1 and b"record 2, field name" in r.stderr and not os.path.exists("bad.txt"),
      "export --utf8 of a value that does not convert: %r" % r.stderr)

# A table without fields has records all the same; one without records lists nothing.
table("NOFIELD.DBF", [], [(), ()])
check(zudb("list", "NOFIELD.DBF") == b"\n\n", "list of a table without fields")
zudb("export", "NOFIELD.DBF", "nofield.txt")
with open("nofield.txt", "rb") as f:
    check(f.read() == b"\r\n\r\n", "export of a table without fields")
check(b"fields:  0" in zudb("info", "NOFIELD.DBF"), "info of a table without fields")
table("EMPTY.DBF", FIELDS, [])
check(zudb("list", "EMPTY.DBF") == b"", "list of a table without records")
zudb("export", "EMPTY.DBF", "empty.txt", "--header")
with open("empty.txt", "rb") as f:
    check(f.read() == ",".join(f[0] for f in FIELDS).encode() + b",\r\n", "export of a table without records")
print("zudb on other programs' tables: ok")
