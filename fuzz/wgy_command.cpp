// ZuWGY's file conversion with an arbitrary command text after a fixed
// input and pattern file: first byte the error routine's choice, the rest
// the text.  The input is written afresh for every run, in the working
// directory; a command whose /O or /C value could name a file elsewhere is
// skipped, and so is repetition with patterns of the command (its counts
// are unbounded).
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "zuwgy/wgy.h"

namespace {
#ifndef _WIN32
const bool g_quiet_stdout = std::freopen("/dev/null", "w", stdout) != nullptr;
#endif

const char INPUT[] =
    "abc <a>xyz</a> \x82\xa0\x82\xa2 X1X2X3\r\nline two \x88\x9f ab\nq\rr\x1a<a>ab";
const char PATTERNS[] =
    "ab_1\r\nabc_2\r\n?z_[\\?]\r\n\x82\xa0_\x83\x41\r\n{CHGPTN} /V <a> </a>\r\nB_b\r\n"
    "{CHGPTN} {CNT}\r\nX+_Y\r\n{CHGPTN}\r\n2_3\r\n";

void write(const char *name, const char *text) {
    if (FILE *f = std::fopen(name, "wb")) {
        std::fputs(text, f);
        std::fclose(f);
    }
}

// A value of /O or /C that stays in the working directory.
bool safe(const std::string &c) {
    for (std::size_t i = 0; i + 1 < c.size(); ++i) {
        if (c[i] != '/') continue;
        char l = static_cast<char>(c[i + 1] | 0x20);
        if (l != 'o' && l != 'c') continue;
        for (std::size_t j = i + 2; j < c.size() && c[j] != ' ' && c[j] != '\t'; ++j)
            if (c[j] == '/' || c[j] == '\\' || c[j] == '.' || c[j] == ':' || c[j] == '"') return false;
    }
    bool n = false, p = false;
    for (std::size_t i = 0; i + 1 < c.size(); ++i)
        if (c[i] == '/') {
            n |= (c[i + 1] | 0x20) == 'n';
            p |= (c[i + 1] | 0x20) == 'p';
        }
    return !(n && p);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 1 || size > 400) return 0;
    zf::error_routine(data[0]);
    std::vector<char> t = zf::text(data + 1, size - 1);
    std::string command = std::string("fz_in.txt fz.gy ") + t.data();
    if (!safe(command)) return 0;
    write("fz_in.txt", INPUT);
    write("fz.gy", PATTERNS);
    try {
        wgy_convert_file(command.c_str(), nullptr);
    } catch (char *) {
        // a report: the answer to a faulty command
    }
    return 0;
}
