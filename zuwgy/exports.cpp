// The ZUWGY exports.
#include "base/base.h"
#include "zuwgy.h"
#include "zuwgy/wgy.h"

ZU_API void *ZU_CALL ZuWGYInit(const char *file_name, int capacity) {
    return zu_export([&]() -> void * { return wgy_load_file(file_name, capacity); });
}

ZU_API void *ZU_CALL ZuWGYInitStr(const char *text, int capacity) {
    return zu_export([&]() -> void * { return wgy_load_string(text, capacity); });
}

ZU_API const char *ZU_CALL ZuWGYStr(void *handle, const char *text) {
    return zu_export([&] { return wgy_convert_string(static_cast<wgy_handle *>(handle), text); });
}

ZU_API int ZU_CALL ZuWGYTerm(void *handle) {
    return zu_export([&] {
        wgy_free(static_cast<wgy_handle *>(handle));
        return 0;
    });
}

ZU_API const char *ZU_CALL ConvertToFileNameString(const char *text) {
    return zu_export([&] {
        // Each of / : > < | " ? * \ becomes an underscore.
        static const char patterns[] =
            "/_\\_\r\n:_\\_\r\n>_\\_\r\n<_\\_\r\n|_\\_\r\n\"_\\_\r\n\\?_\\_\r\n\\*_\\_\r\n\\\\_\\_\r\n";
        wgy_handle *h = wgy_load_string(patterns, WGY_NAME_RECORDS);
        const char *result = nullptr;
        try {
            result = wgy_convert_string(h, text);
        } catch (...) {
            wgy_free(h);
            throw;
        }
        wgy_free(h);
        if (!result) err(9, "%s", "PGM Error (VC) ConvertToFileNameString");
        return result;
    });
}

ZU_API int ZU_CALL ZuWGY(const char *command, void *handle) {
    return zu_export([&] { return wgy_convert_file(command, static_cast<wgy_handle *>(handle)); });
}
