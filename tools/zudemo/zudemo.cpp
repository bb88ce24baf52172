// Shows the error channel end to end: a report made inside ZUSTD is logged
// to the error log, stored in the error-message store, raised to the caller
// and caught there.
#include <cstdio>
#include <cstring>

#include "base/report.h"
#include "tools/common/tool.h"
#include "zustd.h"

namespace {
const char USAGE[] =
    "usage: zudemo\n"
    "Makes one report inside ZUSTD and shows it caught, stored and logged.\n"
    "  --help     this text\n"
    "  --version  the version\n"
    "Exit codes: 0 the report was caught and stored, 1 it was not, 2 a usage error.\n";

void show(const char *label, const char *sjis) {
    char utf8[2048];
    zp::sjis_to_utf8(sjis ? sjis : "(null)", utf8, sizeof utf8);
    std::printf("%-28s %s\n", label, utf8);
}
}  // namespace

int main(int argc, char **argv) {
    if (argc > 1) {
        if (zu_tool_answers(argv[1], "zudemo", USAGE)) return 0;
        std::fputs(USAGE, stderr);
        return 2;
    }
    ZuClearErrMsg();
    show("stored message before:", ZuGetErrMsg());

    // A null buffer is bad input for ZuGetErrorLogPath: it reports.
    const char *caught = nullptr;
    try {
        zu_call([] { return ZuGetErrorLogPath(nullptr, 0); });
    } catch (char *message) {
        caught = message;
    }
    show("caught report:", caught);
    show("stored message after:", ZuGetErrMsg());

    const char *log = zuGetErrorMessageFileName();
    show("error log:", log);
    if (FILE *f = std::fopen(log, "rb")) {
        char line[2048], last[2048] = "";
        while (std::fgets(line, sizeof line, f)) std::memcpy(last, line, sizeof last);
        std::fclose(f);
        last[strcspn(last, "\r\n")] = '\0';
        show("last line of the log:", last);
    }
    show("system text of code 2:", GetLastError2MessageErrorCode(2));
    return caught && ZuGetErrMsg() == caught ? 0 : 1;
}
