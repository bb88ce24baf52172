// Parts of the operating-system layer that are the same on every system.
#include "platform/platform.h"

#include <cctype>

namespace zp {

namespace {
int fold(unsigned char c) { return std::toupper(c); }

// Matches pattern against name; `*` any run, `?` exactly one byte.
// Iterative with one back-up point, so no deep recursion on long names.
bool match(const char *p, const char *n) {
    const char *star_p = nullptr, *star_n = nullptr;
    while (*n) {
        if (*p == '*') {
            while (*p == '*') ++p;
            if (!*p) return true;
            star_p = p;
            star_n = n;
        } else if (*p == '?' || (*p && fold(*p) == fold(*n))) {
            ++p;
            ++n;
        } else if (star_p) {
            p = star_p;
            n = ++star_n;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    // "name." matches "name" as on Windows: a trailing dot stands for no
    // extension.
    if (*p == '.' && p[1] == '\0') return true;
    return *p == '\0';
}
}  // namespace

bool wildcard_match(const char *pattern, const char *name) {
    if (pattern[0] == '*' && pattern[1] == '.' && pattern[2] == '*' && pattern[3] == '\0')
        return true;
    if (match(pattern, name)) return true;
    // "*.*"-style patterns also match names without an extension, the way
    // the Windows search treats an implied trailing dot.
    const char *dot = nullptr;
    for (const char *q = name; *q; ++q)
        if (*q == '.') dot = q;
    if (!dot) {
        std::size_t len = 0;
        while (pattern[len]) ++len;
        if (len >= 2 && pattern[len - 1] == '*' && pattern[len - 2] == '.') {
            char buf[512];
            if (len < sizeof buf) {
                for (std::size_t i = 0; i < len - 2; ++i) buf[i] = pattern[i];
                buf[len - 2] = '\0';
                return match(buf, name);
            }
        }
    }
    return false;
}

}  // namespace zp
