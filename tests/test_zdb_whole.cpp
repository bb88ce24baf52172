// The whole-table operations: pack, sort, copies, clone, clean-up, text
// export and import.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dbf_support.h"
#include "zdb_support.h"
#include "zudbtool.h"

namespace {

using zt::call;
using zt::raised;

struct Whole : zt::Tables {
    Whole() : Tables("zdb_whole") {}
    // CODE A 5 (unique index), NAME A 10 (index), QTY N; one record per
    // (code, name) pair, QTY 1, 2, ...
    void *table(const std::string &name, const std::vector<std::pair<std::string, std::string>> &rows) {
        void *h = create(name, {"code,A,5", "name,A,10", "qty,N", "CODE,P", "NAME,I"});
        int q = 0;
        for (auto &r : rows) EXPECT_EQ(add(h, r.first, r.second, ++q), 0);
        return h;
    }
    // One field of every record in the current order.
    static std::vector<std::string> column(void *h, const char *f) {
        std::vector<std::string> out;
        call([&] { return zdbTop(h); });
        while (!call([&] { return zdbEof(h); })) {
            out.push_back(gs(h, f));
            if (!call([&] { return zdbSkip(h, 1); })) break;
        }
        return out;
    }
    // Every record number the index `expr` holds, walked in its order, is
    // a record whose field has the key: the index follows the table.
    void check_index(void *h, const char *expr, const char *field) {
        call([&] { return zdbChgIndex(h, expr); });
        std::vector<std::string> walked = column(h, field);
        EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end())) << expr;
        EXPECT_EQ(static_cast<int>(walked.size()), call([&] { return zdbRecordCount(h); })) << expr;
        for (auto &v : walked) {
            zdbSeekReset();
            call([&] { return zdbSSKey(h, v.c_str()); });
            EXPECT_NE(call([&] { return zdbSeek(h); }), 0) << expr << " " << v;
        }
    }
};

using Rows = std::vector<std::pair<std::string, std::string>>;

TEST_F(Whole, PackLeavesOutDeletedRecordsAndRebuildsTheIndexes) {
    void *h = table("P", {{"A1", "n5"}, {"A2", "n4"}, {"A3", "n3"}, {"A4", "n2"}, {"A5", "n1"}});
    close(h);
    zt::mark_deleted(path("P.DBF"), {2, 4});
    h = open(path("P.DBF"));
    EXPECT_EQ(call([&] { return zdbPack(h); }), 0);
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 3);
    EXPECT_FALSE(zt::exists(path("P.$$P")));
    EXPECT_FALSE(zt::exists(path("P.$$B")));
    check_index(h, "CODE", "CODE");
    check_index(h, "NAME", "NAME");
    call([&] { return zdbChgIndexByNo(h, 0); });
    EXPECT_EQ(column(h, "CODE"), (std::vector<std::string>{"A1", "A3", "A5"}));
    close(h);
    // The file ends right after the last record.
    std::string bytes = zt::read_file(path("P.DBF"));
    EXPECT_EQ(bytes.size(), zt::get_le(bytes, 8, 2) + 3u * zt::get_le(bytes, 10, 2) + 1u);
}

TEST_F(Whole, SortRewritesInIndexOrderAndKeepsOrDropsDeletedRecords) {
    Rows rows = {{"B2", "zeta"}, {"A1", "alpha"}, {"C3", "mid"}, {"D4", "beta"}};
    for (bool use_deleted : {false, true}) {
        std::string name = use_deleted ? "S2" : "S1";
        void *h = table(name, rows);
        close(h);
        zt::mark_deleted(path(name + ".DBF"), {3});
        h = open(path(name + ".DBF"));
        if (use_deleted) call([] { return zdbSetDeleteRecordUse(); });
        call([&] { return zdbChgIndex(h, "NAME"); });
        EXPECT_EQ(call([&] { return zdbSort(h, nullptr); }), 0);
        call([] { return zdbSetDeleteRecordUnUse(); });
        call([&] { return zdbChgIndexByNo(h, 0); });
        std::vector<std::string> want = {"alpha", "beta", "mid", "zeta"};
        if (use_deleted) want.erase(want.begin() + 2);
        EXPECT_EQ(column(h, "NAME"), want);
        // No record keeps its '*'.
        call([&] { return zdbTop(h); });
        do EXPECT_EQ(call([&] { return zdbIsDeteteRecord(h); }), 0);
        while (call([&] { return zdbSkip(h, 1); }));
        check_index(h, "CODE", "CODE");
        EXPECT_FALSE(zt::exists("ZUTEMP.TXT"));
        close(h);
    }
}

TEST_F(Whole, ExportAndImportCommaText) {
    void *h = table("E", {{"A1", "\x93\x8C\x8B\x9E"}, {"B2", "x y"}});
    EXPECT_EQ(call([&] { return zdbExport(h, path("e.csv").c_str(), 1, 0); }), 0);
    EXPECT_EQ(zt::read_file(path("e.csv")), "CODE,NAME,QTY,\r\nA1,\x93\x8C\x8B\x9E,1,\r\nB2,x y,2,\r\n");
    EXPECT_EQ(call([&] { return zdbExport(h, path("e.csv").c_str(), 0, 1); }), 0);
    EXPECT_EQ(zt::read_file(path("e.csv")).size(), 39u + 23u);
    // Quotes go; values past the fields are ignored; a duplicate of the
    // unique index is counted; a custom delimiter string.
    zt::write_file(path("i.csv"), "\"A1\",B\r\n\"Q9\"x,\"C\r\nA1,dup\r\nZ9,last,7,extra\r\n");
    EXPECT_EQ(call([&] { return zdbImport(h, path("i.csv").c_str(), nullptr); }), 1);
    EXPECT_EQ(column(h, "CODE"), (std::vector<std::string>{"A1", "Q9\"x", "Z9"}));
    call([&] { return zdbChgIndexByNo(h, 0); });
    EXPECT_EQ(column(h, "NAME"), (std::vector<std::string>{"B", "C", "last"}));
    check_index(h, "NAME", "NAME");
    zt::write_file(path("t.txt"), "K1::n1\r\nK2::n2\r\n");
    EXPECT_EQ(call([&] { return zdbImport(h, path("t.txt").c_str(), "::"); }), 0);
    EXPECT_EQ(column(h, "NAME"), (std::vector<std::string>{"n1", "n2"}));
    // A missing file is the open error, and the table stays.
    EXPECT_NE(raised([&] { return zdbImport(h, path("none.csv").c_str(), nullptr); }), "(none)");
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 2);
    // A line longer than the line buffer is the buffered file's report;
    // nothing is written past it.
    zt::write_file(path("long.csv"), "L1," + std::string(3000, 'x') + "\r\n");
    EXPECT_NE(raised([&] { return zdbImport(h, path("long.csv").c_str(), nullptr); }), "(none)");
}

TEST_F(Whole, FixedWidthExportImportAndRecordExport) {
    void *h = table("F", {{"A1", "one"}, {"B2", "two"}});
    EXPECT_EQ(call([&] { return zdbExportSDF(h, path("f.sdf").c_str()); }), 0);
    EXPECT_EQ(zt::read_file(path("f.sdf")), "A1   one              1\r\nB2   two              2\r\n");
    EXPECT_NE(call([&] { return zdbEof(h); }), 0);
    call([&] { return zdbTop(h); });
    EXPECT_EQ(call([&] { return zdbExportRecord(h, path("r.txt").c_str()); }), 1);
    EXPECT_EQ(zt::read_file(path("r.txt")), "A1   one              1\r\n");
    // Import: a duplicate key is counted; a line longer than the record is
    // the buffered file's report, and nothing is written past it.
    zt::write_file(path("g.sdf"), "C3   three            3\r\nC3   again            4\r\nE5   short\r\n");
    EXPECT_EQ(call([&] { return zdbImportSDF(h, path("g.sdf").c_str()); }), 1);
    EXPECT_EQ(column(h, "NAME"), (std::vector<std::string>{"three", "short"}));
    check_index(h, "NAME", "NAME");
    zt::write_file(path("l.sdf"), "D4   four             5" + std::string(100, 'x') + "\r\n");
    EXPECT_NE(raised([&] { return zdbImportSDF(h, path("l.sdf").c_str()); }), "(none)");
}

TEST_F(Whole, CopiesBetweenTablesOfDifferentFields) {
    void *src = table("SRC", {{"A1", "one"}, {"B2", "two"}, {"A1x", "dup"}});
    void *dst = create("DST", {"name,A,3", "code,A,2", "other,A,4", "CODE,P"});
    ASSERT_NE(dst, nullptr);
    EXPECT_EQ(call([&] { return zdbCopyTable(src, dst, 1); }), 0);
    EXPECT_EQ(call([&] { return zdbRecordCount(dst); }), 2);  // A1x cut to A1: refused
    EXPECT_EQ(column(dst, "NAME"), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(gs(dst, "OTHER"), "");
    close(dst);
    // Raw copy into the closed table: the duplicate is reported by the result.
    EXPECT_EQ(call([&] { return zdbDBCopy(src, path("DST.DBF").c_str(), 0); }), 1);
    EXPECT_EQ(call([&] { return zdbDBCopy(src, path("DST.DBF").c_str(), 1); }), 1);
    close(src);
    EXPECT_EQ(call([&] { return zdbCopyTableStatic(path("SRC.DBF").c_str(), path("DST.DBF").c_str(), 0); }), 0);
    dst = open(path("DST.DBF"));
    EXPECT_EQ(call([&] { return zdbRecordCount(dst); }), 2);
    src = open(path("SRC.DBF"));
    call([&] { return zdbSkip(src, 1); });
    void *twin = table("TWIN", {});
    EXPECT_EQ(call([&] { return zdbRecordCopy(src, twin); }), 0);
    EXPECT_EQ(std::string(call([&] { return zdbGetRecordDebug(twin); })), "A1x  dup              3");  // second in CODE order
    EXPECT_EQ(call([&] { return zdbRecordCount(twin); }), 0);
}

TEST_F(Whole, CloneWithIndexesAndCleanUp) {
    void *h = table("ORIG", {{"A1", "one"}, {"B2", "two"}});
    close(h);
    std::string listed = zt::read_file(path("ORIG.INAME"));
    ASSERT_TRUE(zt::has(listed, "ORIG."));
    EXPECT_EQ(call([&] { return zdbCloneStatic(path("ORIG.DBF").c_str(), path("COPY.DBF").c_str()); }), 0);
    std::string copied = zt::read_file(path("COPY.INAME"));
    std::string want = listed;
    for (std::size_t at; (at = want.find("ORIG.")) != std::string::npos;) want.replace(at, 4, "COPY");
    EXPECT_EQ(copied, want);
    h = open(path("COPY.DBF"));
    EXPECT_EQ(call([&] { return zdbGetNIndex(h); }), 2);
    check_index(h, "CODE", "CODE");
    close(h);
    EXPECT_FALSE(zt::exists(path("COPY.FIELD")));
    EXPECT_NE(raised([&] { return zdbCloneStatic(path("NONE.DBF").c_str(), path("X.DBF").c_str()); }), "(none)");
    // Clean-up.
    EXPECT_EQ(call([] { return zdbCleanUp(""); }), 1);
    EXPECT_EQ(call([] { return zdbCleanUp(nullptr); }), 1);
    EXPECT_TRUE(zt::exists(path("ORIG.DBF")));
    EXPECT_EQ(call([&] { return zdbCleanUp(path("COPY.DBF").c_str()); }), 0);
    EXPECT_FALSE(zt::exists(path("COPY.DBF")));
    EXPECT_FALSE(zt::exists(path("COPY.INAME")));
    EXPECT_FALSE(zt::exists(path("COPY.CODE.IDEX")) || zt::exists(path("COPY.NAME.IDEX")));
    EXPECT_TRUE(zt::exists(path("ORIG.DBF")) && zt::exists(path("ORIG.INAME")));
}

// A write that fails part-way through pack or sort (the work table, an
// index build, the flush at close) leaves the table and its indexes as
// they were; once no write fails the operation is done.  Failing writes
// are compiled in with ZU_FAULT_INJECTION only.
TEST_F(Whole, FailedWriteLeavesTheTableWhole) {
#ifndef ZU_FAULT_INJECTION
    GTEST_SKIP() << "built without ZU_FAULT_INJECTION";
#endif
    std::string prog = zt::copy_program("zdbfail", dir);
    Rows rows = {{"A1", "n5"}, {"A2", "n4"}, {"A3", "n3"}, {"A4", "n2"}, {"A5", "n1"}};
    for (const char *op : {"pack", "sort"}) {
        bool pack = std::string(op) == "pack";
        int failed = 0;
        for (int n = 1; n <= 80; ++n) {
            std::string name = std::string(op) + std::to_string(n);
            close(table(name, rows));
            zt::mark_deleted(path(name + ".DBF"), {2, 4});
            std::string cmd = "\"" + prog + "\" " + op + " \"" + path(name + ".DBF") + "\"";
            int rc = zt::run(cmd, "ZU_FAIL_WRITE", std::to_string(n).c_str());
            ASSERT_TRUE(rc == 0 || rc == 1) << op << " " << n;
            // Whichever write failed, the table opens with the indexes it
            // lists, each whole and following the table.
            void *h = call([&] { return zdbOpenTable(path(name + ".DBF").c_str(), nullptr); });
            ASSERT_NE(h, nullptr) << op << " " << n;
            open_handles.push_back(h);
            call([&] { return zdbChgIndexByNo(h, 0); });
            std::vector<std::string> codes = column(h, "CODE");
            if (rc != 0) {
                EXPECT_EQ(codes, (std::vector<std::string>{"A1", "A2", "A3", "A4", "A5"})) << op << " " << n;
            } else if (pack) {
                EXPECT_EQ(codes, (std::vector<std::string>{"A1", "A3", "A5"}));
            } else {
                EXPECT_EQ(column(h, "NAME"), (std::vector<std::string>{"n1", "n2", "n3", "n4", "n5"}));
            }
            check_index(h, "CODE", "CODE");
            check_index(h, "NAME", "NAME");
            close(h);
            EXPECT_FALSE(zt::exists(path(name + (pack ? ".$$P" : ".$$S"))));
            EXPECT_FALSE(zt::exists(path(name + ".$$B")));
            for (const char *work : {".CODE.$$N", ".NAME.$$N", ".CODE.$$O", ".NAME.$$O"})
                EXPECT_FALSE(zt::exists(path(name + work))) << op << " " << n << work;
            if (rc == 0) break;
            ++failed;
        }
        EXPECT_GT(failed, 0) << op;
        EXPECT_LT(failed, 80) << op;
    }
}

// Names stored in lower case by other programs are found.
TEST_F(Whole, LowerCaseFieldNamesOfOtherPrograms) {
    zt::write_file(path("GIS.DBF"), zt::make_dbf({{"iso_a2", 'C', 2}, {"Track", 'C', 4}}, {" JP0001"}));
    void *h = call([&] { return zdbOpenTableS(path("GIS.DBF").c_str(), nullptr); });
    ASSERT_NE(h, nullptr);
    open_handles.push_back(h);
    EXPECT_EQ(gs(h, call([&] { return zdbGetFieldName(h, 1); })), "JP");
    EXPECT_EQ(gs(h, "TRACK"), "0001");
    EXPECT_EQ(call([&] { return zdbGetFieldLength(h, "track"); }), 4);
}

}  // namespace
