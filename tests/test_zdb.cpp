// The zdb exports of the table engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "dbf_support.h"
#include "zdb_support.h"
#include "zudbtool.h"

namespace {

using zt::call;
using zt::raised;

struct Zdb : zt::Tables {
    Zdb() : Tables("zdb") {}
    // The customer table: CODE A 5, NAME A 10, QTY N (8), filled with
    // `n` records C001.. / N1.. / 1..
    void *customers(int n, const std::string &name = "CUST") {
        void *h = create(name, {"* customers", "code,A,5", "name,a,10", "qty,N", "CODE,P"});
        for (int i = 1; i <= n; ++i) {
            char code[8];
            std::snprintf(code, sizeof code, "C%03d", i);
            call([&] { return zdbClearBuf(h); });
            call([&] { return zdbSS(h, "CODE", code); });
            call([&] { return zdbSS(h, "NAME", ("N" + std::to_string(i)).c_str()); });
            call([&] { return zdbSI(h, "QTY", i); });
            EXPECT_EQ(call([&] { return zdbAppend(h); }), 0);
        }
        return h;
    }
    static int rno(void *h) { return call([&] { return zdbRecordNo(h); }); }
    static bool eof(void *h) { return call([&] { return zdbEof(h); }) != 0; }
    static bool bof(void *h) { return call([&] { return zdbBof(h); }) != 0; }
};

TEST_F(Zdb, CreateFromDefinitionFile) {
    void *h = create("DEF", {"* comment line", "code, A ,5", "name,a", "qty,N", "amount,n,8", "memo,@",
                             "\x8E\x81\x96\xBC,A,4", "code;name,I", "only-one-column", "x,Z,3"});
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(call([&] { return zdbGetNField(h); }), 6);
    const char *names[] = {"CODE", "NAME", "QTY", "AMOUNT", "MEMO", "\x8E\x81\x96\xBC"};
    int lens[] = {5, 16, 8, 8, 24, 4};
    int kinds[] = {1, 1, 2, 2, 3, 1};
    for (int i = 0; i < 6; ++i) {
        EXPECT_STREQ(call([&] { return zdbGetFieldName(h, i + 1); }), names[i]);
        EXPECT_EQ(call([&] { return zdbGetFieldLength(h, names[i]); }), lens[i]);
        EXPECT_EQ(call([&] { return zdbGetFieldType(h, names[i]); }), kinds[i]);
    }
    EXPECT_EQ(call([&] { return zdbGetFieldName(h, 0); }), nullptr);
    EXPECT_EQ(call([&] { return zdbGetFieldName(h, 7); }), nullptr);
    EXPECT_EQ(call([&] { return zdbGetFieldLength(h, "NONE"); }), 0);
    EXPECT_EQ(call([&] { return zdbGetFieldType(h, "NONE"); }), 0);
    EXPECT_EQ(call([&] { return zdbIsFieldExist(h, "memo"); }), 1);
    EXPECT_EQ(call([&] { return zdbIsFieldExist(h, "NONE"); }), 0);
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 0);
    EXPECT_EQ(call([&] { return zdbRecordCount2(h); }), 0);
    EXPECT_TRUE(bof(h) && eof(h));
    EXPECT_EQ(std::string(call([&] { return zdbGetDBFPathFileName(h); })), path("DEF.DBF"));
    // A table this engine creates carries its creation stamp.
    EXPECT_EQ(call([&] { return zdbIsOldTable(h); }), 0);
    zp::system_time t;
    zp::local_time(&t);
    char today[16];
    std::snprintf(today, sizeof today, "%04u/%02u/%02u", t.year, t.month, t.day);
    const char *date = call([&] { return zdbGetTableCreateDate(h); });
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(std::string(date).substr(0, 10), today);
    EXPECT_EQ(std::strlen(date), 19u);
    // File figures: 6 descriptors, record length 1 + 5 + 16 + 8 + 8 + 24 + 4.
    std::string f = zt::read_file(path("DEF.DBF"));
    EXPECT_EQ(zt::get_le(f, 8, 2), 32u * 6 + 33);
    EXPECT_EQ(zt::get_le(f, 10, 2), 66u);
    EXPECT_EQ(f.size(), 32u * 6 + 33 + 1);

    // Definition files that cannot make a table.
    std::string r = raised([&] { create("LONGNAME", {"abcdefghijk,A,3"}); });
    EXPECT_EQ(r, "フィールド名長オーバー[abcdefghijk] DBE::create_table");
    r = raised([&] { create("ZEROLEN", {"a,A,0"}); });
    EXPECT_EQ(r, "フィールド長エラー[a](0) DBE::create_table");
    r = raised([&] { create("BIGNUM", {"a,N,200"}); });
    EXPECT_EQ(r, "フィールド長エラー[a](200) DBE::create_table");
    r = raised([&] { return zdbCreateTable(path("NODEF.DBF").c_str()); });
    EXPECT_TRUE(zt::has(r, "NODEF.FIELD")) << r;
    // Bare LF line ends: every line still counts.
    zt::write_file(path("LF.FIELD"), "a,A,3\nb,N\n");
    void *lf = call([&] { return zdbCreateTable(path("LF.DBF").c_str()); });
    ASSERT_NE(lf, nullptr);
    open_handles.push_back(lf);
    EXPECT_EQ(call([&] { return zdbGetNField(lf); }), 2);
    r = raised([&] { create("HUGE", {"a,A,30000", "b,A,3000"}); });
    EXPECT_EQ(r, "レコード長オーバー[b] DBE::create_table");
    r = raised([&] { return zdbCreateTable(""); });
    EXPECT_EQ(r, "field_fnameがセットされていません。");
}

TEST_F(Zdb, OpenErrors) {
    std::string missing = path("MISSING.DBF");
    EXPECT_EQ(raised([&] { return zdbOpenTable(missing.c_str(), nullptr); }),
              "データベースファイル " + missing + " がありません zdb_open_dbf");
    EXPECT_EQ(raised([&] { return zdbOpenTable(nullptr, nullptr); }), "fname_p が NULL です  zdb_open_dbf");
    EXPECT_EQ(raised([&] { return zdbOpenTableS("", nullptr); }), "*fname_p が EOL です  zdb_open_dbf");
    std::string longp(300, 'a');
    EXPECT_EQ(raised([&] { return zdbOpenTable(longp.c_str(), nullptr); }), "DBE::set_fname");
}

TEST_F(Zdb, FieldTextsStoreAndRestore) {
    void *h = customers(1);
    ASSERT_NE(h, nullptr);
    call([&] { return zdbTop(h); });
    // Restore trimming: text trims trailing blanks, raw keeps them.
    EXPECT_EQ(gs(h, "name"), "N1");
    EXPECT_EQ(std::string(call([&] { return zdbGSBin(h, "NAME"); })), "N1        ");
    EXPECT_EQ(std::string(call([&] { return zdbGetRecord(h); })), "C001 N1               1");
    // Over-long text is cut, logged and signalled.
    std::size_t mark = zt::log_mark();
    EXPECT_EQ(call([&] { return zdbSS(h, "NAME", "ABCDEFGHIJK"); }), 1);
    EXPECT_EQ(std::string(call([&] { return zdbGSBin(h, "NAME"); })), "ABCDEFGHIJ");
    std::string log = zt::log_since(mark);
    EXPECT_TRUE(zt::has(log, " ﾌｨｰﾙﾄﾞ長ｵｰﾊﾞｰ :ﾌｧｲﾙ名 " + path("CUST.DBF") +
                                 " 内容 ABCDEFGHIJK（11）  ﾌｨｰﾙﾄﾞ長 (10) まで ﾌｨｰﾙﾄﾞ名:NAME   (DBE::store)\n"))
        << log;
    // A double-byte character that would start on the last position becomes a blank.
    EXPECT_EQ(call([&] { return zdbSS(h, "NAME", "ABCDEFGHI\x82\xA0"); }), 1);
    EXPECT_EQ(std::string(call([&] { return zdbGSBin(h, "NAME"); })), "ABCDEFGHI ");
    EXPECT_EQ(call([&] { return zdbSS(h, "NAME", "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8"); }), 0);
    EXPECT_EQ(gs(h, "NAME"), "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8");
    EXPECT_EQ(call([&] { return zdbSS(h, "NAME", ""); }), 0);
    EXPECT_EQ(call([&] { return zdbIsNull(h, "NAME"); }), 1);
    // Raw store copies the field's length as it is.
    EXPECT_EQ(call([&] { return zdbSSBin(h, "NAME", "0123456789XYZ"); }), 0);
    EXPECT_EQ(gs(h, "NAME"), "0123456789");
    EXPECT_EQ(call([&] { return zdbIsNull(h, "NAME"); }), 0);
    // zdbSS on a numeric-kind field of length 8 stores right-aligned.
    EXPECT_EQ(call([&] { return zdbSS(h, "QTY", "42"); }), 0);
    EXPECT_EQ(std::string(call([&] { return zdbGSBin(h, "QTY"); })), "42");
    EXPECT_EQ(std::string(call([&] { return zdbGetRecord(h); })).substr(15), "      42");
    EXPECT_EQ(call([&] { return zdbSI(h, "QTY", -1234567); }), 0);
    EXPECT_EQ(gs(h, "QTY"), "-1234567");
    EXPECT_EQ(call([&] { return zdbGI(h, "QTY"); }), -1234567);
    // The record buffer seen through zdbGetRecordDebug follows later changes.
    char *buf = call([&] { return zdbGetRecordDebug(h); });
    call([&] { return zdbSS(h, "CODE", "Z9"); });
    EXPECT_EQ(std::string(buf, 5), "Z9   ");
    call([&] { return zdbClearBuf(h); });
    EXPECT_EQ(std::string(buf), std::string(23, ' '));
    // A text is read up to a NUL in the field, and its end blanks go.
    const struct {
        const char *field;  // NAME's ten bytes
        const char *text;
    } texts[] = {{"AB\0CDEFG  ", "AB"},       {"ABCDEFGH I", "ABCDEFGH I"}, {"ABCDEFG\0 X", "ABCDEFG"},
                 {"A B       ", "A B"},        {"         X", "         X"}, {"ABCDEFGHI\0", "ABCDEFGHI"},
                 {"\0BCDEFGHIJ", ""},          {"        \x82\xA0", "        \x82\xA0"}};
    for (const auto &t : texts) {
        std::memcpy(buf + 5, t.field, 10);
        EXPECT_EQ(gs(h, "NAME"), t.text) << t.text;
    }
    call([&] { return zdbClearBuf(h); });
    // zdbSD does nothing.
    EXPECT_EQ(call([&] { return zdbSD(h, "QTY", 5); }), 0);
    EXPECT_EQ(std::string(buf), std::string(23, ' '));
}

TEST_F(Zdb, IntegerParsing) {
    void *h = create("GI", {"v,A,4"});
    call([&] { return zdbSS(h, "V", "x"); });
    call([&] { return zdbAppend(h); });
    struct {
        const char *text;
        int value;
    } cases[] = {{"  12", 12}, {"1A", 0}, {"-3", -3}, {"1.5", 1}, {"--3", 0}, {" - 3", 0}, {"", 0}};
    for (auto &c : cases) {
        call([&] { return zdbSSBin(h, "V", (std::string(c.text) + "    ").c_str()); });
        EXPECT_EQ(call([&] { return zdbGI(h, "V"); }), c.value) << c.text;
    }
}

// Errors raised by field access, each logged and stored.
TEST_F(Zdb, FieldErrors) {
    // A table written by another program: a numeric field of length 10, a
    // date field, a character field above the store limit, kind-2 field of length 10.
    std::string p = path("OTHER.DBF");
    std::string rec = " " + std::string(10, ' ') + "20240101" + std::string(3000, 'x') + "0123456789";
    zt::write_file(p, zt::make_dbf({{"NUM", 'N', 10}, {"DAY", 'D', 8}, {"BIG", 'C', 3000}, {"K2", 'C', 10, 2}},
                                   {rec}, std::string("\x18\x01\x01\x00\x00\x00", 6)));
    void *h = open(p);
    ASSERT_NE(h, nullptr);
    std::size_t mark = zt::log_mark();
    std::string r = raised([&] { return zdbGS(h, "NUM"); });
    EXPECT_EQ(r, "pgm error char *DBE::restore() フィールド内容:" + std::string(10, ' ') + " 長さ(10)");
    EXPECT_STREQ(call([] { return ZuGetErrMsg(); }), r.c_str());
    EXPECT_TRUE(zt::has(zt::log_since(mark), r));
    EXPECT_EQ(raised([&] { return zdbSS(h, "DAY", "20250101"); }),
              "フィールドタイプエラー dbfname:" + p + " fldname:DAY fld_type:0x44 DBE::store()");
    EXPECT_EQ(raised([&] { return zdbSS(h, "BIG", "a"); }), "pgm error フィールド長オーバー(DBE::store)");
    EXPECT_EQ(raised([&] { return zdbSS(h, "K2", "1"); }),
              "数字フィールド長エラー DBF名:" + p + " フィールド名:K2(長さ10) DBE::store()");
    EXPECT_EQ(raised([&] { return zdbGS(h, "NOPE"); }), "このフィールド名は見つかりません " + p + " <NOPE> ");
    EXPECT_EQ(raised([&] { return zdbSS(h, "DAY", nullptr); }), "pgm error DBE::store() srcがNULLです。");
    EXPECT_EQ(gs(h, "DAY"), "20240101");
#ifndef _WIN32
    // A name above 10 bytes is told in a message box (standard error here) and not found.
    EXPECT_EQ(call([&] { return zdbIsFieldExist(h, "ABCDEFGHIJK"); }), 0);
#endif
    void *e = create("EMPTY", {"a,A,3"});
    EXPECT_EQ(raised([&] { return zdbGS(e, "A"); }),
              "プログラムエラー DBE::restore() 0レコードです " + path("EMPTY.DBF"));
    EXPECT_EQ(raised([&] { return zdbSetRecordNo(e, 1); }), "プログラムエラー set_rno() ");
}

// In an old table (no valid creation stamp) kind 1 is numeric, kind 2 is text.
TEST_F(Zdb, NumericKindInOldTables) {
    std::string p = path("OLD.DBF");
    zt::write_file(p, zt::make_dbf({{"A", 'C', 8, 1}, {"B", 'C', 8, 2}}, {" xxxxxxxxyyyyyyyy"}));
    void *h = open(p);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(call([&] { return zdbIsOldTable(h); }), 1);
    EXPECT_EQ(call([&] { return zdbGetTableCreateDate(h); }), nullptr);
    call([&] { return zdbSS(h, "A", "7"); });
    call([&] { return zdbSS(h, "B", "7"); });
    EXPECT_EQ(std::string(call([&] { return zdbGetRecord(h); })), "       77       ");
}

TEST_F(Zdb, RecordOrderNavigation) {
    void *h = customers(3);
    call([&] { return zdbChgIndexByNo(h, 0); });  // record-number order
    call([&] { return zdbTop(h); });
    EXPECT_EQ(rno(h), 1);
    EXPECT_EQ(gs(h, "CODE"), "C001");
    EXPECT_EQ(call([&] { return zdbSkip(h, 2); }), 1);
    EXPECT_EQ(gs(h, "CODE"), "C003");
    EXPECT_EQ(call([&] { return zdbSkip(h, 1); }), 0);
    EXPECT_TRUE(eof(h));
    EXPECT_EQ(rno(h), 4);
    EXPECT_EQ(gs(h, "CODE"), "C003");  // the buffer stays
    EXPECT_EQ(call([&] { return zdbSkip(h, -1); }), 1);
    EXPECT_EQ(rno(h), 3);
    EXPECT_FALSE(eof(h));
    call([&] { return zdbTop(h); });
    EXPECT_EQ(call([&] { return zdbSkip(h, -1); }), 0);
    EXPECT_TRUE(bof(h));
    EXPECT_EQ(rno(h), 1);
    EXPECT_EQ(call([&] { return zdbSkip(h, 1); }), 1);
    EXPECT_EQ(rno(h), 2);  // from BOF one step lands on record 2
    EXPECT_EQ(call([&] { return zdbSkip(h, 0); }), 1);
    EXPECT_EQ(call([&] { return zdbSkip(h, -5); }), 0);
    EXPECT_TRUE(bof(h));
    call([&] { return zdbBottom(h); });
    EXPECT_EQ(rno(h), 3);
    EXPECT_EQ(gs(h, "CODE"), "C003");
    // Going to a number does not load the record.
    call([&] { return zdbSetRecordNo(h, 1); });
    EXPECT_EQ(rno(h), 1);
    EXPECT_EQ(gs(h, "CODE"), "C003");
    EXPECT_EQ(raised([&] { return zdbSetRecordNo(h, 0); }), "プログラムエラー set_rno() ");
    EXPECT_TRUE(eof(h));
    // Loading at EOF is an ISAM report and leaves the buffer.  (A code
    // that no other record has, or the unique-key check would refuse it.)
    call([&] { return zdbSS(h, "CODE", "C999"); });
    std::size_t mark = zt::log_mark();
    EXPECT_EQ(call([&] { return zdbUpdate(h); }), 0);
    EXPECT_TRUE(zt::has(zt::log_since(mark), "ISAM：ZD_Db "));
    EXPECT_TRUE(zt::has(zt::log_since(mark), ": IE_EOF( 9) ＢＯＦまたはＥＯＦ zu_db_err()"));
    EXPECT_EQ(call([&] { return zdbIsDeteteRecord(h); }), -1);
    // An empty table is at BOF and EOF everywhere.
    void *e = create("EMPTY", {"a,A,3"});
    call([&] { return zdbBottom(e); });
    EXPECT_TRUE(bof(e) && eof(e));
    EXPECT_EQ(call([&] { return zdbSkip(e, 1); }), 0);
    EXPECT_TRUE(bof(e) && eof(e));
    EXPECT_EQ(call([&] { return zdbSkip(e, -1); }), 0);
    EXPECT_TRUE(bof(e) && eof(e));
}

// Records marked '*' by another program, with the switch on and off.
TEST_F(Zdb, DeletedRecordSwitch) {
    std::vector<std::string> recs;
    const char *flags = "** * *";
    for (int i = 0; i < 6; ++i) recs.push_back(std::string(1, flags[i]) + "R" + std::to_string(i + 1));
    std::string p = path("MARKED.DBF");
    zt::write_file(p, zt::make_dbf({{"C", 'C', 2}}, recs));
    void *h = open(p);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(call([] { return zdbIsUseDeleteRecord(); }), 0);
    call([&] { return zdbTop(h); });
    EXPECT_EQ(rno(h), 1);
    EXPECT_EQ(call([&] { return zdbIsDeteteRecord(h); }), 1);
    EXPECT_EQ(call([] { return zdbSetDeleteRecordUse(); }), 1);
    EXPECT_EQ(call([] { return zdbIsUseDeleteRecord(); }), 1);
    call([&] { return zdbTop(h); });
    EXPECT_EQ(rno(h), 3);
    EXPECT_EQ(gs(h, "C"), "R3");
    EXPECT_EQ(call([&] { return zdbIsDeteteRecord(h); }), 0);
    EXPECT_EQ(call([&] { return zdbSkip(h, 1); }), 1);
    EXPECT_EQ(rno(h), 5);
    EXPECT_EQ(call([&] { return zdbSkip(h, 1); }), 0);
    EXPECT_TRUE(eof(h));
    call([&] { return zdbBottom(h); });
    EXPECT_EQ(rno(h), 5);
    EXPECT_EQ(call([&] { return zdbSkip(h, -2); }), 0);  // 3, then 2 and 1 are marked: BOF
    EXPECT_TRUE(bof(h));
    EXPECT_EQ(call([] { return zdbSetDeleteRecordUnUse(); }), 0);
    call([&] { return zdbBottom(h); });
    EXPECT_EQ(rno(h), 6);
    EXPECT_EQ(call([&] { return zdbSkip(h, -2); }), 1);
    EXPECT_EQ(rno(h), 4);
}

TEST_F(Zdb, AppendUpdateAndTheDisk) {
    void *h = customers(2);
    std::string p = path("CUST.DBF");
    call([&] { return zdbTop(h); });
    call([&] { return zdbSkip(h, 1); });
    call([&] { return zdbSS(h, "NAME", "UPDATED"); });
    EXPECT_EQ(call([&] { return zdbUpdate(h); }), 0);
    EXPECT_EQ(rno(h), 2);
    close(h);
    // Everything is in the file after the close.
    std::string f = zt::read_file(p);
    EXPECT_EQ(zt::get_le(f, 4, 4), 2u);
    unsigned hl = zt::get_le(f, 8, 2), rl = zt::get_le(f, 10, 2);
    EXPECT_EQ(rl, 24u);
    EXPECT_EQ(f.size(), hl + 2 * rl + 1);
    EXPECT_EQ(f.substr(hl, rl), " C001 N1               1");
    EXPECT_EQ(f.substr(hl + rl, rl), " C002 UPDATED          2");
    EXPECT_EQ(f.back(), '\x1A');
    h = open(p);
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 2);
    EXPECT_EQ(gs(h, "NAME"), "N1");
    // Reopen keeps the data and goes to the top.
    call([&] { return zdbBottom(h); });
    EXPECT_EQ(call([&] { return zdbReOpen(h); }), 0);
    EXPECT_EQ(rno(h), 1);
    EXPECT_EQ(gs(h, "NAME"), "N1");
    // Clear table.
    EXPECT_EQ(call([&] { return zdbClearTable(h); }), 0);
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 0);
    EXPECT_TRUE(bof(h) && eof(h));
    EXPECT_EQ(zt::read_file(p).size(), hl + 1);
    // Debug words.
    EXPECT_EQ(call([&] { return zdbSetDebugMode(h, 5); }), 0);
    EXPECT_EQ(call([&] { return zdbSetDebugMode(h, 61190599); }), 0);
    EXPECT_EQ(call([&] { return zdbGetDebugMode(h); }), 5);
}

TEST_F(Zdb, DeleteMovesTheLastRecord) {
    void *h = customers(5);
    call([&] { return zdbChgIndexByNo(h, 0); });  // record-number order
    std::string p = path("CUST.DBF");
    call([&] { return zdbTop(h); });
    call([&] { return zdbSkip(h, 1); });
    EXPECT_EQ(call([&] { return zdbDeleteRecord(h, 1); }), 0);
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 4);
    EXPECT_EQ(rno(h), 2);
    EXPECT_EQ(gs(h, "CODE"), "C005");
    unsigned hl = 32 * 3 + 33, rl = 24;
    EXPECT_EQ(zt::read_file(p).size(), hl + 4 * rl);
    // Removing the last record ends at EOF, so a loop that deletes while
    // not at EOF stops instead of removing another record.
    call([&] { return zdbBottom(h); });
    EXPECT_EQ(gs(h, "CODE"), "C004");
    std::size_t mark = zt::log_mark();
    call([&] { return zdbDeleteRecord(h, 0); });
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 3);
    EXPECT_TRUE(eof(h));
    EXPECT_TRUE(zt::has(zt::log_since(mark), "IE_EOF( 9)"));
    call([&] { return zdbDeleteRecord(h, 0); });
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 3);
    // A marked record keeps its mark when it moves.
    close(h);
    std::string f = zt::read_file(p);
    f[hl + 2 * rl] = '*';  // record 3 (C003) marked by another program
    zt::write_file(p, f);
    h = open(p);
    EXPECT_EQ(call([&] { return zdbDeleteRecord(h, 0); }), 0);  // record 1 goes, C003 moves in
    EXPECT_EQ(gs(h, "CODE"), "C003");
    EXPECT_EQ(call([&] { return zdbIsDeteteRecord(h); }), 1);
    // Deleting every record leaves BOF and EOF.
    while (call([&] { return zdbRecordCount(h); }) > 0) {
        call([&] { return zdbTop(h); });
        call([&] { return zdbDeleteRecord(h, 0); });
    }
    EXPECT_TRUE(bof(h) && eof(h));
    EXPECT_EQ(zt::read_file(p).size(), hl);
    close(h);
    EXPECT_EQ(zt::read_file(p).size(), hl + 1);
}

// A null handle, one never made, one already closed: program errors, stored
// where every deliverable reads them.
TEST_F(Zdb, HandlesThatAreNotOpenTables) {
    ZuClearErrMsg();
    std::string r = raised([] { return zdbClose(nullptr); });
    EXPECT_EQ(r, "DBE Handle = 0 zdbClose");
    ASSERT_NE(call([] { return ZuGetErrMsg(); }), nullptr);
    EXPECT_EQ(std::string(call([] { return ZuGetErrMsg(); })), "DBE Handle = 0 zdbClose");
    EXPECT_EQ(raised([] { return zdbGS(nullptr, "A"); }), "DBE Handle = 0 zdbGS");

    int not_a_table[64] = {};
    r = raised([&] { return zdbSkip(not_a_table, 1); });
    EXPECT_TRUE(zt::has(r, "開いているデータベースではありません zdbSkip")) << r;
    void *h = customers(1);
    close(h);
    r = raised([&] { return zdbGS(h, "CODE"); });
    EXPECT_TRUE(zt::has(r, "開いているデータベースではありません zdbGS")) << r;
    r = raised([&] { return zdbClose(h); });
    EXPECT_TRUE(zt::has(r, "開いているデータベースではありません zdbClose")) << r;
    EXPECT_EQ(std::string(call([] { return ZuGetErrMsg(); })), r);

#ifndef _WIN32
    // A reopen that fails leaves a closed object: calls are refused, close
    // frees it.  (Windows keeps the open table's file from being removed.)
    h = customers(1, "GONE");
    std::string p = path("GONE.DBF");
    zt::remove_file(p);
    r = raised([&] { return zdbReOpen(h); });
    EXPECT_EQ(r, "データベースファイル " + p + " がありません zdb_open_dbf");
    r = raised([&] { return zdbTop(h); });
    EXPECT_EQ(r, " プログラムエラー '" + p + "' このデータベースは、クローズしています\n");
    close(h);
#endif
}

// Damaged files reach no handle through the exports either.
TEST_F(Zdb, DamagedFilesAreRefused) {
    std::string p = path("BAD.DBF");
    std::string good = zt::make_dbf({{"A", 'C', 3}}, {" abc", " def"});
    std::string bad = good;
    zt::put_le(bad, 4, 1000, 4);  // more records than the file holds
    zt::write_file(p, bad);
    std::size_t mark = zt::log_mark();
    EXPECT_EQ(raised([&] { return zdbOpenTable(p.c_str(), nullptr); }),
              "データベースファイル " + p + " がないです\n");
    std::string log = zt::log_since(mark);
    EXPECT_TRUE(zt::has(log, "レコード件数(1000)がファイルにあるレコード数(2)を超えています")) << log;
    EXPECT_TRUE(zt::has(log, "IE_READ(11)"));
    bad = good;
    zt::put_le(bad, 32 + 16, 0, 2);
    zt::write_file(p, bad);
    EXPECT_EQ(raised([&] { return zdbOpenTableS(p.c_str(), nullptr); }),
              "データベースファイル " + p + " がないです\n");
    zt::write_file(p, good);
    void *h = open(p);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 2);
    // The file shrinks under an open table: reads are refused, nothing read past the file.
    zt::write_file(p, good.substr(0, good.size() - 5));
    call([&] { return zdbBottom(h); });
    EXPECT_EQ(gs(h, "A"), "abc");
}

// Two processes that open one table under one mutex name are serialised:
// the second open returns only after the first close.
TEST_F(Zdb, NamedMutexSerialisesProcesses) {
    customers(1);
    close(open_handles.back());
    std::string holder = zt::copy_program("zdbhold", dir);
    std::string table = path("CUST.DBF");
    std::string mark = path("hold.txt");
#ifdef _WIN32
    std::string cmd = "start \"\" /b \"" + holder + "\" \"" + table + "\" ZUDBTEST " + mark + " 1500";
#else
    std::string cmd = "\"" + holder + "\" \"" + table + "\" ZUDBTEST \"" + mark + "\" 1500 &";
#endif
    ASSERT_EQ(zt::run(cmd), 0);
    // Wait (at most 20 s) until the other process holds the table.
    for (int i = 0; i < 200 && !zt::has(zt::read_file(mark), "opened"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(zt::has(zt::read_file(mark), "opened"));
    void *h = open(table, "ZUDBTEST");
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(zt::has(zt::read_file(mark), "closing"));
}

// Records rewritten by others while a table is open.  A table opened
// without a mutex reads each record from the file as it is then, also in
// the middle of a pass in record order; a table held under its mutex reads
// the writes of its own handles in this process, whichever handle wrote.
TEST_F(Zdb, ReadsFollowRecordsRewrittenByOthers) {
    customers(2000);  // 48 000 bytes of records
    close(open_handles.back());
    std::string table = path("CUST.DBF");
    std::string zudb = zt::copy_program("zudb", dir);
    auto update_elsewhere = [&](int recno, const char *value) {
        return zt::run("\"" + zudb + "\" update \"" + table + "\" " + std::to_string(recno) + " NAME=" + value +
                       " --sjis");
    };
    void *h = open(table);
    ASSERT_NE(h, nullptr);
    call([&] { return zdbChgIndexByNo(h, 0); });
    for (int i = 1; i < 1500; ++i) call([&] { return zdbSkip(h, 1); });
    ASSERT_EQ(rno(h), 1500);
    ASSERT_EQ(update_elsewhere(1501, "AHEAD"), 0);
    ASSERT_EQ(update_elsewhere(1499, "BEHIND"), 0);
    call([&] { return zdbSkip(h, 1); });
    EXPECT_EQ(gs(h, "NAME"), "AHEAD");
    call([&] { return zdbSkip(h, -2); });
    EXPECT_EQ(gs(h, "NAME"), "BEHIND");
    close(h);

    void *a = open(table, "ZUDBSCAN");
    void *b = open(table, "ZUDBSCAN");  // the thread that holds the mutex passes
    ASSERT_TRUE(a && b);
    for (void *t : {a, b}) {
        call([&] { return zdbChgIndexByNo(t, 0); });
        for (int i = 1; i < 100; ++i) call([&] { return zdbSkip(t, 1); });
    }
    call([&] { return zdbSkip(a, 1); });
    call([&] { return zdbSS(a, "NAME", "MINE"); });
    EXPECT_EQ(call([&] { return zdbUpdate(a); }), 0);
    call([&] { return zdbSkip(b, 1); });
    EXPECT_EQ(gs(b, "NAME"), "MINE");
    call([&] { return zdbTop(a); });
    call([&] { return zdbSkip(a, 100); });
    EXPECT_EQ(gs(a, "NAME"), "MINE");
    EXPECT_EQ(gs(a, "CODE"), "C101");
}

}  // namespace
