// Host record conversion of ZUSTD: fixed-length host records into
// comma-separated Shift-JIS lines.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

struct Result {
    int code;
    std::string out;
};

// Converts `input` by the definition text with the record length.
Result convert(const std::string &input, const std::string &definition, int reclen) {
    std::string dir = zt::fresh_dir("hostrec");
    std::string in = zt::join(dir, "IN.DAT"), def = zt::join(dir, "IN.DEF"), out = zt::join(dir, "OUT.TXT");
    zt::write_file(in, input);
    zt::write_file(def, definition);
    int code = zu_call([&] { return ZuFConversion(in.c_str(), def.c_str(), out.c_str(), reclen); });
    return {code, zt::read_file(out)};
}

std::string report(const std::string &input, const std::string &definition, int reclen) {
    return zt::report_of([&] { convert(input, definition, reclen); });
}

TEST(HostRecord, FieldJobs) {
    // EBCDIC then JIS: the blank of the first field is trimmed.
    EXPECT_EQ(convert("\xC1\xC2\x40\x30\x21", "3 E\r\n2 J\r\n", 5).out, ",AB,\x88\x9F\r\n");
    Result r = convert("\xC1\x41\xC2", "3 E\n", 3);
    EXPECT_EQ(r.out, ",A{H:0041}B\r\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(convert("\x0D\x0A", "2 h\n", 2).out, ",{h:0D}{h:0A}\r\n");
    // A negative skip goes back: the same bytes again as a plain copy.
    EXPECT_EQ(convert("abc", "3 @\n-3 -\n3 @\n", 3).out, ",abc,abc\r\n");
    // Packed decimal: an even digit count gets a leading 0.
    EXPECT_EQ(convert("1231234", "3 p\n4 p\n", 7).out, std::string(",\x12\x3F,\x01\x23\x4F\r\n"));
    // e: upper-cased first; a byte without an entry becomes { and marks.
    r = convert("ab1[", "4 e\n", 4);
    EXPECT_EQ(r.out, ",\xC1\xC2\xF1{\r\n");
    EXPECT_EQ(r.code, 1);
    // F: 4040 is the full-width blank (trimmed), A1-F3 rows lose bit 7;
    // unassigned codes, codes outside the rows and 0000 (which ends the field).
    r = convert("\xB0\xA1\x40\x40\xA9\xA1\xF4\xA1\x00\x00\xB0\xA1", "12 F 2 F\n", 14);
    EXPECT_EQ(r.out, ",\x88\x9F\x81\x40{H:A9A1}{H:F4A1},\r\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(convert("\xB0\xA1\x40\x40", "4 F\n", 4).out, ",\x88\x9F\r\n");
    // J: up to 7424; 7425 is assigned but beyond.
    EXPECT_EQ(convert("\x74\x24\x74\x25\x22\x2F", "6 J\n", 6).out, ",\xEA\xA2{H:7425}{H:222F}\r\n");
    // A comma in a field quotes it; the length token ignores a fraction;
    // the list ends at a length of 0.
    EXPECT_EQ(convert("a,b  xyz", "5.9 @\n0 @\n3 @\n", 8).out, ",\"a,b\"\r\n");
}

TEST(HostRecord, RecordsOfTheInput) {
    std::string input;
    for (int i = 0; i < 25; ++i) input += static_cast<char>('a' + i);
    EXPECT_EQ(convert(input, "10 @\n", 10).out, ",abcdefghij\r\n,klmnopqrst\r\n,uvwxy\r\n");
    EXPECT_EQ(convert("abcdef\x1A", "3 @\n", 3).out, ",abc\r\n,def\r\n");
    Result r = convert("", "3 @\n", 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.code, 0);
}

// Faults mended: lines longer than twice the record, zero bytes inside a
// line, more pairs than lines, moves before the record and fields past it.
TEST(HostRecord, BoundsAndWholeLines) {
    std::string marks(300, '\x41'), expected = ",";
    for (int i = 0; i < 300; ++i) expected += "{H:0041}";
    EXPECT_EQ(convert(marks, "300 E\n", 300).out, expected + "\r\n");
    std::string hex(200, '\x20');
    std::string hex_expected = ",";
    for (int i = 0; i < 200; ++i) hex_expected += "{h:20}";
    EXPECT_EQ(convert(hex, "200 h", 200).out, hex_expected + "\r\n");
    EXPECT_EQ(convert(std::string("00a\0b ", 6), "2 p 4 @", 6).out, std::string(",\x00\x0F,a\0b\r\n", 9));
    EXPECT_EQ(convert("abc", "1 @ 1 @ 1 @", 3).out, ",a,b,c\r\n");
    EXPECT_EQ(convert("abc", "-5 -\n2 @\n", 3).out, ",ab\r\n");
    EXPECT_EQ(convert("abcd", "2 @\n10 @\n4 E\n", 4).out, ",ab,cd,\r\n");
    // A trimmed field keeps a mark that lies beyond its input length.
    EXPECT_EQ(convert("\xC1\x40\x40\x40\x41", "5 E\n", 5).out, ",A   {H:0041}\r\n");
}

TEST(HostRecord, Reports) {
    std::string bad = report("abc", "3x @\n", 3);
    EXPECT_EQ(bad.rfind("3x に数字以外の文字があります ｺｰﾄﾞ=0078 ファイル名 '", 0), 0u) << bad;
    EXPECT_NE(bad.find("IN.DEF' fil2fld();"), std::string::npos) << bad;
    EXPECT_EQ(report("abc", "3 Z\n", 3), "このジョブ番号はおかしいです 'Z'  (0x005A) strcnv();");
    EXPECT_EQ(report("abc", "3 \x01\n", 3), "このジョブ番号はおかしいです '.'  (0x0001) strcnv();");
    EXPECT_EQ(report("abc", "3\n", 3), "このジョブ番号はおかしいです '.'  (0x0000) strcnv();");
    EXPECT_EQ(report("1234567890", "10 p\n", 10), "数字フィールドは 9 ケタまでです 与えられた桁数 10 ibmdigit()");
    EXPECT_EQ(report("12a4", "4 p\n", 4), "12a4 数字以外の文字が数字フィールドにあります strcnv()");
    EXPECT_EQ(report("12", "4 p\n", 2), "12 数字以外の文字が数字フィールドにあります strcnv()");
    EXPECT_NE(report("", "", 0), "(none)");
}

// The EBCDIC tables as the host side defines them, row by row (hex bytes).
const char *const DECODING[16] = {
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
    "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00", "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
    "20 00 00 00 00 00 00 00 00 00 5E 2E 3C 28 2B 5B", "26 00 00 00 AD AE 00 00 B0 00 21 24 2A 29 3B 5D",
    "2D 2F 00 00 00 00 00 00 00 00 5C 2C 25 5F 3E 3F", "00 00 00 00 00 00 A1 A2 A3 A4 3A 23 40 27 3D 22",
    "A5 B1 B2 B3 B4 B5 B6 B7 B8 B9 BA A6 BB BC BD BE", "BF C0 C1 C2 C3 C4 C5 C6 C7 C8 C9 A7 A8 CA CB CC",
    "A9 AA CD CE CF D0 D1 D2 D3 D4 D5 AB D6 D7 D8 D9", "AC AD AE AF B0 A0 00 00 00 00 DA DB DC DD DE DF",
    "00 41 42 43 44 45 46 47 48 49 00 00 00 00 00 00", "00 4A 4B 4C 4D 4E 4F 50 51 52 00 00 00 00 00 00",
    "00 00 53 54 55 56 57 58 59 5A 00 00 00 00 00 00", "30 31 32 33 34 35 36 37 38 39 00 00 00 00 00 00",
};
const char *const ENCODING[6] = {
    "40 5A 7F 7B 5B 6C 50 7D 4D 5D 5C 4E 6B 60 4B 61", "F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 7A 5E 4C 7E 6E 6F",
    "7C C1 C2 C3 C4 C5 C6 C7 C8 C9 D1 D2 D3 D4 D5 D6", "D7 D8 D9 E2 E3 E4 E5 E6 E7 E8 E9 00 E0 00 00 6D",
    "7D 81 82 83 84 85 86 87 88 89 91 92 93 94 95 96", "97 98 99 A2 A3 A4 A5 A6 A7 A8 A9 00 6A 00 A1 00",
};

std::vector<unsigned> table(const char *const *rows, int count) {
    std::vector<unsigned> t;
    for (int r = 0; r < count; ++r) {
        std::istringstream in(rows[r]);
        unsigned v;
        while (in >> std::hex >> v) t.push_back(v);
    }
    return t;
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    for (std::size_t p = 0, e; (e = text.find("\r\n", p)) != std::string::npos; p = e + 2) out.push_back(text.substr(p, e - p));
    return out;
}

// Every byte through E and e, one record each (the byte and a plain A).
TEST(HostRecord, EbcdicTablesEntryByEntry) {
    std::vector<unsigned> dec = table(DECODING, 16), enc = table(ENCODING, 6);
    ASSERT_EQ(dec.size(), 256u);
    ASSERT_EQ(enc.size(), 96u);
    std::string input;
    for (int b = 0; b < 256; ++b) input += std::string(1, static_cast<char>(b)) + "A";
    std::vector<std::string> got = lines(convert(input, "1 E 1 @", 2).out);
    ASSERT_EQ(got.size(), 256u);
    for (unsigned b = 0; b < 256; ++b) {
        char mark[16];
        std::snprintf(mark, sizeof mark, "{H:%.4X}", b);
        std::string field = dec[b] == 0 ? mark : dec[b] == 0x20 ? "" : dec[b] == ',' ? "\",\"" : std::string(1, static_cast<char>(dec[b]));
        EXPECT_EQ(got[b], "," + field + ",A") << "decoding " << b;
    }
    got = lines(convert(input, "1 e 1 @", 2).out);
    ASSERT_EQ(got.size(), 256u);
    for (unsigned b = 0; b < 256; ++b) {
        unsigned u = b >= 'a' && b <= 'z' ? b - 32 : b;
        unsigned e = u >= 0x20 && u < 0x80 ? enc[u - 0x20] : 0;
        EXPECT_EQ(got[b], "," + (e ? std::string(1, static_cast<char>(e)) : "{") + ",A") << "encoding " << b;
    }
}

}  // namespace
