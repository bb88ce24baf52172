// The command line: the option parser and the escape reader of the base
// library, the ZUSTD queries on a real process command line, and the
// helpers that take a command line and a path apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/avparm.h"
#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

// Parses the arguments as given (copies: the parser decodes in place).
struct parsed {
    std::vector<std::string> store;
    std::vector<char *> ptrs;
    avtable t;
    explicit parsed(std::vector<std::string> args) : store(std::move(args)) {
        for (auto &s : store) ptrs.push_back(&s[0]);
        ptrs.push_back(nullptr);
        avparm(ptrs.data(), &t);
    }
};

std::string decoded(std::string s) { return zu_read_escapes(&s[0]); }

// With reports returning, what the call leaves and the last report.
template <class F>
std::string returning(F &&f) {
    ZuClearErrMsg();
    err_throw = 0;
    f();
    err_throw = 1;
    const char *m = ZuGetErrMsg();
    return m ? m : "(none)";
}

TEST(AvParm, OptionsAndPositionalArguments) {
    parsed p({"prog", "/a", "/Bvalue", "file1", "file2", "/bnewer", "/a", "\\/x", "a&DAb\r\nc"});
    EXPECT_EQ(p.t.flag[0], 1);
    EXPECT_EQ(p.t.flag[1], 1);
    EXPECT_STREQ(p.t.value[1], "newer");  // a later value replaces
    EXPECT_EQ(p.t.value[0], nullptr);
    EXPECT_EQ(p.t.options, 4);
    ASSERT_EQ(p.t.last, 4);
    EXPECT_STREQ(p.t.arg[0], "prog");
    EXPECT_STREQ(p.t.arg[1], "file1");
    EXPECT_STREQ(p.t.arg[3], "/x");
    EXPECT_STREQ(p.t.arg[4], "a\nb\nc");
    EXPECT_EQ(p.t.len[4], 5u);
    // A later occurrence without a value keeps the value; the program path is not decoded.
    parsed q({"x\\x41&DA", "/Ov", "/O"});
    EXPECT_STREQ(q.t.value['O' - 'A'], "v");
    EXPECT_STREQ(q.t.arg[0], "x\\x41&DA");
    EXPECT_EQ(parsed({}).t.last, -1);
}

TEST(AvParm, EscapeReader) {
    EXPECT_EQ(decoded("text0x8140end"), "text\x81\x40" "end");
    EXPECT_EQ(decoded("a\\x41b\\X4a"), "aAbJ");
    EXPECT_EQ(decoded("a\\0x41"), "a\\0x41");      // a backslash protects what follows
    EXPECT_EQ(decoded("\x83\x5Cx41"), "\x83\x5Cx41");  // ソ: its second byte is no backslash
    EXPECT_EQ(zt::report_of([] { decoded("0x41"); }),
              "\\x または 0x の後のコードが，おかしいので，16 進数変換をしません <41> a10toi()\n");
    std::string bad;
    EXPECT_NE(returning([&] { bad = decoded("0x41 \\xg1 0x4142"); }), "(none)");
    EXPECT_EQ(bad, "0x41 \\xg1 AB");
    parsed p({"prog", "/Va\\x41b0x8140"});
    EXPECT_STREQ(p.t.value['V' - 'A'], "aAb\x81\x40");
}

TEST(AvParm, LimitsAndLettersThatAreNotLetters) {
    EXPECT_EQ(zt::report_of([] { parsed({"prog", "/1"}); }), "オプション文字がアルファベットではありません");
    for (const char *bad : {"/1", "/", "/[x", "/\x82\xA0", "/\xFF"}) {
        avtable t{};
        std::string r = returning([&] { t = parsed({"prog", bad}).t; });
        EXPECT_EQ(r, "オプション文字がアルファベットではありません") << bad;
        EXPECT_EQ(t.options, 1);
        for (int i = 0; i < AV_MAX; ++i) EXPECT_TRUE(!t.flag[i] && !t.value[i]) << bad;
    }
    EXPECT_EQ(av_index('@'), -1);
    EXPECT_EQ(av_index('['), -1);
    EXPECT_EQ(av_index('`'), -1);
    EXPECT_EQ(av_index('z'), 25);

    std::vector<std::string> many{"prog"};
    for (int i = 1; i < 30; ++i) many.push_back("f" + std::to_string(i));
    EXPECT_EQ(parsed(many).t.last, 29);  // 30 positional arguments fit
    many.push_back("f30");
    const char *over = "\t\t引数の数が，オーバーしました\t\t(avparm)\n";
    EXPECT_EQ(zt::report_of([&] { parsed{many}; }), over);
    for (int i = 31; i < 40; ++i) many.push_back("f" + std::to_string(i));
    std::unique_ptr<parsed> p;
    EXPECT_EQ(returning([&] { p = std::make_unique<parsed>(many); }), over);
    EXPECT_EQ(p->t.last, AV_MAX - 1);
    EXPECT_STREQ(p->t.arg[AV_MAX - 1], "f31");
}

// Runs zuargs with the arguments (quoted for both sh and cmd) and gives its output.
std::string zuargs(const std::string &args) {
#ifdef _WIN32
    std::string prog = zt::join(zt::bin_dir(), "zuargs.exe");
#else
    std::string prog = zt::join(zt::bin_dir(), "zuargs");
#endif
    std::string out = zt::join(zt::work_dir(), "zuargs.txt");
    zt::remove_file(out);
    EXPECT_EQ(zt::run("\"" + prog + "\" " + args + " > \"" + out + "\""), 0);
    std::string text = zt::read_file(out);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST(ZuAVParm, ReadsTheProcessCommandLine) {
    std::string out = zuargs("/a /Bvalue file1 \"two  words\" \"\" \"\\/abs\" \"c&DAd\" /C0x8140");
    std::string expected =
        "N=5 O=3\n"
        "#1=[file1]\n#2=[two  words]\n#3=[]\n#4=[/abs]\n#5=[c\nd]\n"
        "/A=[(null)]\n/B=[value]\n/C=[\x81\x40]\n";
    // The program path (#0) and the line itself depend on how it was started.
    std::string got;
    std::string line;
    for (std::size_t i = 0, j; i < out.size(); i = j + 1) {
        j = out.find('\n', i);
        if (j == std::string::npos) j = out.size();
        std::string l = out.substr(i, j - i);
        if (l.rfind("#0=", 0) == 0) continue;
        if (l.rfind("L=", 0) == 0) { line = l; continue; }
        got += l + "\n";
    }
    EXPECT_EQ(got, expected);
    EXPECT_EQ(line.find('"'), std::string::npos);
    EXPECT_NE(line.find("two  words"), std::string::npos);
    EXPECT_NE(line.find("/Bvalue"), std::string::npos);

    std::string longer(300, 'x');
    EXPECT_EQ(zuargs(longer), "report=[buffer over ZuAVParm()\n]\n");
}

TEST(ZuAVParm, QueriesOutsideTheTables) {
    ASSERT_EQ(zu_call([] { return ZuAVParm(); }), 1);
    EXPECT_GE(ZuAVFileN(), 0);
    EXPECT_NE(ZuAVFile(0), nullptr);
    EXPECT_EQ(ZuAVFile(-1), nullptr);
    EXPECT_EQ(ZuAVFile(ZuAVFileN() + 1), nullptr);
    EXPECT_EQ(ZuAVFile(1000), nullptr);
    for (int c : {int('1'), int('@'), int('['), int('`'), int('{'), 0, 0xFF, 0x82}) {
        EXPECT_EQ(ZuAVOpt(static_cast<char>(c)), 0);
        EXPECT_EQ(ZuAVOptDt(static_cast<char>(c)), nullptr);
        EXPECT_EQ(ZuAVOptOff(static_cast<char>(c)), static_cast<char>(c));
    }
    EXPECT_EQ(ZuAVOptOff('q'), 'Q');
    EXPECT_EQ(ZuAVOpt('q'), 0);
}

TEST(CommandLineText, ExeNameArgumentsAndProcessName) {
    const char *line = "\"C:\\Tools\\My App.exe\"  -x  y";
    EXPECT_STREQ(zu_call([&] { return ExtractExeName(line); }), "C:\\Tools\\My App.exe");
    // The second field's distance from the first, applied to the caller's
    // text: behind a quoted program that is the blank before the arguments.
    EXPECT_STREQ(zu_call([&] { return ExtractCmdLine(line); }), " -x  y");
    const char *plain = "prog a b";
    EXPECT_EQ(zu_call([&] { return ExtractCmdLine(plain); }), plain + 5);
    EXPECT_EQ(zu_call([] { return ExtractCmdLine("prog"); }), nullptr);
    std::string too_long(260, 'a');
    EXPECT_EQ(zt::report_of([&] { ExtractExeName(too_long.c_str()); }), "buffer over ExtractExeName()\n");
    EXPECT_EQ(zt::report_of([&] { ExtractCmdLine(too_long.c_str()); }), "buffer over ExtractCmdLine()\n");
    too_long.pop_back();
    EXPECT_EQ(zu_call([&] { return std::string(ExtractExeName(too_long.c_str())); }), too_long);

    char out[64];
    EXPECT_EQ(zu_call([&] { return GetProcessNameFromPath(out, sizeof out, "C:\\Tools\\App.exe"); }), 0);
    EXPECT_STREQ(out, "C_TOOLS_APP_EXE");
    // A double-byte character keeps its second byte 0x5C; the size cuts.
    zu_call([&] { return GetProcessNameFromPath(out, sizeof out, "d:\\\x95\x5C.a"); });
    EXPECT_STREQ(out, "D_\x95\x5C_A");
    zu_call([&] { return GetProcessNameFromPath(out, 5, "c:\\abcdef"); });
    EXPECT_STREQ(out, "C_A");  // cut to "c:\\a" first
    zu_call([&] { return GetProcessNameFromPath(out, sizeof out, nullptr); });
    EXPECT_NE(std::string(out).find("TEST_CMDLINE"), std::string::npos) << out;

    char module[260];
    EXPECT_EQ(zu_call([&] { return ZuGetModuleFileName(module, sizeof module); }), 0);
    EXPECT_EQ(zt::report_of([&] { ZuGetModuleFileName(module, 3); }), "zu_get_module_file_name Error");
}

}  // namespace
