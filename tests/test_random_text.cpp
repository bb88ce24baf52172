// Random byte strings and random patterns (fixed seed, bounded count): the
// Shift-JIS helpers and the matcher agree with simple references, round
// trips hold, and nothing is written outside the buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"

namespace {

using u16 = std::uint16_t;

std::mt19937 rng(20261207u);
unsigned pick(unsigned n) { return static_cast<unsigned>(rng() % n); }

bool lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Bytes biased towards the interesting classes; never 0.
std::string random_bytes(unsigned max_len) {
    static const unsigned char special[] = {0x81, 0x82, 0x88, 0x9F, 0xE0, 0xFC, 0x40, 0x5C, 0x7E, 0x7F,
                                            0x80, 0xA0, 0xB1, 0xDF, 0xFD, 0x20, 0x22, 0x3F, 0x41, 0x61};
    std::string s(pick(max_len + 1), 'x');
    for (char &c : s) c = static_cast<char>(pick(3) ? special[pick(sizeof special)] : 1 + pick(255));
    return s;
}

// Forward walk: 1 lead, 2 second byte, 0 single, 3 a byte after a lead that
// cannot be a second byte.
std::vector<int> reference_kinds(const std::string &s) {
    std::vector<int> k(s.size());
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (lead(c) && i + 1 < s.size()) {
            k[i] = 1;
            k[i + 1] = trail(static_cast<unsigned char>(s[i + 1])) ? 2 : 3;
            i += 2;
        } else {
            k[i] = lead(c) ? 1 : 0;
            ++i;
        }
    }
    return k;
}

TEST(RandomText, ClassificationAgreesWithAForwardWalk) {
    for (int n = 0; n < 3000; ++n) {
        std::string s = random_bytes(24);
        std::vector<int> ref = reference_kinds(s);
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (ref[i] == 3) {
                EXPECT_NE(zt::report_of([&] { isnkanji(s.c_str(), static_cast<int>(i)); }), "(none)");
            } else {
                EXPECT_EQ(isnkanji(s.c_str(), static_cast<int>(i)), ref[i]) << n << " at " << i;
            }
        }
        // The kind map: 1 lead, 2 the byte after it, within guard bytes.
        std::unique_ptr<unsigned char[]> map(new unsigned char[s.size() + 2]);
        std::memset(map.get(), 0xEE, s.size() + 2);
        unsigned char *end = sjis_kind_map(s.c_str(), map.get() + 1);
        ASSERT_EQ(end, map.get() + 1 + s.size());
        EXPECT_EQ(map[0], 0xEE);
        EXPECT_EQ(map[s.size() + 1], 0xEE);
        for (std::size_t i = 0; i < s.size(); ++i) EXPECT_EQ(map[i + 1], ref[i] == 3 ? 2 : ref[i]);
    }
}

TEST(RandomText, WideFormRoundTripsWithinItsBuffers) {
    const u16 G = 0xEEEE;
    for (int n = 0; n < 3000; ++n) {
        std::string s = random_bytes(30);
        // Characters as sjis2w sees them: a lead byte takes the next byte.
        std::size_t units = 0;
        bool cut = false;
        for (std::size_t i = 0; i < s.size(); ++units)
            if (lead(static_cast<unsigned char>(s[i]))) {
                if (i + 1 >= s.size()) cut = true;
                i += 2;
            } else {
                ++i;
            }
        std::size_t room = units + 1;
        std::unique_ptr<u16[]> w(new u16[room + 2]);
        for (std::size_t i = 0; i < room + 2; ++i) w[i] = G;
        u16 *end = sjis2w(s.c_str(), w.get() + 1, w.get() + room);
        EXPECT_EQ(w[0], G);
        EXPECT_EQ(w[room + 1], G);
        if (cut) {
            EXPECT_EQ(end, nullptr);
            continue;
        }
        ASSERT_EQ(end, w.get() + 1 + room);
        // One unit less: reported, nothing past the last unit.
        if (room > 1) {
            for (std::size_t i = 0; i < room + 2; ++i) w[i] = G;
            EXPECT_EQ(zt::report_of([&] { sjis2w(s.c_str(), w.get() + 1, w.get() + room - 1); }),
                      "バッファーオーバー sjis2w()\n");
            EXPECT_EQ(w[room], G);
            sjis2w(s.c_str(), w.get() + 1, w.get() + room);
        }
        // Back to bytes, in every size from 0 up: either null or the text,
        // never a byte past the size.
        for (unsigned size = 0; size <= s.size() + 2; ++size) {
            std::unique_ptr<char[]> out(new char[size + 1]);
            std::memset(out.get(), 0x11, size + 1);
            char *r = w2sjis(w.get() + 1, out.get(), size);
            EXPECT_EQ(out[size], 0x11);
            if (r) {
                EXPECT_EQ(std::string(r), s);
            }
            if (size >= s.size() + 2) {
                EXPECT_NE(r, nullptr);
            }
        }
    }
}

// Splits as str2pp does, on characters; -1 for a missing closing quote.
int reference_split(const std::string &s, const std::vector<std::string> &delims, std::vector<std::string> &out) {
    std::vector<std::string> ch;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t l = lead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
        ch.push_back(s.substr(i, l));
        i += l;
    }
    auto is_delim = [&](const std::string &c) {
        for (const std::string &d : delims)
            if (d == c) return true;
        return false;
    };
    out.clear();
    std::size_t i = 0;
    for (;;) {
        while (i < ch.size() && is_delim(ch[i])) ++i;
        if (i >= ch.size()) return 0;
        std::string f;
        if (ch[i] == "\"") {
            ++i;
            while (i < ch.size() && ch[i] != "\"") f += ch[i++];
            if (i >= ch.size()) return -1;
            ++i;
        } else {
            while (i < ch.size() && !is_delim(ch[i])) f += ch[i++];
        }
        out.push_back(f);
    }
}

TEST(RandomText, SplittingAgreesWithAReference) {
    static const char *pieces[] = {"a", "b", " ", "  ", "\"", "\x81\x40", "\x82\xA0", "\t", "\x82\x40", "@"};
    static const char *delim_choices[] = {" ", "\x81\x40", "\t", "@"};
    char *guard = reinterpret_cast<char *>(&rng);
    for (int n = 0; n < 3000; ++n) {
        std::string s;
        for (unsigned k = pick(12) + 1; k > 0; --k) s += pieces[pick(sizeof pieces / sizeof *pieces)];
        std::string set;
        std::vector<std::string> delims;
        for (const char *d : delim_choices)
            if (pick(2)) {
                set += d;
                delims.push_back(d);
            }
        if (set.empty()) {
            set = " ";
            delims.push_back(" ");
        }
        std::vector<std::string> want;
        int r = reference_split(s, delims, want);
        int capacity = static_cast<int>(pick(6)) + 1;
        std::vector<char> text(s.begin(), s.end());
        text.push_back('\0');
        std::vector<char *> array(capacity + 3, guard);
        std::string report = zt::report_of([&] { str2pp(text.data(), set.c_str(), capacity, array.data() + 1); });
        EXPECT_EQ(array[0], guard);
        EXPECT_EQ(array[capacity + 2], guard);
        if (r < 0) {
            EXPECT_EQ(report, "デリミタエンドがありません。str2pp() 文字列:" + s + "\n");
            EXPECT_EQ(std::string(text.data()), s);
            continue;
        }
        if (static_cast<int>(want.size()) > capacity) {
            EXPECT_EQ(report, "PGM Error str2pp() :2:\n");
            EXPECT_EQ(std::string(text.data()), s);
            continue;
        }
        ASSERT_EQ(report, "(none)") << s;
        std::vector<std::string> got;
        for (char **p = array.data() + 1; *p; ++p) {
            ASSERT_GE(*p, text.data());
            ASSERT_LT(*p, text.data() + text.size());
            got.push_back(*p);
        }
        EXPECT_EQ(got, want) << s;
    }
}

// A random pattern over a, b, any character, two classes and repeats, with
// the replacement that writes back what each element took.
struct pattern_pair {
    std::vector<u16> source;
    std::vector<u16> mirror;
};

pattern_pair random_pattern() {
    pattern_pair p;
    for (unsigned k = pick(5) + 1; k > 0; --k) {
        unsigned e = pick(5);
        unsigned rep = pick(4);  // 0, 1: none; 2: +; 3: *
        switch (e) {
        case 0: p.source.push_back('a'); break;
        case 1: p.source.push_back('b'); break;
        case 2: p.source.push_back(WJ_ANY); break;
        case 3: p.source.insert(p.source.end(), {WJ_CLASS, 'a', WJ_RANGE, 'b', WJ_CLASS_END}); break;
        default: p.source.insert(p.source.end(), {WJ_CLASS, WJ_NOT, 'a', WJ_CLASS_END}); break;
        }
        if (rep >= 2) {
            p.source.push_back(rep == 2 ? WJ_PLUS : WJ_STAR);
            p.mirror.push_back(WJ_STAR);
        } else {
            p.mirror.push_back(e <= 1 ? static_cast<u16>(e == 0 ? 'a' : 'b') : u16{WJ_ANY});
        }
    }
    p.source.push_back(0);
    p.mirror.push_back(0);
    return p;
}

TEST(RandomText, MatchesGiveBackWhatTheyTook) {
    const u16 G = 0xEEEE;
    int matched = 0;
    for (int n = 0; n < 4000; ++n) {
        pattern_pair p = random_pattern();
        std::string report = zt::report_of([&] {
            testing::internal::CaptureStdout();
            try {
                makcrcs(p.source.data());
            } catch (...) {
                testing::internal::GetCapturedStdout();
                throw;
            }
            testing::internal::GetCapturedStdout();
        });
        if (report != "(none)") {
            EXPECT_EQ(report, "ﾊﾟﾀｰﾝが、反復文字（0以上）のみで構成されています\n");
            continue;
        }
        std::size_t len = pick(8);
        std::unique_ptr<u16[]> text(new u16[len + 1]);
        for (std::size_t i = 0; i < len; ++i) text[i] = static_cast<u16>("abc"[pick(3)]);
        text[len] = 0;
        wj_ctx = WJCONTEXT{};
        wj_ctx.eoi = static_cast<int>(pick(2));
        int r = WJSTRCMP(text.get(), p.source.data());
        ASSERT_TRUE(r >= 0 && r <= 2);
        if (r == 2) {
            EXPECT_LE(wj_ctx.consumed, len);
            continue;
        }
        if (r == 1) continue;
        ++matched;
        ASSERT_LE(wj_cap.match_len, len);
        EXPECT_EQ(wj_ctx.pos, text.get() + wj_cap.match_len);
        for (std::uint32_t k = 1; k <= wj_cap.runs; ++k) {
            EXPECT_GE(wj_cap.run_start[k], text.get());
            EXPECT_LE(wj_cap.run_start[k] + wj_cap.run_len[k], text.get() + wj_cap.match_len);
        }
        // Writing the mirror gives the matched text back, into a buffer of
        // exactly that size.
        std::size_t m = wj_cap.match_len;
        std::unique_ptr<u16[]> out(new u16[m + 3]);
        for (std::size_t i = 0; i < m + 3; ++i) out[i] = G;
        u16 *end = wjstrcpy(out.get() + 1, p.mirror.data(), out.get() + 1 + m);
        ASSERT_EQ(end, out.get() + 1 + m);
        EXPECT_EQ(std::memcmp(out.get() + 1, text.get(), m * sizeof(u16)), 0);
        EXPECT_EQ(out[m + 1], 0);
        EXPECT_EQ(out[0], G);
        EXPECT_EQ(out[m + 2], G);
        // One code less: null, and nothing past the end.
        for (std::size_t i = 0; i < m + 3; ++i) out[i] = G;
        if (m > 0) {
            EXPECT_EQ(wjstrcpy(out.get() + 1, p.mirror.data(), out.get() + m), nullptr);
            EXPECT_EQ(out[m + 1], G);
        }
    }
    EXPECT_GT(matched, 500);
}

}  // namespace
