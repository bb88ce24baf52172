// Record files through ZUSTD: records and fields read and written through
// the current file, whole files to and from memory, and the list and
// position helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

// The fields of every record of a file, as ZuioReadRecord and ZuioReadField
// give them; the report that ended the reading, if any, in *report.
std::vector<std::vector<std::string>> read_all(const std::string &name, std::string *report = nullptr) {
    std::vector<std::vector<std::string>> out;
    EXPECT_EQ(ZuioReadOpen(name.c_str()), 1);
    std::string r = zt::report_of([&] {
        while (ZuioReadRecord()) {
            std::vector<std::string> rec;
            static char field[8192];
            int n;
            while ((n = ZuioReadField(field)) != 0) {
                EXPECT_EQ(n, static_cast<int>(rec.size()) + 1);
                rec.push_back(field);
            }
            out.push_back(rec);
        }
    });
    if (report) *report = r;
    ZuioClose();
    return out;
}

using rows = std::vector<std::vector<std::string>>;

TEST(RecordFile, FieldsOfRecords) {
    zt::write_file("ex.csv", "a,,b\r\n,a\r\na,\r\n\x82\xa0\x82\xa2,x\r\nlast,line");
    std::string report;
    rows got = read_all("ex.csv", &report);
    EXPECT_EQ(got, (rows{{"a", "", "b"}, {"", "a"}, {"a", ""}, {"\x82\xa0\x82\xa2", "x"}}));
    EXPECT_EQ(report, "改行がありません。'last,line'(ZuioReadRecord)");

    // After the last field the buffer is left as it is.
    zt::write_file("one.csv", "p,q\r\n");
    ASSERT_EQ(ZuioReadOpen("one.csv"), 1);
    ASSERT_EQ(ZuioReadRecord(), 1);
    char field[16];
    EXPECT_EQ(ZuioReadField(field), 1);
    EXPECT_EQ(ZuioReadField(field), 2);
    EXPECT_EQ(ZuioReadField(field), 0);
    EXPECT_STREQ(field, "q");
    EXPECT_EQ(ZuioReadRecord(), 0);
    EXPECT_EQ(ZuioClose(), 1);
    // Without a current file there is nothing to hand out.
    EXPECT_EQ(ZuioReadField(field), 0);
    EXPECT_EQ(zt::report_of([] { ZuioReadRecord(); }), "Zuioルーチン用のファイルがセットされていません。");
}

TEST(RecordFile, CtrlZAndUnsplitRecords) {
    zt::write_file("z.csv", "\x1a" "x,y\r\nab\x1a" "cd\r\nlast");
    ASSERT_EQ(ZuioReadOpen("z.csv"), 1);
    EXPECT_EQ(zt::report_of([] { EXPECT_EQ(ZuioReadRecord(), 0); }), "(none)");
    ASSERT_EQ(ZuioReadRecord(), 1);
    char field[16];
    ZuioReadField(field);
    EXPECT_STREQ(field, "x");
    // Record2 leaves the fields alone and does not split.
    EXPECT_EQ(ZuioReadRecord2(), nullptr);   // the Ctrl-Z drops "ab"
    EXPECT_STREQ(ZuioReadRecord2(), "cd");
    EXPECT_EQ(ZuioReadField(field), 2);
    EXPECT_EQ(zt::report_of([] { ZuioReadRecord2(); }), "改行がありません。'last'(ZuioReadRecord)");
    ZuioClose();
}

TEST(RecordFile, FieldLimit) {
    std::string rec = "f0";
    for (int i = 1; i < 255; ++i) rec += "," + std::to_string(i);
    zt::write_file("w255.csv", rec + "\r\n" + rec + ",x\r\n");
    ASSERT_EQ(ZuioReadOpen("w255.csv"), 1);
    ASSERT_EQ(ZuioReadRecord(), 1);
    char field[16];
    int n = 0, last = 0;
    while ((n = ZuioReadField(field)) != 0) last = n;
    EXPECT_EQ(last, 255);
    EXPECT_STREQ(field, "254");
    EXPECT_EQ(zt::report_of([] { ZuioReadRecord(); }), "カラム数オーバー：最大 255 項目までです(zu_parm)");
    ZuioClose();
}

TEST(RecordFile, Writing) {
    ASSERT_EQ(ZuioWriteOpen("out.csv"), 1);
    EXPECT_EQ(ZuioWrite("a"), 1);
    EXPECT_EQ(ZuioWriteFieldDelimiter(), 1);
    EXPECT_EQ(ZuioWriteFix("ab", 5), 1);
    EXPECT_EQ(ZuioWriteFieldDelimiter(), 1);
    EXPECT_EQ(ZuioWriteFix("abcdef", 3), 1);
    EXPECT_EQ(ZuioWriteFix("", 0), 1);
    EXPECT_EQ(ZuioWriteRecordDelimiter(), 1);
    EXPECT_EQ(zt::report_of([] { ZuioWriteFix("x", 8193); }), "バッファフル ZuioWriteFix()");
    ZuioClose();
    ASSERT_EQ(ZuioWriteAppendOpen("out.csv"), 1);
    ZuioWriteFix("z", 8192);
    ZuioClose();
    EXPECT_EQ(zt::read_file("out.csv"), "a,ab   ,abc\r\nz" + std::string(8191, ' '));
    // Nothing is written without a current file.
    EXPECT_EQ(zt::report_of([] { ZuioWrite("x"); }), "Zuioルーチン用のファイルがセットされていません。");
    EXPECT_EQ(zt::report_of([] { ZuioWriteRecordDelimiter(); }), "Zuioルーチン用のファイルがセットされていません。");
    // A file that cannot be opened leaves no current file.
    EXPECT_NE(zt::report_of([] { ZuioReadOpen("no-such.csv"); }), "(none)");
    EXPECT_EQ(zt::report_of([] { ZuioWriteFieldDelimiter(); }), "Zuioルーチン用のファイルがセットされていません。");
    // Opening over an open file takes the new one.
    ASSERT_EQ(ZuioWriteOpen("first.csv"), 1);
    ASSERT_EQ(ZuioWriteOpen("second.csv"), 1);
    ZuioWrite("2");
    ZuioClose();
    EXPECT_EQ(zt::read_file("second.csv"), "2");
    EXPECT_EQ(zt::read_file("first.csv"), "");
}

TEST(WholeFile, BuffersAndFiles) {
    EXPECT_EQ(BufferToFile("abc", "b.txt"), 0);
    EXPECT_EQ(BufferToFileAppend("de", "b.txt"), 0);
    zt::remove_file("b2.txt");
    EXPECT_EQ(BufferToFileAppend("new", "b2.txt"), 0);
    EXPECT_EQ(zt::read_file("b.txt"), "abcde");
    EXPECT_EQ(zt::read_file("b2.txt"), "new");
    const char bytes[] = "x\0y\r\n\x1az";
    EXPECT_EQ(BufferToFileB(bytes, "bin", 0), 0);
    EXPECT_EQ(zt::read_file("bin"), "x");
    EXPECT_EQ(BufferToFileB(bytes, "bin", 7), 0);
    EXPECT_EQ(BufferToFileBAppend(bytes, "bin", 3), 0);
    EXPECT_EQ(BufferToFileBAppend("tail", "bin", 0), 0);
    std::string want("x\0y\r\n\x1azx\0ytail", 14);
    EXPECT_EQ(zt::read_file("bin"), want);
    EXPECT_EQ(RtvFLen("bin"), 14u);
    char buffer[15];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FileToBuffer("bin", buffer), buffer);
    EXPECT_EQ(std::string(buffer, 15), want + '\0');
    EXPECT_EQ(RtvFLen("no-such"), 0u);
    EXPECT_EQ(zt::report_of([&] { FileToBuffer("no-such", buffer); }), "'no-such' が、オープンできません。");
    EXPECT_NE(zt::report_of([] { BufferToFile("x", "no-such-dir/x.txt"); }), "(none)");
}

TEST(Lists, ColumnChecks) {
    int dup1[] = {3, 0, 3}, dup2[] = {0, 2, 0}, dup3[] = {1, 2}, big[] = {1, 64};
    EXPECT_EQ(ColCheckDup(dup1, 3), 3);
    EXPECT_EQ(ColCheckDup(dup2, 3), -1);
    EXPECT_EQ(ColCheckDup(dup3, 2), 0);
    EXPECT_EQ(zt::report_of([&] { ColCheckDup(big, 2); }), "数値が大きすぎます 64 ");
    int zero[] = {4, 5, 0, 0}, max[] = {1, -7, 9, 12};
    EXPECT_EQ(ColCheckZero(zero, 4), 3);
    EXPECT_EQ(ColCheckZero(zero, 2), 0);
    EXPECT_EQ(ColCheckMax(max, 4, 8), 9);
    EXPECT_EQ(ColCheckMax(max, 4, 12), 0);
    EXPECT_EQ(ColCheckMax(max, 4, -10), 1);
}

TEST(Lists, SortDisplayAndSearch) {
    int list[] = {5, 3, 5, 1};
    EXPECT_EQ(IntSort(list, 4), list);
    EXPECT_EQ(std::vector<int>(list, list + 4), (std::vector<int>{1, 3, 5, 0}));
    int bad[] = {4, 2001};
    EXPECT_EQ(zt::report_of([&] { IntSort(bad, 2); }), "over error intsort() value=2001 nn=1 ");
    EXPECT_EQ(zt::report_of([&] { IntSort(bad, 2001); }), "over error intsort() ncol=2001 ");
    EXPECT_EQ(zt::report_of([] { IntSort(nullptr, 1); }), "Error intsort() p_int = NULL");
    int disp[] = {1, 12, 7};
    EXPECT_STREQ(IntDisp(disp, 2), "01 12");
    EXPECT_STREQ(IntDisp(disp, 0), "");
    std::vector<int> many(44, 1);
    EXPECT_EQ(zt::report_of([&] { IntDisp(many.data(), 44); }), "Error intdisp Buffer Over()");
    EXPECT_EQ(zt::report_of([] { IntDisp(nullptr, 1); }), "Error intdisp() p_int==NULL");
    int ended[] = {4, 9, 4, 0, 9};
    EXPECT_EQ(IntLen(ended), 3);
    EXPECT_EQ(IntChr(ended, 4), 1);
    EXPECT_EQ(IntChr(ended, 9), 2);
    EXPECT_EQ(IntChr(ended, 8), 0);
    EXPECT_EQ(zt::report_of([] { IntLen(nullptr); }), "Error intlen()");
    EXPECT_EQ(zt::report_of([] { IntChr(nullptr, 1); }), "Error intchr()");
    int a = 1, b = 2;
    EXPECT_EQ(IntSwap(&a, &b), 0);
    EXPECT_EQ(a * 10 + b, 21);
}

TEST(Lists, RowsAndColumns) {
    EXPECT_EQ(Pos2Row(10, 10), 1);
    EXPECT_EQ(Pos2Col(10, 10), 10);
    EXPECT_EQ(Pos2Row(10, 11), 2);
    EXPECT_EQ(Pos2Col(10, 11), 1);
    EXPECT_EQ(RowCol2Pos(10, 2, 1), 11);
    for (int pos = 1; pos <= 40; ++pos) EXPECT_EQ(RowCol2Pos(7, Pos2Row(7, pos), Pos2Col(7, pos)), pos);
    // Signed arithmetic below position 1; no columns gives 0.
    EXPECT_EQ(Pos2Row(10, 0), 1);
    EXPECT_EQ(Pos2Col(10, 0), 0);
    EXPECT_EQ(Pos2Row(0, 5), 0);
    EXPECT_EQ(Pos2Col(0, 5), 0);
    EXPECT_EQ(Pos2Row(-1, -2147483647 - 1), -2147483646);  // wraps, no trap
}

}  // namespace
