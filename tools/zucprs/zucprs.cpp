// zucprs: encodes a file into the ZUCPRS encoded-file format of ZUSTD and
// decodes it again, with StrEncodeFile and StrDecodeFile.
//
// The key is never taken from the command line, where other users of the
// machine can read it: it comes from --key-file, from the environment
// variable ZUCPRS_KEY, or from the terminal with echo off.
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
    "usage: zucprs encode FILE [OUTPUT] [--key-file KEYFILE]\n"
    "       zucprs decode FILE [OUTPUT] [--check] [--key-file KEYFILE]\n"
    "Encodes FILE into the ZUCPRS format (Blowfish, with the file's length,\n"
    "extension and time in a 64-byte header), or decodes such a file.  Without\n"
    "OUTPUT, encode writes NAME.0001.cpress (the first free number) beside FILE\n"
    "and decode writes the stored extension's name (DATA.0001.cpress gives\n"
    "DATA.TXT).  --check only reads the header of FILE and writes nothing.\n"
    "The name written is printed on standard output.\n"
    "The key: the first line of KEYFILE (its bytes as they are), else the\n"
    "environment variable ZUCPRS_KEY, else asked for on the terminal without\n"
    "echo.  In a UTF-8 locale a key from the environment or the terminal is\n"
    "converted to Shift-JIS.  A wrong key is not detected: decoding then writes\n"
    "meaningless bytes.  The format serves existing data; it does not protect\n"
    "secrets (ECB, no integrity check).\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit codes: 0 done, 1 a report (on standard error), 2 a usage error.\n";

bool g_utf8 = false;

struct failure {
    std::string text;
};

std::string read_key_file(const char *name) {
    FILE *f = std::fopen(name, "rb");
    if (!f) throw failure{std::string(name) + ": the key file cannot be read"};
    std::string key;
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '\n') key += static_cast<char>(c);
    std::fclose(f);
    if (!key.empty() && key.back() == '\r') key.pop_back();
    return key;
}

std::string read_key_terminal() {
    if (!zp::set_input_echo(false))
        throw failure{"no key: give --key-file or ZUCPRS_KEY (standard input is no terminal)"};
    std::fputs("key: ", stderr);
    std::fflush(stderr);
    std::string key;
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') key += static_cast<char>(c);
    zp::set_input_echo(true);
    std::fputs("\n", stderr);
    if (!key.empty() && key.back() == '\r') key.pop_back();
    return key;
}

// A key typed or set in a UTF-8 locale, as the Shift-JIS text the library
// takes.
std::string from_locale(const std::string &key) {
    if (!g_utf8) return key;
    std::vector<char> buf(key.size() * 2 + 1);
    if (!zp::utf8_to_sjis(key.c_str(), buf.data(), buf.size()))
        throw failure{"the key holds a character that has no Shift-JIS form"};
    return buf.data();
}

std::string the_key(const char *key_file) {
    if (key_file) return read_key_file(key_file);
    if (const char *env = std::getenv("ZUCPRS_KEY")) return from_locale(env);
    return from_locale(read_key_terminal());
}

}  // namespace

int main(int argc, char **argv) {
    g_utf8 = zp::use_user_locale();
    err_show_box = 0;
    const char *key_file = nullptr;
    bool check = false;
    std::vector<const char *> args;
    for (int i = 1; i < argc; ++i) {
        if (zu_tool_answers(argv[i], "zucprs", USAGE)) return 0;
        if (std::strcmp(argv[i], "--check") == 0) {
            check = true;
        } else if (std::strcmp(argv[i], "--key-file") == 0 && i + 1 < argc) {
            key_file = argv[++i];
        } else if (argv[i][0] == '-' && argv[i][1] == '-') {
            std::fprintf(stderr, "zucprs: unknown option %s\n%s", argv[i], USAGE);
            return 2;
        } else {
            args.push_back(argv[i]);
        }
    }
    bool encode = !args.empty() && std::strcmp(args[0], "encode") == 0;
    bool decode = !args.empty() && std::strcmp(args[0], "decode") == 0;
    if ((!encode && !decode) || args.size() < 2 || args.size() > 3 || (encode && check)) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    const char *file = args[1], *output = args.size() > 2 ? args[2] : nullptr;
    try {
        std::string key = the_key(key_file);
        if (key.empty()) throw failure{"the key is empty"};
        std::string written = zu_call([&] {
            return encode ? StrEncodeFile(file, output, key.c_str()) : StrDecodeFile(file, output, key.c_str(), check);
        });
        if (encode && output) written = output;
        std::printf("%s\n", written.c_str());
        return 0;
    } catch (const failure &f) {
        std::fprintf(stderr, "zucprs: %s\n", f.text.c_str());
    } catch (char *m) {
#ifdef _WIN32
        zu_tool_report("zucprs", m, false);
#else
        zu_tool_report("zucprs", m, true);  // standard error of a POSIX terminal: always UTF-8
#endif
    }
    return 1;
}
