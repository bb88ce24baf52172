// Prints what ZuAVParm made of this program's command line, one item a line:
//   N=<last index> O=<options>, #<i>=[<argument>], /<L>=[<value or (null)>],
//   L=[<ZuGetCommandLine>], or report=[<text>] when the parse was refused.
#include <cstdio>

#include "base/base.h"
#include "zustd.h"

int main() {
    try {
        zu_call([] { return ZuAVParm(); });
    } catch (char *m) {
        std::printf("report=[%s]\n", m);
        return 0;
    }
    std::printf("N=%d O=%d\n", ZuAVFileN(), ZuAVFileNOpt());
    for (int i = 0; i <= ZuAVFileN(); ++i) std::printf("#%d=[%s]\n", i, ZuAVFile(i));
    for (char c = 'A'; c <= 'Z'; ++c)
        if (ZuAVOpt(c)) std::printf("/%c=[%s]\n", c, ZuAVOptDt(c) ? ZuAVOptDt(c) : "(null)");
    std::printf("L=[%s]\n", ZuGetCommandLine());
    return 0;
}
