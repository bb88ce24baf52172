// zuwgy: converts a Shift-JIS file by a pattern file with ZuWGY of ZUWGY.
//
//   zuwgy INPUT PATTERNS [START [END]] [/OPTIONS]
//
// The arguments are passed as the command text.  Exit codes: 0 a pattern
// was applied, 1 nothing applied, 2 a report (its text on standard error).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "tools/common/tool.h"
#include "zuwgy.h"

namespace {

const char USAGE[] =
    "usage: zuwgy INPUT PATTERNS [START [END]] [/OPTIONS]\n"
    "       zuwgy INPUT START END /K[A] [/Oname]\n"
    "       zuwgy INPUT [START [END]] /Ppattern/pattern... [/OPTIONS]\n"
    "Converts the Shift-JIS file INPUT in place by the pattern file PATTERNS\n"
    "(one pass per pattern group).  START and END limit the conversion to\n"
    "sections (a leading ! converts outside them).\n"
    "Options: /C[report] /D /I /K[A] /N /O<output> /P<patterns> /Q<text>\n"
    "         /R<reset> /S[line end] /T /V\n"
    "  --quiet    no progress lines\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit codes: 0 converted, 1 nothing applied, 2 a report (on standard error).\n"
    "In a UTF-8 locale the patterns and section texts given here are read as\n"
    "UTF-8 and the progress lines are shown as UTF-8; files stay Shift-JIS.\n";

// An argument in the command text: quoted when it holds a blank.
std::string word(const std::string &a) {
    return a.find_first_of(" \t") == std::string::npos ? a : "\"" + a + "\"";
}

}  // namespace

int main(int argc, char **argv) {
    bool utf8 = zp::use_user_locale();
    bool quiet = false;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (zu_tool_answers(argv[i], "zuwgy", USAGE)) return 0;
        if (std::strcmp(argv[i], "--quiet") == 0) quiet = true;
        else args.emplace_back(argv[i]);
    }
    if (args.empty()) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    // Paths (the input, the pattern file, /O and /C values) go to the system
    // as they are; the other texts become Shift-JIS in a UTF-8 locale.
    bool no_pattern_file = false;
    for (const std::string &a : args)
        if (a.size() >= 2 && a[0] == '/' && (a[1] == 'K' || a[1] == 'k' || a[1] == 'P' || a[1] == 'p'))
            no_pattern_file = true;
    std::string command;
    int positional = 0;
    for (std::string &a : args) {
        // An existing file named by an absolute POSIX path is an argument,
        // not an option: `\/` keeps its leading slash.
        if (a[0] == '/' && a.size() > 2 && zu_exist(a.c_str())) a = "\\" + a;
        bool option = a[0] == '/';
        bool path = option ? a.size() >= 2 && std::strchr("OoCc", a[1])
                           : (++positional == 1 || (positional == 2 && !no_pattern_file));
        std::string text = a;
        if (utf8 && !path) {
            std::vector<char> buf(a.size() * 2 + 1);
            if (!zp::utf8_to_sjis(a.c_str(), buf.data(), buf.size())) {
                std::fprintf(stderr, "zuwgy: %s: a character has no Shift-JIS form\n", a.c_str());
                return 2;
            }
            text = buf.data();
        }
        if (!command.empty()) command += ' ';
        command += word(text);
    }
    if (quiet) std::fflush(stdout), std::freopen(
#ifdef _WIN32
                                        "NUL",
#else
                                        "/dev/null",
#endif
                                        "w", stdout);
    try {
        int r = zu_call([&] { return ZuWGY(command.c_str(), nullptr); });
        return r ? 0 : 1;
    } catch (char *m) {
        zu_tool_report("zuwgy", m, utf8);
    }
    return 2;
}
