// Runs ZUSTD's JIS conversion and byte classification for the Python peer
// script.
//   jistool s2j       standard input (Shift-JIS) through ZuSJis2Jis
//   jistool j2s       standard input (JIS) through ZuJis2SJis
//   jistool classify  for every byte pair b1 b2 (1-255 each) one line:
//                     "b1 b2 valid replaced flag1 flag2 trim", where valid
//                     and replaced are ZuIsValidStr on the pair (replaced as
//                     hexadecimal bytes), flag1 and flag2 RtvKanjiFlag at 1
//                     and 2, trim the length JTrim leaves of the pair
//                     followed by two blanks, or E when it reports.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "base/base.h"
#include "zustd.h"

int main(int argc, char **argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "s2j" || mode == "j2s") {
        std::string in((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        const char *out = zu_call([&] { return mode == "s2j" ? ZuSJis2Jis(in.c_str()) : ZuJis2SJis(in.c_str()); });
        if (!out) return 1;
        std::fwrite(out, 1, std::strlen(out), stdout);
        return 0;
    }
    if (mode != "classify") return 2;
    for (int b1 = 1; b1 < 256; ++b1)
        for (int b2 = 1; b2 < 256; ++b2) {
            char pair[3] = {static_cast<char>(b1), static_cast<char>(b2), 0};
            char v[3];
            std::memcpy(v, pair, 3);
            int valid = ZuIsValidStr(v);
            int f1 = zu_call([&] { return RtvKanjiFlag(pair, 1); });
            int f2 = zu_call([&] { return RtvKanjiFlag(pair, 2); });
            char t[5] = {pair[0], pair[1], ' ', ' ', 0};
            std::string trim;
            try {
                zu_call([&] { return JTrim(t, sizeof t); });
                trim = std::to_string(std::strlen(t));
            } catch (char *) {
                trim = "E";
            }
            std::printf("%d %d %d %02x%02x %d %d %s\n", b1, b2, valid, static_cast<unsigned char>(v[0]),
                        static_cast<unsigned char>(v[1]), f1, f2, trim.c_str());
        }
    return 0;
}
