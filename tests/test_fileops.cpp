// File operations through ZUSTD: copies and appends that never lose the
// target, the shell operations, bundles, comparison, dumps, searches with
// their listings and callback, numbered names, existence and file times,
// and cutting a log to its tail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

using zt::join;

std::string sep() { return std::string(1, zp::SEP); }

// The names in a folder (not "." and "..").
std::vector<std::string> names_in(const std::string &dir) {
    std::vector<std::string> out;
    zp::find_data fd;
    if (zp::find_handle h = zp::find_first(join(dir, "*").c_str(), &fd)) {
        do
            if (std::strcmp(fd.name, ".") && std::strcmp(fd.name, "..")) out.push_back(fd.name);
        while (zp::find_next(h, &fd));
        zp::find_close(h);
    }
    return out;
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> out;
    std::size_t at = 0, crlf;
    while ((crlf = text.find("\r\n", at)) != std::string::npos) {
        out.push_back(text.substr(at, crlf - at));
        at = crlf + 2;
    }
    return out;
}

TEST(Copies, CopyAndAppendKeepTheTarget) {
    std::string d = zt::fresh_dir("copies");
    std::string a = join(d, "a.txt"), b = join(d, "b.txt"), missing = join(d, "missing.txt");
    zt::write_file(a, "alpha\r\n");
    EXPECT_EQ(ZuFileCopy(a.c_str(), b.c_str()), 0u);
    EXPECT_EQ(zt::read_file(b), "alpha\r\n");
    zt::write_file(b, "old");
    EXPECT_EQ(ZuFileCopy(missing.c_str(), b.c_str()), 2u);
    EXPECT_EQ(zt::read_file(b), "old");

    // Appends: each block up to its first zero byte, a last block of one
    // Ctrl-Z left out.
    std::string block(8190, 'z');
    zt::write_file(a, std::string("one\r\n\0zz", 8) + block.substr(8) + "\r\n\x1a");
    EXPECT_EQ(ZuFileCopyAppend(a.c_str(), b.c_str(), 0), 0);
    EXPECT_EQ(ZuFileCopyAppend(a.c_str(), b.c_str(), 1), 0);
    std::string c = join(d, "c.txt");
    EXPECT_EQ(ZuFileCopyAppend(a.c_str(), c.c_str(), 1), 0);
    EXPECT_EQ(zt::read_file(b), "oldone\r\none\r\n");
    zt::write_file(a, block + "\r\n\x1a");
    EXPECT_EQ(ZuFileCopyAppend(a.c_str(), c.c_str(), 1), 0);
    EXPECT_EQ(zt::read_file(c), "one\r\n" + block + "\r\n");
    // A safe append that fails leaves the target as it was, and no work file.
    EXPECT_NE(zt::report_of([&] { ZuFileCopyAppend(missing.c_str(), b.c_str(), 1); }), "(none)");
    EXPECT_EQ(zt::read_file(b), "oldone\r\none\r\n");
    EXPECT_EQ(names_in(d).size(), 3u);

    EXPECT_EQ(ZuRename(c.c_str(), b.c_str(), 0), static_cast<unsigned>(zp::E_ALREADY_EXISTS));
    EXPECT_EQ(ZuRename(c.c_str(), b.c_str(), 1), 0u);
    EXPECT_EQ(zt::read_file(b), "one\r\n" + block + "\r\n");
    EXPECT_FALSE(zt::exists(c));
}

TEST(Copies, ShellOperations) {
    std::string d = zt::fresh_dir("shell");
    std::string src = join(d, "src"), dst = join(d, "dst");
    zp::create_directory(src.c_str());
    zp::create_directory(join(src, "sub").c_str());
    zp::create_directory(dst.c_str());
    zt::write_file(join(src, "one.txt"), "1");
    zt::write_file(join(join(src, "sub"), "two.txt"), "22");
    // A folder copied into an existing folder goes below it, whole.
    EXPECT_EQ(ZuFileCopySHFO_Silent(src.c_str(), dst.c_str()), 0);
    EXPECT_EQ(zt::read_file(join(join(dst, "src"), "one.txt")), "1");
    EXPECT_EQ(zt::read_file(join(join(join(dst, "src"), "sub"), "two.txt")), "22");
    EXPECT_EQ(ZuFileCopySHFO(join(src, "one.txt").c_str(), join(d, "copy.txt").c_str()), 0);
    EXPECT_EQ(zt::read_file(join(d, "copy.txt")), "1");
    // Rename a folder; delete a tree without a question.
    std::string moved = join(d, "moved");
    EXPECT_EQ(ZuRenameSHFO(src.c_str(), moved.c_str(), 0), 0);
    EXPECT_FALSE(zt::exists(src));
    EXPECT_EQ(zt::read_file(join(join(moved, "sub"), "two.txt")), "22");
    EXPECT_EQ(ZuDirDeleteSHFO(moved.c_str()), 0);
    EXPECT_FALSE(zt::exists(moved));
    EXPECT_NE(ZuDirDeleteSHFO(moved.c_str()), 0);
    EXPECT_EQ(DirectoryExists(dst.c_str()), 1);
}

TEST(Bundles, TwoFilesRoundTrip) {
    std::string d = zt::fresh_dir("bundle"), out = zt::fresh_dir("restored");
    std::string bundle = join(d, "ALL.STR");
    std::string f1 = join(d, "first.txt"), f2 = join(d, "\x83\x5c\x83\x74\x83\x67.txt");   // ソフト.txt
    zt::write_file(f1, "line 1\r\nline 2\r\n");
    zt::write_file(f2, "{MARK\r\n\x82\xa0\r\n");
    std::vector<char> n1(f1.begin(), f1.end()), n2(f2.begin(), f2.end());
    n1.push_back('\0');
    n2.push_back('\0');
    EXPECT_EQ(ZuFileStore(n1.data(), bundle.c_str()), 0);
    EXPECT_EQ(ZuFileStore(n2.data(), bundle.c_str()), 0);
    EXPECT_EQ(std::string(n1.data()).substr(d.size()), sep() + "FIRST.TXT");   // upper-cased in place
    std::string text = zt::read_file(bundle);
    EXPECT_EQ(text.substr(0, 19), "{MARK_FILE_STORE}\r\n");
    EXPECT_EQ(ZuFileReStore(bundle.c_str(), (out + sep()).c_str()), 0);
    EXPECT_EQ(zt::read_file(join(out, "FIRST.TXT")), "line 1\r\nline 2\r\n");
    EXPECT_EQ(zt::read_file(join(out, "\x83\x5c\x83\x74\x83\x67.TXT")), "{MARK\r\n\x82\xa0\r\n");

    // A broken bundle leaves the files already there as they were.
    zt::write_file(join(out, "FIRST.TXT"), "kept");
    zt::write_file(bundle, "{MARK_FILE_STORE}\r\n" + d + sep() + "FIRST.TXT\r\nnew\r\n{MARK_FILE_STORE}\r\nNOSEP\r\n");
    EXPECT_EQ(zt::report_of([&] { ZuFileReStore(bundle.c_str(), (out + sep()).c_str()); }),
              bundle + " ファイル内容エラー ZuFileReStore");
    EXPECT_EQ(zt::read_file(join(out, "FIRST.TXT")), "kept");
    EXPECT_EQ(names_in(out).size(), 2u);
}

TEST(Compare, Results) {
    std::string d = zt::fresh_dir("compare");
    std::string a = join(d, "a"), b = join(d, "b"), c = join(d, "c"), e = join(d, "e");
    zt::write_file(a, std::string(9000, 'x') + "0");
    zt::write_file(b, std::string(9000, 'x') + "0");
    zt::write_file(c, std::string(9000, 'x') + "1");
    zt::write_file(e, std::string(9000, 'x') + "01");
    EXPECT_EQ(ZuFileComp(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(ZuFileComp(a.c_str(), c.c_str()), 1);
    EXPECT_EQ(ZuFileComp(a.c_str(), e.c_str()), 2);
    EXPECT_EQ(ZuFileComp(a.c_str(), join(d, "none").c_str()), -1);
    EXPECT_EQ(ZuFileComp(join(d, "none").c_str(), a.c_str()), -1);

    // With option L on the command line, files of different lengths are
    // compared byte for byte up to the shorter one's end.
    zt::write_file("cmp10", "0123456789");
    zt::write_file("cmp11", "0123456789x");
    zt::write_file("cmp11b", "0123x56789x");
    auto zucomp = [](const std::string &args) {
        std::string out = zt::join(zt::work_dir(), "zucomp.txt");
#ifdef _WIN32
        std::string prog = zt::join(zt::bin_dir(), "zucomp.exe");
#else
        std::string prog = zt::join(zt::bin_dir(), "zucomp");
#endif
        EXPECT_EQ(zt::run("\"" + prog + "\" " + args + " > \"" + out + "\""), 0);
        std::string text = zt::read_file(out);
        return text.substr(0, text.find_first_of("\r\n"));
    };
    EXPECT_EQ(zucomp("cmp10 cmp11"), "2");
    EXPECT_EQ(zucomp("/L cmp10 cmp11"), "0");
    EXPECT_EQ(zucomp("cmp10 /L cmp11b"), "1");
}

TEST(Dumps, RowsAndCharacterColumn) {
    std::string pad13, pad14;
    for (int i = 0; i < 13; ++i) pad13 += "   ";
    for (int i = 0; i < 14; ++i) pad14 += "   ";
    EXPECT_STREQ(Dump("\x41\x0d\x42", 3), ("41 0D 42 " + pad13 + "  A.B" + std::string(15, ' ') + "\r\n").c_str());
    // A double-byte character that begins in the 16th column shows whole at
    // the end of its row; the next row shows a space for its second byte.
    EXPECT_STREQ(Dump("0123456789ABCDE\x82\xa0Z", 18),
                 ("30 31 32 33 34 35 36 37-38 39 41 42 43 44 45 82    0123456789ABCDE\x82\xa0 0010   \r\n"
                  "A0 5A " + pad14 + "   Z" + std::string(16, ' ') + "\r\n").c_str());
    EXPECT_STREQ(Dump("0123456789abcdef", 16),
                 "30 31 32 33 34 35 36 37-38 39 61 62 63 64 65 66     0123456789abcdef\r\n");
    EXPECT_STREQ(Dump("A\x82", 2), ("41 82 " + pad14 + "  A." + std::string(16, ' ') + "\r\n").c_str());
    EXPECT_STREQ(Dump("", 0), "\r\n");
    // Long buffers: every row but the last ends with the next offset.
    std::string big(100000, '\x81');
    std::vector<std::string> rows = lines_of(Dump(big.data(), static_cast<unsigned>(big.size())));
    ASSERT_EQ(rows.size(), 6250u);
    EXPECT_EQ(rows[4094].substr(rows[4094].size() - 8), " FFF0   ");
    EXPECT_EQ(rows[4095].substr(rows[4095].size() - 9), " 10000   ");
}

TEST(Dumps, FileInBlocks) {
    std::string d = zt::fresh_dir("dumpfile");
    std::string in = join(d, "in.bin"), out = join(d, "out.txt");
    std::string data;
    for (int i = 0; i < 300; ++i) data += static_cast<char>('0' + i % 40);
    zt::write_file(in, data);
    EXPECT_EQ(DumpFile(in.c_str(), out.c_str()), 0);
    std::string first = Dump(data.data(), 256), second = Dump(data.data() + 256, 44);
    EXPECT_EQ(zt::read_file(out), "   1) ***\r\n" + first + "   2) ***\r\n" + second);
    EXPECT_EQ(DumpFile(join(d, "none").c_str(), out.c_str()), 1);
    EXPECT_EQ(DumpFile(in.c_str(), join(join(d, "none"), "out").c_str()), 1);
}

TEST(LogFile, ResizeKeepsTheTail) {
    std::string d = zt::fresh_dir("resize");
    std::string log = join(d, "HIST.LOG");
    std::string text;
    for (int i = 0; text.size() < 5000; ++i) text += "line " + std::to_string(i) + " of the history file\r\n";
    text.resize(5000);
    zt::write_file(log, text);
    EXPECT_EQ(ResizeLogFile(log.c_str(), 6000), 0);
    EXPECT_EQ(ResizeLogFile(log.c_str(), 1000), 1);
    std::string tail = zt::read_file(log);
    EXPECT_LE(tail.size(), 500u);
    EXPECT_GT(tail.size(), 400u);
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(text[text.size() - tail.size() - 1], '\n');
    EXPECT_EQ(names_in(d).size(), 1u);
    EXPECT_EQ(ResizeLogFile(join(d, "none").c_str(), 10), 0);
    // No line end in the tail: reported, the log stays whole.
    zt::write_file(log, "x\n" + std::string(3000, 'y'));
    EXPECT_EQ(zt::report_of([&] { ResizeLogFile(log.c_str(), 1000); }), "histf err resize_logfile_01()\n");
    EXPECT_EQ(zt::read_file(log).size(), 3002u);
}

// The search callback: counts folder entries and matches; enters the first
// `allowed` folders.
int g_entries, g_allowed;
std::vector<std::string> g_paths, g_lines;
int ZU_CALL on_seek(const char *path, const char *line) {
    if (!path && !line) return ++g_entries <= g_allowed;
    g_paths.push_back(path);
    g_lines.push_back(line);
    return 0;
}

TEST(Search, ListingCallbackAndCommaForm) {
    std::string root = zt::fresh_dir("seek");
    zp::create_directory(join(root, "sub").c_str());
    zp::create_directory(join(join(root, "sub"), "deep").c_str());
    zt::write_file(join(root, "a.txt"), "12345");
    zt::write_file(join(root, "x.dat"), "");
    zt::write_file(join(join(root, "sub"), "b.txt"), "");
    zt::write_file(join(join(join(root, "sub"), "deep"), "c.txt"), "");
    std::string out = join(root, "list.out");

    EXPECT_EQ(ZuSeekDir(root.c_str(), "*.txt", out.c_str()), 1);
    std::vector<std::string> lines = lines_of(zt::read_file(out));
    ASSERT_EQ(lines.size(), 3u);
    char want[600];
    std::snprintf(want, sizeof want, "%s %10lu %-8s %s%s", RtvFileDateTime(join(root, "a.txt").c_str()), 5ul,
                  "   A", (root + sep()).c_str(), "a.txt");
    EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << lines[0];
    EXPECT_EQ(ZuSeekDrive(root.c_str(), "*.none", nullptr), 0);
    EXPECT_EQ(ZuSeekDir(root.c_str(), "deep", nullptr), 1);

    // The callback sees every match with its line; a 0 for a folder's entry
    // keeps the search out of it and everything below.
    g_entries = 0;
    g_allowed = 100;
    g_paths.clear();
    g_lines.clear();
    EXPECT_EQ(ZuSeekDirRtnProc(root.c_str(), "*.txt", out.c_str(), on_seek), 1);
    EXPECT_EQ(g_entries, 3);
    EXPECT_EQ(g_lines, lines_of(zt::read_file(out)));
    EXPECT_NE(std::find(g_paths.begin(), g_paths.end(), join(join(join(root, "sub"), "deep"), "c.txt")), g_paths.end());
    g_entries = 0;
    g_allowed = 1;
    g_paths.clear();
    EXPECT_EQ(ZuSeekDirRtnProc(root.c_str(), "*.txt", nullptr, on_seek), 1);
    EXPECT_EQ(g_paths, std::vector<std::string>{join(root, "a.txt")});
    g_entries = 0;
    g_allowed = 0;
    EXPECT_EQ(ZuSeekDirRtnProc(root.c_str(), "*.txt", nullptr, on_seek), 0);

    // Only the named folder, in comma form; the first match's full path.
    std::string first = ZuSeekDriveNotUnderFolder(join(root, "*.txt").c_str(), out.c_str());
    EXPECT_EQ(first, join(root, "a.txt"));
    std::snprintf(want, sizeof want, "%s,%s,%s,%lu,%s", (root + sep()).c_str(), "a.txt",
                  RtvFileDateTime(first.c_str()), 5ul, "   A");
    EXPECT_EQ(zt::read_file(out), std::string(want) + "\r\n");
    EXPECT_EQ(ZuSeekDriveNotUnderFolder(join(root, "*.none").c_str(), nullptr), nullptr);

    EXPECT_EQ(zt::report_of([&] { ZuSeekDir(root.c_str(), "", nullptr); }), "サーチファイル名がおかしいです。schdsk()");
    EXPECT_EQ(zt::report_of([] { ZuSeekDir("seek", "*", nullptr); }), "ドライブを指定してください schdsk()");
    EXPECT_EQ(zt::report_of([&] { ZuSeekDir(root.c_str(), std::string(300, 'q').c_str(), nullptr); }),
              "buffer full schdrv:1");
}

// Every drive: run only in a Wine prefix whose drives are small test
// folders (see ZU_SEEK_ALL_DIR below), never over a whole file system.
TEST(Search, EveryDriveOfAConfinedPrefix) {
    const char *dir = std::getenv("ZU_SEEK_ALL_DIR");
    if (!dir || !*dir) GTEST_SKIP() << "ZU_SEEK_ALL_DIR names no folder of a confined prefix";
#ifndef _WIN32
    GTEST_SKIP() << "no drives here";
#endif
    char drives[512];
    unsigned n = zp::logical_drive_strings(drives, sizeof drives);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, sizeof drives);
    for (const char *d = drives; *d; d += std::strlen(d) + 1)
        ASSERT_TRUE(zt::exists(std::string(d) + "ZUSEEKALL.OK")) << d << " is not a test drive: not searching";
    zt::write_file(join(dir, "zuseekall_1.tst"), "1");
    zt::write_file(join(dir, "zuseekall_2.tst"), "22");
    std::string out = join(dir, "zuseekall.out");
    EXPECT_EQ(ZuSeekDriveAll("zuseekall_?.tst", out.c_str()), 1);
    EXPECT_EQ(lines_of(zt::read_file(out)).size(), 2u);
    g_entries = 0;
    g_allowed = 0;
    EXPECT_EQ(ZuSeekDriveAllRtnProc("zuseekall_?.tst", nullptr, on_seek), 0);
    EXPECT_GE(g_entries, 1);
}

TEST(Names, NumbersAndSequences) {
    char out[260];
    EXPECT_STREQ(FileNameUpDown("DATA0012.TXT", out, 1, 0), "DATA0013.TXT");
    EXPECT_STREQ(FileNameUpDown("DATA0012.TXT", out, -12, 0), "DATA0000.TXT");
    EXPECT_STREQ(FileNameUpDown("DATA0012.TXT", out, 88, 2), "DATA100.TXT");
    EXPECT_STREQ(FileNameUpDown("README.TXT", out, 1, 0), "README.TXT");
    EXPECT_STREQ(FileNameUpDown("LOG7", out, 3, 3), "LOG010");
    int start = -5, end = -5;
    EXPECT_EQ(RtvFileNameDigit("A12B34.C", &start, &end), 34);
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 6);
    EXPECT_EQ(RtvFileNameDigit("ABC", &start, &end), -1);
    EXPECT_EQ(start + end, 0);
    EXPECT_EQ(zt::report_of([] { RtvFileNameDigit(std::string(261, '1').c_str(), nullptr, nullptr); }),
              "RtvFileNameDigit zustd.dll ");
    EXPECT_EQ(zt::report_of([&] { FileNameUpDown("A1.B", out, 1, 400); }), "Error02 FileNameUpDown() zustd.dll ");

    std::string d = zt::fresh_dir("sequence");
    std::string log = join(d, "LOG.TXT");
    EXPECT_EQ(std::string(GetFileNameSequence(log.c_str())), join(d, "LOG_01.TXT"));
    zt::write_file(join(d, "LOG_01.TXT"), "");
    EXPECT_EQ(std::string(GetFileNameSequence(log.c_str())), join(d, "LOG_02.TXT"));
    std::string bare = join(d, "LOG");
    EXPECT_EQ(zt::report_of([&] { GetFileNameSequence(bare.c_str()); }),
              "拡張子がありません。get_file_name_sequence " + bare);
    char name[] = "DIR.X/FILE.TXT";
    EXPECT_STREQ(OmitFExt(name), "DIR.X/FILE");
}

TEST(Names, ExistenceAndTemporaryNames) {
    std::string d = zt::fresh_dir("exist");
    zp::create_directory(join(d, "sub").c_str());
    zt::write_file(join(d, "f.txt"), "");
    EXPECT_EQ(DirectoryExists((join(d, "sub") + sep()).c_str()), 1);
    EXPECT_EQ(DirectoryExists(join(d, "f.txt").c_str()), 1);
    EXPECT_EQ(DirectoryExists(join(d, "none").c_str()), 0);
    EXPECT_EQ(zt::report_of([] { DirectoryExists(std::string(260, 'a').c_str()); }), "Buffer Over DirectoryExists");
    std::string quoted = "\"" + join(d, "f.txt") + "\"";
    std::vector<char> q(quoted.begin(), quoted.end());
    q.push_back('\0');
    EXPECT_EQ(FExist(q.data()), 1);
    EXPECT_EQ(std::string(q.data()), join(d, "f.txt"));
    std::string deep = join(join(join(d, "sub"), "no"), "such") + sep();
    std::vector<char> p(deep.begin(), deep.end());
    p.push_back('\0');
    EXPECT_EQ(std::string(GetExistPath(p.data())), join(d, "sub"));
    char nothing[] = "no-such-folder";
    EXPECT_EQ(GetExistPath(nothing), nullptr);

    zt::set_env("ZUWS", nullptr);
    std::string t = ZuGetTempFileName(join(d, "x").c_str());
    EXPECT_EQ(t.substr(0, d.size() + 3), d + sep() + "zu");
    EXPECT_EQ(t.size(), d.size() + 1 + 8 + 3);
    EXPECT_EQ(t.substr(t.size() - 3), ".zu");
    EXPECT_FALSE(zt::exists(t));
}

TEST(Times, SetAndReadBack) {
    std::string d = zt::fresh_dir("times");
    std::string f = join(d, "stamp.txt");
    zt::write_file(f, "x");
    ZuSystemTime set = {2021, 3, 0, 14, 9, 26, 53, 0};
    EXPECT_EQ(ZuSetFileDate(f.c_str(), set), 0);
    ZuSystemTime got;
    std::memset(&got, 0xFF, sizeof got);
    EXPECT_EQ(ZuGetFileDate(&got, f.c_str()), &got);
    EXPECT_EQ(std::vector<int>({got.year, got.month, got.day_of_week, got.day, got.hour, got.minute, got.second}),
              std::vector<int>({2021, 3, 0, 14, 9, 26, 53}));   // a Sunday
    EXPECT_STREQ(RtvFileDateTime(f.c_str()), "2021/03/14 09:26:53");
    EXPECT_STREQ(RtvFileTime(f.c_str()), "09:26:53");
    EXPECT_EQ(std::string(RtvFileDateTimeCreate(f.c_str())).size(), 19u);
    // Summer and a last day of the year, to the second.
    for (ZuSystemTime t : {ZuSystemTime{2019, 7, 0, 31, 23, 59, 59, 0}, ZuSystemTime{1999, 12, 0, 31, 0, 0, 1, 0}}) {
        ZuSetFileDate(f.c_str(), t);
        ZuGetFileDate(&got, f.c_str());
        EXPECT_EQ(std::vector<int>({got.year, got.month, got.day, got.hour, got.minute, got.second}),
                  std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}));
    }
    std::string none = join(d, "none");
    EXPECT_EQ(RtvFileTime(none.c_str()), nullptr);
    EXPECT_EQ(RtvFileDateTime(none.c_str()), nullptr);
    EXPECT_EQ(zt::report_of([&] { ZuGetFileDate(&got, none.c_str()); }), "ファイルが開けません " + none);
    EXPECT_EQ(zt::report_of([&] { ZuSetFileDate(none.c_str(), set); }), "ファイルが開けません " + none);
    ZuSystemTime bad = {2021, 13, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(zt::report_of([&] { ZuSetFileDate(f.c_str(), bad); }), "Error ZuSetFileDate() " + f + " ");
    EXPECT_EQ(DivideFile(1, 2, 3, 4), 0);
}

}  // namespace
