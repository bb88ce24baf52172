// Parts of the operating-system layer that are the same on every system.
#include "platform/platform.h"

#include "base/codepage.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace zp {

#ifdef ZU_FAULT_INJECTION
namespace {
struct fault_plan {
    int op = -1;
    std::atomic<long> left{0};
    unsigned code = E_IO_DEVICE;
};

// ZU_FAIL=<op>:<n>[:<code>], or ZU_FAIL_WRITE=<n>; read once.
void read_plan(fault_plan &p) {
    static const char *const names[] = {"read", "write", "seek", "open", "flush"};
    const char *v = get_env("ZU_FAIL");
    if (!v) {
        if (const char *w = get_env("ZU_FAIL_WRITE")) {
            p.op = FAULT_WRITE;
            p.left = std::atol(w);
        }
        return;
    }
    const char *colon = std::strchr(v, ':');
    if (!colon) return;
    for (int i = 0; i < 5; ++i)
        if (std::strlen(names[i]) == static_cast<std::size_t>(colon - v) && std::strncmp(v, names[i], colon - v) == 0)
            p.op = i;
    char *end = nullptr;
    p.left = std::strtol(colon + 1, &end, 10);
    if (*end == ':') p.code = static_cast<unsigned>(std::strtoul(end + 1, nullptr, 10));
}
}  // namespace

bool fault(fault_op op) {
    static fault_plan plan;
    static const bool read = (read_plan(plan), true);
    (void)read;
    if (op != plan.op || plan.left.load() <= 0 || plan.left.fetch_sub(1) != 1) return false;
    set_last_error(plan.code);
    return true;
}
#endif

const char *last_separator(const char *path) {
    const char *last = nullptr;
    for (const char *p = path; *p; ++p)
        if (is_separator(*p)) last = p;
    return last;
}

const char *file_name_part(const char *path) {
    const char *last = last_separator(path);
    return last ? last + 1 : path;
}

namespace {
// ASCII letters only: other bytes, and double-byte characters, compare
// exactly, whatever the process locale.
int fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c; }

bool same_char(const char *p, const char *n) {
    // A double-byte character is one character, as the Windows search sees it.
    std::size_t lp = zu_char_len(p), ln = zu_char_len(n);
    if (lp != ln) return false;
    if (lp == 2) return p[0] == n[0] && p[1] == n[1];
    return fold(static_cast<unsigned char>(*p)) == fold(static_cast<unsigned char>(*n));
}

// Matches pattern against name; `*` any run, `?` exactly one character.
// Iterative with one back-up point, so no deep recursion on long names.
bool match(const char *p, const char *n) {
    const char *star_p = nullptr, *star_n = nullptr;
    while (*n) {
        if (*p == '*') {
            while (*p == '*') ++p;
            if (!*p) return true;
            star_p = p;
            star_n = n;
        } else if (*p == '?') {
            ++p;
            n += zu_char_len(n);
        } else if (*p && same_char(p, n)) {
            p += zu_char_len(p);
            n += zu_char_len(n);
        } else if (star_p) {
            p = star_p;
            star_n += zu_char_len(star_n);
            n = star_n;
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
