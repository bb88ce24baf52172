// Formatting and copying into buffers of a fixed size: nothing is written
// past the buffer, and a text that is cut never ends inside a double-byte
// character.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/base.h"

namespace {
// Length of the longest prefix of `s` that is at most `limit` bytes and
// does not end inside a double-byte character.
std::size_t sjis_cut(const char *s, std::size_t limit) {
    std::size_t i = 0;
    while (s[i] && i < limit) {
        std::size_t step = zu_char_len(s + i);
        if (i + step > limit) break;
        i += step;
    }
    return i;
}
}  // namespace

int zu_vformat(char *buf, std::size_t size, const char *format, va_list ap) {
    if (!buf || size == 0) return 0;
    int n = std::vsnprintf(buf, size, format ? format : "", ap);
    if (n < 0) {
        buf[0] = '\0';
        return 0;
    }
    if (static_cast<std::size_t>(n) >= size) {
        std::size_t cut = sjis_cut(buf, size - 1);
        buf[cut] = '\0';
        return static_cast<int>(cut);
    }
    return n;
}

int zu_format(char *buf, std::size_t size, const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    int n = zu_vformat(buf, size, format, ap);
    va_end(ap);
    return n;
}

void zu_copy(char *dst, std::size_t size, const char *src) {
    if (!dst || size == 0) return;
    std::size_t n = sjis_cut(src ? src : "", size - 1);
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

void zu_append(char *dst, std::size_t size, const char *src) {
    if (!dst || size == 0) return;
    std::size_t len = std::strlen(dst);
    if (len + 1 >= size) return;
    zu_copy(dst + len, size - len, src);
}
