// Text for the user's terminal.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"

std::string zu_utf8_of(const char *sjis) {
    if (!sjis) return "";
    // A Shift-JIS byte becomes at most three UTF-8 bytes (half-width kana).
    std::vector<char> buf(std::strlen(sjis) * 3 + 1);
    zp::sjis_to_utf8(sjis, buf.data(), buf.size());
    return buf.data();
}

void zu_print(const char *format, ...) {
    va_list ap, again;
    va_start(ap, format);
    va_copy(again, ap);
    int n = std::vsnprintf(nullptr, 0, format, ap);
    va_end(ap);
    std::vector<char> text(n > 0 ? static_cast<std::size_t>(n) + 1 : 1, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    std::fputs(zp::locale_is_utf8() ? zu_utf8_of(text.data()).c_str() : text.data(), stdout);
    std::fflush(stdout);
}
