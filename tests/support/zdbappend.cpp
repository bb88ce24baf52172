// Appends records to an indexed table shared with other processes:
//   zdbappend TABLE MUTEX PREFIX COUNT DONEFILE
// Opens the table under the mutex name for every few records (so that two
// such processes take turns), appends records with the codes PREFIX0001 ..
// and closes it again.  At the end writes "ok" to DONEFILE when every
// append was taken, else "failed" and the reason; the exit code says the same.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/report.h"
#include "zudbtool.h"

namespace {
int done(const char *file, int code, const char *text) {
    if (FILE *f = std::fopen(file, "wb")) {
        std::fprintf(f, "%s\n", text);
        std::fclose(f);
    }
    return code;
}
}  // namespace

int main(int argc, char **argv) {
    if (argc != 6) return 2;
    const char *done_file = argv[5];
    int count = std::atoi(argv[4]);
    try {
        for (int i = 1; i <= count;) {
            void *h = zu_call([&] { return zdbOpenTable(argv[1], argv[2]); });
            if (!h) return done(done_file, 1, "failed: no handle");
            for (int k = 0; k < 7 && i <= count; ++k, ++i) {
                char code[16], name[16];
                std::snprintf(code, sizeof code, "%s%04d", argv[3], i);
                std::snprintf(name, sizeof name, "N%d", i % 13);
                zu_call([&] { return zdbClearBuf(h); });
                zu_call([&] { return zdbSS(h, "CODE", code); });
                zu_call([&] { return zdbSS(h, "NAME", name); });
                zu_call([&] { return zdbSI(h, "QTY", i); });
                if (zu_call([&] { return zdbAppend(h); }) != 0) return done(done_file, 3, "failed: append refused");
            }
            zu_call([&] { return zdbClose(h); });
        }
    } catch (char *m) {
        std::fprintf(stderr, "%s\n", m);
        return done(done_file, 1, "failed: report");
    }
    return done(done_file, 0, "ok");
}
