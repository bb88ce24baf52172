// Encoded strings and files through ZUSTD: the cipher's tables and the
// published Blowfish results, string round trips and limits, the encoded
// file's layout, names, restored length, extension and time, damaged files,
// and the hexadecimal texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"
#include "zustd/blowfish.h"

namespace {

// ---- pi in 32-bit words, independently of the tables ----------------------

using big = std::vector<std::uint32_t>;  // word 0: the integer part

void div_small(big &a, std::uint32_t d) {
    std::uint64_t rest = 0;
    for (std::uint32_t &w : a) {
        std::uint64_t cur = rest << 32 | w;
        w = static_cast<std::uint32_t>(cur / d);
        rest = cur % d;
    }
}

void add_to(big &a, const big &b, bool subtract) {
    std::int64_t carry = 0;
    for (std::size_t i = a.size(); i-- > 0;) {
        std::int64_t s = static_cast<std::int64_t>(a[i]) + (subtract ? -static_cast<std::int64_t>(b[i]) : b[i]) + carry;
        a[i] = static_cast<std::uint32_t>(s);
        carry = s >> 32;
    }
}

// arctan(1/x) by its series.
big atan_inverse(std::uint32_t x, std::size_t words) {
    big term(words), sum;
    term[0] = 1;
    div_small(term, x);
    sum = term;
    for (std::uint32_t k = 1;; ++k) {
        div_small(term, x * x);
        big t = term;
        div_small(t, 2 * k + 1);
        bool zero = true;
        for (std::uint32_t w : t) zero = zero && w == 0;
        if (zero) return sum;
        add_to(sum, t, k % 2 == 1);
    }
}

TEST(Cipher, InitialTablesAreTheDigitsOfPi) {
    const std::size_t words = ZU_BLOWFISH_WORDS + 4;  // the integer part and guard words
    big a = atan_inverse(5, words), b = atan_inverse(239, words), pi(words);
    for (int i = 0; i < 16; ++i) add_to(pi, a, false);  // pi = 16 atan(1/5) - 4 atan(1/239)
    for (int i = 0; i < 4; ++i) add_to(pi, b, true);
    ASSERT_EQ(pi[0], 3u);
    for (int i = 0; i < ZU_BLOWFISH_WORDS; ++i) ASSERT_EQ(zu_blowfish_initial[i], pi[i + 1]) << "word " << i;
}

std::vector<unsigned char> hex(const std::string &text) {
    std::vector<unsigned char> out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) out.push_back(static_cast<unsigned char>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return out;
}

std::string hex_of(const unsigned char *p, std::size_t n) { return Bin2Txt_str(p, static_cast<int>(n)); }

// Each 32-bit half of every block byte-reversed.
std::vector<unsigned char> swapped(std::vector<unsigned char> v) {
    for (std::size_t i = 0; i + 4 <= v.size(); i += 4) {
        std::swap(v[i], v[i + 3]);
        std::swap(v[i + 1], v[i + 2]);
    }
    return v;
}

TEST(Cipher, PublishedVectors) {
    struct vector_case {
        const char *key, *plain, *cipher;
    };
    const vector_case cases[] = {
        {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
        {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
        {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
        {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
        {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
        {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
        {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    };
    for (const vector_case &c : cases) {
        std::vector<unsigned char> key = hex(c.key), plain = swapped(hex(c.plain)), want = swapped(hex(c.cipher));
        zu_blowfish bf;
        zu_blowfish_key(bf, key.data(), key.size());
        unsigned char out[8];
        zu_blowfish_ecb(bf, plain.data(), out, 8, false);
        EXPECT_EQ(hex_of(out, 8), hex_of(want.data(), 8)) << c.key;
        zu_blowfish_ecb(bf, out, out, 8, true);
        EXPECT_EQ(hex_of(out, 8), hex_of(plain.data(), 8)) << c.key;
        // The same through the exports, where the key is a text.
        if (std::memchr(key.data(), 0, key.size())) continue;
        std::string text(key.begin(), key.end());
        EXPECT_EQ(hex_of(StrEncode(plain.data(), 8, text.c_str()), 8), hex_of(want.data(), 8)) << c.key;
        EXPECT_EQ(hex_of(StrDecode(want.data(), 8, text.c_str()), 8), hex_of(plain.data(), 8)) << c.key;
    }
}

TEST(Strings, RoundTripsAndLimits) {
    std::mt19937 rng(15);
    std::vector<unsigned char> data(600);
    for (unsigned char &b : data) b = static_cast<unsigned char>(rng());
    for (int n = 8; n <= 600; n += 8) {
        std::string key = "key" + std::to_string(n);
        unsigned char *e = StrEncode(data.data(), n, key.c_str());
        ASSERT_NE(std::memcmp(e, data.data(), n), 0);
        unsigned char *d = StrDecode(e, n, key.c_str());
        ASSERT_NE(d, e);
        ASSERT_EQ(std::memcmp(d, data.data(), n), 0) << n;
    }
    EXPECT_EQ(zt::report_of([&] { StrEncode(data.data(), 12, "k"); }), "Error div 8 StrEncode_01");
    EXPECT_EQ(zt::report_of([&] { StrDecode(data.data(), 12, "k"); }), "Error div 8 StrDecode");
    EXPECT_EQ(zt::report_of([&] { StrEncode(data.data(), 608, "k"); }), "length over StrEncode");
    EXPECT_EQ(zt::report_of([&] { StrDecode(data.data(), 608, "k"); }), "length over StrDecode");
    EXPECT_EQ(zt::report_of([&] { StrDecode(data.data(), -8, "k"); }), "length over StrDecode");
    EXPECT_EQ(zt::report_of([&] { StrEncode(data.data(), 8, ""); }), "暗号キーを指定してください。StrEncode");
    EXPECT_EQ(zt::report_of([&] { StrDecode(data.data(), 8, nullptr); }), "暗号キーを指定してください。StrDecode");
    // Only the first 72 bytes of a key count.
    std::string long_key(72, 'k');
    std::string a = hex_of(StrEncode(data.data(), 16, long_key.c_str()), 16);
    EXPECT_EQ(hex_of(StrEncode(data.data(), 16, (long_key + "xyz").c_str()), 16), a);
    long_key[71] = 'j';
    EXPECT_NE(hex_of(StrEncode(data.data(), 16, long_key.c_str()), 16), a);
}

// Encoded strings made by this library: the byte layout must not change.
TEST(Strings, KnownAnswers) {
    const unsigned char text[] = "ZUSTD encodes 24 bytes!!";
    EXPECT_EQ(hex_of(StrEncode(text, 24, "secret"), 24), "80CBA0BB30A2CEEEA3155A22EEACDE1EA6116D29BC4F9338");
    EXPECT_EQ(hex_of(StrEncode("\0\0\0\0\0\0\0\0", 8, "\x88\xc3\x8d\x86"), 8), "84EA1CFAA11E87D7");
}

// ---- files ---------------------------------------------------------------

ZuSystemTime time_of(const std::string &name) {
    ZuSystemTime t{};
    ZuGetFileDate(&t, name.c_str());
    return t;
}

TEST(Files, LayoutAndRestoredFile) {
    std::string dir = zt::fresh_dir("layout");
    struct size_case {
        std::size_t plain, encoded;
    };
    for (size_case c : {size_case{16, 88}, size_case{17, 88}, size_case{0, 72}, size_case{1000, 1072}}) {
        std::string plain = zt::join(dir, "P" + std::to_string(c.plain) + ".dat"), enc = plain + ".enc",
                    out = plain + ".out";
        std::string bytes;
        for (std::size_t i = 0; i < c.plain; ++i) bytes += static_cast<char>(i * 7);
        zt::write_file(plain, bytes);
        ZuSystemTime stamp{2001, 2, 6, 3, 4, 5, 6, 0};  // a Saturday
        ZuSetFileDate(plain.c_str(), stamp);
        EXPECT_STREQ(StrEncodeFile(plain.c_str(), enc.c_str(), "key"), "");
        std::string e = zt::read_file(enc);
        ASSERT_EQ(e.size(), c.encoded);
        EXPECT_EQ(e.substr(0, 16), std::string("ZUCPRS\0\0\0\0\x80\x3f\x40\0\0\0", 16));
        EXPECT_EQ(static_cast<std::size_t>(static_cast<unsigned char>(e[16]) | static_cast<unsigned char>(e[17]) << 8), c.plain);
        EXPECT_EQ(e.substr(20, 8), std::string("dat\0\0\0\0\0", 8));
        EXPECT_EQ(e.substr(28, 16), std::string("\xd1\x07\x02\0\x06\0\x03\0\x04\0\x05\0\x06\0\0\0", 16));
        EXPECT_EQ(e.substr(44, 20), std::string(20, '\0'));
        EXPECT_STREQ(StrDecodeFile(enc.c_str(), out.c_str(), "key", 0), out.c_str());
        EXPECT_EQ(zt::read_file(out), bytes);
        ZuSystemTime t = time_of(out);
        EXPECT_EQ(std::memcmp(&t, &stamp, sizeof t), 0) << t.year << " " << t.hour << " " << t.second;
        // A wrong key gives other bytes of the same length.
        StrDecodeFile(enc.c_str(), out.c_str(), "other", 0);
        EXPECT_EQ(zt::read_file(out).size(), c.plain);
        if (c.plain) {
            EXPECT_NE(zt::read_file(out), bytes);
        }
    }
}

TEST(Files, DefaultNamesAndCheckOnly) {
    std::string dir = zt::fresh_dir("names");
    std::string plain = zt::join(dir, "DATA.TXT");
    zt::write_file(plain, "some text\r\n");
    std::string first = StrEncodeFile(plain.c_str(), nullptr, "k");
    EXPECT_EQ(first, zt::join(dir, "DATA.0001.cpress"));
    zt::write_file(zt::join(dir, "DATA.0003.cpress"), "taken");
    EXPECT_EQ(std::string(StrEncodeFile(plain.c_str(), nullptr, "k")), zt::join(dir, "DATA.0002.cpress"));
    EXPECT_EQ(std::string(StrEncodeFile(plain.c_str(), nullptr, "k")), zt::join(dir, "DATA.0004.cpress"));

    zt::remove_file(plain);
    // Check only: the name it would write, and nothing written.
    EXPECT_EQ(std::string(StrDecodeFile(first.c_str(), nullptr, "k", 1)), plain);
    EXPECT_FALSE(zt::exists(plain));
    EXPECT_EQ(std::string(StrDecodeFile(first.c_str(), nullptr, "k", 0)), plain);
    EXPECT_EQ(zt::read_file(plain), "some text\r\n");

    // A name without an extension is stored with an empty one and decoded
    // without a dot; a long extension is cut to 7 bytes.
    std::string bare = zt::join(dir, "BARE"), long_ext = zt::join(dir, "X.LONGEXTENSION");
    zt::write_file(bare, "b");
    zt::write_file(long_ext, "l");
    std::string e1 = StrEncodeFile(bare.c_str(), nullptr, "k"), e2 = StrEncodeFile(long_ext.c_str(), nullptr, "k");
    EXPECT_EQ(e1, zt::join(dir, "BARE.0005.cpress"));
    EXPECT_EQ(zt::read_file(e2).substr(20, 8), std::string("LONGEXT\0", 8));
    EXPECT_EQ(std::string(StrDecodeFile(e1.c_str(), nullptr, "k", 1)), bare);
    EXPECT_EQ(std::string(StrDecodeFile(e2.c_str(), nullptr, "k", 1)), zt::join(dir, "X.LONGEXT"));
}

TEST(Files, Refusals) {
    std::string dir = zt::fresh_dir("refusals");
    std::string plain = zt::join(dir, "A.TXT"), enc = zt::join(dir, "A.enc"), out = zt::join(dir, "out");
    zt::write_file(plain, "0123456789");
    StrEncodeFile(plain.c_str(), enc.c_str(), "k");
    const std::string good = zt::read_file(enc);

    // An encoded file is not encoded again, and nothing is written.
    std::string again = zt::join(dir, "again");
    EXPECT_EQ(zt::report_of([&] { StrEncodeFile(enc.c_str(), again.c_str(), "k"); }), "ファイルエラー " + enc + " StrEncodeFile");
    EXPECT_FALSE(zt::exists(again));
    EXPECT_EQ(zt::report_of([&] { StrEncodeFile(nullptr, again.c_str(), "k"); }), "作成するファイル名を指定してください。StrEncodeFile");
    EXPECT_EQ(zt::report_of([&] { StrDecodeFile(nullptr, out.c_str(), "k", 0); }), "作成するファイル名を指定してください。StrDecodeFile");
    EXPECT_EQ(zt::report_of([&] { StrEncodeFile(plain.c_str(), again.c_str(), ""); }), "暗号キーを指定してください。StrEncodeFile");
    EXPECT_EQ(zt::report_of([&] { StrDecodeFile(enc.c_str(), out.c_str(), "", 0); }), "暗号キーを指定してください。StrDecodeFile");
    EXPECT_FALSE(zt::exists(again));

    // Damaged files: each is refused and no output is written.
    auto damaged = [&](std::size_t at, const std::string &bytes) {
        std::string d = good;
        d.replace(at, bytes.size(), bytes);
        return d;
    };
    const std::string file_error = "ファイルエラー " + enc + " StrDecodeFile";
    struct damage_case {
        std::string bytes, report;
    };
    const damage_case cases[] = {
        {good.substr(0, 63), file_error},                             // shorter than the header
        {good.substr(0, 12), file_error},
        {"", file_error},
        {damaged(0, "ZUCPRT"), file_error},                             // magic
        {damaged(8, std::string("\0\0\0\x40", 4)), "バージョンエラー " + enc + " StrDecodeFile"},
        {damaged(12, std::string("\x3c\0\0\0", 4)), file_error},         // header length 60
        {damaged(16, std::string("\x11\0\0\0", 4)), file_error},         // 17 bytes stored, 16 there
        {damaged(16, std::string("\xff\xff\xff\xff", 4)), file_error},
        {damaged(20, std::string("/x\0", 3)), file_error},               // an extension that names a folder
        {damaged(20, std::string("..\\x\0", 5)), file_error},
    };
    for (const damage_case &c : cases) {
        zt::write_file(enc, c.bytes);
        EXPECT_EQ(zt::report_of([&] { StrDecodeFile(enc.c_str(), out.c_str(), "k", 0); }), c.report) << c.bytes.size();
        EXPECT_EQ(zt::report_of([&] { StrDecodeFile(enc.c_str(), nullptr, "k", 1); }), c.report);
        EXPECT_FALSE(zt::exists(out));
    }
    // The stored length may be anything up to the enciphered bytes.
    zt::write_file(enc, damaged(16, std::string("\x10\0\0\0", 4)));
    StrDecodeFile(enc.c_str(), out.c_str(), "k", 0);
    EXPECT_EQ(zt::read_file(out), std::string("0123456789\0\0\0\0\0\0", 16));
}

// An encoded file made by this library: the layout must not change.
TEST(Files, KnownAnswer) {
    std::string dir = zt::fresh_dir("known");
    std::string enc = zt::join(dir, "KNOWN.0001.cpress");
    std::vector<unsigned char> bytes = hex("5A554350525300000000803F40000000180000006373760000000000E8070500"
                                                 "0500110009001E00000000000000000000000000000000000000000000000000"
                                                 "C71299B7A280E9D17553ADBA634484A71A8381C887A4AEDEBA7BE4A89B07F2DC");
    zt::write_file(enc, std::string(bytes.begin(), bytes.end()));
    EXPECT_EQ(std::string(StrDecodeFile(enc.c_str(), nullptr, "ZUCPRS key", 0)), zt::join(dir, "KNOWN.csv"));
    EXPECT_EQ(zt::read_file(zt::join(dir, "KNOWN.csv")), "code,name\r\n0001,sample\r\n");
    ZuSystemTime t = time_of(zt::join(dir, "KNOWN.csv"));
    EXPECT_EQ(t.year, 2024);
    EXPECT_EQ(t.month, 5);
    EXPECT_EQ(t.day, 17);
    EXPECT_EQ(t.hour, 9);
    EXPECT_EQ(t.minute, 30);
}

// ---- hexadecimal texts ----------------------------------------------------

TEST(Hex, StringsAndFiles) {
    const unsigned char two[] = {0x00, 0xAB};
    EXPECT_STREQ(Bin2Txt_str(two, 2), "00AB");
    EXPECT_EQ(std::memcmp(Txt2Bin_str("00ab", 4), two, 2), 0);
    EXPECT_EQ(std::memcmp(Txt2Bin_str("00AB7", 5), "\x00\xab\x00", 3), 0);  // an odd character is left
    EXPECT_STREQ(Bin2Txt_str(two, 0), "");

    std::vector<unsigned char> big(8000, 0x5A);
    EXPECT_EQ(std::strlen(Bin2Txt_str(big.data(), 7999)), 15998u);
    EXPECT_EQ(zt::report_of([&] { Bin2Txt_str(big.data(), 8000); }), "バッファフル Bin2Txt_str()");
    std::string digits(16000, 'f');
    EXPECT_EQ(Txt2Bin_str(digits.c_str(), 15999)[7998], 0xFF);
    EXPECT_EQ(Txt2Bin_str(digits.c_str(), 15999)[7999], 0);
    EXPECT_EQ(zt::report_of([&] { Txt2Bin_str(digits.c_str(), 16000); }), "バッファフル Txt2Bin_str()");

    std::string dir = zt::fresh_dir("hex");
    std::string bin = zt::join(dir, "in.bin"), txt = zt::join(dir, "out.txt"), back = zt::join(dir, "back.bin");
    zt::write_file(bin, std::string("\x00\x01\xfe\xff", 4));
    EXPECT_EQ(Bin2Txt(bin.c_str(), txt.c_str()), 0);
    EXPECT_EQ(zt::read_file(txt), "0001FEFF");
    EXPECT_EQ(Txt2Bin(txt.c_str(), back.c_str()), 0);
    EXPECT_EQ(zt::read_file(back), zt::read_file(bin));
    EXPECT_EQ(Bin2Txt(zt::join(dir, "missing").c_str(), txt.c_str()), 1);
    EXPECT_EQ(Txt2Bin(zt::join(dir, "missing").c_str(), txt.c_str()), 1);
    zt::write_file(bin, std::string(8000, 'x'));
    EXPECT_EQ(zt::report_of([&] { Bin2Txt(bin.c_str(), txt.c_str()); }), "バッファフル Bin2Txt()");
    zt::write_file(txt, digits);
    EXPECT_EQ(zt::report_of([&] { Txt2Bin(txt.c_str(), back.c_str()); }), "バッファフル Txt2Bin()");
}

}  // namespace
