#include "tools/common/tool.h"

#include <cstdio>
#include <cstring>

#include "base/base.h"

const char *zu_tool_version() { return ZU_VERSION; }

bool zu_tool_answers(const char *arg, const char *name, const std::string &usage) {
    if (std::strcmp(arg, "--help") == 0) {
        std::fputs(usage.c_str(), stdout);
        return true;
    }
    if (std::strcmp(arg, "--version") == 0) {
        std::printf("%s %s\n", name, zu_tool_version());
        return true;
    }
    return false;
}

void zu_tool_report(const char *name, const char *sjis, bool utf8) {
    if (!sjis) sjis = "";
    std::fprintf(stderr, "%s: %s\n", name, utf8 ? zu_utf8_of(sjis).c_str() : sjis);
}
