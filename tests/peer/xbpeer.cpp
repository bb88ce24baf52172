// The libxbase64 side of the peer tests, built for i386 against it: makes
// tables and indexes with it, and reads ours through it.
//
//   xbpeer write T.DBF [CODE NAME QTY]...  a table of these records (CODE C5,
//                                NAME C20, QTY N8)
//   xbpeer make T.DBF N [I.NDX EXPR]...  a table of N records (CODE C12, NAME C20,
//                                AMT N10.2), with indexes kept up while appending
//   xbpeer index T.DBF I.NDX EXPR [unique]
//   xbpeer walk T.DBF I.NDX      record numbers in key order, one a line
//   xbpeer find T.DBF I.NDX FIELD  every record's key is found
#include <xbase64/xbase64.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

xbSchema rows_schema[] = {
    {"CODE", XB_CHAR_FLD, 5, 0},
    {"NAME", XB_CHAR_FLD, 20, 0},
    {"QTY", XB_NUMERIC_FLD, 8, 0},
    {"", 0, 0, 0},
};

xbSchema schema[] = {
    {"CODE", XB_CHAR_FLD, 12, 0},
    {"NAME", XB_CHAR_FLD, 20, 0},
    {"AMT", XB_NUMERIC_FLD, 10, 2},
    {"", 0, 0, 0},
};

int fail(const char *what, int rc) {
    std::fprintf(stderr, "xbpeer: %s failed (%d)\n", what, rc);
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) return 2;
    std::string cmd = argv[1];
    xbXBase x;
    xbDbf d(&x);
    if (cmd == "write") {
        if ((argc - 3) % 3 != 0) return 2;
        int rc = d.CreateDatabase(argv[2], rows_schema, XB_OVERLAY);
        if (rc != XB_NO_ERROR) return fail("create", rc);
        for (int i = 3; i + 2 < argc; i += 3) {
            d.BlankRecord();
            d.PutField(d.GetFieldNo("CODE"), argv[i]);
            d.PutField(d.GetFieldNo("NAME"), argv[i + 1]);
            d.PutField(d.GetFieldNo("QTY"), argv[i + 2]);
            if ((rc = d.AppendRecord()) != XB_NO_ERROR) return fail("append", rc);
        }
        d.CloseDatabase();
        return 0;
    }
    if (cmd == "make") {
        int rc = d.CreateDatabase(argv[2], schema, XB_OVERLAY);
        if (rc != XB_NO_ERROR) return fail("create", rc);
        long n = std::atol(argv[3]);
        // Indexes named after the count are kept up by each append.
        xbNdx *kept[4] = {};
        for (int i = 4; i + 1 < argc && i < 12; i += 2) {
            kept[(i - 4) / 2] = new xbNdx(&d);
            rc = kept[(i - 4) / 2]->CreateIndex(argv[i], argv[i + 1], XB_NOT_UNIQUE, XB_OVERLAY);
            if (rc != XB_NO_ERROR) return fail("create index", rc);
        }
        unsigned seed = 99;
        for (long i = 1; i <= n; ++i) {
            seed = seed * 1103515245u + 12345u;
            char code[16], name[32], amt[16];
            std::snprintf(code, sizeof code, "C%06u", (seed >> 9) % 500000);
            std::snprintf(name, sizeof name, "NAME%05ld", n - i);
            std::snprintf(amt, sizeof amt, "%.2f", ((int)((seed >> 5) % 200001) - 100000) / 100.0);
            d.BlankRecord();
            d.PutField("CODE", code);
            d.PutField("NAME", name);
            d.PutField("AMT", amt);
            if ((rc = d.AppendRecord()) != XB_NO_ERROR) return fail("append", rc);
        }
        for (xbNdx *k : kept)
            if (k) k->CloseIndex();
        d.CloseDatabase();
        return 0;
    }
    int rc = d.OpenDatabase(argv[2]);
    if (rc != XB_NO_ERROR) return fail("open table", rc);
    xbNdx ix(&d);
    if (cmd == "index") {
        bool unique = argc > 5 && std::strcmp(argv[5], "unique") == 0;
        rc = ix.CreateIndex(argv[3], argv[4], unique ? XB_UNIQUE : XB_NOT_UNIQUE, XB_OVERLAY);
        if (rc != XB_NO_ERROR) return fail("create index", rc);
        if ((rc = ix.ReIndex()) != XB_NO_ERROR) return fail("reindex", rc);
        ix.CloseIndex();
        d.CloseDatabase();
        return 0;
    }
    if ((rc = ix.OpenIndex(argv[3])) != XB_NO_ERROR) return fail("open index", rc);
    if (cmd == "walk") {
        for (rc = ix.GetFirstKey(); rc == XB_NO_ERROR; rc = ix.GetNextKey())
            std::printf("%lu\n", (unsigned long)ix.GetCurDbfRec());
        if (rc != XB_EOF) return fail("walk", rc);
    } else if (cmd == "find") {
        const char *field = argv[4];
        long n = d.NoOfRecords(), missing = 0;
        for (long r = 1; r <= n; ++r) {
            d.GetRecord(r);
            char buf[64];
            d.GetField(field, buf);
            if (d.GetFieldType(d.GetFieldNo(field)) == 'N')
                rc = ix.FindKey(std::strtod(buf, nullptr));
            else
                rc = ix.FindKey(buf);
            if (rc != XB_FOUND) {
                ++missing;
                std::fprintf(stderr, "xbpeer: record %ld key '%s' not found (%d)\n", r, buf, rc);
            }
        }
        std::printf("found %ld of %ld\n", n - missing, n);
        if (missing) return 1;
    }
    ix.CloseIndex();
    d.CloseDatabase();
    return 0;
}
