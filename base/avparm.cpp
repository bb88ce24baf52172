// Byte escapes and the option parser of command lines.
#include "base/avparm.h"

#include <cstring>

#include "base/base.h"

namespace {
inline unsigned char ub(char c) { return static_cast<unsigned char>(c); }

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Escapes, then CR LF and &DA to line feeds.
void decode(char *text) {
    zu_read_escapes(text);
    zjstrchg(text, "\r\n");
    zjstrchg(text, "&DA");
}
}  // namespace

int av_index(int letter) {
    if (letter >= 'a' && letter <= 'z') return letter - 'a';
    if (letter >= 'A' && letter <= 'Z') return letter - 'A';
    return -1;
}

bool zu_hex_code(const char *digits, unsigned count, unsigned *value) {
    unsigned v = 0;
    for (unsigned i = 0; i < count; ++i) {
        int d = hex_value(digits[i]);  // a terminator is not a digit: no reading past it
        if (d < 0) {
            err(9, "\\x または 0x の後のコードが，おかしいので，16 進数変換をしません <%s> a10toi()\n", digits);
            return false;
        }
        v = v * 16 + static_cast<unsigned>(d);
    }
    *value = v;
    return true;
}

char *zu_read_escapes(char *text) {
    if (!text) return text;
    char *r = text, *w = text;
    while (*r) {
        unsigned v;
        if (r[0] == '0' && (r[1] == 'x' || r[1] == 'X')) {
            if (zu_hex_code(r + 2, 4, &v)) {
                *w++ = static_cast<char>(v >> 8);
                *w++ = static_cast<char>(v & 0xFF);
                r += 6;
            } else {
                *w++ = *r++;
                *w++ = *r++;
            }
        } else if (r[0] == '\\' && (r[1] == 'x' || r[1] == 'X')) {
            if (zu_hex_code(r + 2, 2, &v)) {
                *w++ = static_cast<char>(v);
                r += 4;
            } else {
                *w++ = *r++;
                *w++ = *r++;
            }
        } else if ((r[0] == '\\' || zu_lead_byte(ub(r[0]))) && r[1]) {
            // A backslash and what it protects, or a whole double-byte
            // character (whose second byte may be a backslash).
            *w++ = *r++;
            *w++ = *r++;
        } else {
            *w++ = *r++;
        }
    }
    *w = '\0';
    return text;
}

void avparm(char **args, avtable *t, bool program_first) {
    std::memset(t, 0, sizeof *t);
    int n = 0;
    for (char **p = args; p && *p; ++p) {
        char *a = *p;
        if (a[0] == '/' && !(program_first && p == args)) {
            int i = av_index(ub(a[1]));
            ++t->options;
            if (i < 0) {
                err(9, "%s", "オプション文字がアルファベットではありません");
                continue;  // nothing to store it under
            }
            if (a[1] && a[2]) {
                t->value[i] = a + 2;
                decode(t->value[i]);
            }
            t->flag[i] = 1;
            continue;
        }
        if (n >= AV_MAX) {
            err(9, "%s", "\t\t引数の数が，オーバーしました\t\t(avparm)\n");
            continue;  // no entry left
        }
        if (a[0] == '\\' && a[1] == '/') ++a;
        if (n > 0) decode(a);
        t->arg[n] = a;
        t->len[n] = static_cast<unsigned>(std::strlen(a));
        if (++n == AV_MAX - 1) err(9, "%s", "\t\t引数の数が，オーバーしました\t\t(avparm)\n");
    }
    t->last = n - 1;
}
