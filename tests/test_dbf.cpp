// The table file layer: layout, record access, pack, zap, the creation stamp,
// the ISAM report, and damaged files.
#include <gtest/gtest.h>

#include <cstring>

#include "base/base.h"
#include "dbf_support.h"
#include "zudbtool/dbf.h"

namespace {

struct Dbf : ::testing::Test {
    std::string dir = zt::fresh_dir("dbf");
    std::string path(const std::string &name) { return zt::join(dir, name); }

    // A table of two fields (CODE 10, QTY 8) holding `flags.size()` records
    // whose CODE is R1, R2, ... and whose flag byte is given.
    std::string five(const std::string &flags) {
        std::vector<std::string> recs;
        for (std::size_t i = 0; i < flags.size(); ++i) {
            std::string code = "R" + std::to_string(i + 1);
            recs.push_back(std::string(1, flags[i]) + code + std::string(10 - code.size(), ' ') + "       " +
                           std::to_string(i + 1));
        }
        std::string p = path("five.dbf");
        zt::write_file(p, zt::make_dbf({{"CODE", 'C', 10}, {"QTY", 'N', 8}}, recs));
        return p;
    }
    static std::string code_of(dbf *dp) { return std::string(reinterpret_cast<char *>(dp->rbp) + 1, 10); }
};

TEST_F(Dbf, NewTableFigures) {
    dbf_spec specs[3] = {{"code", 'C', 10, 1}, {"\x8E\x81\x96\xBC", 'N', 8, 2}, {"Long", 'C', 300, 3}};
    std::string p = path("new.dbf");
    dbf *dp = dbf_create(p.c_str(), specs, 2);
    ASSERT_NE(dp, nullptr);
    EXPECT_EQ(dbf_hlen(dp), 97u);
    EXPECT_EQ(dbf_rlen(dp), 19u);
    EXPECT_EQ(dp->flp[0].pos, 1u);
    EXPECT_EQ(dp->flp[1].pos, 11u);
    dbf_close(dp);
    std::string f = zt::read_file(p);
    ASSERT_EQ(f.size(), 98u);
    EXPECT_EQ(f[0], 3);
    EXPECT_EQ(zt::get_le(f, 4, 4), 0u);
    EXPECT_EQ(zt::get_le(f, 8, 2), 97u);
    EXPECT_EQ(zt::get_le(f, 10, 2), 19u);
    EXPECT_EQ(f[96], '\x0D');
    EXPECT_EQ(f[97], '\x1A');
    // The last update date is set at the flush.
    zp::system_time t;
    zp::local_time(&t);
    EXPECT_EQ(static_cast<unsigned char>(f[1]), t.year - 1900);
    EXPECT_EQ(f[2], t.month);
    // Names: single-byte letters in upper case, a double-byte name as it was.
    EXPECT_EQ(f.substr(32, 11), std::string("CODE\0\0\0\0\0\0\0", 11));
    EXPECT_EQ(f.substr(64, 4), "\x8E\x81\x96\xBC");
    EXPECT_EQ(f[32 + 11], 'C');
    EXPECT_EQ(f[64 + 11], 'N');
    EXPECT_EQ(f[32 + 31], 1);
    EXPECT_EQ(f[64 + 31], 2);

    dp = dbf_create(path("long.dbf").c_str(), specs + 2, 1);
    ASSERT_NE(dp, nullptr);
    dbf_close(dp);
    f = zt::read_file(path("long.dbf"));
    EXPECT_EQ(f.substr(32, 5), std::string("LONG\0", 5));
    EXPECT_EQ(static_cast<unsigned char>(f[32 + 16]), 0x2C);
    EXPECT_EQ(static_cast<unsigned char>(f[32 + 17]), 0x01);
    EXPECT_EQ(f.size(), 33u + 32u + 1u);
}

TEST_F(Dbf, ReadsWritesAndLogsOutOfRange) {
    dbf *dp = dbf_open(five("     ").c_str());
    ASSERT_NE(dp, nullptr);
    EXPECT_EQ(dbf_n_rec(dp), 5);
    ASSERT_EQ(dbf_read(dp, 2), 0);
    EXPECT_EQ(code_of(dp), "R2        ");
    std::size_t mark = zt::log_mark();
    EXPECT_EQ(dbf_read(dp, 0), IE_RECNO);
    EXPECT_EQ(dbf_read(dp, 6), IE_RECNO);
    EXPECT_EQ(dbf_write(dp, 6), IE_RECNO);
    EXPECT_EQ(code_of(dp), "R2        ");
    EXPECT_EQ(dp->held, 2);
    std::string log = zt::log_since(mark);
    EXPECT_TRUE(zt::has(log, " dbf_read() rno=0 dhp->n_rec=5 dp->rbp: R2        "));
    EXPECT_TRUE(zt::has(log, " dbf_read() rno=6 dhp->n_rec=5 dp->rbp:"));
    EXPECT_TRUE(zt::has(log, " dbf_write() rno=6 dhp->n_rec=5 dp->rbp:"));
    EXPECT_TRUE(zt::has(log, " ISAM：ZD_Dbf "));
    EXPECT_TRUE(zt::has(log, ": IE_RECNO( 8) レコード番号が不正 zu_db_err()\r\n"));

    // Reading the record held again does not go to the file.
    std::string p = path("five.dbf");
    std::string bytes = zt::read_file(p);
    ASSERT_EQ(dbf_read(dp, 3), 0);
    {
        // Another program changes record 3 on the disk.
        zp::fhandle h = zp::lopen(p.c_str(), zp::OPEN_READWRITE);
        zp::llseek(h, static_cast<long>(dbf_hlen(dp) + 2 * dbf_rlen(dp) + 1), zp::SEEK_FROM_START);
        zp::lwrite(h, "XX", 2);
        zp::lclose(h);
    }
    ASSERT_EQ(dbf_read(dp, 3), 0);
    EXPECT_EQ(code_of(dp), "R3        ");
    ASSERT_EQ(dbf_read(dp, 1), 0);
    ASSERT_EQ(dbf_read(dp, 3), 0);
    EXPECT_EQ(code_of(dp), "XX        ");

    // A write goes to its place and marks the header changed.
    dp->changed = false;
    std::memcpy(dp->rbp + 1, "NEW", 3);
    ASSERT_EQ(dbf_write(dp, 4), 0);
    EXPECT_TRUE(dp->changed);
    EXPECT_EQ(dp->held, 4);
    dbf_close(dp);
    EXPECT_EQ(zt::read_file(p).substr(97 + 3 * 19, 4), " NEW");
}

// Two handles of one file reading ahead (a table held under its mutex,
// opened twice): a record taken from the window leaves the record buffer
// as it was, and a write through the other handle reaches both.
TEST_F(Dbf, ReadAheadHandlesSeeEachOthersWrites) {
    std::string p = five("     ");
    dbf *a = dbf_open(p.c_str()), *b = dbf_open(p.c_str());
    ASSERT_TRUE(a && b);
    dbf_read_ahead(a);
    dbf_read_ahead(b);
    ASSERT_EQ(dbf_read(a, 1), 0);
    const unsigned char *bytes = nullptr;
    ASSERT_EQ(dbf_read_view(a, 2, &bytes), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(bytes) + 1, 10), "R2        ");
    EXPECT_EQ(code_of(a), "R1        ");
    ASSERT_EQ(dbf_read(b, 1), 0);
    std::memcpy(b->rbp + 1, "NEW1", 4);
    ASSERT_EQ(dbf_write(b, 1), 0);
    ASSERT_EQ(dbf_read(a, 1), 0);
    EXPECT_EQ(code_of(a), "NEW1      ");
    ASSERT_EQ(dbf_read_view(a, 1, &bytes), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(bytes) + 1, 10), "NEW1      ");
    dbf_close(b);
    dbf_close(a);
}

TEST_F(Dbf, PackDropsMarkedRecords) {
    std::string p = five(" * * ");
    dbf *dp = dbf_open(p.c_str());
    ASSERT_NE(dp, nullptr);
    EXPECT_EQ(dbf_is_deleted(dp, 2), 1);
    EXPECT_EQ(dbf_is_deleted(dp, 3), 0);
    ASSERT_EQ(dbf_pack(dp), 0);
    EXPECT_EQ(dbf_n_rec(dp), 3);
    EXPECT_EQ(dp->held, 0);
    EXPECT_EQ(zt::read_file(p).size(), 97u + 3 * 19);
    const char *expect[] = {"R1        ", "R3        ", "R5        "};
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(dbf_read(dp, i), 0);
        EXPECT_EQ(code_of(dp), expect[i - 1]);
    }
    dbf_close(dp);
    std::string f = zt::read_file(p);
    EXPECT_EQ(f.size(), 97u + 3 * 19 + 1);
    EXPECT_EQ(f.back(), '\x1A');
    EXPECT_EQ(zt::get_le(f, 4, 4), 3u);
}

TEST_F(Dbf, ZapDropsAllRecords) {
    std::string p = five("     ");
    dbf *dp = dbf_open(p.c_str());
    ASSERT_NE(dp, nullptr);
    ASSERT_EQ(dbf_zap(dp), 0);
    EXPECT_EQ(dbf_n_rec(dp), 0);
    EXPECT_EQ(zt::read_file(p).size(), 97u);
    dbf_close(dp);
    std::string f = zt::read_file(p);
    EXPECT_EQ(f.size(), 98u);
    EXPECT_EQ(f[97], '\x1A');
}

TEST_F(Dbf, OldTableTestAndCreationStamp) {
    struct {
        const char stamp[6];
        bool old;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0}, true},            // month 0
        {{99, 12, 31, 23, 59, 59}, false},     // 2099-12-31 23:59:59
        {{99, 13, 31, 23, 59, 59}, true},      // month 13
        {{11, 6, 0, 12, 0, 0}, true},          // day 0
        {{11, 6, 1, 24, 0, 0}, true},          // hour 24
        {{11, 6, 1, 0, 60, 0}, true},          // minute 60
        {{-100, 1, 1, 0, 0, 0}, false},        // 1900
        {{101, 1, 1, 0, 0, 0}, true},          // 2101
    };
    for (auto &c : cases) {
        std::string p = path("stamp.dbf");
        zt::write_file(p, zt::make_dbf({{"A", 'C', 1}}, {}, std::string(c.stamp, 6)));
        dbf *dp = dbf_open(p.c_str());
        ASSERT_NE(dp, nullptr);
        EXPECT_EQ(dbf_is_old_table(dp), c.old) << int(c.stamp[0]) << "/" << int(c.stamp[1]);
        if (c.old) {
            EXPECT_EQ(dbf_create_date(dp), nullptr);
        }
        dbf_close(dp);
    }
    std::string p = path("stamp.dbf");
    zt::write_file(p, zt::make_dbf({{"A", 'C', 1}}, {}, std::string("\x63\x0C\x1F\x17\x3B\x3B", 6)));
    dbf *dp = dbf_open(p.c_str());
    ASSERT_NE(dp, nullptr);
    EXPECT_STREQ(dbf_create_date(dp), "2099/12/31 23:59:59");
    dbf_set_create_stamp(dp);
    EXPECT_TRUE(dp->changed);
    EXPECT_FALSE(dbf_is_old_table(dp));
    zp::system_time t;
    zp::local_time(&t);
    char today[16];
    std::snprintf(today, sizeof today, "%04u/%02u/%02u", t.year, t.month, t.day);
    EXPECT_EQ(std::string(dbf_create_date(dp)).substr(0, 10), today);
    dbf_close(dp);
    EXPECT_EQ(zt::read_file(p)[16], static_cast<char>(t.year - 2000));
}

TEST_F(Dbf, IsamReportOfEveryCode) {
    const char *names[] = {"IE_MEMORY999", "IE_FOPEN", "IE_NOFILE", "IE_IDXOVER", "IE_TMPFILE", "IE_NOKEY",
                           "IE_DBLKEY", "IE_RECNO", "IE_EOF", "", "IE_READ", "IE_WRITE", "IE_IDXKEY"};
    const char *messages[] = {"メモリ不足", "ファイルオープンエラー ", "オープンするファイルがない",
                              "インデックスファイルが多すぎる", "テンポラリファイルが作れない",
                              "指定されたキーが存在しない", "キーが重複している", "レコード番号が不正",
                              "ＢＯＦまたはＥＯＦ", "構造ファイルが正しくない", "ファイルｒｅａｄエラー",
                              "ファイルｗｒｉｔｅエラー", "インデックスのキー表現式が不正"};
    std::size_t mark = zt::log_mark();
    for (int code = 1; code <= 13; ++code) EXPECT_EQ(zu_db_err(code, "ZD_Idx", 1234, names[code - 1]), 0);
    EXPECT_EQ(zu_db_err(14, "Db_emlt", 7, "X"), 0);
    std::string log = zt::log_since(mark);
    for (int code = 1; code <= 13; ++code) {
        char line[256];
        std::snprintf(line, sizeof line, " ISAM：ZD_Idx 1234: %s(%2u) %s zu_db_err()\r\n", names[code - 1], code,
                      messages[code - 1]);
        EXPECT_TRUE(zt::has(log, line)) << line;
    }
    EXPECT_TRUE(zt::has(log, " ISAM：Db_emlt    7: X(14) ?????????? zu_db_err()\r\n"));
}

// Damaged or foreign files are refused at open with IE_READ, before any
// buffer is sized from them.
TEST_F(Dbf, DamagedFilesGiveNoHandle) {
    std::string good = zt::make_dbf({{"CODE", 'C', 10}, {"QTY", 'N', 8}},
                                    {" A                 ", " B                 "});
    ASSERT_EQ(good.size(), 97u + 2 * 19 + 1);
    struct damage {
        const char *what;
        std::string bytes;
        const char *reason;
    };
    std::vector<damage> cases;
    std::string s;
    cases.push_back({"short file", good.substr(0, 20), nullptr});
    s = good;
    zt::put_le(s, 8, 32 * 40 + 33, 2);  // claims 40 descriptors
    cases.push_back({"header beyond the file", s, "ファイル長(136)がヘッダ長(1313)より短いです"});
    s = good;
    zt::put_le(s, 8, 20, 2);
    cases.push_back({"header too small", s, "ヘッダ長(20)が不正です"});
    s = good;
    zt::put_le(s, 10, 400, 2);
    cases.push_back({"record length too large", s, "レコード長(400)がフィールド長の合計+1(19)と違います"});
    s = good;
    zt::put_le(s, 10, 5, 2);
    cases.push_back({"record length too small", s, "レコード長(5)がフィールド長の合計+1(19)と違います"});
    s = good;
    zt::put_le(s, 64 + 16, 0, 2);
    cases.push_back({"zero field length", s, "フィールド 2 (QTY) の長さが 0 です"});
    s = good;
    zt::put_le(s, 4, 3, 4);
    cases.push_back({"record count beyond the file", s, "レコード件数(3)がファイルにあるレコード数(2)を超えています"});
    s = good;
    zt::put_le(s, 4, 0xFFFFFFFFu, 4);
    cases.push_back({"negative record count", s, "レコード件数(-1)"});
    for (auto &c : cases) {
        std::string p = path("bad.dbf");
        zt::write_file(p, c.bytes);
        std::size_t mark = zt::log_mark();
        EXPECT_EQ(dbf_open(p.c_str()), nullptr) << c.what;
        std::string log = zt::log_since(mark);
        EXPECT_TRUE(zt::has(log, "IE_READ(11) ファイルｒｅａｄエラー zu_db_err()")) << c.what;
        if (c.reason) {
            EXPECT_TRUE(zt::has(log, std::string(" dbf_open() '") + p + "' " + c.reason)) << c.what;
        }
    }
    // The good file opens; a file without the end-of-file byte too.
    std::string p = path("good.dbf");
    zt::write_file(p, good.substr(0, good.size() - 1));
    dbf *dp = dbf_open(p.c_str());
    ASSERT_NE(dp, nullptr);
    EXPECT_EQ(dbf_n_rec(dp), 2);
    dbf_close(dp);
    // A missing file is IE_NOFILE.
    std::size_t mark = zt::log_mark();
    EXPECT_EQ(dbf_open(path("none.dbf").c_str()), nullptr);
    std::string log = zt::log_since(mark);
    EXPECT_TRUE(zt::has(log, "IE_NOFILE( 3) オープンするファイルがない"));
    EXPECT_TRUE(zt::has(log, " dbf_open() '" + path("none.dbf") + "' ")) << log;
    EXPECT_TRUE(zt::has(log, "(2)\r\n")) << log;  // the system's text of the error code
    // A table that cannot be created is IE_FOPEN.
    mark = zt::log_mark();
    dbf_spec spec = {"A", 'C', 1, 1};
    EXPECT_EQ(dbf_create(zt::join(path("no-such-folder"), "x.dbf").c_str(), &spec, 1), nullptr);
    log = zt::log_since(mark);
    EXPECT_TRUE(zt::has(log, "IE_FOPEN( 2) ファイルオープンエラー  zu_db_err()")) << log;
    EXPECT_TRUE(zt::has(log, "(3)\r\n")) << log;
}

TEST_F(Dbf, FieldNameFillingAllElevenBytesStaysTerminated) {
    std::string p = path("eleven.dbf");
    zt::write_file(p, zt::make_dbf({{"ABCDEFGHIJK", 'C', 3}}, {" xyz"}));
    dbf *dp = dbf_open(p.c_str());
    ASSERT_NE(dp, nullptr);
    EXPECT_STREQ(dp->flp[0].name, "ABCDEFGHIJK");
    dbf_close(dp);
}

}  // namespace
