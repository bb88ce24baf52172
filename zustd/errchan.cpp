// The error channel that all deliverables of a process share: the
// error-message store, the error-log folder and the texts of Windows error
// codes, plus ZUSTD's own debug file and message file.
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "zustd.h"

namespace {
const char *g_error_message = nullptr;
char g_system_text[273 + 16];

const char *system_text(unsigned code, bool with_code) {
    return zu_export([&]() -> const char * {
        char code_text[16];
        int n = std::snprintf(code_text, sizeof code_text, "(%u)", code);
        if (n < 0 || n > 15) RE("GetLastError2Message_01:1");
        unsigned got = zp::format_message(code, g_system_text, 273);
        if (got == 0) {
            // The system has no text for this code: an empty text, not the
            // text of an earlier call.
            g_system_text[0] = '\0';
        } else {
            g_system_text[got < 273 ? got : 272] = '\0';
            if (char *cr = std::strrchr(g_system_text, '\r')) *cr = '\0';
        }
        if (with_code) std::strcat(g_system_text, code_text);
        return g_system_text;
    });
}
}  // namespace

ZU_API void ZU_CALL ZuSetErrMsg(const char *message) { g_error_message = message; }
ZU_API const char *ZuGetErrMsg(void) { return g_error_message; }
ZU_API void ZuClearErrMsg(void) { g_error_message = nullptr; }

ZU_API unsigned char ZU_CALL SetIsWriteLog(unsigned char on) {
    zu_write_log = on;
    return on;
}

ZU_API const char *ZU_CALL GetLastError2Message(unsigned code) { return system_text(code, false); }
ZU_API const char *ZU_CALL GetLastError2MessageErrorCode(unsigned code) { return system_text(code, true); }

ZU_API int ZU_CALL SetDebf(const char *file_name) {
    debf_set_name(file_name);
    return 0;
}

ZU_API const char *GetDebf(void) { return debf_get_name(); }

ZU_API const char *ZU_CALL Debf(const char *text) {
    return zu_export([&] {
        debf_write_raw(text);
        return text;
    });
}

ZU_API int SetDebfOpenModeAppend(void) {
    debf_set_append();
    return 0;
}

ZU_API char *ZU_CALL ZuGetErrorLogPath(char *buffer, unsigned size) {
    return zu_export([&]() -> char * {
        if (!buffer || size < 2) {
            RE("ZuGetErrorLogPath");
            return buffer;
        }
        if (zu_get_module_file_name(buffer, size) != 0) RE("ZuGetErrorLogPath");
        // The folder part: up to and including the last separator.
        const char *last = zp::last_separator(buffer);
        buffer[last ? last - buffer + 1 : 0] = '\0';
        if (std::strlen(buffer) + 5 > size) {
            RE("ZuGetErrorLogPath");
            return buffer;
        }
        std::strcat(buffer, "LOG");
        std::strcat(buffer, zp::SEP_STR);
        return buffer;
    });
}

ZU_API int ZU_CALL zuForceDirectory(const char *path) {
    return zu_export([&] { return path && zp::create_directory(path) ? 0 : 1; });
}

ZU_API const char *zuGetMessageFileName(void) {
    return zu_export([] { return msgf(nullptr); });
}

ZU_API const char *zuGetErrorMessageFileName(void) {
    return zu_export([] { return write_error_log(nullptr); });
}
