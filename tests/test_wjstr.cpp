// Wildcard matching: class compilation, the anchored matcher, substitution,
// table rewriting, printing, and the byte family.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"

namespace {

using u16 = std::uint16_t;
using W = std::vector<u16>;

W wide(const std::string &text) {
    W w(text.size() + 1);
    u16 *end = sjis2w(text.c_str(), w.data(), w.data() + w.size() - 1);
    EXPECT_NE(end, nullptr);
    if (end) w.resize(end - w.data());
    return w;
}

// Pattern notation as the pattern compiler produces it: [ ] ? + * are
// marks, inside a class - and ^ too; a backslash makes the next character
// literal.  Source form (classes not compiled).
W source(const std::string &text) {
    W in = wide(text), out;
    bool in_class = false;
    for (std::size_t i = 0; in[i]; ++i) {
        u16 c = in[i];
        if (c == '\\' && in[i + 1]) {
            out.push_back(in[++i]);
            continue;
        }
        switch (c) {
        case '[': out.push_back(WJ_CLASS); in_class = true; break;
        case ']': out.push_back(WJ_CLASS_END); in_class = false; break;
        case '?': out.push_back(WJ_ANY); break;
        case '+': out.push_back(WJ_PLUS); break;
        case '*': out.push_back(WJ_STAR); break;
        case '-': out.push_back(in_class ? u16{WJ_RANGE} : c); break;
        case '^': out.push_back(in_class ? u16{WJ_NOT} : c); break;
        default: out.push_back(c);
        }
    }
    out.push_back(0);
    return out;
}

W compiled(const std::string &text) {
    W p = source(text);
    makcrcs(p.data());
    return p;
}

std::string narrow(const u16 *w, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        if (w[i] >> 8) s += static_cast<char>(w[i] >> 8);
        s += static_cast<char>(w[i] & 0xFF);
    }
    return s;
}

std::string run(int k) { return narrow(wj_cap.run_start[k], wj_cap.run_len[k]); }

struct flags {
    flags(int eoi, int fold = 0) {
        wj_ctx = WJCONTEXT{};
        wj_ctx.eoi = eoi;
        wj_ctx.fold = fold;
    }
    ~flags() { wj_ctx = WJCONTEXT{}; }
};

int match(const std::string &pattern, const std::string &text, int eoi = 0, int fold = 0) {
    wj_ctx = WJCONTEXT{};
    wj_ctx.eoi = eoi;
    wj_ctx.fold = fold;
    static W p, t;  // kept: captures point into the text
    p = compiled(pattern);
    t = wide(text);
    return WJSTRCMP(t.data(), p.data());
}

std::string substitute(const std::string &replacement) {
    W r = source(replacement);
    u16 out[256];
    u16 *end = wjstrcpy(out, r.data(), out + 255);
    if (!end) return "(null)";
    return narrow(out, end - out);
}

TEST(Classes, CompiledInPlace) {
    W p = source("[^0-9]");
    EXPECT_EQ(p, (W{1, 4, 0x30, 3, 0x39, 2, 0}));
    makcrcs(p.data());
    EXPECT_EQ(p, (W{1, 6, 4, 3, 0x30, 0x39, 0}));
    EXPECT_EQ(compiled("x[ab-dz]y"), (W{'x', 1, 7, 'a', 3, 'b', 'd', 'z', 'y', 0}));
    EXPECT_EQ(compiled("[a-bc-d]"), (W{1, 8, 3, 'a', 'b', 3, 'c', 'd', 0}));
    EXPECT_EQ(compiled("[^]"), (W{1, 3, 4, 0}));
    // A zero-or-more mark among the members is kept as a member.
    EXPECT_EQ(compiled("[a*]"), (W{1, 4, 'a', 14, 0}));
    EXPECT_EQ(chkcrcs2(source("a*[b]*").data()), 1);
    EXPECT_EQ(chkcrcs2(source("").data()), 1);
    EXPECT_EQ(chkcrcs2(source("a*b").data()), 0);
}

TEST(Classes, EveryCheckHasItsMessage) {
    auto msg = [](const std::string &p) {
        testing::internal::CaptureStdout();
        std::string r = zt::report_of([&] { compiled(p); });
        testing::internal::GetCapturedStdout();
        return r;
    };
    EXPECT_EQ(msg("a]"), "キャラクタクラスの始まりがないのに終わりがあります chkcrcs()");
    EXPECT_EQ(msg("[a"), "キャラクタクラスの終わりが，ありません chkcrcs()");
    EXPECT_EQ(msg("[a[b]]"), "キャラクタクラスの終わりが，ありません chkcrcs()");
    EXPECT_EQ(msg("a*"), "ﾊﾟﾀｰﾝが、反復文字（0以上）のみで構成されています\n");
    EXPECT_EQ(msg(""), "ﾊﾟﾀｰﾝが、反復文字（0以上）のみで構成されています\n");
    EXPECT_EQ(msg("[ab]*c*"), "ﾊﾟﾀｰﾝが、反復文字（0以上）のみで構成されています\n");
    EXPECT_EQ(msg("[]"), "キャラクタクラスのスタート文字と，エンド文字の間に文字が在りません\n");
    EXPECT_EQ(msg("[a^]"), "キャラクタクラスの先頭以外に，否定文字 '^' があります\n");
    EXPECT_EQ(msg("[a+]"), "キャラクタクラスの範囲内に反復文字は使えません\n");
    EXPECT_EQ(msg("[a?]"), "キャラクタクラスの範囲内にワイルド文字は使えません\n");
    EXPECT_EQ(msg("[a-]"), "キャラクタクラスの範囲文字の使い方がおかしいです\n範囲文字の右側に文字がありません\n");
    EXPECT_EQ(msg("[-a]"), "キャラクタクラスの範囲文字の使い方がおかしいです\n範囲文字の左側に文字がありません\n");
    EXPECT_EQ(msg("[^-a]"), "キャラクタクラスの範囲文字の使い方がおかしいです\n範囲文字の左側に文字がありません\n");
    EXPECT_EQ(msg("[a-b-c]"), "キャラクタクラスの範囲文字どうしの関係がおかしいです\n");
    EXPECT_EQ(msg("x[a-bc-d][z-a]"),
              "a(0061) より z(007a) の方が文字コードが大きいです\n"
              "文字の範囲指定は，文字コードの小さいものから大きいものにして下さい\n");
    EXPECT_EQ(zt::report_of([] { makcrcs(nullptr); }), "ﾎﾟｲﾝﾀがNULL です{makcrcs()}\n");

    // The pattern dump comes before a pairing report.
    testing::internal::CaptureStdout();
    zt::report_of([] { compiled("a]"); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[0000]   0061 0002  : a 　    \r\n");
    // The members are shown before the repeat-mark report.
    testing::internal::CaptureStdout();
    zt::report_of([] { compiled("[ab+]"); });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "ab\x0B");
}

TEST(Match, GreedyRepeatsWithoutBacktracking) {
    ASSERT_EQ(match("a*b", "aab"), 0);
    EXPECT_EQ(wj_cap.match_len, 3u);
    EXPECT_EQ(wj_cap.runs, 1u);
    EXPECT_EQ(run(1), "aa");
    EXPECT_EQ(wj_ctx.pos, wj_cap.match_start + 3);
    EXPECT_EQ(substitute("<*>"), "<aa>");
    // The match is anchored and stops at its end.
    ASSERT_EQ(match("ab", "abc"), 0);
    EXPECT_EQ(wj_cap.match_len, 2u);
    EXPECT_EQ(match("b", "ab"), 1);

    // A repeated any-character mark takes everything: nothing may follow it.
    EXPECT_EQ(match("?*a", "xxa"), 2);
    EXPECT_EQ(match("?*a", "xxa", 1), 1);
    EXPECT_EQ(match("a*a", "aaa", 1), 1);
    // ... and at the end of a pattern it reaches the end only at the end of input.
    EXPECT_EQ(match("x?*", "xab"), 2);
    EXPECT_EQ(wj_ctx.consumed, 3u);
    ASSERT_EQ(match("x?*", "xab", 1), 0);
    EXPECT_EQ(run(1), "ab");
    EXPECT_EQ(wj_cap.match_len, 3u);

    // End-of-input completion: optional elements left over.
    EXPECT_EQ(match("a?+", "a", 1), 1);
    ASSERT_EQ(match("a?*", "a", 1), 0);
    EXPECT_EQ(wj_cap.runs, 1u);
    EXPECT_EQ(wj_cap.run_len[1], 0u);
    ASSERT_EQ(match("ab*c*", "ab", 1), 0);
    EXPECT_EQ(wj_cap.runs, 2u);
    EXPECT_EQ(match("ab*c", "ab", 1), 1);
    EXPECT_EQ(match("ab*c", "ab", 0), 2);
    // An empty text gives 2, also at the end of input.
    EXPECT_EQ(match("a*b", "", 0), 2);
    EXPECT_EQ(match("a*b", "", 1), 2);
    // Zero-or-more skipped on a mismatch; one-or-more needs one.
    ASSERT_EQ(match("x*y", "y"), 0);
    EXPECT_EQ(wj_cap.run_len[1], 0u);
    EXPECT_EQ(match("x+y", "y"), 1);
    ASSERT_EQ(match("x+y", "xxy"), 0);

    // A repeat mark at the start is an ordinary element.
    EXPECT_EQ(match("*a", "xa"), 1);
    {
        flags f(0);
        W p = compiled("*a");
        u16 t[] = {WJ_STAR, 'a', 0};
        EXPECT_EQ(WJSTRCMP(t, p.data()), 0);
    }
    EXPECT_EQ(zt::report_of([] {
                  u16 t[] = {'a', 0}, p[] = {0};
                  WJSTRCMP(t, p);
              }),
              "サーチ文字ポインタが，NULL です WJSTRCMP()\n");
}

TEST(Match, ClassesCaseFoldingAndCaptures) {
    ASSERT_EQ(match("[0-9]", "5"), 0);
    EXPECT_EQ(wj_cap.count, 1);
    EXPECT_EQ(wj_cap.chars[1], '5');
    // A class under repetition captures its run, not single characters.
    ASSERT_EQ(match("[0-9]+x", "123x"), 0);
    EXPECT_EQ(wj_cap.count, 0);
    EXPECT_EQ(run(1), "123");
    EXPECT_EQ(match("[^0-9]", "5"), 1);
    ASSERT_EQ(match("[^0-9]", "\x82\xA0"), 0);
    EXPECT_EQ(wj_cap.chars[1], 0x82A0);
    EXPECT_EQ(match("[^]", "\x81\x40", 1), 0);
    EXPECT_EQ(match("[\x82\x60-\x82\x79]", "\x82\x6A"), 0);  // full-width A to Z
    // Case folding: ASCII letters only; [A-z] then holds letters only.
    EXPECT_EQ(match("[A-z]", "_"), 0);
    EXPECT_EQ(match("[A-z]", "_", 0, 1), 1);
    EXPECT_EQ(match("[A-z]", "q", 0, 1), 0);
    EXPECT_EQ(match("[a-c]", "B", 0, 1), 0);
    EXPECT_EQ(match("[^abc]", "B", 0, 1), 1);
    EXPECT_EQ(match("abc", "ABC"), 1);
    ASSERT_EQ(match("abc", "ABC", 0, 1), 0);
    EXPECT_EQ(match("\x82\x60", "\x82\x81", 0, 1), 1);  // full-width letters compare exactly
    // The captured character is the text's, not the folded one.
    ASSERT_EQ(match("?[a-z]", "xy", 0, 1), 0);
    EXPECT_EQ(substitute("??"), "xy");
    // The pattern-literal flag: marks compare as plain codes.
    {
        flags f(0);
        wj_ctx.literal = 1;
        u16 p[] = {WJ_ANY, WJ_STAR, 0};
        u16 t1[] = {'x', 'y', 0};
        u16 t2[] = {WJ_ANY, WJ_STAR, 'z', 0};
        EXPECT_EQ(WJSTRCMP(t1, p), 1);
        EXPECT_EQ(WJSTRCMP(t2, p), 0);
        EXPECT_EQ(wj_cap.match_len, 2u);
    }
}

TEST(Match, CaptureStoreLimitsAreReported) {
    EXPECT_EQ(match(std::string(510, '?'), std::string(510, 'x')), 0);
    EXPECT_EQ(wj_cap.count, 510);
    EXPECT_EQ(zt::report_of([] { match(std::string(511, '?'), std::string(511, 'x')); }),
              "ワイルド文字用のバッファーがオーバーしました\n511 文字になっています．制限は，510 文字までです\n"
              "多分，反復文字の使い方に問題があるでしょう\n");
    std::string p62, p63;
    for (int i = 0; i < 62; ++i) p62 += "x*";
    p63 = p62 + "x*";
    EXPECT_EQ(match(p62 + "y", "y"), 0);
    EXPECT_EQ(wj_cap.runs, 62u);
    EXPECT_EQ(zt::report_of([&] { match(p63 + "y", "y"); }), "ワイルド文字用バッファをオーバーしました");
    // The 63rd run at the end of input as well.
    EXPECT_EQ(zt::report_of([&] { match("y" + p63, "y", 1); }), "ワイルド文字用バッファをオーバーしました");
}

TEST(Substitute, CapturesInOrderAndLimits) {
    ASSERT_EQ(match("a?b?c*", "axbyccc"), 2);
    ASSERT_EQ(match("a?b?c*", "axbyccc", 1), 0);
    EXPECT_EQ(substitute("<?-?-*>"), "<x-y-ccc>");
    EXPECT_EQ(substitute("?"), "x");  // unused captures are no error
    EXPECT_EQ(substitute("+"), "ccc");
    // More ? than captures: reported, after the output so far.
    W r = source("<??\?>");
    u16 out[16] = {};
    EXPECT_EQ(zt::report_of([&] { wjstrcpy(out, r.data(), out + 15); }), "? の数が，合いません\n<??" "?>   wjstrcpy()\n");
    EXPECT_EQ(narrow(out, 3), "<xy");
    EXPECT_EQ(zt::report_of([&] { substitute("**"); }), "\n * または + の数が，合いません\n**    wjstrcpy()\n");
    EXPECT_EQ(zt::report_of([&] { wjstrcpy(out, r.data(), nullptr); }), "バッファー MAX が NULL です wjstrcpy\n");
    u16 cls[] = {'a', WJ_CLASS, 3, 'b', 0};
    EXPECT_EQ(zt::report_of([&] { wjstrcpy(out, cls, out + 15); }), "プログラムエラーwjstrcpy()");

    // The output end is the last code that may be written: nothing beyond.
    u16 buf[8];
    for (u16 &g : buf) g = 0xEEEE;
    W abc = source("abc"), abcd = source("abcd"), star = source("<*>");
    EXPECT_EQ(wjstrcpy(buf, abc.data(), buf + 3), buf + 3);
    EXPECT_EQ(buf[3], 0);
    EXPECT_EQ(buf[4], 0xEEEE);
    EXPECT_EQ(wjstrcpy(buf, abcd.data(), buf + 3), nullptr);
    EXPECT_EQ(buf[4], 0xEEEE);
    ASSERT_EQ(match("x?*", "xcccccccccc", 1), 0);
    EXPECT_EQ(wjstrcpy(buf, star.data(), buf + 3), nullptr);
    EXPECT_EQ(buf[4], 0xEEEE);
    // No terminator on request; marks as plain codes in literal mode.
    {
        flags f(0);
        wj_ctx.no_term = 1;
        buf[3] = 0xEEEE;
        EXPECT_EQ(wjstrcpy(buf, abc.data(), buf + 7), buf + 3);
        EXPECT_EQ(buf[3], 0xEEEE);
        wj_ctx.no_term = 0;
        wj_ctx.literal = 1;
        u16 marks[] = {WJ_ANY, WJ_CLASS, WJ_STAR, 0};
        EXPECT_EQ(wjstrcpy(buf, marks, buf + 7), buf + 3);
        EXPECT_EQ(W(buf, buf + 4), (W{WJ_ANY, WJ_CLASS, WJ_STAR, 0}));
    }
    // The bounded copy.
    u16 src[] = {'1', '2', '3', 0, '5'};
    EXPECT_EQ(wjstrcpn(src, buf, buf + 7, 2), buf + 2);
    EXPECT_EQ(wjstrcpn(src, buf, buf + 7, 9), buf + 3);
    EXPECT_EQ(wjstrcpn(src, buf, buf + 1, 3), nullptr);
}

TEST(Table, RewritesInPlaceAndByZones) {
    flags f(0);
    wj_ctx.literal = 1;
    // Escapes: \\ is a backslash, a lone \ the escape mark 19.
    const WJSLOT pats[] = {{'\\', '\\', 0}, {'\\', 0}, {0}};
    const WJSLOT reps[] = {{'\\', 0}, {19, 0}, {0}};
    W t = wide("a\\\\b\\c");
    u16 *end = wjstrtbl(&wj_ctx, t.data(), t.data(), pats, reps);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(W(t.data(), end), (W{'a', '\\', 'b', 19, 'c', 0}));
    EXPECT_EQ(wj_ctx.literal, 1);
    EXPECT_EQ(wj_ctx.no_term, 0);

    // Named characters outside zones that run from code 20 to the line end.
    const WJSLOT named[] = {{'&', 'S', 'P', 0}, {0}};
    const WJSLOT named_to[] = {{' ', 0}, {0}};
    W z = wide("&SPx\x14&SP\x07&SP");
    end = wjstrtblz(&wj_ctx, z.data(), z.data(), named, named_to, 20, 7, 1);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(narrow(z.data(), end - z.data() - 1), " x\x14&SP\x07 ");
    // Range marks only inside classes.
    const WJSLOT dash[] = {{'-', 0}, {0}};
    const WJSLOT dash_to[] = {{WJ_RANGE, 0}, {0}};
    u16 c[] = {'-', WJ_CLASS, 'a', '-', 'b', WJ_CLASS_END, '-', 0};
    end = wjstrtblz(&wj_ctx, c, c, dash, dash_to, WJ_CLASS, WJ_CLASS_END, 0);
    EXPECT_EQ(W(c, end), (W{'-', WJ_CLASS, 'a', WJ_RANGE, 'b', WJ_CLASS_END, '-', 0}));

    // A longer replacement into a separate, bounded output.
    const WJSLOT grow[] = {{'x', 0}, {0}};
    const WJSLOT grow_to[] = {{'y', 'y', 'y', 0}, {0}};
    W in = wide("axb");
    u16 out[8];
    end = wjstrtbl(&wj_ctx, in.data(), out, grow, grow_to, out + 7);
    EXPECT_EQ(W(out, end), wide("ayyyb"));
    out[4] = 0xEEEE;
    EXPECT_EQ(wjstrtbl(&wj_ctx, in.data(), out, grow, grow_to, out + 3), nullptr);
    EXPECT_EQ(out[4], 0xEEEE);
}

TEST(Misc, LineFeedAndSetSearch) {
    u16 lf[] = {10, 0}, lf2[] = {10, 10, 0};
    EXPECT_EQ(WJSTRcm1(lf), 0);
    EXPECT_EQ(WJSTRcm1(lf2), 1);
    EXPECT_EQ(zt::report_of([] { WJSTRcm1(nullptr); }), "PGM Error WJSTRcm1()");
    W t = wide("ab\x81\x40;c"), set = wide(";\x81\x40"), none = wide("z");
    EXPECT_EQ(wjstrmat(t.data(), set.data()), t.data() + 2);
    EXPECT_EQ(wjstrmat(t.data(), none.data()), nullptr);
    u16 empty[] = {0};
    EXPECT_EQ(zt::report_of([&] { wjstrmat(t.data(), empty); }), "検索文字列が，NULL です wjstrmat()\n");
    EXPECT_EQ(zt::report_of([&] { wjstrmat(nullptr, set.data()); }), "NULL ポインタが与えられました wjstrmat()\n");
}

TEST(Print, ReplacementSourceNotationAndDump) {
    ASSERT_EQ(match("a?b*", "axbbb", 1), 0);
    u16 r[] = {'<', WJ_ANY, '|', WJ_STAR, '>', 5, 0x8140, WJ_ANY, 10, 0};
    testing::internal::CaptureStdout();
    wputs(r);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "<x|bbb>.\x81\x40?\n");
    u16 r2[] = {WJ_PLUS, WJ_PLUS, 0};
    testing::internal::CaptureStdout();
    std::string rep = zt::report_of([&] { wputs(r2); });
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rep, "\n * または + の数が，合いません\n++    wputs()\n");

    W p = compiled("[^0-9]x?+\x82\xA0[a*]\t*");
    std::FILE *f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(wputscc(p.data(), f, 20), 20);
    u16 bad[] = {'a', 6, 0};
    EXPECT_EQ(zt::report_of([&] { wputscc(bad, f, 0); }), "wputscc()");
    std::rewind(f);
    char got[64] = {};
    std::fread(got, 1, sizeof got - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(got), "[^0-9]x?+\x82\xA0[a*]\t*   a");
    char text[8];
    EXPECT_STREQ(wsource_text(p.data(), text, sizeof text), "[^0-9]x");
    EXPECT_STREQ(wsource_text(p.data(), text, 1), "");

    u16 d[] = {'A', 0x8140, 10, 'B', 'C', 'D', 'E', 'F', 'G', 0};
    testing::internal::CaptureStdout();
    wdump(d);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "[0000]   0041 8140 000a 0042-0043 0044 0045 0046  : A \x81\x40\x81\x40" "B C D E F \r\n"
              "[0010]   0047  : G       \r\n");
}

TEST(Bytes, ComparisonWithOneWildcard) {
    EXPECT_EQ(zjstrcmp(nullptr, "a?", "a\\?"), 0);
    EXPECT_EQ(zjstrcmp(nullptr, "ab", "a\\?"), 1);
    EXPECT_EQ(zjstrcmp(nullptr, "\\x", "\\?"), 0);  // not an escape at the start
    EXPECT_EQ(zjstrcmp(nullptr, "x", "\\?"), 1);
    EXPECT_EQ(zjstrcmp(nullptr, "abc", "a?"), 0);
    EXPECT_EQ(zj_cap.count, 1);
    EXPECT_EQ(zjstrcmp(nullptr, "a", "a?"), 2);
    EXPECT_EQ(zj_examined, 1u);
    EXPECT_EQ(zjstrcmp(nullptr, "", "?"), 2);
    // A wildcard over a double-byte character takes both bytes.
    const char t[] = "\x82\xA0" "b";
    ASSERT_EQ(zjstrcmp(nullptr, t, "?b"), 0);
    EXPECT_EQ(zj_cap.entry[0].pos, t);
    EXPECT_EQ(zj_cap.entry[0].dbl, 1);
    EXPECT_EQ(zj_matched, 3u);
    unsigned char map[] = {0, 0, 0};
    EXPECT_EQ(zjstrcmp(map, t, "?b"), 1);  // the map says single bytes
    // A character cut by the terminator is not read past.
    const char cut[] = "\x82";
    ASSERT_EQ(zjstrcmp(nullptr, cut, "?"), 0);
    EXPECT_EQ(zj_cap.entry[0].dbl, 0);
    EXPECT_EQ(zj_matched, 1u);
    // A second byte 0x5C before ? is part of its character, not an escape.
    EXPECT_EQ(zjstrcmp(nullptr, "\x83\x5Cx", "\x83\x5C?"), 0);
    EXPECT_EQ(zjstrcmp(nullptr, "\x83\x5C?", "\x83\x5C?"), 0);

    EXPECT_EQ(zt::report_of([] { zjstrcmp(nullptr, "a", ""); }), " srがからです zjstrcmp\n");
    std::string many(63, '?'), text(63, 'x');
    EXPECT_EQ(zjstrcmp(nullptr, text.c_str(), many.substr(1).c_str()), 0);
    EXPECT_EQ(zj_cap.count, 62);
    EXPECT_EQ(zt::report_of([&] { zjstrcmp(nullptr, text.c_str(), many.c_str()); }), " wild1_buf overfrom zjstrcmp\n");
}

TEST(Bytes, SetSearchAndLineFeeds) {
    const char a[] = "  ab";
    EXPECT_EQ(zjstrmat(" ", a, 2), a + 2);
    const char b[] = "ab cd";
    EXPECT_EQ(zjstrmat(" ", b, 1), b + 2);
    EXPECT_EQ(zjstrmat("x", b, 1), nullptr);
    EXPECT_EQ(zjstrmat("abcd ", b, 2), nullptr);
    const char q[] = "a?b";
    EXPECT_EQ(zjstrmat("?", q, 1), q + 1);
    EXPECT_EQ(zjstrmat("?", q, 2), q);
    const char w[] = "ab\x81\x40" "c";
    EXPECT_EQ(zjstrmat("\x81\x40", w, 1), w + 2);
    EXPECT_EQ(zjstrmat("\x81\x40", "\x88\x81\x40", 1), nullptr);
    EXPECT_EQ(zt::report_of([] { zjstrmat(" ", "a", 3); }), "　jobno err (zjstrmat)");

    char s[] = "a,,b,,c";
    EXPECT_STREQ(zjstrchg(s, ",,"), "a\nb\nc");
    char d[] = "x\x82\xA0y";
    EXPECT_STREQ(zjstrchg(d, "x?"), "\ny");  // both bytes of the character go
    char e[] = "\x82\x61" "b";  // "ab" seen from the second byte is no match
    EXPECT_STREQ(zjstrchg(e, "ab"), "\x82\x61" "b");
    char f[] = "a?b";
    EXPECT_STREQ(zjstrchg(f, "a\\?"), "\nb");
}

}  // namespace
