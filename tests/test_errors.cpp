// The error channel: reports, the error log, the shared store, the debug
// and message files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <regex>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

std::string probe_cmd(const std::string &exe, const std::string &args) {
#ifdef _WIN32
    return "\"" + exe + "\" " + args;
#else
    return "'" + exe + "' " + args;
#endif
}

std::string log_dir(const std::string &dir) { return zt::join(zt::join(dir, "LOG"), ""); }

// Runs in the order of this file: the store is empty before any report.
TEST(ErrorStore, EmptyBeforeAnyReportThenTheLastReport) {
    EXPECT_EQ(ZuGetErrMsg(), nullptr);
    std::string text = zt::report_of([] { err(9, "first %d", 1); });
    EXPECT_EQ(text, "first 1");
    const char *stored = ZuGetErrMsg();
    ASSERT_NE(stored, nullptr);
    EXPECT_STREQ(stored, "first 1");
    // A report made inside ZUSTD replaces it: one store for the process.
    std::string inner = zt::report_of([] { ZuGetErrorLogPath(nullptr, 0); });
    EXPECT_EQ(inner, "ZuGetErrorLogPath");
    EXPECT_STREQ(ZuGetErrMsg(), "ZuGetErrorLogPath");
    ZuClearErrMsg();
    EXPECT_EQ(ZuGetErrMsg(), nullptr);
}

TEST(Reports, AreCaughtAsCharPointerAndVoidPointer) {
    bool as_void = false;
    try {
        err(9, "x");
    } catch (void *p) {
        as_void = p != nullptr;
    }
    EXPECT_TRUE(as_void);
    // With err_throw off the report returns.
    err_throw = 0;
    err(9, "kept %s", "going");
    err_throw = 1;
    EXPECT_STREQ(ZuGetErrMsg(), "kept going");
}

TEST(Reports, RePrintsPercentSignsOfTheComposedText) {
    EXPECT_EQ(zt::report_of([] { RE("rate %s", "100%d"); }), "rate 100%d");
    std::string long_format(600, 'a');
    EXPECT_EQ(zt::report_of([&] { RE(long_format.c_str()); }), "RE() Error バッファフル");
}

TEST(Reports, LongMessagesAreCutAtACharacterBoundary) {
    // 2000 bytes of double-byte characters: the message buffer holds 1023.
    std::string text;
    for (int i = 0; i < 1000; ++i) text += "表";
    std::string got = zt::report_of([&] { err(9, "x%s", text.c_str()); });
    ASSERT_LE(got.size(), 1023u);
    EXPECT_EQ(got.size() % 2, 1u);  // "x" and whole characters
    EXPECT_EQ(got.substr(got.size() - 2), "表");
}

TEST(SystemTexts, CodeTwoWithAndWithoutTheCode) {
    std::string plain = GetLastError2Message(2);
    ASSERT_FALSE(plain.empty());
    EXPECT_EQ(plain.find('\r'), std::string::npos);
    EXPECT_EQ(plain.find('\n'), std::string::npos);
    std::string with_code = GetLastError2MessageErrorCode(2);
    EXPECT_EQ(with_code, plain + "(2)");
    // A code the system has no text for gives no stale text.
    std::string unknown = GetLastError2MessageErrorCode(0x2FFFFFFF);
    EXPECT_EQ(unknown, "(805306367)");
}

TEST(ErrorLogPath, IsTheExecutablesFolderAndLog) {
    char buf[260];
    ASSERT_EQ(ZuGetErrorLogPath(buf, sizeof buf), buf);
    std::string expect = zt::join(zt::join(zt::bin_dir(), "LOG"), "");
    EXPECT_EQ(std::string(buf), expect);
    // A buffer too small for the folder is refused, not overrun.
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(zt::report_of([&] { ZuGetErrorLogPath(small, sizeof small); }), "zu_get_module_file_name Error");
}

TEST(ErrorLogPath, ForceDirectoryCreatesOneLevel) {
    std::string d = zt::join(zt::fresh_dir("force"), "one");
    EXPECT_EQ(zuForceDirectory(d.c_str()), 0);
    EXPECT_EQ(zuForceDirectory(d.c_str()), 1);  // exists already
    EXPECT_EQ(zuForceDirectory(zt::join(zt::join(d, "a"), "b").c_str()), 1);
}

TEST(ErrorLog, FirstReportCreatesTheFolderAndAppendsOneLine) {
    std::string dir = zt::fresh_dir("log_default");
    std::string exe = zt::copy_program("zuprobe", dir);
    ASSERT_EQ(zt::run(probe_cmd(exe, "report hello") + " > out.txt", "ZUWS", nullptr), 0);
    std::string log = zt::read_file(zt::join(log_dir(dir), "ERROR_VC.TXT"));
    std::regex line("\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d (.*) \\(VC\\) hello\r\n");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(log, m, line)) << log;
    EXPECT_EQ(m[1].str().substr(m[1].str().find_last_of(zp::SEP) + 1).substr(0, 7), "zuprobe");

    // A second run appends.
    ASSERT_EQ(zt::run(probe_cmd(exe, "report again more") + " > out.txt", "ZUWS", nullptr), 0);
    log = zt::read_file(zt::join(log_dir(dir), "ERROR_VC.TXT"));
    EXPECT_NE(log.find("(VC) hello\r\n"), std::string::npos);
    EXPECT_NE(log.find("(VC) again\r\n"), std::string::npos);
    EXPECT_NE(log.find("(VC) more\r\n"), std::string::npos);
}

TEST(ErrorLog, WorkstationExtension) {
    std::string dir = zt::fresh_dir("log_ws01");
    std::string exe = zt::copy_program("zuprobe", dir);
    ASSERT_EQ(zt::run(probe_cmd(exe, "report ws") + " > out.txt", "ZUWS", "WS01"), 0);
    EXPECT_NE(zt::read_file(zt::join(log_dir(dir), "ERROR_VC.WS01")).find("(VC) ws\r\n"), std::string::npos);
    EXPECT_FALSE(zt::exists(zt::join(log_dir(dir), "ERROR_VC.TXT")));
}

TEST(ErrorLog, NineCharacterWorkstationRunsIntoTheNestingMessage) {
    std::string dir = zt::fresh_dir("log_ws9");
    std::string exe = zt::copy_program("zuprobe", dir);
    std::string out = zt::join(dir, "out.txt");
    ASSERT_EQ(zt::run(probe_cmd(exe, "report nine") + " > \"" + out + "\"", "ZUWS", "ABCDEFGHI"), 0);
    std::string printed = zt::read_file(out);
    EXPECT_NE(printed.find("エラーロジックがネストしています err();VC"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("nine"), std::string::npos);
#ifdef _WIN32
    // The nesting message is always shown in a box.
    auto boxes = zt::boxes_seen();
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), "エラーロジックがネストしています err();VC"), boxes.end());
#endif
}

TEST(DebugFile, NamedByCallerWrittenUnchanged) {
    EXPECT_STREQ(GetDebf(), "not init getdebf();");
    std::string dir = zt::fresh_dir("debf");
    std::string name = zt::join(dir, "DBG.TXT");
    EXPECT_EQ(SetDebf(name.c_str()), 0);
    EXPECT_EQ(GetDebf(), nullptr);  // named, not yet written
    const char *text = "100%";
    EXPECT_EQ(Debf(text), text);
    EXPECT_EQ(std::string(GetDebf()), name);
    SetDebf(zt::join(dir, "OTHER.TXT").c_str());  // ignored
    Debf(" more");
    EXPECT_EQ(std::string(GetDebf()), name);
    EXPECT_EQ(zt::read_file(name), "100% more");
}

TEST(DebugFile, DefaultFileIsTruncatedUnlessAppendIsAsked) {
    std::string dir = zt::fresh_dir("debf_default");
    std::string exe = zt::copy_program("zuprobe", dir);
    std::string file = zt::join(dir, "DEBF.TXT");
    zt::write_file(file, "old.");
    ASSERT_EQ(zt::run(probe_cmd(exe, "debf new.")), 0);
    EXPECT_EQ(zt::read_file(file), "new.");
    ASSERT_EQ(zt::run(probe_cmd(exe, "debf-append more.")), 0);
    EXPECT_EQ(zt::read_file(file), "new.more.");
}

TEST(MessageFile, AppendsBesideTheErrorLog) {
    std::string name = zuGetMessageFileName();
    EXPECT_EQ(name, zt::join(zt::join(zt::join(zt::bin_dir(), "LOG"), ""), "MSGF.TXT"));
    char folder[260];
    ZuGetErrorLogPath(folder, sizeof folder);
    zuForceDirectory(folder);
    zt::remove_file(name);
    EXPECT_EQ(msgf("a%d;", 1), nullptr);
    msgf("%s", "b;");
    EXPECT_EQ(zt::read_file(name), "a1;b;");
    // ZUSTD's own message file is the same file.
    EXPECT_EQ(std::string(msgf(nullptr)), name);
}

TEST(WorkstationNames, SevenBuffersThenAReport) {
    // This program's error log has taken one buffer already (or will); the
    // others run out at the eighth call in the life of the program.
    zt::set_env("ZUWS", nullptr);
    std::string last;
    int made = 0;
    for (int i = 0; i < 8; ++i) {
        std::string r = zt::report_of([&] {
            const char *n = rtv_path_file_name_with_zuws("BASE");
            EXPECT_STREQ(n, "BASE.TXT");
        });
        if (r == "(none)") {
            ++made;
        } else {
            last = r;
            break;
        }
    }
    EXPECT_EQ(made, 6);  // the error log of this program holds the seventh
    EXPECT_EQ(last, "ファイルバッファオーバー(rtv_path_file_name_with_zuws)\n");
}

}  // namespace
