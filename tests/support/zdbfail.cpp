// Runs one whole-table operation on a table, for the tests that start it
// with ZU_FAIL_WRITE set (the n-th write of the table engine fails):
//   zdbfail pack|sort TABLE
// Exit code 0 when the operation finished, 1 after a report, 2 on bad use.
#include <cstdio>
#include <cstring>

#include "base/report.h"
#include "zudbtool.h"

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    try {
        void *h = zu_call([&] { return zdbOpenTable(argv[2], nullptr); });
        if (!h) return 1;
        int rc = 0;
        try {
            if (std::strcmp(argv[1], "pack") == 0) {
                zu_call([&] { return zdbPack(h); });
            } else {
                zu_call([&] { return zdbChgIndex(h, "NAME"); });
                zu_call([&] { return zdbSort(h, nullptr); });
            }
        } catch (char *m) {
            std::fprintf(stderr, "%s\n", m);
            rc = 1;
        }
        zu_call([&] { return zdbClose(h); });
        return rc;
    } catch (char *m) {
        std::fprintf(stderr, "%s\n", m);
        return 1;
    }
}
