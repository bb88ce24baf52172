// File conversion by ZuWGY: window edges, sections, options, reports and
// what a failed pass leaves behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"
#include "zuwgy.h"

namespace {

// Relative to the working directory: a POSIX path that begins with `/`
// would read as an option.
std::string dir() {
    static bool made = (zt::fresh_dir("wgyfile"), true);
    (void)made;
    return "wgyfile";
}
std::string path(const std::string &name) { return zt::join(dir(), name); }

// Writes `text` to a file, runs the command (with the file's path first)
// and gives "<result>|<file afterwards>" or the report.
std::string run(const std::string &text, const std::string &args, void *handle = nullptr) {
    std::string in = path("in.txt");
    zt::write_file(in, text);
    int r = -1;
    std::string command = in + " " + args;
    std::string report = zt::report_of([&] { r = ZuWGY(command.c_str(), handle); });
    if (report != "(none)") {
#ifdef _WIN32
        auto boxes = zt::boxes_seen();
        EXPECT_NE(std::find(boxes.begin(), boxes.end(), report), boxes.end()) << report;
#endif
        return "report: " + report;
    }
    return std::to_string(r) + "|" + zt::read_file(in);
}

std::string patterns(const std::string &text) {
    std::string p = path("p.gy");
    zt::write_file(p, text);
    return p;
}

// Names in the folder that start with "zu" (temporary files left behind).
int leftovers() {
    int n = 0;
    ZUFINDFILE f;
    for (const char *s = f.first(zt::join(dir(), "zu*").c_str()); s; s = f.next()) ++n;
    return n;
}

TEST(WgyFile, FirstPatternWinsAndLineEndsOnlyWhereApplied) {
    std::string p = patterns("ab_1\r\nabc_2\r\n");
    EXPECT_EQ(run("abc\nxaby\n", p), "1|1c\r\nx1y\r\n");
    // Nothing applies: byte for byte as it was, LF and lone CR kept.
    EXPECT_EQ(run("zz\nq\rr\n", p), "0|zz\nq\rr\n");
    EXPECT_EQ(leftovers(), 0);
    // A lone CR disappears where the pass applied.
    EXPECT_EQ(run("ab\rz\n", p), "1|1z\r\n");
}

// The reference of literal patterns: at each position the first pattern
// that matches wins.
std::string literal_reference(const std::string &text, const std::vector<std::pair<std::string, std::string>> &ps) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool hit = false;
        for (auto &p : ps)
            if (text.compare(i, p.first.size(), p.first) == 0) {
                out += p.second;
                i += p.first.size();
                hit = true;
                break;
            }
        if (!hit) {
            unsigned n = (static_cast<unsigned char>(text[i]) >= 0x81 && static_cast<unsigned char>(text[i]) <= 0x9F) ? 2 : 1;
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}

TEST(WgyFile, MatchesAndDelimitersAcrossWindowEdges) {
    // Long patterns (40 characters) placed across every edge of the 8190-byte
    // reads, double-byte characters split by a read.
    std::string lng(40, 'L');
    std::string text;
    std::vector<std::size_t> edges;
    for (int k = 1; k <= 5; ++k) edges.push_back(8190u * k);
    std::size_t e = 0;
    while (text.size() < 8190u * 5 + 100) {
        if (e < edges.size() && text.size() + 60 >= edges[e]) {
            while (text.size() + 20 < edges[e]) text += "x";
            text += lng;  // straddles the edge
            ++e;
        }
        text += "\x82\xa0" "ab";  // あab
    }
    // A double-byte character split by a read: the edge falls on its second byte.
    std::string split = std::string(8189, 'y') + "\x82\xa0" + "ab\n";
    std::vector<std::pair<std::string, std::string>> ps = {{lng, "<L>"}, {"\x82\xa0" "a", "A"}, {"b", "\x83\x41"}};
    std::string p = patterns(lng + "_<L>\r\n\x82\xa0" "a_A\r\nb_\x83\x41\r\n");
    EXPECT_TRUE(run(text, p) == "1|" + literal_reference(text, ps));
    EXPECT_TRUE(run(split, p) == "1|" + literal_reference(std::string(8189, 'y') + "\x82\xa0" "ab\r\n", ps));
    // A section start straddling an edge.
    std::string sec = std::string(8180, 'a') + "<start>ab</start>ab\n";
    EXPECT_TRUE(run(sec, p + " <start> </start>") == "1|" + std::string(8180, 'a') + "<start>a\x83\x41</start>ab\r\n");
    // A repeat at the very end of the file is completed there.
    std::string rp = patterns("q+_Q\r\n");
    EXPECT_TRUE(run(std::string(9000, 'z') + "qqq", rp) == "1|" + std::string(9000, 'z') + "Q");
}

TEST(WgyFile, Sections) {
    std::string p = patterns("a_X\r\n");
    EXPECT_EQ(run("a<a>a</a>a\n", p + " <a> </a>"), "1|a<a>X</a>a\r\n");
    EXPECT_EQ(run("a<a>a</a>a\n", p + " !<a> </a>"), "1|X<a>a</a>X\r\n");
    // Job 2: the section starts at the second X of each line.
    EXPECT_EQ(run("aXaXaXa\naXa\n", p + " X_2"), "1|aXaXXXa\r\naXa\r\n");
    EXPECT_EQ(run("a\n", p + " X_0"), "report: 区間スタート文字の '_' の後に数字がありません\n");
    EXPECT_EQ(run("a\n", p + " <a> </a> /R#"), "report: リセット有なら，区間スタート文字に '_' を付けて下さい\n");
    // A custom reset: nothing is a section before it occurred.
    EXPECT_EQ(run("XaXa#XaXa\n", p + " X_1 X /R#"), "1|XaXa#XXXa\r\n");
    // A literal ! in inside mode.
    EXPECT_EQ(run("a!a|a\n", p + " \\! |"), "1|a!X|a\r\n");
}

TEST(WgyFile, OptionsOfTheCommand) {
    std::string p = patterns("ab_1\r\n");
    EXPECT_EQ(run("AB\n", p + " /V"), "1|1\r\n");
    EXPECT_EQ(run("AB\n", p), "0|AB\n");
    EXPECT_EQ(run("a\n", p + " /1"), "report: オプション文字がアルファベットではありません");
    EXPECT_EQ(run("a\n", p + " /L"), "report: このプログラムは，現在 /L オプションは，使えません\n");
    std::string many = p;
    for (int i = 0; i < 28; ++i) many += " x";
    EXPECT_EQ(run("a\n", many), "report: \t\t引数の数が，オーバーしました\t\t(wavparm)\n");
    // Repetition: the source written n times.
    EXPECT_EQ(run("xay\n", patterns("?_3\r\n") + " /N").substr(0, 2), "1|");
    EXPECT_EQ(run("ab\n", patterns("a_3\r\nb_0\r\n") + " /N"), "1|aaa\r\n");
    EXPECT_EQ(run("ab\n", patterns("a_x\r\n") + " /N"), "report:  は数字(整数)ではありません watoi() ");
    // Sequential: one pattern at a time, back to the first after the /Q text.
    EXPECT_EQ(run("aaaa;aa\n", patterns("a_1\r\na_2\r\n") + " /Q;"), "1|1212;12\r\n");
    // Patterns in the command; a `\/` is a slash.
    EXPECT_EQ(run("a/b\n", "/Pa_1/\\/_2"), "1|12b\r\n");
    // Insertion: the targets first, then the line's own text.
    EXPECT_EQ(run("xaybz\n", patterns("a_1\r\nb_2\r\n") + " /I"), "1|12xaybz\r\n");
    // Column insertion: after column 2 and 4 of each line.
    EXPECT_EQ(run("abcdef\nabcdef\n", patterns("2_-\r\n4_#\r\n") + " /S"), "1|ab-cd#ef\r\nab-cd#ef\r\n");
    // Extraction to outf.txt / the /O file; the input is never replaced.  (A
    // `\x` in an option value is a byte escape: no file name starts with x.)
    std::string out = path("out.txt");
    EXPECT_EQ(run("a<b>12</b>c<b>3</b>\n", "<b> </b> /K /O" + out), "1|a<b>12</b>c<b>3</b>\n");
    EXPECT_EQ(zt::read_file(out), "123");
    EXPECT_EQ(run("a<b>12</b>c\n", "<b> </b> /KA /O" + out), "1|a<b>12</b>c\n");
    EXPECT_EQ(zt::read_file(out), "<b>12</b>");
    EXPECT_EQ(run("a\n", "<b> </b> /K /C"), "report: 区間抽出 （/k オプションのときは，/c オプションは，使えません\n");
    EXPECT_EQ(run("a\n", "<b> /K"), "report: 区間抽出なのにﾊﾟﾗﾒｰﾀがおかしいです\n");
    EXPECT_EQ(run("a\n", p + " !<b> </b> /I"), "report: 区間外変換は，/I オプションでは，使えません\n");
    EXPECT_EQ(leftovers(), 0);
}

// Patterns that may begin with more than one code: a class, an element
// that may be left out, any character, and letters of either case with /V.
TEST(WgyFile, PatternsThatBeginWithSeveralCodes) {
    std::string p = patterns("[x-z]1_A\r\nb*c_B\r\n[^ab]9_C\r\n?#_D\r\n");
    EXPECT_EQ(run("y1bbcc q9 X1 k#\n", p), "1|ABB C X1 D\r\n");
    EXPECT_EQ(run("y1bbcc q9 X1 k#\n", p + " /V"), "1|ABB C A D\r\n");
}

// /D: every code that reaches the output (copied text, targets, kept
// delimiters) is also written to standard output; the file is as without it.
TEST(WgyFile, DisplayEchoesTheOutput) {
    std::string p = patterns("a_12\r\n");
    testing::internal::CaptureStdout();
    std::string plain = run("xay\nz\n", p + " /D");
    std::string sections = run("a<s>a</s>a\n", p + " <s> </s> /D");
    std::string shown = testing::internal::GetCapturedStdout();
    EXPECT_EQ(plain, "1|x12y\r\nz\r\n");
    EXPECT_EQ(sections, "1|a<s>12</s>a\r\n");
    EXPECT_NE(shown.find("\nx12y\nz\n"), std::string::npos) << shown;
    // A kept delimiter is shown as it goes to the output, and once more by
    // its own display bit.
    std::string tail = "\na<s><s>12</s></s>a\n";
    ASSERT_GE(shown.size(), tail.size());
    EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
}

// /T: the converted file keeps the input's date; without it the date is
// that of the pass.
TEST(WgyFile, DateOfTheReplacedFile) {
    std::string in = path("dated.txt"), p = patterns("a_b\r\n");
    ZuSystemTime old_date{};
    old_date.year = 2001;
    old_date.month = 2;
    old_date.day = 3;
    old_date.hour = 4;
    old_date.minute = 5;
    old_date.second = 6;
    for (bool keep : {true, false}) {
        zt::write_file(in, "a\n");
        ASSERT_EQ(ZuSetFileDate(in.c_str(), old_date), 0);
        std::string command = in + " " + p + (keep ? " /T" : "");
        EXPECT_EQ(ZuWGY(command.c_str(), nullptr), 1);
        EXPECT_EQ(zt::read_file(in), "b\r\n");
        ZuSystemTime now{};
        ASSERT_NE(ZuGetFileDate(&now, in.c_str()), nullptr);
        EXPECT_EQ(now.year == 2001 && now.month == 2 && now.day == 3 && now.hour == 4 && now.minute == 5 &&
                      now.second == 6,
                  keep);
    }
    EXPECT_EQ(leftovers(), 0);
}

TEST(WgyFile, GroupsOutputFileAndReports) {
    // The second group runs case-insensitively, the third with a section.
    std::string p = patterns("a_b\r\n{CHGPTN} /V\r\nB_c\r\n{CHGPTN} <s> </s>\r\nc_d\r\n");
    EXPECT_EQ(run("aA<s>a</s>\n", p), "1|cA<s>d</s>\r\n");
    // With /O the first group writes the /O file and the second converts it in place.
    std::string out = path("o.txt");
    zt::remove_file(out);
    EXPECT_EQ(run("aa\n", patterns("a_b\r\n{CHGPTN} {CNT}\r\nb_c\r\n") + " /O" + out), "1|aa\n");
    EXPECT_EQ(zt::read_file(out), "cc\r\n");
    // Two reports appended, one block per group.
    std::string rep = path("r.txt");
    zt::remove_file(rep);
    std::string q = patterns("a_b\r\n{CHGPTN} {CNT}\r\nb_c\r\n");
    run("ab\n", q + " /C" + rep);
    run("ab\n", q + " /C" + rep);
    std::string r = zt::read_file(rep);
    std::size_t blocks = 0;
    for (std::size_t i = r.find("文　字　変　換"); i != std::string::npos; i = r.find("文　字　変　換", i + 1)) ++blocks;
    EXPECT_EQ(blocks, 4u);
    EXPECT_NE(r.find(" パターン行数 　　　: 1\r\n  1)a                             ＝＞b                                    1\r\n"),
              std::string::npos)
        << r;
    // A handle's patterns; the dummy pattern-file argument.
    void *h = ZuWGYInitStr("x_y\r\n", 10);
    EXPECT_EQ(run("xx\n", "", h), "1|yy\r\n");
    EXPECT_EQ(run("xx\n", "/Px_z", h), "1|zz\r\n");
    EXPECT_EQ(run("xx\n", "", h), "1|zz\r\n");  // /P replaced the handle's patterns
    ZuWGYTerm(h);
}

TEST(WgyFile, AFailedPassLeavesTheInput) {
    std::string p = patterns("a_b\r\n");
    // The output cannot be created: reported, the input as it was.
    std::string bad = path("no/such/folder/o.txt");
    EXPECT_EQ(run("aa\n", p + " /O" + bad).substr(0, 7), "report:");
    EXPECT_EQ(zt::read_file(path("in.txt")), "aa\n");
    // A report in the middle of a pass (after the output was written to).
    std::string big = std::string(20000, 'a') + "X\n";
    EXPECT_EQ(run(big, patterns("a_1\r\nX_z\r\n") + " /N"), "report:  は数字(整数)ではありません watoi() ");
    EXPECT_TRUE(zt::read_file(path("in.txt")) == big);
    EXPECT_EQ(leftovers(), 0);
    // A missing input.
    EXPECT_EQ(run("a", path("none.txt") + " " + p).substr(0, 7), "report:");
}

TEST(WgyFile, MatchesBeginOnlyWhereCharactersBegin) {
    // A second byte that equals a pattern's first byte (@), a double-byte
    // first code made of the second byte of one character and the first of
    // the next; a CR between the two bytes of a character is dropped, a line
    // feed as a second byte stays as it is, a lead byte at the end stands
    // alone.  Over a whole read and across the read's end.
    std::string p = patterns("@_X\r\n\x88\x9f_Y\r\n");
    std::string text = "\x81\x40@|\x81\x88\x9f\x40|\x88\x9f|\x81\r@|\x88\n|a\x1a\r\n\n";
    std::string want = "\x81\x40X|\x81\x88\x9f\x40|Y|\x81@|\x88\n|a\r\n\r\n";
    EXPECT_TRUE(run(text + "\x88", p) == "1|" + want + "\x88");
    for (std::size_t before = 8190 - text.size(); before < 8190; ++before) {
        if (before + 13 == 8190 || before + 14 == 8190) continue;  // the CR ends a read: below
        std::string fill(before, 'z');
        EXPECT_TRUE(run(fill + text + text, p) == "1|" + fill + want + want) << before;
    }
    // A read that ends in a lead byte and a CR: the lead byte stands alone.
    std::string fill(8188, 'z');
    EXPECT_TRUE(run(fill + "\x81\r@\n", p) == "1|" + fill + "\x81X\r\n");
}

}  // namespace
