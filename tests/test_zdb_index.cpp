// Indexes through the zdb exports: definition-file and listed indexes,
// selection, seeks, compound keys, the unique-key check, the upkeep of
// append, update and delete (checked against a model), reindex, and two
// processes appending to one indexed table.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "dbf_support.h"
#include "ndx_support.h"
#include "zdb_support.h"
#include "zudbtool.h"

namespace {

using zt::call;
using zt::pad;
using zt::raised;

std::string msgf_path() { return zt::join(zt::join(zt::bin_dir(), "LOG"), "MSGF.TXT"); }

struct Idx : zt::Tables {
    Idx() : Tables("idx") {}
    static int rno(void *h) { return call([&] { return zdbRecordNo(h); }); }
    static bool eof(void *h) { return call([&] { return zdbEof(h); }) != 0; }
    static bool bof(void *h) { return call([&] { return zdbBof(h); }) != 0; }
    static int seek(void *h, const std::vector<std::string> &parts) {
        zdbSeekReset();
        for (auto &p : parts) call([&] { return zdbSSKey(h, p.c_str()); });
        return call([&] { return zdbSeek(h); });
    }
    // The CODE values in the current index's order, from the top.
    static std::vector<std::string> walk(void *h, const char *field = "CODE") {
        std::vector<std::string> out;
        call([&] { return zdbTop(h); });
        while (!eof(h)) {
            out.push_back(gs(h, field));
            if (!call([&] { return zdbSkip(h, 1); })) break;
        }
        return out;
    }
};

TEST_F(Idx, DefinitionFileIndexesAndTheirList) {
    void *h = create("CUST", {"code,A,5", "name,A,10", "qty,N", "CODE,P", "name,i", "code;name,I"});
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(zt::read_file(path("CUST.INAME")), "CUST.CODE.IDEX\r\nCUST.name.IDEX\r\nCUST.code.name.IDEX\r\n");
    EXPECT_EQ(call([&] { return zdbGetNIndex(h); }), 3);
    EXPECT_STREQ(call([&] { return zdbGetIndex(h); }), "CODE");
    EXPECT_EQ(std::string(call([&] { return zdbGetIndexPathFileName(h); })), path("CUST.CODE.IDEX"));
    EXPECT_EQ(call([&] { return zdbIsUniqIndex(h, nullptr); }), 1);
    EXPECT_EQ(call([&] { return zdbIsUniqIndex(h, "NAME"); }), 0);
    EXPECT_EQ(call([&] { return zdbChgIndex(h, "Code;Name"); }), 3);
    EXPECT_EQ(raised([&] { return zdbChgIndex(h, "QTY"); }), "QTY このインデックスはありません " + path("CUST.DBF"));
    EXPECT_EQ(call([&] { return zdbChgIndexByNo(h, 0); }), nullptr);
    EXPECT_EQ(call([&] { return zdbGetIndex(h); }), nullptr);
    EXPECT_EQ(call([&] { return zdbGetIndexPathFileName(h); }), nullptr);
    EXPECT_EQ(raised([&] { return zdbChgIndexByNo(h, 4); }), "4 このインデックス番号はありません " + path("CUST.DBF"));
    EXPECT_STREQ(call([&] { return zdbChgIndexByNo(h, 2); }), "name");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(add(h, "C" + std::to_string(5 - i), "N" + std::to_string(i % 2), i), 0);
    EXPECT_EQ(walk(h, "NAME"), (std::vector<std::string>{"N0", "N0", "N0", "N1", "N1"}));
    call([&] { return zdbChgIndex(h, "CODE"); });
    EXPECT_EQ(walk(h), (std::vector<std::string>{"C1", "C2", "C3", "C4", "C5"}));

    // Mode 2 builds the definition-file indexes again.
    close(h);
    zt::remove_file(path("CUST.CODE.IDEX"));
    EXPECT_EQ(raised([&] { return zdbOpenTable(path("CUST.DBF").c_str(), nullptr); }),
              "インデックスファイル " + path("CUST.CODE.IDEX") + " がありません zdb_open_ndx:1 ");
    void *m = call([&] { return zdbOpenTableMIdx(path("CUST.DBF").c_str()); });
    ASSERT_NE(m, nullptr);
    open_handles.push_back(m);
    EXPECT_EQ(walk(m), (std::vector<std::string>{"C1", "C2", "C3", "C4", "C5"}));
    EXPECT_EQ(call([&] { return zdbUseIndex(m, path("CUST.name.IDEX").c_str()); }), 4);
    EXPECT_EQ(raised([&] { return zdbUseIndex(m, path("NONE.IDEX").c_str()); }),
              "インデックスファイル " + path("NONE.IDEX") + " がありません zdb_open_ndx:1 ");
    // Ten open indexes at most: the eleventh is an ISAM report and no number.
    for (int i = 5; i <= 10; ++i) EXPECT_EQ(call([&] { return zdbUseIndex(m, path("CUST.CODE.IDEX").c_str()); }), i);
    std::size_t mark = zt::log_mark();
    EXPECT_EQ(call([&] { return zdbUseIndex(m, path("CUST.CODE.IDEX").c_str()); }), 0);
    EXPECT_TRUE(zt::has(zt::log_since(mark), "IE_IDXOVER( 4)"));
    EXPECT_EQ(call([&] { return zdbGetNIndex(m); }), 10);
    EXPECT_EQ(add(m, "C6", "N6", 6), 0);  // every open index takes the key
    call([&] { return zdbChgIndexByNo(m, 10); });
    EXPECT_EQ(walk(m), (std::vector<std::string>{"C1", "C2", "C3", "C4", "C5", "C6"}));
    EXPECT_EQ(add(m, "C6", "N7", 7), 1);
    close(m);

    // An empty list keeps the table from opening; a table without index
    // lines has no list at all and opens.
    zt::write_file(path("CUST.INAME"), "");
    EXPECT_EQ(call([&] { return zdbOpenTable(path("CUST.DBF").c_str(), nullptr); }), nullptr);
    void *p = create("PLAIN", {"code,A,5"});
    ASSERT_NE(p, nullptr);
    EXPECT_FALSE(zt::exists(path("PLAIN.INAME")));
    close(p);
    p = open(path("PLAIN.DBF"));
    EXPECT_NE(p, nullptr);
}

// An index line naming no field stops the walk over the index lines: that
// index and the ones after it are neither made nor listed.
TEST_F(Idx, BadIndexLineStopsTheWalk) {
    std::size_t mark = zt::log_mark();
    void *h = create("B", {"code,A,5", "name,A,5", "NAME,I", "NOPE,I", "CODE,P"});
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(zt::has(zt::log_since(mark), "IE_IDXKEY(13)"));
    EXPECT_EQ(zt::read_file(path("B.INAME")), "B.NAME.IDEX\r\n");
    EXPECT_FALSE(zt::exists(path("B.NOPE.IDEX")));
    EXPECT_FALSE(zt::exists(path("B.CODE.IDEX")));
    EXPECT_EQ(call([&] { return zdbGetNIndex(h); }), 1);
}

TEST_F(Idx, UniqueKeyRefusal) {
    void *h = create("U", {"code,A,5", "name,A,10", "qty,N", "CODE,P", "NAME,I"});
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(add(h, "A1", "X", 1), 0);
    EXPECT_EQ(add(h, "A2", "Y", 2), 0);
    EXPECT_EQ(add(h, "A3", "X", 3), 0);
    close(h);
    std::string dbf = zt::read_file(path("U.DBF")), i1 = zt::read_file(path("U.CODE.IDEX")),
                i2 = zt::read_file(path("U.NAME.IDEX"));
    std::string mf = msgf_path();
    std::size_t mark = zt::read_file(mf).size();
    h = open(path("U.DBF"));
    ASSERT_NE(h, nullptr);
    call([&] { return zdbBottom(h); });  // record 3: the number given is 4
    EXPECT_EQ(add(h, "A2", "Z", 9), 1);
    std::string lines = zt::read_file(mf).substr(mark);
    EXPECT_TRUE(zt::has(lines, " " + path("U.DBF") + " フィールド名[CODE] \"A2\" が重複しています。\r\n")) << lines;
    EXPECT_TRUE(zt::has(lines, " 重複キー :ﾌｧｲﾙ " + path("U.DBF") +
                                   " ｲﾝﾃﾞｯｸｽ CODE 内容 A2     ｷｰ長  5 実際のｷｰ長  5 追加番号(dbp->rno)=      4(DBE::append)\n"))
        << lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2);
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 3);
    close(h);
    EXPECT_EQ(zt::read_file(path("U.DBF")), dbf);
    EXPECT_EQ(zt::read_file(path("U.CODE.IDEX")), i1);
    EXPECT_EQ(zt::read_file(path("U.NAME.IDEX")), i2);

    // Update: only the second line; the record itself may keep its key.
    h = open(path("U.DBF"));
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(seek(h, {"A1"}), 1);
    call([&] { return zdbSS(h, "CODE", "A3"); });
    mark = zt::read_file(mf).size();
    EXPECT_EQ(call([&] { return zdbUpdate(h); }), 1);
    lines = zt::read_file(mf).substr(mark);
    EXPECT_TRUE(zt::has(lines, "ｲﾝﾃﾞｯｸｽ CODE 内容 A3     ｷｰ長  5 実際のｷｰ長  5 追加番号(dbp->rno)=      2(DBE::update)\n"))
        << lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 1);
    call([&] { return zdbSS(h, "CODE", "A1"); });
    call([&] { return zdbSS(h, "QTY", "7"); });
    EXPECT_EQ(call([&] { return zdbUpdate(h); }), 0);
    close(h);
    EXPECT_EQ(zt::read_file(path("U.CODE.IDEX")), i1);  // keys unchanged: the files too
    EXPECT_EQ(zt::read_file(path("U.NAME.IDEX")), i2);
    EXPECT_NE(zt::read_file(path("U.DBF")), dbf);
}

TEST_F(Idx, CompoundSeeks) {
    void *h = create("K", {"code,A,5", "name,A,10", "no,A,5", "code;name,I", "no;code,I"});
    ASSERT_NE(h, nullptr);
    auto put = [&](const char *c, const char *n, const char *no) {
        call([&] { return zdbClearBuf(h); });
        call([&] { return zdbSS(h, "CODE", c); });
        call([&] { return zdbSS(h, "NAME", n); });
        call([&] { return zdbSS(h, "NO", no); });
        return call([&] { return zdbAppend(h); });
    };
    put("B2", "ZED", "    7");
    put("A1", "MARY", "   42");
    put("A1", "JOHN", "   42");
    put("A10", "ANN", "  420");
    EXPECT_EQ(seek(h, {"A1"}), 3);  // A1 + three blanks: JOHN before MARY, not A10
    EXPECT_EQ(gs(h, "NAME"), "JOHN");
    EXPECT_EQ(seek(h, {"A1", "MARY"}), 2);
    EXPECT_EQ(seek(h, {"A1", "MAX"}), 0);
    EXPECT_TRUE(eof(h));
    EXPECT_EQ(seek(h, {"a1"}), 0);  // bytes compare: case matters
    zdbSeekReset();
    call([&] { return zdbSSKey(h, "A1"); });
    call([&] { return zdbSSKey(h, "JOHN"); });
    EXPECT_EQ(raised([&] { return zdbSSKey(h, "X"); }),
              "複合キーの個数がオーバーしました " + path("K.DBF") + " <code;name> 複合キーの数:2 与えられたパラメータ数:3 ");
    EXPECT_EQ(raised([&] { return zdbSSKey(h, nullptr); }), "PGM Error zdbSSKey");

    EXPECT_EQ(call([&] { return zdbChgIndex(h, "NO;CODE"); }), 2);
    zdbSeekReset();
    call([&] { return zdbSIKey(h, 42); });
    call([&] { return zdbSSKey(h, "A1"); });
    EXPECT_EQ(call([&] { return zdbSeek(h); }), 2);
    zdbSeekReset();
    call([&] { return zdbSIKey(h, 420); });
    EXPECT_EQ(call([&] { return zdbSeek(h); }), 4);
    zdbSeekReset();
    call([&] { return zdbSIKey(h, 1234567); });  // wider than the part: its first digits
    EXPECT_EQ(call([&] { return zdbSeek(h); }), 0);
    zdbSeekReset();
    EXPECT_EQ(raised([&] { return zdbSeek(h); }), "eol DBE::seek(char *src)");

    // A compound key longer than the key buffer is refused, never written past it.
    void *w = create("W", {"a,A,100", "b,A,100", "a;b,I"});
    ASSERT_NE(w, nullptr);
    zdbSeekReset();
    call([&] { return zdbSSKey(w, "x"); });
    std::string r = raised([&] { return zdbSSKey(w, "y"); });
    EXPECT_TRUE(zt::has(r, "複合キーが長すぎます")) << r;
    EXPECT_EQ(call([&] { return zdbSeek(w); }), 0);

    // No index at all.
    void *p = create("P", {"a,A,3"});
    zdbSeekReset();
    EXPECT_EQ(raised([&] { return zdbSSKey(p, "x"); }), "インデックスがオープンされていません zdbSSKey");
    EXPECT_EQ(raised([&] { return zdbSIKey(p, 1); }), "インデックスがオープンされていません zdbSIKey");
    EXPECT_EQ(call([&] { return zdbSeekFirst(p); }), 0);
}

// Indexes as other xBase programs write them: parts joined by '+', and
// no key type letter in the header (as in every file made before the
// engine wrote one).
TEST_F(Idx, IndexesOfOtherXBasePrograms) {
    void *h = create("X", {"code,A,5", "name,A,10", "name;code,I"});
    ASSERT_NE(h, nullptr);
    auto put = [&](const char *c, const char *n) {
        call([&] { return zdbClearBuf(h); });
        call([&] { return zdbSS(h, "CODE", c); });
        call([&] { return zdbSS(h, "NAME", n); });
        return call([&] { return zdbAppend(h); });
    };
    put("B2", "ZED");
    put("A1", "MARY");
    put("C3", "ANN");
    put("A0", "MARY");
    close(h);
    std::string ours = zt::read_file(path("X.name.code.IDEX"));
    EXPECT_EQ(ours[NDX_TYPE_LETTER_OFF], 'C');
    std::string theirs = ours;
    theirs.replace(NDX_EXPR_OFF, 10, std::string("NAME+CODE\0", 10));
    theirs[NDX_TYPE_LETTER_OFF] = '\0';
    zt::write_file(path("X.NDX"), theirs);

    h = open(path("X.DBF"));
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(call([&] { return zdbUseIndex(h, path("X.NDX").c_str()); }), 2);
    EXPECT_EQ(call([&] { return zdbChgIndex(h, "NAME+CODE"); }), 2);
    EXPECT_EQ(walk(h), (std::vector<std::string>{"C3", "A0", "A1", "B2"}));
    EXPECT_EQ(seek(h, {"MARY", "A1"}), 2);
    EXPECT_EQ(seek(h, {"ZED"}), 1);
    EXPECT_EQ(put("A5", "BOB"), 0);  // kept up like our own
    EXPECT_EQ(walk(h), (std::vector<std::string>{"C3", "A5", "A0", "A1", "B2"}));
    call([&] { return zdbReIndex(h); });
    EXPECT_EQ(seek(h, {"BOB"}), 5);
    close(h);
    EXPECT_EQ(zt::read_file(path("X.NDX"))[NDX_TYPE_LETTER_OFF], 'C');  // rebuilt
}

TEST_F(Idx, SeekFirstAndNext) {
    void *h = create("S", {"code,A,5", "name,A,10", "qty,N", "CODE,I"});
    ASSERT_NE(h, nullptr);
    for (int i = 1; i <= 10; ++i) add(h, "C" + std::to_string(i), "", i);
    // Records 4, 9, 2 get the key K in that order: equal keys keep it.
    for (int r : {4, 9, 2}) {
        call([&] { return zdbSetRecordNo(h, r); });
        call([&] { return zdbSkip(h, 0); });  // loads the record
        call([&] { return zdbSS(h, "CODE", "K"); });
        ASSERT_EQ(call([&] { return zdbUpdate(h); }), 0);
    }
    zdbSeekReset();
    call([&] { return zdbSSKey(h, "K"); });
    EXPECT_EQ(call([&] { return zdbSeekFirst(h); }), 4);
    EXPECT_EQ(rno(h), 4);
    EXPECT_EQ(call([&] { return zdbSeekNext(h); }), 1);
    EXPECT_EQ(rno(h), 9);
    EXPECT_EQ(gs(h, "QTY"), "9");
    EXPECT_EQ(call([&] { return zdbSeekNext(h); }), 1);
    EXPECT_EQ(rno(h), 2);
    EXPECT_EQ(call([&] { return zdbSeekNext(h); }), 0);
    EXPECT_EQ(rno(h), 2);
    EXPECT_EQ(raised([&] { return zdbSeekNext(h); }), " プログラムエラー seek_next()：match_lrecが0です ");
    zdbSeekReset();
    call([&] { return zdbSSKey(h, "Q"); });
    EXPECT_EQ(call([&] { return zdbSeekFirst(h); }), 0);
    EXPECT_EQ(raised([&] { return zdbSeekNext(h); }), " プログラムエラー seek_next()：match_lrecが0です ");
    // A part is blank-padded to its width: C1 does not match C10.
    zdbSeekReset();
    call([&] { return zdbSSKey(h, "C1"); });
    EXPECT_EQ(call([&] { return zdbSeekFirst(h); }), 1);
    EXPECT_EQ(call([&] { return zdbSeekNext(h); }), 0);
    // Clearing the table empties its index too.
    call([&] { return zdbClearTable(h); });
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 0);
    EXPECT_EQ(seek(h, {"K"}), 0);
    EXPECT_EQ(add(h, "Z", "", 1), 0);
    EXPECT_EQ(walk(h), (std::vector<std::string>{"Z"}));
}

TEST_F(Idx, NavigationThroughTheIndex) {
    void *h = create("N", {"code,A,5", "name,A,10", "qty,N", "NAME,I"});
    ASSERT_NE(h, nullptr);
    const char *names[] = {"E", "C", "A", "D", "B"};
    for (int i = 0; i < 5; ++i) add(h, "C" + std::to_string(i + 1), names[i], i);
    call([&] { return zdbTop(h); });
    EXPECT_EQ(gs(h, "NAME"), "A");
    EXPECT_EQ(call([&] { return zdbSkip(h, -1); }), 0);
    EXPECT_TRUE(bof(h));
    EXPECT_EQ(call([&] { return zdbSkip(h, 1); }), 1);  // from BOF: the first key
    EXPECT_EQ(gs(h, "NAME"), "A");
    EXPECT_EQ(call([&] { return zdbSkip(h, 2); }), 1);
    EXPECT_EQ(gs(h, "NAME"), "C");
    call([&] { return zdbBottom(h); });
    EXPECT_EQ(gs(h, "NAME"), "E");
    EXPECT_EQ(call([&] { return zdbSkip(h, 1); }), 0);
    EXPECT_TRUE(eof(h));
    EXPECT_EQ(call([&] { return zdbSkip(h, -1); }), 1);  // from EOF: the last key
    EXPECT_EQ(gs(h, "NAME"), "E");
    EXPECT_EQ(call([&] { return zdbSkip(h, 1); }), 0);
    EXPECT_EQ(call([&] { return zdbSkip(h, -3); }), 1);
    EXPECT_EQ(gs(h, "NAME"), "C");
    EXPECT_EQ(call([&] { return zdbSkip(h, -5); }), 0);
    EXPECT_TRUE(bof(h));
    // A number, then a step: from that record's place in the index.
    call([&] { return zdbSetRecordNo(h, 4); });
    EXPECT_EQ(call([&] { return zdbSkip(h, 1); }), 1);
    EXPECT_EQ(gs(h, "NAME"), "E");
    // Delete in mode 0 goes on to the record that followed in index order.
    call([&] { return zdbSetRecordNo(h, 2); });  // C
    EXPECT_EQ(call([&] { return zdbDeleteRecord(h, 0); }), 0);
    EXPECT_EQ(gs(h, "NAME"), "D");
    EXPECT_EQ(walk(h, "NAME"), (std::vector<std::string>{"A", "B", "D", "E"}));
    // The deleted-record switch passes over '*' records in index order.
    call([&] { return zdbSetDeleteRecordUse(); });
    EXPECT_EQ(seek(h, {"B"}), 2);  // the former last record, moved into the gap
    EXPECT_EQ(seek(h, {"Z"}), 0);
    EXPECT_TRUE(eof(h));
}

// An index whose header gives numeric keys (as other dBASE programs make
// them for number fields): keys are the fields' values, ordered by value.
TEST_F(Idx, NumericKeysFromTheHeader) {
    void *h = create("V", {"code,A,5", "qty,N"});
    ASSERT_NE(h, nullptr);
    {
        zt::mem_table none({{"QTY", 'X', 8}});
        ndx *ip = ndx_create(path("V.QTY.NDX").c_str(), "QTY", false);
        ASSERT_NE(ip, nullptr);
        EXPECT_TRUE(ndx_build(ip, none));
        ndx_close(ip);
    }
    EXPECT_EQ(call([&] { return zdbUseIndex(h, path("V.QTY.NDX").c_str()); }), 1);
    int values[] = {3, -20, 10, -5, 3};
    for (int i = 0; i < 5; ++i) {
        call([&] { return zdbClearBuf(h); });
        call([&] { return zdbSS(h, "CODE", ("C" + std::to_string(i + 1)).c_str()); });
        call([&] { return zdbSI(h, "QTY", values[i]); });
        ASSERT_EQ(call([&] { return zdbAppend(h); }), 0);
    }
    EXPECT_EQ(walk(h), (std::vector<std::string>{"C2", "C4", "C1", "C5", "C3"}));
    EXPECT_EQ(seek(h, {"-5"}), 4);
    zdbSeekReset();
    call([&] { return zdbSSKey(h, "3"); });  // "3" and seven blanks: the value 3
    EXPECT_EQ(call([&] { return zdbSeekFirst(h); }), 1);
    EXPECT_EQ(call([&] { return zdbSeekNext(h); }), 1);
    EXPECT_EQ(rno(h), 5);
    EXPECT_EQ(call([&] { return zdbSeekNext(h); }), 0);
    // An update moves the key by value.
    call([&] { return zdbSetRecordNo(h, 3); });
    call([&] { return zdbSkip(h, 0); });
    call([&] { return zdbSI(h, "QTY", -100); });
    EXPECT_EQ(call([&] { return zdbUpdate(h); }), 0);
    EXPECT_EQ(walk(h), (std::vector<std::string>{"C3", "C2", "C4", "C1", "C5"}));
}

// ---- the model test --------------------------------------------------------------

struct rec_model {
    std::string code, name;
    int qty;
};

std::string qty_key(int q) {
    char b[16];
    std::snprintf(b, sizeof b, "%8d", q);
    return b;
}

TEST_F(Idx, RandomOperationsAgainstAModel) {
    void *h = create("M", {"code,A,6", "name,A,3", "qty,N", "CODE,P", "NAME,I", "QTY,I"});
    ASSERT_NE(h, nullptr);
    std::mt19937 rng(20261207);
    std::vector<rec_model> model;  // record n at model[n - 1]
    auto rnd = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto any_code = [&] { return "K" + std::to_string(rnd(model.size() < 150 ? 400 : 4000)); };
    auto any_name = [&] { return std::string(1, static_cast<char>('a' + rnd(5))); };
    auto code_taken = [&](const std::string &c, int except) {
        for (std::size_t i = 0; i < model.size(); ++i)
            if (static_cast<int>(i) + 1 != except && model[i].code == c) return true;
        return false;
    };
    auto fill = [&](const rec_model &r) {
        call([&] { return zdbClearBuf(h); });
        call([&] { return zdbSS(h, "CODE", r.code.c_str()); });
        call([&] { return zdbSS(h, "NAME", r.name.c_str()); });
        call([&] { return zdbSI(h, "QTY", r.qty); });
    };
    std::vector<zt::index_check> defs = {{"CODE", true, [&](int r) { return pad(model[r - 1].code, 6); }},
                                         {"NAME", false, [&](int r) { return pad(model[r - 1].name, 3); }},
                                         {"QTY", false, [&](int r) { return qty_key(model[r - 1].qty); }}};
    auto check = [&](int step) {
        zt::check_indexes(h, static_cast<int>(model.size()), defs, "CODE", [&](int r) { return model[r - 1].code; },
                          "step " + std::to_string(step));
    };
    const int steps = 1200;
    for (int step = 0; step < steps; ++step) {
        int op = rnd(10);
        if (op < 5 || model.size() < 3) {  // append
            rec_model r{any_code(), any_name(), rnd(1000)};
            fill(r);
            int got = call([&] { return zdbAppend(h); });
            if (code_taken(r.code, 0)) {
                ASSERT_EQ(got, 1) << step;
            } else {
                ASSERT_EQ(got, 0) << step;
                model.push_back(r);
                ASSERT_EQ(rno(h), static_cast<int>(model.size()));
            }
        } else if (op < 7) {  // update
            int r = 1 + rnd(static_cast<int>(model.size()));
            call([&] { return zdbSetRecordNo(h, r); });
            rec_model n = model[r - 1];
            int what = rnd(3);
            if (what == 0) n.code = any_code();
            if (what == 1) n.name = any_name();
            if (what == 2) n.qty = rnd(1000);
            fill(n);
            int got = call([&] { return zdbUpdate(h); });
            if (code_taken(n.code, r)) {
                ASSERT_EQ(got, 1) << step;
            } else {
                ASSERT_EQ(got, 0) << step;
                model[r - 1] = n;
            }
        } else if (op < 8) {  // delete: the last record moves into the gap
            int r = 1 + rnd(static_cast<int>(model.size()));
            call([&] { return zdbSetRecordNo(h, r); });
            call([&] { return zdbDeleteRecord(h, rnd(2)); });
            model[r - 1] = model.back();
            model.pop_back();
        } else if (op < 9) {  // seek a code
            call([&] { return zdbChgIndex(h, "CODE"); });
            std::string c = any_code();
            int got = seek(h, {c});
            auto it = std::find_if(model.begin(), model.end(), [&](const rec_model &m) { return pad(m.code, 6) == pad(c, 6); });
            ASSERT_EQ(got, it == model.end() ? 0 : static_cast<int>(it - model.begin()) + 1) << step;
        } else {  // skip about in some index
            call([&] { return zdbChgIndexByNo(h, 1 + rnd(3)); });
            call([&] { return zdbSkip(h, rnd(7) - 3); });
        }
        if (step % 10 == 0 || step == steps - 1) check(step);
        if (HasFatalFailure()) return;
    }
    EXPECT_GE(model.size(), 200u);  // the sequence did grow the table
    // A reindex gives the files a fresh build gives.
    call([&] { return zdbReIndex(h); });
    check(steps);
    close(h);
    std::vector<std::string> names = {"M.CODE.IDEX", "M.NAME.IDEX", "M.QTY.IDEX"};
    std::vector<std::string> reindexed;
    for (auto &n : names) reindexed.push_back(zt::read_file(path(n)));
    for (auto &n : names) zt::remove_file(path(n));
    void *m = call([&] { return zdbOpenTableMIdx(path("M.DBF").c_str()); });
    ASSERT_NE(m, nullptr);
    close(m);
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_TRUE(zt::read_file(path(names[i])) == reindexed[i]) << names[i];
}

// Two processes append to one indexed table under one mutex name.
TEST_F(Idx, TwoProcessesShareAnIndexedTable) {
    void *h = create("SHARE", {"code,A,6", "name,A,4", "qty,N", "CODE,P", "NAME,I"});
    ASSERT_NE(h, nullptr);
    close(h);
    std::string prog = zt::copy_program("zdbappend", dir);
    std::string table = path("SHARE.DBF");
    std::string done[2] = {path("done1.txt"), path("done2.txt")};
    const char *prefix[2] = {"A", "B"};
    for (int p = 0; p < 2; ++p) {
#ifdef _WIN32
        std::string cmd = "start \"\" /b \"" + prog + "\" \"" + table + "\" ZUIDXTEST " + prefix[p] + " 500 \"" + done[p] + "\"";
#else
        std::string cmd = "\"" + prog + "\" \"" + table + "\" ZUIDXTEST " + prefix[p] + " 500 \"" + done[p] + "\" &";
#endif
        ASSERT_EQ(zt::run(cmd), 0);
    }
    // Wait (at most 240 s) for both.
    for (int i = 0; i < 2400 && !(zt::exists(done[0]) && zt::exists(done[1])); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(zt::exists(done[0]) && zt::exists(done[1]));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the line written
    for (auto &d : done) EXPECT_TRUE(zt::has(zt::read_file(d), "ok")) << zt::read_file(d);
    h = open(table, "ZUIDXTEST");
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(call([&] { return zdbRecordCount(h); }), 1000);
    std::vector<std::string> codes = walk(h);
    ASSERT_EQ(codes.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(codes.begin(), codes.end()));
    EXPECT_EQ(std::set<std::string>(codes.begin(), codes.end()).size(), 1000u);
    call([&] { return zdbChgIndex(h, "NAME"); });
    std::vector<std::string> names = walk(h, "NAME");
    EXPECT_EQ(names.size(), 1000u);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    call([&] { return zdbChgIndex(h, "CODE"); });
    for (const char *c : {"A0001", "A0500", "B0001", "B0250", "B0500"}) EXPECT_NE(seek(h, {c}), 0) << c;
}

}  // namespace
