// Folder and file parts, temporary names, extensions and the directory search.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <set>

#include "base/base.h"
#include "test_support.h"

namespace {

const std::string S(1, zp::SEP);

TEST(Paths, FolderAndFileParts) {
    EXPECT_STREQ(sep_path("DATA.TXT"), "");
    EXPECT_STREQ(rtvdir("DATA.TXT"), "");
    EXPECT_STREQ(rtvfil("DATA.TXT"), "DATA.TXT");
    std::string p = "A" + S + "B" + S + "C.TXT";
    EXPECT_EQ(std::string(sep_path(p.c_str())), "A" + S + "B" + S);
    EXPECT_EQ(std::string(rtvdir(p.c_str())), "A" + S + "B" + S);
    EXPECT_STREQ(rtvfil(p.c_str()), "C.TXT");
    char *buf = rtvdir(static_cast<char *>(nullptr), p.c_str());
    EXPECT_EQ(std::string(buf), "A" + S + "B" + S);
    ZUFRE(buf);
#ifdef _WIN32
    EXPECT_STREQ(sep_path("A:B.TXT"), "A:");
    EXPECT_STREQ(rtvfil("A:B.TXT"), "B.TXT");
    // A folder name ending in a double-byte character whose second byte is
    // 0x5C: the scan is byte by byte, so the path is cut after that byte.
    EXPECT_STREQ(sep_path("C:\\\x83\x5C" "A.TXT"), "C:\\\x83\x5C");
    EXPECT_STREQ(rtvdir("C:\\\x83\x5C" "A.TXT"), "C:\\\x83\x5C");
    EXPECT_STREQ(rtvfil("C:\\\x83\x5C" "A.TXT"), "A.TXT");
#endif
    // The buffer variant copies the folder part only.
    char small[8];
    std::string long_file = "AB" + S + std::string(100, 'f');
    EXPECT_EQ(std::string(rtvdir(small, long_file.c_str())), "AB" + S);
    std::string too_long(300, 'a');
    EXPECT_EQ(zt::report_of([&] { rtvdir(too_long.c_str()); }), "バッファオーバー(from rtvdir())");
    EXPECT_EQ(zt::report_of([&] { sep_path(nullptr); }), "NULL ﾎﾟｲﾝﾀが，渡されました sep_path()\n");
}

TEST(Paths, Extensions) {
    char *same = add_ext("T.DBF", ".dbf");
    EXPECT_STREQ(same, "T.DBF");
    char *added = add_ext("T", "NDX");
    EXPECT_STREQ(added, "T.NDX");
    ZUFRE(added);
    EXPECT_EQ(zt::report_of([] { add_ext("T.TXT", ".DBF"); }), "ファイル T.TXT の拡張子が .DBF でありません");
    char name[64] = "DIR.X" "/T";
    EXPECT_EQ(chg_ext(name, ".NDX"), 1);  // the dot of the folder name
    EXPECT_STREQ(name, "DIR.NDX");
    char plain[64] = "TABLE";
    EXPECT_EQ(chg_ext(plain, ".INAME"), 0);
    EXPECT_STREQ(plain, "TABLE.INAME");
}

TEST(Paths, TemporaryNamesAreUniqueInTheTargetFolder) {
    std::string dir = zt::fresh_dir("tmpnames");
    zt::set_env("ZUWS", nullptr);
    std::string base = zt::join(dir, "IN.TXT");
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        char *n = maktmpf(base.c_str(), nullptr, true);
        std::string s = n;
        ZUFRE(n);
        ASSERT_EQ(s.size(), dir.size() + 1 + 8 + 3) << s;
        EXPECT_EQ(s.substr(0, dir.size() + 3), zt::join(dir, "zu"));
        EXPECT_EQ(s.substr(s.size() - 3), ".zu");
        EXPECT_FALSE(zt::exists(s));
        zt::write_file(s, "");  // taken: the next name must differ
        EXPECT_TRUE(seen.insert(s).second);
    }
    zt::set_env("ZUWS", "WS01");
    char buf[300];
    std::string s = maktmpf(base.c_str(), buf, true);
    EXPECT_EQ(s.substr(s.size() - 5), ".WS01");
    s = maktmpf(base.c_str(), buf, false);
    EXPECT_EQ(s.size(), dir.size() + 1 + 8);
    zt::set_env("ZUWS", nullptr);
    s = maktmpf(nullptr, buf, false);  // the current folder
    EXPECT_EQ(s.size(), 8u);
    EXPECT_EQ(s.substr(0, 2), "zu");
}

TEST(Paths, TemporaryNamesOfTwoHundredSixtyOrMoreAreReportedNotWritten) {
    zt::set_env("ZUWS", nullptr);
    // A folder part of 250 characters: the name fits, the extension does not.
    std::string folder = std::string(249, 'd') + S;
    std::string path = folder + "IN.TXT";
    char buf[262];
    std::memset(buf, 0x11, sizeof buf);
    std::string r = zt::report_of([&] { maktmpf(path.c_str(), buf, true); });
    EXPECT_EQ(r, folder + "zuXXXXXX.zu ファイル名レングスオーバー(maktmpf)\n");
    for (char c : buf) EXPECT_EQ(c, 0x11);
    std::string plain = maktmpf(path.c_str(), buf, false);
    EXPECT_EQ(plain.size(), 258u);
    EXPECT_EQ(buf[259], 0x11);
    // A long file name without a folder: only the name is written.
    std::string bare(400, 'n');
    std::memset(buf, 0x11, sizeof buf);
    EXPECT_EQ(std::strlen(maktmpf(bare.c_str(), buf, true)), 11u);
    EXPECT_EQ(buf[12], 0x11);
}

TEST(Paths, ExistenceAndSearch) {
    std::string dir = zt::fresh_dir("find");
    zt::write_file(zt::join(dir, "A1.TXT"), "1");
    zt::write_file(zt::join(dir, "A2.TXT"), "22");
    zt::write_file(zt::join(dir, "B.DAT"), "333");
    zt::write_file(zt::join(dir, "NOEXT"), "");
    EXPECT_EQ(zu_exist(zt::join(dir, "A1.TXT").c_str()), 1);
    EXPECT_EQ(zu_exist(zt::join(dir, "A?.TXT").c_str()), 1);
    EXPECT_EQ(zu_exist(zt::join(dir, "*.DAT").c_str()), 1);
    EXPECT_EQ(zu_exist(zt::join(dir, "*.XYZ").c_str()), 0);
    EXPECT_EQ(zu_exist(zt::join(dir, "C.TXT").c_str()), 0);
    EXPECT_EQ(zu_exist(zt::join(zt::join(dir, "nodir"), "*.*").c_str()), 0);

    ZUFINDFILE f;
    std::set<std::string> names;
    for (const char *n = f.first(zt::join(dir, "*.*").c_str()); n; n = f.next())
        if (std::strcmp(n, ".") != 0 && std::strcmp(n, "..") != 0) names.insert(n);
    f.Close();
    EXPECT_EQ(names, (std::set<std::string>{"A1.TXT", "A2.TXT", "B.DAT", "NOEXT"}));
#ifdef _WIN32
    ASSERT_NE(f.first(zt::join(dir, "a2.txt").c_str()), nullptr);  // names ignore case
#else
    ASSERT_NE(f.first(zt::join(dir, "A2.TXT").c_str()), nullptr);
#endif
    EXPECT_EQ(f.data.size, 2u);
    EXPECT_FALSE(f.data.attributes & zp::ATTR_DIRECTORY);
#ifndef _WIN32
    // ? stands for one character, a double-byte one included; double-byte
    // characters are not case-folded byte by byte.
    zt::write_file(zt::join(dir, "K\x82\xA0.TXT"), "");
    zt::write_file(zt::join(dir, "L\x82\x61.TXT"), "");
    EXPECT_EQ(zu_exist(zt::join(dir, "K?.TXT").c_str()), 1);
    EXPECT_EQ(zu_exist(zt::join(dir, "L\x82\x61.*").c_str()), 1);
    EXPECT_EQ(zu_exist(zt::join(dir, "L\x82\x41.*").c_str()), 0);
    EXPECT_EQ(zu_exist(zt::join(dir, "l*.txt").c_str()), 1);
#endif
}

}  // namespace
