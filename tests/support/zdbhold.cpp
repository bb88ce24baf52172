// Holds a table open under a mutex name for a while:
//   zdbhold TABLE MUTEX MARKFILE MILLISECONDS
// Appends "opened" to MARKFILE once the table is open and "closing" just
// before it is closed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "base/report.h"
#include "zudbtool.h"

namespace {
void mark(const char *file, const char *word) {
    if (FILE *f = std::fopen(file, "ab")) {
        std::fprintf(f, "%s\n", word);
        std::fclose(f);
    }
}
}  // namespace

int main(int argc, char **argv) {
    if (argc != 5) return 2;
    try {
        void *h = zu_call([&] { return zdbOpenTable(argv[1], argv[2]); });
        if (!h) return 1;
        mark(argv[3], "opened");
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[4])));
        mark(argv[3], "closing");
        zu_call([&] { return zdbClose(h); });
    } catch (char *m) {
        std::fprintf(stderr, "%s\n", m);
        return 1;
    }
    return 0;
}
