// The text conversion engine: pattern texts (notation, records, refusals),
// string conversion, handles and ConvertToFileNameString.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/base.h"
#include "test_support.h"
#include "zuwgy.h"
#include "zuwgy/wgy.h"

namespace {

using u16 = std::uint16_t;

// Printable ASCII as itself, every other code as <hex>.
std::string codes(const u16 *w) {
    if (!w) return "-";
    std::string s;
    for (; *w; ++w) {
        if (*w >= 0x20 && *w < 0x7F && *w != '<') {
            s += static_cast<char>(*w);
        } else {
            char b[12];
            std::snprintf(b, sizeof b, "<%x>", *w);
            s += b;
        }
    }
    return s;
}

// The record table: "H<kind>/<patterns>:<parameters>" for a header,
// "<source>><target>" for a pattern, blank-separated.
std::string table(void *handle) {
    std::string s;
    for (const wgy_record *r = static_cast<wgy_handle *>(handle)->table; r->kind || r->source; ++r) {
        if (!s.empty()) s += ' ';
        if (wgy_is_header(r))
            s += "H" + std::to_string(r->kind) + "/" + std::to_string(r->patterns) + ":" + codes(r->target);
        else
            s += codes(r->source) + ">" + codes(r->target);
    }
    return s;
}

void *load(const std::string &text, int capacity = 40) {
    void *h = nullptr;
    std::string report = zt::report_of([&] { h = ZuWGYInitStr(text.c_str(), capacity); });
    EXPECT_EQ(report, "(none)") << text;
    return h;
}

// The table a text compiles to.
std::string compiled(const std::string &text) {
    void *h = load(text);
    if (!h) return "(refused)";
    std::string s = table(h);
    ZuWGYTerm(h);
    return s;
}

// The report a text gives; under Windows it was also shown in a box.
std::string refusal(const std::string &text, int capacity = 40) {
    std::string report = zt::report_of([&] { EXPECT_EQ(ZuWGYInitStr(text.c_str(), capacity), nullptr); });
#ifdef _WIN32
    auto boxes = zt::boxes_seen();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), report), boxes.end()) << report;
#endif
    return report;
}

std::string convert(void *h, const std::string &text) {
    const char *r = nullptr;
    std::string report = zt::report_of([&] { r = ZuWGYStr(h, text.c_str()); });
    if (report != "(none)") return "report: " + report;
    return r ? r : "(null)";
}

std::string convert(const std::string &patterns, const std::string &text) {
    void *h = load(patterns);
    std::string s = h ? convert(h, text) : "(refused)";
    ZuWGYTerm(h);
    return s;
}

std::string line_message(const char *format, unsigned line) {
    char b[200];
    std::snprintf(b, sizeof b, format, line);
    return b;
}
const char BAD1[] = "パターンファイルの %u 行目が，おかしいです(1)";
const char BAD2[] = "パターンファイルの %u 行目が，おかしいです(2)";
const char HEX[] = "\\x または 0x の後のコードが，おかしいので，16 進数変換をしません wa10toi()\n";

TEST(PatternText, EscapesWildcardsAndLineEnds) {
    EXPECT_EQ(compiled("ab_xy\n"), "H17/1:- ab>xy");
    EXPECT_EQ(compiled("a\\_b_c\r\nd_\n"), "H17/2:- a_b>c d>");
    // \\ is a backslash; a backslash before any other character stands for itself.
    EXPECT_EQ(compiled("\\\\_\\a\n"), "H17/1:- \\>\\a");
    EXPECT_EQ(compiled("x\\?\\[\\]\\+\\*_?\n"), "H17/1:- x?[]+*><8>");
    EXPECT_EQ(compiled("a?b+c*_?+*\n"), "H17/1:- a<8>b<b>c<e>><8><b><e>");
    EXPECT_EQ(compiled("\\{CHGPTN}_\\{CNT}\n"), "H17/1:- {CHGPTN}>{CNT}");
    // Outside classes - and ^ are plain characters.
    EXPECT_EQ(compiled("a-^b_\\-\n"), "H17/1:- a-^b>\\-");
}

TEST(PatternText, HexadecimalValues) {
    EXPECT_EQ(compiled("\\x41_\\X4a\n0x8140_0X82a0\n"), "H17/2:- A>J <8140>><82a0>");
    EXPECT_EQ(compiled("\\0x12_\\0X34\n\\\\0x4142_x\n"), "H17/2:- 0x12>0X34 \\<4142>>x");
    // Values are written after the marks were made, so a value equal to a
    // mark code acts as that mark ...
    EXPECT_EQ(compiled("a\\x08_\\x08\n"), "H17/1:- a<8>><8>");
    EXPECT_EQ(compiled("a_b\\x07c_d\n"), "H17/2:- a>b c>d");
    EXPECT_EQ(compiled("\\x0ecomment\na_b\n"), "H17/1:- a>b");
    EXPECT_EQ(compiled("\\x14 /V\na_b\n"), "H18/1: /V a>b");
    EXPECT_EQ(compiled("\\x13_x\n"), "H17/1:- \\>x");  // the escape mark, read as a backslash at the end
    // ... while characters with a meaning in the notation stay literal.
    EXPECT_EQ(compiled("a\\x5Fb\\x3f_\\x5c\\x5B\n"), "H17/1:- a_b?>\\[");
    EXPECT_EQ(convert("a\\x08_<\\x08>\n", "ab"), "<b>");
}

TEST(PatternText, NamedCharacters) {
    EXPECT_EQ(compiled("&DA&SP&JSP&TAB_x&DA\n"), "H17/1:- <a> <8140><9>>x<a>");
    EXPECT_EQ(compiled("\\&DA\\&SP\\&JSP\\&TAB_&da\n"), "H17/1:- &DA&SP&JSP&TAB>&da");
    EXPECT_EQ(convert("&DA_|\n", "a\nb"), "a|b");
    // Not in the parameter text of a change-pattern line (expanded per argument later).
    EXPECT_EQ(compiled("{CHGPTN} /R&SP\na_b\n"), "H18/1: /R&SP a>b");
    u16 arg[] = {'&', 'S', 'P', WGY_ESCAPE, '&', 'D', 'A', 0};
    wgy_expand_names(arg);
    EXPECT_EQ(codes(arg), " &DA");
}

TEST(PatternText, Classes) {
    EXPECT_EQ(compiled("[a-z]+_X\n"), "H17/1:- <1><5><3>az<b>>X");
    EXPECT_EQ(compiled("[^0-9]_N\n"), "H17/1:- <1><6><4><3>09>N");
    EXPECT_EQ(compiled("[\\-\\^a]_N\n"), "H17/1:- <1><5>-^a>N");
    EXPECT_EQ(compiled("[あ-ん]_N\n"), "H17/1:- <1><5><3><82a0><82f1>>N");
    EXPECT_EQ(convert("[^0-9]_N\n", "a1b2"), "N1N2");
    EXPECT_EQ(convert("[0-9]円_<?>\n", "5円"), "<5>");
    EXPECT_EQ(refusal("x_[a]\n"), "現在は，パターンファイルの変換先にキャラクタクラスは使えません\n");
    EXPECT_EQ(refusal("[a-]_x\n"),
              "キャラクタクラスの範囲文字の使い方がおかしいです\n範囲文字の右側に文字がありません\n");
    EXPECT_EQ(refusal("a]_x\n"), "キャラクタクラスの始まりがないのに終わりがあります chkcrcs()");
}

TEST(PatternText, CommentsAndChangePatternLines) {
    EXPECT_EQ(compiled("*comment\na_b\n\\*x_y\n*last line\n"), "H17/2:- a>b *x>y");
    EXPECT_EQ(compiled("*only comments\n"), "");
    EXPECT_EQ(compiled("a_b\n{CHGPTN} /V\nc_d\n*\ne_f\nx {CHGPTN}\ng_h\n{CHGPTN} /Q{CNT}\ni_j\n"
                       "{CHGPTN}{CNT}\nk_l\n{CHGPTN}? \\_[a-b]\nm_n\n"),
              "H17/1:- a>b H18/2: /V c>d e>f H19/1: g>h H17/1: /Q<15> i>j H17/1:<15> k>l "
              "H18/1:<8> _<1><5><3>ab m>n");
    EXPECT_EQ(compiled("{CHGPTN}\na_b\n"), "H19/1: a>b");
}

TEST(PatternText, RefusalsNameTheirLine) {
    EXPECT_EQ(refusal(""), line_message(BAD2, 1));
    EXPECT_EQ(refusal("a_b"), line_message(BAD2, 1));
    EXPECT_EQ(refusal("a_b\nc"), line_message(BAD2, 2));
    EXPECT_EQ(refusal("*x\na_b\nc_"), line_message(BAD2, 3));
    EXPECT_EQ(refusal("a_b\n\nc_d\n"), line_message(BAD1, 2));
    EXPECT_EQ(refusal("*x\n*y\nab\n"), line_message(BAD1, 3));
    EXPECT_EQ(refusal("a__b\n"), line_message(BAD1, 1));
    EXPECT_EQ(refusal("a_b\nc_d_e\n"), line_message(BAD1, 2));
    EXPECT_EQ(refusal("a_b\nc{CNT}_d\n"),
              line_message("チェンジパターン{CHGPTN}のない行 (%u 行目) にチェンジパターン継続{CNT}が入っています", 2));
    EXPECT_EQ(refusal("{CHGPTN}\n*c\n{CHGPTN}\na_b\n"),
              line_message("パターンチェンジマークの間に１つもパターンがありません(%u 行目)\n", 1));
    EXPECT_EQ(refusal("a_b\n{CHGPTN} x\n{CHGPTN}\nc_d\n"),
              line_message("パターンチェンジマークの間に１つもパターンがありません(%u 行目)\n", 2));
    EXPECT_EQ(refusal("a_b\n{CHGPTN}"), "パターンファイルの最後の行がおかしいです");
    EXPECT_EQ(refusal("a_b\n{CHGPTN}\n"), "パターンファイルの最後の行にチェンジパターンコマンドが入っています");
    EXPECT_EQ(refusal("a_b\n{CHGPTN}\n*c\n"), "パターンファイルの最後の行にチェンジパターンコマンドが入っています");
    EXPECT_EQ(refusal("a_b\n*c"), "skip_coment() err\n");
    EXPECT_EQ(refusal("_b\n"), "ﾊﾟﾀｰﾝが、反復文字（0以上）のみで構成されています\n");
    EXPECT_EQ(refusal("\\x4G_y\n"), HEX);
    EXPECT_EQ(refusal("0x12_y\n"), HEX);
    EXPECT_EQ(refusal("a_b\n\\x4"), HEX);
    // The table holds capacity - 2 headers and patterns.
    EXPECT_EQ(refusal("a_b\nc_d\n", 3), "パターンファイルの行数が，オーバーしました 2 行までです\n");
    EXPECT_EQ(refusal("a_b\n{CHGPTN}\nc_d\n", 4), "パターンファイルの行数が，オーバーしました 3 行までです\n");
    EXPECT_EQ(compiled("a_b\nc_d\n"), "H17/2:- a>b c>d");
    void *h = load("a_b\nc_d\n", 4);
    EXPECT_EQ(table(h), "H17/2:- a>b c>d");
    ZuWGYTerm(h);
    // However long the text, the table is not written past.
    std::string many;
    for (int i = 0; i < 2000; ++i) many += "a_b\n";
    EXPECT_EQ(refusal(many, WGY_FILE_RECORDS), "パターンファイルの行数が，オーバーしました 767 行までです\n");
    // Fewer than three records: refused before anything is read.
    for (int capacity : {2, 0, -1})
        EXPECT_EQ(refusal("a_b\n", capacity), "パターンのレコード数 " + std::to_string(capacity) +
                                                  " が少なすぎます．3 以上を指定して下さい\n");
}

TEST(PatternText, OptionTexts) {
    // Escapes, wildcards, classes, separators, named characters and values.
    u16 value[] = {'\\', '_', '[', 'a', '-', 'b', ']', '_', '2', '&', 'S', 'P', '\\', 'x', '4', '1', '?', 0};
    EXPECT_TRUE(wgy_compile_option(value));
    EXPECT_EQ(codes(value), "_<1><5><3>ab<6>2 A<8>");
    u16 continued[] = {'a', '{', 'C', 'N', 'T', '}', 0};
    wgy_free(wgy_load_string("*\na_b\n", 10));  // the last load read two lines
    EXPECT_EQ(zt::report_of([&] { wgy_compile_option(continued); }),
              line_message("チェンジパターン{CHGPTN}のない行 (%u 行目) にチェンジパターン継続{CNT}が入っています", 3));
}

TEST(PatternText, ProgressLinesAndFiles) {
    std::string dir = zt::fresh_dir("wgy_files");
    std::string name = zt::join(dir, "P.GY");
    zt::write_file(name, "*見出し\r\nab_xy\r\nあ_い\r\n\x1A");
#ifndef _WIN32
    testing::internal::CaptureStdout();
#endif
    void *h = nullptr;
    EXPECT_EQ(zt::report_of([&] { h = ZuWGYInit(name.c_str(), 10); }), "(none)");
#ifndef _WIN32
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\nパタ－ンファイル展開中\nスタ－ト\n");
#endif
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(table(h), "H17/2:- ab>xy <82a0>><82a2>");
    EXPECT_EQ(convert(h, "abあ"), "xyい");
    ZuWGYTerm(h);
    std::string missing = zt::join(dir, "NONE.GY");
    EXPECT_EQ(zt::report_of([&] { ZuWGYInit(missing.c_str(), 10); }), "'" + missing + "' が、オープンできません。");
    EXPECT_EQ(zt::report_of([&] { ZuWGYInit(name.c_str(), 2); }).find("パターンのレコード数 2"), 0u);
}

TEST(StringConversion, FirstPatternWinsAndCaptures) {
    EXPECT_EQ(convert("ab_1\nabc_2\n", "abcab"), "1c1");
    EXPECT_EQ(convert("ab?_x?\n", "abc"), "xc");
    EXPECT_EQ(convert("?=?_??\n", "a=b,c=d"), "ab,cd");
    EXPECT_EQ(convert("a*b_<*>\n", "aabb"), "<aa><>");
    EXPECT_EQ(convert("あ_い\n表_x\n", "あいう表\\"), "いいうx\\");
    // An empty target deletes.
    EXPECT_EQ(convert("b_\n", "abcb"), "ac");
}

TEST(StringConversion, GroupsInOrderAndHitCounts) {
    void *h = load("a_b\nx_y\n{CHGPTN}\nb_c\n");
    EXPECT_EQ(convert(h, "ax"), "cy");
    EXPECT_EQ(convert(h, "aa"), "cc");
    // One handle, many conversions: the hit counts grow.
    const wgy_record *t = static_cast<wgy_handle *>(h)->table;
    EXPECT_EQ(t[1].hits, 3u);
    EXPECT_EQ(t[2].hits, 1u);
    EXPECT_EQ(t[4].hits, 3u);
    // The result of a call may be the text of the next.
    EXPECT_STREQ(ZuWGYStr(h, ZuWGYStr(h, "a")), "c");
    EXPECT_EQ(ZuWGYTerm(h), 0);
    EXPECT_EQ(ZuWGYTerm(nullptr), 0);
    // Two handles loaded side by side.
    void *h1 = load("a_1\n"), *h2 = load("a_2\n");
    EXPECT_EQ(convert(h1, "a") + convert(h2, "a") + convert(h1, "a"), "121");
    ZuWGYTerm(h1);
    ZuWGYTerm(h2);
}

TEST(StringConversion, EndOfStringDoesNotCompleteARepeat) {
    EXPECT_EQ(convert("ab*_X\n", "abbc"), "Xc");
    EXPECT_EQ(convert("ab*_X\n", "cabb"), "cabb");
    EXPECT_EQ(convert("a?_X\n", "a"), "a");
    EXPECT_EQ(convert("ab_X\n", "a"), "a");
}

TEST(StringConversion, Limits) {
    void *h = load("a_bb\nc_あ\n");
    std::string max(WGY_STR_MAX, 'x');
    EXPECT_EQ(convert(h, max), max);
    EXPECT_EQ(convert(h, max + "x"), "(null)");
    // Targets that grow the text: up to 16383 bytes of result.
    EXPECT_EQ(convert(h, std::string(8191, 'a') + "x"), std::string(16382, 'b') + "x");
    EXPECT_EQ(convert(h, std::string(8192, 'a')), "(null)");
    EXPECT_EQ(convert(h, std::string(8191, 'c') + "x"), [] {
        std::string s;
        for (int i = 0; i < 8191; ++i) s += "あ";
        return s + "x";
    }());
    EXPECT_EQ(convert(h, std::string(8192, 'c')), "(null)");
    EXPECT_EQ(ZuWGYStr(nullptr, "a"), nullptr);
    EXPECT_EQ(ZuWGYStr(h, nullptr), nullptr);
    ZuWGYTerm(h);
}

TEST(ConvertToFileName, EveryReservedCharacter) {
    EXPECT_EQ(std::string(ConvertToFileNameString("a:b/c*d")), "a_b_c_d");
    EXPECT_EQ(std::string(ConvertToFileNameString("/:><|\"?*\\x表")), "_________x表");
}

}  // namespace
