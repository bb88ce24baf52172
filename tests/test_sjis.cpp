// Shift-JIS helpers: classification, the wide form, trimming, numbers and
// field splitting.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"

namespace {

using u16 = std::uint16_t;

TEST(Sjis, IsnkanjiLooksBackOverRunsOfLeadClassBytes) {
    const char a[] = "\x82\xA0\x41";
    EXPECT_EQ(isnkanji(a, 0), 1);
    EXPECT_EQ(isnkanji(a, 1), 2);
    EXPECT_EQ(isnkanji(a, 2), 0);
    const char b[] = "\x82\x82\xA0";
    EXPECT_EQ(isnkanji(b, 0), 1);
    EXPECT_EQ(isnkanji(b, 1), 2);
    EXPECT_EQ(isnkanji(b, 2), 0);  // an even run: 0xA0 stands for itself (half-width kana)
    // Four lead-class bytes: two characters, then a single byte.
    const char c[] = "\x88\x9F\x88\x9F\x41";
    EXPECT_EQ(isnkanji(c, 2), 1);
    EXPECT_EQ(isnkanji(c, 3), 2);
    EXPECT_EQ(isnkanji(c, 4), 0);
    // Half-width katakana and the 0x5C trail byte of a double-byte character.
    const char d[] = "\xB1\x83\x5C\x5C";
    EXPECT_EQ(isnkanji(d, 0), 0);
    EXPECT_EQ(isnkanji(d, 1), 1);
    EXPECT_EQ(isnkanji(d, 2), 2);
    EXPECT_EQ(isnkanji(d, 3), 0);
    // A lead byte followed by a byte that cannot be a second byte.
    const char bad[] = "A\x82\x20";
    EXPECT_EQ(zt::report_of([&] { isnkanji(bad, 2); }),
              "漢字コードの2バイト目がおかしいです isnkanji() \"A\x82 \" [0x82 0x20]");

    unsigned char map[8];
    const char e[] = "a\x82\xA0\xB1\x82";
    EXPECT_EQ(sjis_kind_map(e, map), map + 5);
    EXPECT_EQ(std::vector<int>(map, map + 5), (std::vector<int>{0, 1, 2, 0, 1}));
}

TEST(Sjis, UpperCaseAndTrim) {
    char t[] = "abc\x82\x81z\xB1";
    EXPECT_STREQ(upper_string(t), "ABC\x82\x81Z\xB1");
    char u[] = "a\x82\x61";  // the second byte 0x61 ('a') is left alone
    EXPECT_STREQ(upper_string(u), "A\x82\x61");
    char cut[] = "ab\x82";
    EXPECT_EQ(zt::report_of([&] { upper_string(cut); }), "Program Error upper_string()");

    char s[] = "  ab  ";
    EXPECT_STREQ(trim(s, 3), "ab");
    EXPECT_EQ(trim(s, 3), s + 2);
    char blanks[] = "   ";
    EXPECT_STREQ(trim(blanks, 2), "");
    char tab[] = "\tx\t ";
    EXPECT_STREQ(trim(tab, 3), "\tx\t");

    // Shift-JIS aware right trim: half- and full-width blanks.
    char j[] = "\x88\x9F\x81\x40  ";
    EXPECT_EQ(sjis_rtrim(j, sizeof j), 1);
    EXPECT_STREQ(j, "\x88\x9F");
    char k[] = "A\x83\x40 ";  // 0x8340 is a character, not a blank
    EXPECT_EQ(sjis_rtrim(k, sizeof k), 1);
    EXPECT_STREQ(k, "A\x83\x40");
    // The last character ends at the size: nothing written.
    char full[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(sjis_rtrim(full, 4), 0);
    EXPECT_EQ(std::string(full, 4), "abcd");
    // A double-byte character cut by the size is not read past it.
    char edge[4] = {'a', ' ', ' ', '\x82'};
    EXPECT_EQ(sjis_rtrim(edge, 4), 0);
    EXPECT_EQ(std::string(edge, 4), std::string("a  \x82", 4));
    char badc[] = "a\x82\x20";
    EXPECT_EQ(zt::report_of([&] { sjis_rtrim(badc, 8); }), "文字コードエラー SJISコードではないです。0x8220 ");
}

TEST(Sjis, FixedWidthNumbers) {
    EXPECT_STREQ(TStr(42, 5), "00042");
    EXPECT_STREQ(TStr(42, 0), "42");
    EXPECT_STREQ(TStr(4294967295u, 0), "4294967295");
    EXPECT_STREQ(TStrB(42, 5), "   42");
    EXPECT_STREQ(TStrB(42, 0), "42");
    // Widths beyond the 16-byte buffer are cut, not written past it.
    EXPECT_EQ(std::strlen(TStr(7, 40)), 15u);
    EXPECT_EQ(std::strlen(TStrB(7, 40)), 15u);
}

TEST(Sjis, WideFormRoundTripsAndLimits) {
    const char text[] = "a\x81\x40\xB1\x82\xA0";
    u16 w[8];
    u16 *end = sjis2w(text, w, w + 7);
    ASSERT_EQ(end, w + 5);
    EXPECT_EQ(std::vector<u16>(w, w + 5), (std::vector<u16>{0x61, 0x8140, 0xB1, 0x82A0, 0}));
    char back[16];
    EXPECT_EQ(w2sjis(w, back, sizeof back), back);
    EXPECT_STREQ(back, text);
    // The terminator unit is the last one that fits.
    EXPECT_EQ(sjis2w(text, w, w + 4), w + 5);
    EXPECT_EQ(zt::report_of([&] { sjis2w(text, w, w + 3); }), "バッファーオーバー sjis2w()\n");
    EXPECT_EQ(sjis2w("ab\x82", w, w + 7), nullptr);
    EXPECT_EQ(sjis2w("", w, w), w + 1);
    // w2sjis stops while three bytes are still free.
    ASSERT_EQ(sjis2w(text, w, w + 7), w + 5);
    char small[7];
    EXPECT_EQ(w2sjis(w, small, 7), small);  // a, 8140, B1, 82A0: six bytes and the terminator
    u16 two[] = {0x8140, 0x8140, 0x8140, 0};
    EXPECT_EQ(w2sjis(two, small, 6), nullptr);
    EXPECT_EQ(w2sjis(two, small, 7), small);
    EXPECT_EQ(w2sjis(two, small, 0), nullptr);

    char t1[] = "ab", t2[] = "\x82\xA0", t3[] = "";
    char *texts[] = {t1, t2, t3, nullptr};
    u16 buf[8];
    u16 *wpp[5];
    u16 *next = pp2wpp(texts, wpp, buf, wpp + 4, buf + 7);
    ASSERT_EQ(next, buf + 6);
    EXPECT_EQ(wpp[0], buf);
    EXPECT_EQ(wpp[1], buf + 3);
    EXPECT_EQ(wpp[2], buf + 5);
    EXPECT_EQ(wpp[3], nullptr);
    EXPECT_EQ(zt::report_of([&] { pp2wpp(texts, wpp, buf, wpp + 2, buf + 7); }),
              "ポインタ配列 wpp オーバー pp2wpp()\n");
    EXPECT_EQ(zt::report_of([&] { pp2wpp(texts, wpp, buf, wpp + 4, buf + 4); }), "バッファーオーバー sjis2w()\n");
    char cut[] = "x\x82";
    char *bad[] = {t1, cut, nullptr};
    EXPECT_EQ(pp2wpp(bad, wpp, buf, wpp + 4, buf + 7), nullptr);
    char *none[] = {nullptr};
    EXPECT_EQ(pp2wpp(none, wpp, buf, wpp + 4, buf + 7), buf);
    EXPECT_EQ(wpp[0], nullptr);
}

std::vector<std::string> fields(char **pp) {
    std::vector<std::string> v;
    for (; pp && *pp; ++pp) v.push_back(*pp);
    return v;
}

TEST(Sjis, SplittingAtDelimiterCharacters) {
    char a[] = "  A   \"B C\" D";
    char **pp = str2pp(a, " ", 0, nullptr);
    EXPECT_EQ(fields(pp), (std::vector<std::string>{"A", "B C", "D"}));
    ZUFRE(pp);
    // Blank, full-width blank, tab and line feed; a double-byte delimiter
    // is matched as a whole character and skipped whole.
    char b[] = "\x81\x40x\x81\x40\x81\x40y\tz\n";
    char *arr[8];
    EXPECT_EQ(fields(str2pp(b, " \x81\x40\t\n", 7, arr)), (std::vector<std::string>{"x", "y", "z"}));
    // A trail byte equal to a delimiter does not split.
    char c[] = "\x82\x40@q";
    EXPECT_EQ(fields(str2pp(c, "@", 7, arr)), (std::vector<std::string>{"\x82\x40", "q"}));
    // A double-byte delimiter is not found across two characters.
    char d[] = "\x88\x81\x40";
    EXPECT_EQ(fields(str2pp(d, "\x81\x40", 7, arr)), (std::vector<std::string>{"\x88\x81\x40"}));
    // Quotes: delimiters kept inside, an empty quoted field, a missing end.
    char e[] = "\"\" \"a  b\"c";
    EXPECT_EQ(fields(str2pp(e, " ", 7, arr)), (std::vector<std::string>{"", "a  b", "c"}));
    char f[] = "a \"bc";
    EXPECT_EQ(zt::report_of([&] { str2pp(f, " ", 7, arr); }), "デリミタエンドがありません。str2pp() 文字列:a \"bc\n");
    char g[] = "   ";
    EXPECT_EQ(fields(str2pp(g, " ", 7, arr)), std::vector<std::string>{});

    char h[] = "1 2 3";
    EXPECT_EQ(zt::report_of([&] { str2pp(h, " ", 2, arr); }), "PGM Error str2pp() :2:\n");
    char h2[] = "1 2";
    EXPECT_EQ(fields(str2pp(h2, " ", 2, arr)), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(zt::report_of([&] { str2pp(h2, " ", 0, arr); }), "PGM Error str2pp() :1:\n");
    EXPECT_EQ(zt::report_of([&] { str2pp(nullptr, " ", 1, arr); }), "元ポインタが，NULL です str2pp()\n");
    char empty[] = "";
    EXPECT_EQ(zt::report_of([&] { str2pp(empty, " ", 1, arr); }), "空文字列です str2pp()\n");
    // Counting for a new array leaves the text as it is when it fails.
    char i[] = "1 2 3";
    EXPECT_EQ(zt::report_of([&] { str2pp(i, " ", 2, nullptr); }), "PGM Error str2pp() :2:\n");
    EXPECT_STREQ(i, "1 2 3");
    // The set search refuses texts of 4096 bytes or more.
    std::string big(4096, 'x');
    EXPECT_EQ(zt::report_of([&] { str2pp(&big[0], " ", 0, nullptr); }), "配列オーバー (zjstrmat)");

    // The fixed array keeps the capacity of its first call.
    char k[] = "a b c";
    EXPECT_EQ(fields(str2pp_fix(k, " ", 3)), (std::vector<std::string>{"a", "b", "c"}));
    char l[] = "a b c d";
    EXPECT_EQ(zt::report_of([&] { str2pp_fix(l, " ", 50); }), "PGM Error str2pp() :2:\n");
    EXPECT_EQ(zt::report_of([&] { str2pp_fix(nullptr, " ", 50); }), "元ポインタが，NULL です str2pp_fix()\n");
}

TEST(Sjis, SplittingAtSeparatorStrings) {
    char a[] = "a,,b,,,,c";
    EXPECT_EQ(fields(str2pp_fix2(a, ",,", 10)), (std::vector<std::string>{"a", "b", "", "c"}));
    char b[] = ",,x,,";
    EXPECT_EQ(fields(str2pp_fix2(b, ",,", 10)), (std::vector<std::string>{"x", ""}));
    char c[] = "";
    EXPECT_EQ(fields(str2pp_fix2(c, ",", 10)), (std::vector<std::string>{""}));
    // A separator never starts on a second byte.
    char d[] = "\x82\x40@b";
    EXPECT_EQ(fields(str2pp_fix2(d, "@", 10)), (std::vector<std::string>{"\x82\x40", "b"}));
    // Capacity 10 (from the first call) holds nine fields.
    char e[] = "1,2,3,4,5,6,7,8,9";
    EXPECT_EQ(fields(str2pp_fix2(e, ",", 3)).size(), 9u);
    char f[] = "1,2,3,4,5,6,7,8,9,10";
    EXPECT_EQ(zt::report_of([&] { str2pp_fix2(f, ",", 3); }), "memory full str2pp_fix2()\n");
    EXPECT_EQ(zt::report_of([&] { str2pp_fix2(nullptr, ",", 3); }), "元ポインタが，NULL です str2pp_fix2()\n");
    char g[] = "abc";
    EXPECT_EQ(fields(str2pp_fix2(g, "", 3)), (std::vector<std::string>{"abc"}));
}

TEST(Sjis, CheckedNumbers) {
    EXPECT_EQ(atoin("12345", 3), 123);
    EXPECT_EQ(atoin(" -42x", 5), -42);
    EXPECT_EQ(atoin("7", 10), 7);  // a length beyond the text stops at its end
    EXPECT_EQ(atoin("2147483646", 10), 2147483646);
    EXPECT_EQ(zt::report_of([] { atoin("99999999999", 11); }), "99999999999(11) オーバーフローエラー atoin()");
    EXPECT_EQ(zt::report_of([] { atoin("-99999999999", 12); }), "-99999999999(12) オーバーフローエラー atoin()");
    EXPECT_EQ(zt::report_of([] { atoin("1234567890123456", 16); }), "1234567890123456(16) 桁数オーバー atoin()");

    const char n[] = "12.5";
    EXPECT_EQ(zuisdig(n, 1), n + 2);
    EXPECT_EQ(zuisdig(n, 0), nullptr);
    EXPECT_EQ(zuisdig("-007", 0), nullptr);
    EXPECT_EQ(zuisdig("1..2", 0), nullptr);
    EXPECT_EQ(zuisdig("", 0), nullptr);
    const char b[] = "  12";
    EXPECT_EQ(zuisdig(b, 0), b);
    EXPECT_EQ(zuisdig(b, 2), nullptr);
    const char m[] = "--1";
    EXPECT_EQ(zuisdig(m, 0), m + 1);
    EXPECT_EQ(zt::report_of([] { zuisdig(nullptr, 0); }), "パラメータがNULLです。zuisdig();");
}

}  // namespace
