// zufconv: converts a file of fixed-length host records into comma-separated
// Shift-JIS lines with ZuFConversion of ZUSTD.
//
//   zufconv [--utf8] INPUT DEFINITION OUTPUT RECORD_LENGTH
//
// Exit codes: 0 every record converted cleanly, 1 some field was marked,
// 2 a report (its text on standard error) or bad arguments.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "tools/common/tool.h"
#include "zustd.h"

namespace {

const char USAGE[] =
    "usage: zufconv [--utf8] INPUT DEFINITION OUTPUT RECORD_LENGTH\n"
    "Converts INPUT, records of RECORD_LENGTH bytes in host encodings, into\n"
    "OUTPUT, one comma-separated Shift-JIS line per record, by the fields of\n"
    "the DEFINITION file: pairs of a length and a job, one pair a line.\n"
    "Jobs: -  skip (a negative length goes back)   @  copy\n"
    "      E  EBCDIC katakana   e  to EBCDIC   h  bytes as {h:XX}\n"
    "      F  host kanji   J  JIS kanji   p  digits to packed decimal\n"
    "A byte or code that does not convert is marked in the line ({H:XXXX}).\n"
    "  --utf8  write OUTPUT in UTF-8 with LF line ends (text fields only:\n"
    "          bytes that are not Shift-JIS text, as packed decimal, become ?)\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit codes: 0 converted cleanly, 1 some field marked, 2 a report (on\n"
    "standard error) or bad arguments.\n";

// Rewrites the converted file in UTF-8: zero bytes stay, CR LF becomes LF.
bool rewrite_utf8(const char *name) {
    FILE *f = std::fopen(name, "rb");
    if (!f) return false;
    std::string in;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) in.append(buf, n);
    std::fclose(f);
    std::string out;
    for (std::size_t p = 0; p < in.size();) {
        std::size_t e = in.find('\0', p);
        if (e == std::string::npos) e = in.size();
        std::string piece = in.substr(p, e - p);
        for (std::size_t cr; (cr = piece.find("\r\n")) != std::string::npos;) piece.erase(cr, 1);
        out += zu_utf8_of(piece.c_str());
        if (e < in.size()) out.push_back('\0');
        p = e + 1;
    }
    f = std::fopen(name, "wb");
    if (!f) return false;
    bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
    bool utf8_terminal = zp::use_user_locale();
    bool utf8 = false;
    std::vector<const char *> args;
    for (int i = 1; i < argc; ++i) {
        if (zu_tool_answers(argv[i], "zufconv", USAGE)) return 0;
        if (std::strcmp(argv[i], "--utf8") == 0) utf8 = true;
        else args.push_back(argv[i]);
    }
    char *end = nullptr;
    long reclen = args.size() == 4 ? std::strtol(args[3], &end, 10) : 0;
    if (args.size() != 4 || *end || reclen <= 0 || reclen > 0x7FFFFFF) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    try {
        int r = zu_call([&] { return ZuFConversion(args[0], args[1], args[2], static_cast<int>(reclen)); });
        if (utf8 && !rewrite_utf8(args[2])) {
            std::fprintf(stderr, "zufconv: %s: cannot be rewritten in UTF-8\n", args[2]);
            return 2;
        }
        return r ? 1 : 0;
    } catch (char *m) {
        zu_tool_report("zufconv", m, utf8_terminal);
    }
    return 2;
}
