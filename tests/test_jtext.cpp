// Japanese text functions of ZUSTD: JIS and Shift-JIS, kana voicing,
// checks, trimming and formatters.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

const std::string ESC_KANJI = "\x1B$B", ESC_ROMAN = "\x1B(J";

std::string s2j(const std::string &s) {
    const char *r = zu_call([&] { return ZuSJis2Jis(s.c_str()); });
    return r ? r : "(null)";
}
std::string j2s(const std::string &s) {
    const char *r = zu_call([&] { return ZuJis2SJis(s.c_str()); });
    return r ? r : "(null)";
}

TEST(Jis, JisToShiftJis) {
    EXPECT_EQ(j2s(ESC_KANJI + "\x30\x21" + "\x1B(B" + "a"), "\x88\x9F" "a");
    EXPECT_EQ(j2s("\x1B$@\x75\x21\x74\x24\x74\x25\x1B(Vb"), "##\xEA\xA2##b");  // above 0x7424: ##
    EXPECT_EQ(j2s(ESC_KANJI + "\x21\x7F\x30"), "####");  // a byte outside 0x21-0x7E, a last lone byte
    EXPECT_EQ(j2s("a\x1B$Xb\x1B"), "a\x1B$Xb\x1B");  // no known sequence: data
    // Null and empty texts are notices: shown, not raised.
    EXPECT_EQ(zt::report_of([] { EXPECT_EQ(ZuJis2SJis(nullptr), nullptr); }), "(none)");
    EXPECT_EQ(zt::report_of([] { EXPECT_EQ(ZuJis2SJis(""), nullptr); }), "(none)");
    std::string big(64000, 'a');
    EXPECT_EQ(zt::report_of([&] { ZuJis2SJis(big.c_str()); }), "length over ZuJis2SJis() strlen=64000' ");
    big.pop_back();
    EXPECT_EQ(j2s(big), big);
}

TEST(Jis, ShiftJisToJis) {
    EXPECT_EQ(s2j("abc"), "abc");
    EXPECT_EQ(s2j(""), "");
    EXPECT_EQ(s2j("a\x88\x9F\xB1" "b\x81\x40"), "a" + ESC_KANJI + "\x30\x21" + ESC_ROMAN + "\xB1" "b" + ESC_KANJI + "\x21\x21" + ESC_ROMAN);
    // No JIS code (user-defined and extension rows): the geta mark in its place.
    EXPECT_EQ(s2j("\xF0\x40x\xFA\x40"), ESC_KANJI + "\x22\x2E" + ESC_ROMAN + "x" + ESC_KANJI + "\x22\x2E" + ESC_ROMAN);
    // A lead byte without a second byte goes out as single bytes.
    EXPECT_EQ(s2j("\x82 a\x82"), "\x82 a\x82");
    EXPECT_EQ(zt::report_of([] { EXPECT_EQ(ZuSJis2Jis(nullptr), nullptr); }), "(none)");
#ifdef _WIN32
    // The notice is a box, shown and answered.
    auto boxes = zt::boxes_seen();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "PGM ERROR ZuSJis2Jis()"), boxes.end());
#endif
    // Output above 1014 bytes is a notice; 1010 bytes of ASCII fit.
    EXPECT_EQ(s2j(std::string(1010, 'a')), std::string(1010, 'a'));
    std::string full;
    EXPECT_EQ(zt::report_of([&] { 
        std::string t(500, 'a');
        for (int i = 0; i < 300; ++i) t += "\x88\x9F";
        full = s2j(t);
     }), "(none)");
    EXPECT_EQ(full, "(null)");
    EXPECT_EQ(zt::report_of([] { ZuSJis2Jis(std::string(2100, 'a').c_str()); }), "バッファーオーバー sjis2w()\n");
}

TEST(Jis, EveryJisX0208CodeRoundTrips) {
    unsigned count = 0;
    for (int j1 = 0x21; j1 <= 0x74; ++j1) {
        std::string jis = ESC_KANJI;
        for (int j2 = 0x21; j2 <= 0x7E && (j1 << 8 | j2) <= 0x7424; ++j2, ++count) jis += {char(j1), char(j2)};
        jis += ESC_ROMAN;
        std::string sjis = j2s(jis);
        ASSERT_EQ(sjis.size(), (jis.size() - 6)) << j1;
        for (std::size_t i = 0; i < sjis.size(); i += 2)
            ASSERT_TRUE(zu_lead_byte(sjis[i]) && zu_trail_byte(sjis[i + 1])) << j1;
        ASSERT_EQ(s2j(sjis), jis) << j1;
    }
    EXPECT_EQ(count, 0x53u * 94 + 4);
}

TEST(Kana, VoicingByTheTable) {
    auto kana = [](const char *k, const char *mark) {
        const char *r = zu_call([&] { return KanaMuddyConvert(k, mark); });
        return std::string(r);
    };
    const char *dq = "″", *deg = "°";
    EXPECT_EQ(kana("ハ", dq), "バ");
    EXPECT_EQ(kana("ハ", deg), "パ");
    EXPECT_EQ(kana("ウ", dq), "ヴ");
    EXPECT_EQ(kana("ア", dq), "ア");
    EXPECT_EQ(kana("バ", deg), "パ");
    EXPECT_EQ(kana("ガ", deg), "ガ");
    EXPECT_EQ(kana("ン", dq), "ン");
    EXPECT_EQ(kana("ヨ", dq), "ヨ");
    const char *a = "亜";  // in no row: the pointer itself
    EXPECT_EQ(zu_call([&] { return KanaMuddyConvert(a, dq); }), a);
    EXPECT_EQ(zt::report_of([] { KanaMuddyConvert("\xB1", "″"); }), "Kana_Muddy_Convert_Table \xB1 の長さが2バイトではありません。");
    EXPECT_EQ(zt::report_of([] { KanaMuddyConvert("ハa", "″"); }), "Kana_Muddy_Convert_Table ハa の長さが2バイトではありません。");
    EXPECT_EQ(zt::report_of([] { KanaMuddyConvert("ハ", "＊"); }), "Kana_Muddy_Convert_Table [＊] が見つかりません。");
}

TEST(Checks, ValidityKanjiFlagAndDigits) {
    char t[] = "\x82 \x82\x41\xB1\t\r\n\x7F\x80\xA0\x82";
    EXPECT_EQ(ZuIsValidStr(t), 0);
    EXPECT_STREQ(t, "# \x82\x41\xB1\t\r\n####");
    char ok[] = "a\x88\x9F\xDF";
    EXPECT_EQ(ZuIsValidStr(ok), 1);
    char empty[] = "";
    EXPECT_EQ(ZuIsValidStr(empty), 1);
    EXPECT_EQ(ZuIsValidStr(nullptr), 0);  // a notice

    auto flag = [](const char *s, int pos) { return zu_call([&] { return RtvKanjiFlag(s, pos); }); };
    EXPECT_EQ(flag("\x88\x9F", 1), 1);
    EXPECT_EQ(flag("\x88\x9F", 2), 0);
    EXPECT_EQ(flag("\x88\x9F", 3), 0);  // the terminator
    EXPECT_EQ(flag("\x88\x9F", 40), 0);  // beyond it: never read
    EXPECT_EQ(flag("\x88\x88\x88\x9F", 3), 1);
    EXPECT_EQ(zt::report_of([] { RtvKanjiFlag("a", 0); }), "PGM Error RtvKanjiFlag");

    auto digits = [](const char *s) { return std::string(zu_call([&] { return RtvDigitStr(s); })); };
    EXPECT_EQ(digits("abc123def45"), "123");
    EXPECT_EQ(digits("abc"), "");
    EXPECT_EQ(digits(std::string(31, '7').c_str()), std::string(31, '7'));
    EXPECT_EQ(zt::report_of([] { RtvDigitStr(std::string(32, '7').c_str()); }), "Error buffer over BUF_MAX_RtvDigitStr");

    EXPECT_TRUE(ZuIsAlphaChar('q') && ZuIsAlphaChar('Q') && !ZuIsAlphaChar('1') && !ZuIsAlphaChar('\xB1'));
    EXPECT_EQ(ZuIsAlphaStr("Ab 1-2,3./z"), 1);
    EXPECT_EQ(ZuIsAlphaStr(""), 1);
    EXPECT_EQ(ZuIsAlphaStr("a_b"), 0);
    EXPECT_EQ(ZuIsPathFileStr("C:\\x_y-1.#$%&~@ z"), 1);
    EXPECT_EQ(ZuIsPathFileStr("a/b"), 0);
    EXPECT_EQ(ZuIsPathFileStr("\x95\x5C"), 0);
    EXPECT_EQ(ZuIsPathFileChar('*'), 0);
    EXPECT_EQ(ZuIsAddressStr("123-45 6"), 1);
    EXPECT_EQ(ZuIsAddressStr("1a"), 0);
    EXPECT_EQ(ZuIsWAlpha("Ａ") + ZuIsWAlpha("Ｚ") + ZuIsWAlpha("ａ") + ZuIsWAlpha("ｚ"), 4);
    EXPECT_EQ(ZuIsWAlpha("０") + ZuIsWAlpha("A") + ZuIsWAlpha("") + ZuIsWAlpha("ア"), 0);
}

TEST(Text, TrimmingAndCase) {
    char t[] = "ab\x81\x40  ";
    EXPECT_EQ(zu_call([&] { return JTrim(t, sizeof t); }), 1);
    EXPECT_STREQ(t, "ab");
    char full[] = "abcd";
    EXPECT_EQ(zu_call([&] { return JTrim(full, 4); }), 0);
    EXPECT_STREQ(full, "abcd");
    char bad[] = "a\x82 ";
    EXPECT_EQ(zt::report_of([&] { JTrim(bad, sizeof bad); }), "文字コードエラー SJISコードではないです。0x8220 ");
    char m[] = " a\tb \x81\x40" "c ";
    EXPECT_STREQ(MTrim(m), "ab\x81\x40" "c");
    EXPECT_EQ(ToUpper('a'), 'A');
    EXPECT_EQ(ToUpper('\xE1'), '\xE1');
    EXPECT_EQ(ToLower('Z'), 'z');
    EXPECT_EQ(StrLen("\x88\x9F" "a"), 3u);
}

TEST(Text, SearchReplaceAndTokens) {
    auto pos = [](const char *t, const char *p) { return zu_call([&] { return StrStr(t, p); }); };
    EXPECT_EQ(pos("abcabc", "ca"), 3);
    EXPECT_EQ(pos("a\x83\x5C\\x", "\\"), 4);  // not the second byte of ソ
    EXPECT_EQ(pos("xa\x88\x9F" "b", "a?b"), 2);
    EXPECT_EQ(pos("abc", "abcd"), 0);
    auto chg = [](const char *t, const char *p, const char *r) {
        const char *s = zu_call([&] { return ZuStrChg(t, p, r); });
        return std::string(s ? s : "(null)");
    };
    EXPECT_EQ(chg("a,b,,c", ",", "--"), "a--b----c");
    EXPECT_EQ(chg("\x83\x5C\\", "\\", ""), "\x83\x5C");
    EXPECT_EQ(chg("x1y2", "?", "#"), "####");
    const char *full = "buffer full from ZuStrChg() max=16383までです。";
    EXPECT_EQ(chg(std::string(16383, 'a').c_str(), "b", "c").size(), 16383u);
    EXPECT_EQ(zt::report_of([&] { ZuStrChg(std::string(16384, 'a').c_str(), "b", "c"); }), full);
    EXPECT_EQ(zt::report_of([&] { ZuStrChg(std::string(9000, 'a').c_str(), "a", "bb"); }), full);
    char tok[] = "a, b,,c";
    EXPECT_STREQ(ZuStrTok(tok, ", "), "a");
    EXPECT_STREQ(ZuStrTok(nullptr, ", "), "b");
    EXPECT_STREQ(ZuStrTok(nullptr, ", "), "c");
    EXPECT_EQ(ZuStrTok(nullptr, ", "), nullptr);
}

TEST(Text, Formatters) {
    char out[32];
    EXPECT_EQ(Zip2String7(123, 0, 45, out), 1);
    EXPECT_STREQ(out, "123-0045");
    Zip2String7(123, 4, 0, out);
    EXPECT_STREQ(out, "123-04");
    Zip2String7(1, 0, 0, out);
    EXPECT_STREQ(out, "001");
    std::strcpy(out, "keep");
    EXPECT_EQ(Zip2String(0, 5, out), 0);
    EXPECT_STREQ(out, "keep");
    Zip2String(12, 3, out);
    EXPECT_STREQ(out, "012-03");
    Zip2String(12, 0, out);
    EXPECT_STREQ(out, "012");
    EXPECT_EQ(Digit2OCRString(-12, out), 0);
    EXPECT_STREQ(out, "- 1 2");
    Digit2OCRString(-2147483647 - 1, out);
    EXPECT_STREQ(out, "- 2 1 4 7 4 8 3 6 4 8");
    Digit2OCRString(0, out);
    EXPECT_STREQ(out, "0");

    auto amount = [](const char *s) { return zu_call([&] { return AmountRepair(s); }); };
    EXPECT_FLOAT_EQ(amount("1,234円50銭"), 1234.5f);
    EXPECT_FLOAT_EQ(amount("\\1,000"), 1000.0f);
    EXPECT_FLOAT_EQ(amount("12円"), 12.0f);
    EXPECT_FLOAT_EQ(amount("50銭"), 0.5f);
    EXPECT_EQ(zt::report_of([] { AmountRepair(std::string(32, '1').c_str()); }), "バッファフル AmountRepair()");

    auto hex = [](const char *s) { return zu_call([&] { return StrHexToVal(s); }); };
    EXPECT_EQ(hex("0001fFfF"), 0x1FFFFu);
    EXPECT_EQ(hex("DEADbeef"), 0xDEADBEEFu);
    EXPECT_EQ(zt::report_of([] { StrHexToVal("12"); }),
              "\\x または 0x の後のコードが，おかしいので，16 進数変換をしません <12> a10toi()\n");
    EXPECT_EQ(zt::report_of([] { StrHexToVal("1234x"); }),
              "\\x または 0x の後のコードが，おかしいので，16 進数変換をしません <x> a10toi()\n");
}

}  // namespace
