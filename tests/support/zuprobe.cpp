// A program that makes reports on request, for the tests of where and how
// reports are logged.
//
//   zuprobe report TEXT...   one report per TEXT; prints each caught text
//   zuprobe debf TEXT        writes TEXT to ZUSTD's debug file
//   zuprobe debf-append TEXT the same after SetDebfOpenModeAppend
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "zustd.h"

int main(int argc, char **argv) {
    err_show_box = 0;
    if (argc < 3) return 2;
    if (std::strcmp(argv[1], "report") == 0) {
        int caught = 0;
        for (int i = 2; i < argc; ++i) {
            try {
                err(9, "%s", argv[i]);
            } catch (char *m) {
                std::printf("%s\n", m);
                ++caught;
            }
        }
        return caught == argc - 2 ? 0 : 1;
    }
    if (std::strcmp(argv[1], "debf-append") == 0) SetDebfOpenModeAppend();
    Debf(argv[2]);
    return 0;
}
