// The command line: one parse into process-wide tables, queried by option
// letter and argument number; the program path and the arguments taken
// apart; the module path and a name made from a path.
#include <cstring>

#include "base/avparm.h"
#include "base/base.h"
#include "zustd.h"

namespace {

constexpr unsigned LINE_SIZE = 260;
constexpr int EXTRACT_FIELDS = 50;
constexpr unsigned COMMAND_LINE_COPY = 32768;

char g_line[LINE_SIZE];   // the split command line; the tables point into it
avtable g_av = {{}, {}, {}, {}, -1, 0};

char g_extract[LINE_SIZE];
char g_command_line[COMMAND_LINE_COPY];

// Splits a copy of text at blanks into fields (at most EXTRACT_FIELDS).
char **split_copy(const char *text, const char *caller, char **fields) {
    if (!text || std::strlen(text) >= LINE_SIZE) {
        err(9, "buffer over %s()\n", caller);
        g_extract[0] = '\0';
        return nullptr;
    }
    std::strcpy(g_extract, text);
    return str2pp(g_extract, " ", EXTRACT_FIELDS, fields);
}

}  // namespace

ZU_API int ZuAVParm(void) {
    return zu_export([&] {
        std::memset(&g_av, 0, sizeof g_av);
        g_av.last = -1;
        const char *line = zp::command_line();
        if (std::strlen(line) >= LINE_SIZE) err(9, "%s", "buffer over ZuAVParm()\n");
        zu_copy(g_line, sizeof g_line, line);
        if (!g_line[0]) return 1;
        // A field takes at least one byte and one blank.
        char *args[LINE_SIZE / 2 + 1];
        if (!str2pp(g_line, " ", LINE_SIZE / 2, args)) return 1;
        avparm(args, &g_av, true);
        return 1;
    });
}

ZU_API int ZU_CALL ZuAVOpt(char letter) {
    int i = av_index(static_cast<unsigned char>(letter));
    return i < 0 ? 0 : g_av.flag[i];
}

ZU_API const char *ZU_CALL ZuAVOptDt(char letter) {
    int i = av_index(static_cast<unsigned char>(letter));
    return i < 0 ? nullptr : g_av.value[i];
}

ZU_API char ZU_CALL ZuAVOptOff(char letter) {
    int i = av_index(static_cast<unsigned char>(letter));
    if (i < 0) return letter;
    g_av.flag[i] = 0;
    return static_cast<char>('A' + i);
}

ZU_API const char *ZU_CALL ZuAVFile(int index) {
    return index < 0 || index > g_av.last ? nullptr : g_av.arg[index];
}

ZU_API int ZuAVFileN(void) { return g_av.last; }

ZU_API int ZuAVFileNOpt(void) { return g_av.options; }

ZU_API const char *ZuGetCommandLine(void) {
    zu_copy(g_command_line, sizeof g_command_line, zp::command_line());
    char *w = g_command_line;
    for (const char *r = g_command_line; *r; ++r)
        if (*r != '"') *w++ = *r;  // 0x22 is never the second byte of a character
    *w = '\0';
    return g_command_line;
}

ZU_API const char *ZU_CALL ExtractExeName(const char *text) {
    return zu_export([&]() -> const char * {
        char *fields[EXTRACT_FIELDS + 1];
        char **f = split_copy(text, "ExtractExeName", fields);
        if (!f || !f[0]) return g_extract + std::strlen(g_extract);
        return f[0];
    });
}

ZU_API const char *ZU_CALL ExtractCmdLine(const char *text) {
    return zu_export([&]() -> const char * {
        char *fields[EXTRACT_FIELDS + 1];
        char **f = split_copy(text, "ExtractCmdLine", fields);
        if (!f || !f[0] || !f[1]) return nullptr;
        // The second field's distance from the first, taken on the caller's text.
        return text + (f[1] - f[0]);
    });
}

ZU_API int ZU_CALL ZuGetModuleFileName(char *buffer, unsigned size) {
    return zu_export([&] { return zu_get_module_file_name(buffer, size); });
}

ZU_API int ZU_CALL GetProcessNameFromPath(char *out, unsigned size, const char *path) {
    return zu_export([&] {
        if (!out || size == 0) return 0;
        if (path)
            zu_copy(out, size, path);
        else if (zu_get_module_file_name(out, size) != 0)
            return 0;
        upper_string(out);
        char *w = out;
        for (const char *r = out; *r;) {
            if (zu_lead_byte(static_cast<unsigned char>(*r)) && r[1]) {
                *w++ = *r++;
                *w++ = *r++;
            } else if (*r == ':') {
                ++r;
            } else {
                *w++ = (*r == '\\' || *r == '.' || *r == zp::SEP) ? '_' : *r;
                ++r;
            }
        }
        *w = '\0';
        return 0;
    });
}
