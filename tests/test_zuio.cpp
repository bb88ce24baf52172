// ZUIO and the checked wrappers.
#include <gtest/gtest.h>

#include <cstring>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

struct Zuio : ::testing::Test {
    std::string dir = zt::fresh_dir("zuio");
    std::string file(const std::string &name, const std::string &bytes) {
        std::string p = zt::join(dir, name);
        zt::write_file(p, bytes);
        return p;
    }
};

TEST_F(Zuio, ReadsRecordsWithAndWithoutLineEnds) {
    std::string p = file("a.txt", "one\r\ntwo\r\nlast");
    ZUIO f;
    ASSERT_EQ(f.open(p.c_str(), ZUIO_READ, 100), p.c_str());
    EXPECT_STREQ(f.reads(), "one\r\n");
    EXPECT_STREQ(f.reads(), "two\r\n");
    EXPECT_STREQ(f.reads(), "last");
    EXPECT_EQ(f.reads(), nullptr);
    EXPECT_EQ(f.end_flag, 1);
    EXPECT_EQ(f.total_read, 14u);
    f.close();
}

TEST_F(Zuio, LoneCarriageReturnIsReportedWithWhatFollows) {
    std::string p = file("cr.txt", "A\rBC");
    ZUIO f;
    f.open(p.c_str(), ZUIO_READ, 100);
    std::string r = zt::report_of([&] { f.reads(); });
    EXPECT_EQ(r, "エラー reads '" + p + "' CRの後にLFがありません 'C' lead_len=(1)");
    f.close();
}

TEST_F(Zuio, RecordLengthLimit) {
    std::string p = file("len.txt", "123456\r\n1234567\r\n");
    ZUIO f;
    f.open(p.c_str(), ZUIO_READ, 10);
    EXPECT_STREQ(f.reads(), "123456\r\n");
    EXPECT_EQ(zt::report_of([&] { f.reads(); }), "レコード長オーバー(10) reads '" + p + "'");
    f.close();
    // Tiny record lengths never write past the buffer.
    for (int reclen = 1; reclen <= 4; ++reclen) {
        std::string q = file("tiny.txt", "\r\nX\r\n");
        ZUIO g;
        g.open(q.c_str(), ZUIO_READ, reclen);
        std::string r = zt::report_of([&] {
            while (g.reads()) {
            }
        });
        EXPECT_NE(r.find("レコード長オーバー"), std::string::npos) << reclen;
        g.close();
    }
}

TEST_F(Zuio, CtrlZEndsTheRecordWithoutEndingTheFile) {
    std::string p = file("z.txt", "ab\x1A" "cd\r\n");
    ZUIO f;
    f.open(p.c_str(), ZUIO_READ, 100);
    EXPECT_EQ(f.reads(), nullptr);
    EXPECT_EQ(f.end_flag, 0);
    EXPECT_STREQ(f.reads(), "cd\r\n");
    f.close();
}

TEST_F(Zuio, BlockReads) {
    std::string p = file("b.bin", std::string(25, 'x'));
    ZUIO f;
    f.open(p.c_str(), ZUIO_READ, 10);
    ASSERT_NE(f.read(0), nullptr);
    EXPECT_EQ(f.last_count, 10u);
    ASSERT_NE(f.read(0), nullptr);
    EXPECT_EQ(f.last_count, 10u);
    ASSERT_NE(f.read(0), nullptr);
    EXPECT_EQ(f.last_count, 5u);
    EXPECT_STREQ(f.record, "xxxxx");
    EXPECT_EQ(f.read(0), nullptr);
    // More than the record length is a program error, not an overrun.
    f.rewind();
    EXPECT_EQ(zt::report_of([&] { f.read(11); }), "プログラムエラー ZUIO::read() ");
    f.close();
    // A lone Ctrl-Z block is the end.
    std::string q = file("eof.bin", "\x1A");
    ZUIO g;
    g.open(q.c_str(), ZUIO_READ, 1);
    EXPECT_EQ(g.read(0), nullptr);
    EXPECT_EQ(g.end_flag, 1);
    g.close();
}

TEST_F(Zuio, DoubleOpenIsRefusedAndTheFirstStaysOpen) {
    std::string a = zt::join(dir, "first.txt");
    std::string b = zt::join(dir, "second.txt");
    ZUIO f;
    f.open(a.c_str(), ZUIO_CREATE, 0);
    std::string r = zt::report_of([&] { f.open(b.c_str(), ZUIO_CREATE, 0); });
    EXPECT_EQ(r, "この ZUIO は既に、ファイル'" + a + "'でオープンしていますが、さらに'" + b +
                     "'でオープンしようとしました。");
    EXPECT_EQ(f.write("still"), 0);
    f.close();
    EXPECT_EQ(zt::read_file(a), "still");
    EXPECT_FALSE(zt::exists(b));
}

TEST_F(Zuio, ModesCreateAppendAndWork) {
    std::string p = zt::join(dir, "m.txt");
    {
        ZUIO f;
        f.open(p.c_str(), ZUIO_APPEND, 0);  // missing: created
        f.printf("%d-%s;", 1, "a");
        f.close();
        f.open(p.c_str(), ZUIO_APPEND, 0);  // existing: appended to
        EXPECT_EQ(f.size_at_open, 4u);
        f.write("b;");
        f.close();
    }
    EXPECT_EQ(zt::read_file(p), "1-a;b;");
    {
        ZUIO f;
        f.open(p.c_str(), ZUIO_CREATE, 0);  // truncated
        f.close();
        EXPECT_EQ(f.printf("ignored"), 0);  // closed: nothing written
    }
    EXPECT_EQ(zt::read_file(p), "");
    {
        ZUIO f;
        f.open(p.c_str(), ZUIO_WORK, 64);
        f.write("line\r\n");
        f.rewind();
        EXPECT_STREQ(f.reads(), "line\r\n");
        f.close();
        // Reopened: new buffers, the old ones freed.
        f.open(p.c_str(), ZUIO_READ, 8);
        EXPECT_STREQ(f.reads(), "line\r\n");
        f.close();
    }
}

TEST_F(Zuio, BadModesAndMissingFiles) {
    ZUIO f;
    EXPECT_EQ(zt::report_of([&] { f.open("x", 0, 0); }), "pgm err ZUIO::open");
    EXPECT_EQ(zt::report_of([&] { f.open("x", ZUIO_READ, 0); }), "pgm err ZUIO::open");
    EXPECT_EQ(zt::report_of([&] { f.open("x", -5, 0); }), "pgm err ZUIO::open");
    std::string missing = zt::join(dir, "missing.txt");
    std::string r = zt::report_of([&] { f.open(missing.c_str(), ZUIO_READ, 10); });
    EXPECT_EQ(r, "'" + missing + "' が、オープンできません。(LE)0002 " + GetLastError2Message(2));
    EXPECT_EQ(f.open_status, 0);
    EXPECT_EQ(zt::report_of([&] { f.readc(); }), "プログラムエラー ZUIO::readc() open_status=0x       0 ");
}

TEST_F(Zuio, TemporaryFilesAreDeletedAndQuietOnesClosed) {
    std::string p = zt::join(dir, "tmp.txt");
    {
        ZUIO f;
        f.open(p.c_str(), ZUIO_WORK, 16);
        f.flags |= ZUIO_TEMPORARY;
        f.write("x");
    }
    EXPECT_FALSE(zt::exists(p));
    {
        ZUIO f;
        f.open(p.c_str(), ZUIO_CREATE, 0);
        f.flags |= ZUIO_QUIET;
        f.write("kept");
    }
    EXPECT_EQ(zt::read_file(p), "kept");
    // Destroyed while open, not quiet: closed, the data kept.
    {
        ZUIO f;
        f.open(p.c_str(), ZUIO_APPEND, 0);
        f.write("+more");
    }
    EXPECT_EQ(zt::read_file(p), "kept+more");
}

TEST_F(Zuio, Fil2bufDropsCarriageReturnsAndCtrlZ) {
    std::string p = file("t.txt", "a\r\nb\r\n\x1A");
    char *text = fil2buf(p.c_str());
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "a\nb\n");
    ZUFRE(text);
    char buf[16];
    EXPECT_STREQ(fil2buf(p.c_str(), "rb", buf, 4), "a\r\nb");
    char *empty = fil2buf(file("e.txt", "").c_str());
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty, "");
    ZUFRE(empty);
    std::string missing = zt::join(dir, "none.txt");
    EXPECT_EQ(zt::report_of([&] { fil2buf(missing.c_str()); }), "'" + missing + "' が、オープンできません。");
}

TEST_F(Zuio, RemoveAndRename) {
    std::string a = file("a.txt", "A");
    std::string b = file("b.txt", "B");
    // Without replace an existing target stays; with report clear only the
    // code tells.
    unsigned code = zu_rename(a.c_str(), b.c_str(), false, false);
    EXPECT_NE(code, 0u);
    EXPECT_EQ(zt::read_file(b), "B");
    std::string r = zt::report_of([&] { zu_rename(a.c_str(), b.c_str(), false, true); });
    EXPECT_EQ(r.find("リネームできません。" + a + " => " + b + " zu_rename() : "), 0u) << r;
    // With replace the target is deleted first.
    EXPECT_EQ(zu_rename(a.c_str(), b.c_str(), true, true), 0u);
    EXPECT_EQ(zt::read_file(b), "A");
    EXPECT_FALSE(zt::exists(a));
    EXPECT_EQ(zu_remove(b.c_str()), 0);
    r = zt::report_of([&] { zu_remove(b.c_str()); });
    EXPECT_EQ(r, "'" + b + "' が、削除できません。(" + GetLastError2Message(2) + ")");
    EXPECT_EQ(zt::report_of([] { zu_remove(nullptr); }), "ファイルポインタがNULLです zu_remove()");
}

TEST_F(Zuio, WriteLogTracesRemovalsAndRenames) {
    // This program's own debug file: the base copy linked into the test.
    SetIsWriteLog(1);
    std::string a = file("la.txt", "x");
    std::string b = zt::join(dir, "lb.txt");
    zu_write_log = 1;
    zu_rename(a.c_str(), b.c_str(), false, true);
    zu_remove(b.c_str());
    zu_write_log = 0;
    EXPECT_EQ(SetIsWriteLog(0), 0);
    std::string exe_dir = zt::bin_dir();
    std::string debf_text = zt::read_file(zt::join(exe_dir, "DEBF.TXT"));
    EXPECT_NE(debf_text.find("ファイルリネーム（置換無）: " + a + " => " + b + " "), std::string::npos);
    EXPECT_NE(debf_text.find("ファイル削除 : " + b + "\r\n"), std::string::npos);
}

TEST_F(Zuio, MemoryAndHandleWrappers) {
    EXPECT_EQ(zt::report_of([] { ZUFRE(nullptr); }), "メモリポインタがNULLです ZUFRE()");
    void *p = ZUALC(16);
    ASSERT_NE(p, nullptr);
    ZUFRE(p);
    std::string f = zt::join(dir, "h.txt");
    int h = zu_lopen(f.c_str(), ZUIO_APPEND);
    EXPECT_NE(h, -1);
    EXPECT_EQ(zu_lclose(h), 0);
    EXPECT_EQ(zt::report_of([&] { zu_lopen(f.c_str(), 7); }), "program error zu_lopen ");
    std::string missing = zt::join(dir, "no.txt");
    EXPECT_EQ(zt::report_of([&] { zu_lopen(missing.c_str(), ZUIO_READ); }),
              "'" + missing + "' が、オープンできません。");
    EXPECT_EQ(zt::report_of([&] { zu_fopen(missing.c_str(), "r"); }), missing);
    EXPECT_EQ(zt::report_of([] { zu_fclose(nullptr); }), "ファイルポインタがNULLです zu_fclose()");
}

}  // namespace
