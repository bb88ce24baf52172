// Compares the two files named on its command line with ZuFileComp, after
// ZuAVParm has read the options (/L: files of different lengths are
// compared too); prints the result.
#include <cstdio>

#include "base/base.h"
#include "zustd.h"

int main() {
    try {
        zu_call([] { return ZuAVParm(); });
        std::printf("%d\n", zu_call([] { return ZuFileComp(ZuAVFile(1), ZuAVFile(2)); }));
    } catch (char *m) {
        std::printf("report=[%s]\n", m);
    }
    return 0;
}
