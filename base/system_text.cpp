// The texts of Windows error codes, as ZUSTD's error channel keeps them for
// the whole process.
#include "base/base.h"
#include "zustd.h"

const char *zu_system_text(unsigned code) {
    return zu_call([&] { return GetLastError2Message(code); });
}

const char *zu_system_text_with_code(unsigned code) {
    return zu_call([&] { return GetLastError2MessageErrorCode(code); });
}
