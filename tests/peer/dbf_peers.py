#!/usr/bin/python3
"""Tables exchanged with independent dBASE III implementations.

    dbf_peers.py ZUDB WORK-FOLDER

Both directions: a table that zudb creates and fills is read by Debian's
python3-dbfread, python3-dbf and libxbase64's tools with the same field
values and record count; tables that python3-dbf and libxbase64 write open
in zudb with the same values.  After zudb's pack and sort the peers read
the records in the expected order and libxbase64's checkndx passes the
rebuilt indexes; zudb's comma export reads back through Python's csv module
with dbfread's values, and a CSV that Python writes imports with its own
values.  A missing peer is skipped with a line saying
so; with no peer at all the script exits 77 (skipped).
"""
import csv
import os
import re
import shutil
import subprocess
import sys

SKIP = 77
ROWS = [
    ("C0001", "山田太郎", 1200),
    ("C0002", "ｻﾄｳ ﾊﾅｺ", -35),
    ("C0003", "株式会社ソフト表示", 0),
    ("C0004", "髙橋美咲", 99999999),
    ("C0005", "", -1234567),
]
FIELD = "* peer table\r\nCODE,A,5\r\nNAME,A,20\r\nQTY,N\r\n"

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL: " + what)


def sjis(text):
    return text.encode("cp932")


def zudb(*args):
    """Runs zudb with Shift-JIS arguments; its standard output as text."""
    r = subprocess.run([ZUDB, "--sjis"] + [a if isinstance(a, bytes) else sjis(a) for a in args],
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if r.returncode != 0:
        raise RuntimeError("zudb %s: %s" % (args[0], r.stderr.decode("utf-8", "replace")))
    return r.stdout.decode("cp932")


def zudb_rows(path):
    rows = []
    for line in zudb("list", path).splitlines():
        if line.endswith(".NDX"):
            continue  # the engine's line naming an index it opens
        code, name, qty = line.split(",")
        rows.append((code, name, int(qty) if qty else 0))
    return rows


def header_stamp(path):
    with open(path, "rb") as f:
        return f.read(32)[16:22]


def make_ours(path):
    base = os.path.splitext(path)[0]
    with open(base + ".FIELD", "wb") as f:
        f.write(sjis(FIELD))
    zudb("create", path)
    for code, name, qty in ROWS:
        zudb("append", path, "CODE=" + code, "NAME=" + name, "QTY=%d" % qty)


def in_python_dbf(code):
    """Runs python3-dbf in a process of its own: it writes its changes when it ends."""
    subprocess.run([sys.executable, "-c", "import dbf\n" + code], check=True, timeout=600)


def have_module(name):
    try:
        __import__(name)
        return True
    except ImportError:
        return False


def have_xbase():
    if not shutil.which("dumprecs") or not shutil.which("packdbf"):
        return False
    try:
        return subprocess.run(["dumphdr"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=120).returncode is not None
    except (OSError, subprocess.SubprocessError):
        return False


def xbase_rows(path):
    """Records as libxbase64's dumprecs shows them."""
    out = subprocess.run(["dumprecs", path], stdout=subprocess.PIPE, check=True, timeout=600,
                         env=dict(os.environ, LC_ALL="C")).stdout
    rows, cur = [], {}
    for raw in out.split(b"\n"):
        line = raw.decode("cp932").rstrip("\r")
        if line.startswith("REC NUMBER"):
            if cur:
                rows.append(cur)
            cur = {}
        elif " = '" in line:
            left, value = line.split(" = '", 1)
            cur[left.split()[-1]] = value[:-1] if value.endswith("'") else value
    if cur:
        rows.append(cur)
    return [(r["CODE"].rstrip(), r["NAME"].rstrip(), int(r["QTY"].strip() or 0)) for r in rows]


def peer_rows(path, peers):
    """The records as each installed Python peer reads them, by peer."""
    seen = {}
    if peers["dbfread"]:
        import dbfread
        t = dbfread.DBF(path, encoding="cp932", char_decode_errors="strict", load=True)
        check(not t.deleted, "dbfread finds no deleted record in %s" % path)
        seen["dbfread"] = [(r["CODE"].rstrip(), r["NAME"].rstrip(), r["QTY"]) for r in t.records]
    if peers["dbf"]:
        import dbf
        t = dbf.Table(path, codepage="cp932")
        with t.open(dbf.READ_ONLY):
            seen["dbf"] = [(r.code.rstrip(), r.name.rstrip(), int(r.qty)) for r in t]
    return seen


def whole_table(work, peers):
    """zudb pack, sort, export and import against the peers."""
    path = os.path.join(work, "WHOLE.DBF")
    # Key lengths that are multiples of 4, where libxbase64 lays out pages as we do.
    with open(os.path.join(work, "WHOLE.FIELD"), "wb") as f:
        f.write(sjis("CODE,A,8\r\nNAME,A,20\r\nQTY,N\r\nCODE,P\r\nNAME,I\r\n"))
    zudb("create", path)
    for code, name, qty in ROWS:
        zudb("append", path, "CODE=" + code, "NAME=" + name, "QTY=%d" % qty)
    with open(path, "r+b") as f:
        head = f.read(12)
        hlen, rlen = head[8] | head[9] << 8, head[10] | head[11] << 8
        for rno in (2, 4):
            f.seek(hlen + rlen * (rno - 1))
            f.write(b"*")
    packed = [r for i, r in enumerate(ROWS) if i not in (1, 3)]
    zudb("pack", path)
    check(zudb_rows(path) == packed, "zudb after pack: %s" % zudb_rows(path))
    for peer, got in peer_rows(path, peers).items():
        check(got == packed, "%s after pack: %s" % (peer, got))
    check_indexes(work, path, peers, "pack")
    zudb("sort", path, "--index", "NAME")
    by_name = sorted(packed, key=lambda r: sjis(r[1]).ljust(20))
    check(zudb_rows(path) == by_name, "zudb after sort: %s" % zudb_rows(path))
    for peer, got in peer_rows(path, peers).items():
        check(got == by_name, "%s after sort: %s" % (peer, got))
    check_indexes(work, path, peers, "sort")

    # Comma text: each line's values end with a comma (an empty last value).
    out = os.path.join(work, "WHOLE.CSV")
    zudb("export", path, out)
    with open(out, newline="", encoding="cp932") as f:
        read = [tuple(v) for v in csv.reader(f)]
    check(all(len(v) == 4 and v[3] == "" for v in read), "export ends each line with a comma: %s" % read)
    check([(c, n, int(q)) for c, n, q, _ in read] == by_name, "Python's csv reads the export: %s" % read)
    if peers["dbfread"]:
        seen = peer_rows(path, peers)["dbfread"]
        check([(c, n, int(q)) for c, n, q, _ in read] == seen, "export and dbfread agree")
    written = os.path.join(work, "PYTHON.CSV")
    with open(written, "w", newline="", encoding="cp932") as f:
        csv.writer(f, quoting=csv.QUOTE_NONNUMERIC).writerows(ROWS)
    zudb("import", path, written)
    check(sorted(zudb_rows(path)) == sorted(ROWS), "zudb imports Python's CSV: %s" % zudb_rows(path))
    for peer, got in peer_rows(path, peers).items():
        check(got == ROWS, "%s after import: %s" % (peer, got))
    check_indexes(work, path, peers, "import")


def check_indexes(work, path, peers, after):
    """libxbase64's checkndx on each index the table lists (copied to a name
    ending in .NDX, the only one libxbase64 opens)."""
    if not peers["xbase"] or not shutil.which("checkndx"):
        return
    for ndx in ("WHOLE.CODE.IDEX", "WHOLE.NAME.IDEX"):
        checked = os.path.join(work, "CHECKED.NDX")
        shutil.copy(os.path.join(work, ndx), checked)
        r = subprocess.run(["checkndx", path, checked], stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, timeout=600, env=dict(os.environ, LC_ALL="C"))
        check(b"Ndx integrity check = 0" in r.stdout, "checkndx %s after %s: %s"
              % (ndx, after, r.stdout.decode("cp932", "replace")[-300:]))


def main():
    work = WORK
    if os.path.isdir(work):
        shutil.rmtree(work)
    os.makedirs(work)
    peers = {"dbfread": have_module("dbfread"), "dbf": have_module("dbf"), "xbase": have_xbase()}
    for name, present in peers.items():
        if not present:
            print("skipped: peer %s is not installed" % name)
    if not any(peers.values()):
        print("skipped: no dBASE peer installed (python3-dbfread, python3-dbf, libxbase64-bin:i386)")
        return SKIP

    ours = os.path.join(work, "OURS.DBF")
    make_ours(ours)
    check(zudb_rows(ours) == ROWS, "zudb reads back what it wrote")

    # ---- our table read by the peers ----
    if peers["dbfread"]:
        import dbfread
        t = dbfread.DBF(ours, encoding="cp932", char_decode_errors="strict", load=True)
        check(t.field_names == ["CODE", "NAME", "QTY"], "dbfread field names %s" % t.field_names)
        got = [(r["CODE"].rstrip(), r["NAME"].rstrip(), r["QTY"]) for r in t.records]
        check(got == ROWS, "dbfread values %s" % got)
        check(len(t.records) == len(ROWS), "dbfread record count")
    if peers["dbf"]:
        import dbf
        t = dbf.Table(ours, codepage="cp932")
        with t.open(dbf.READ_ONLY):
            check(len(t) == len(ROWS), "python3-dbf record count %d" % len(t))
            got = [(r.code.rstrip(), r.name.rstrip(), int(r.qty)) for r in t]
            check(got == ROWS, "python3-dbf values %s" % got)
    if peers["xbase"]:
        got = xbase_rows(ours)
        check(got == ROWS, "libxbase64 dumprecs values %s" % got)

    # ---- tables the peers write, read by us ----
    if peers["dbf"]:
        theirs = os.path.join(work, "PYDBF.DBF")
        in_python_dbf("t = dbf.Table(%r, 'CODE C(5); NAME C(20); QTY N(8,0)', dbf_type='db3', codepage='cp932')\n"
                      "with t.open(dbf.READ_WRITE):\n"
                      "    for row in %r:\n"
                      "        t.append(row)\n" % (theirs, ROWS))
        check(header_stamp(theirs) == bytes(6), "python3-dbf leaves bytes 16-21 zero")
        check("old table" in zudb("info", theirs), "python3-dbf table is an old table")
        check(zudb_rows(theirs) == ROWS, "zudb reads the python3-dbf table: %s" % zudb_rows(theirs))
        # Numeric fields with decimals keep the decimal count in byte 17.
        priced = os.path.join(work, "PRICED.DBF")
        in_python_dbf("t = dbf.Table(%r, 'CODE C(5); PRICE N(10,2)', dbf_type='db3', codepage='cp932')\n"
                      "with t.open(dbf.READ_WRITE):\n"
                      "    t.append(('A0001', 1234.5))\n"
                      "    t.append(('A0002', -0.25))\n" % priced)
        info = zudb("info", priced)
        check("records: 2" in info and re.search(r"PRICE\s+length\s+10\b", info) is not None,
              "zudb opens a python3-dbf table with an N(10,2) field: %s" % info)
        # A record marked deleted there is dropped when libxbase64 packs the file.
        if peers["xbase"]:
            packed = os.path.join(work, "PACKED.DBF")
            shutil.copy(theirs, packed)
            in_python_dbf("t = dbf.Table(%r, codepage='cp932')\n"
                          "with t.open(dbf.READ_WRITE):\n"
                          "    dbf.delete(t[1])\n" % packed)
            with open(packed, "rb") as f:
                check(f.read()[0x81 + 34] == 0x2A, "python3-dbf marks record 2 deleted")
            subprocess.run(["packdbf", packed], stdout=subprocess.PIPE, check=True, timeout=600)
            want = [r for i, r in enumerate(ROWS) if i != 1]
            check(zudb_rows(packed) == want, "zudb reads the table libxbase64 packed: %s" % zudb_rows(packed))
            check("records: %d" % len(want) in zudb("info", packed), "record count after libxbase64 pack")
    if peers["xbase"]:
        # A table written by a program built on libxbase64 (its i386 build).
        writer = os.path.join(work, "xbpeer")
        src = os.path.join(os.path.dirname(os.path.abspath(__file__)), "xbpeer.cpp")
        built = subprocess.run(["g++", "-m32", "-o", writer, src, "-lxbase64"],
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if built.returncode != 0:
            print("skipped: writing with libxbase64 (g++ -m32 with libxbase64-dev:i386 failed: %s)"
                  % built.stdout.decode("utf-8", "replace").strip()[:200])
        else:
            made = os.path.join(work, "XBASE.DBF")
            args = [writer, "write", made]
            for code, name, qty in ROWS:
                args += [sjis(code), sjis(name), str(qty)]
            subprocess.run(args, check=True, timeout=600)
            check(header_stamp(made) == bytes(6), "libxbase64 leaves bytes 16-21 zero")
            info = zudb("info", made)
            check("old table" in info and "records: %d" % len(ROWS) in info, "libxbase64 table: " + info)
            check(zudb_rows(made) == ROWS, "zudb reads the libxbase64 table: %s" % zudb_rows(made))
            check(xbase_rows(made) == ROWS, "libxbase64 reads its own table")

    whole_table(work, peers)

    if failures:
        print("%d peer checks failed" % len(failures))
        return 1
    print("peer checks passed")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    ZUDB, WORK = sys.argv[1], sys.argv[2]
    sys.exit(main())
