// Shift-JIS helpers and string splitting.
#include "base/sjis.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "base/wjstr.h"

namespace {
inline unsigned char ub(char c) { return static_cast<unsigned char>(c); }

char g_tstr[16];
char g_tstr_format[16];

// The deliverable's fixed array of a splitter: made by its first call with
// room for `capacity` fields and the closing null, kept from then on.
struct fixed_array {
    char **slots = nullptr;
    int capacity = 0;
};
fixed_array g_fix;    // str2pp_fix
fixed_array g_fix2;   // str2pp_fix2

bool make_fixed(fixed_array &a, int capacity) {
    if (a.slots) return true;
    int cap = capacity > 0 ? capacity : 0;
    a.slots = static_cast<char **>(ZUALC(static_cast<unsigned>((cap + 1) * sizeof(char *))));
    if (!a.slots) return false;
    a.slots[0] = nullptr;
    a.capacity = cap;
    return true;
}
}  // namespace

int isnkanji(const char *text, int position) {
    if (!text || position < 0) return 0;
    unsigned char c = ub(text[position]);
    if (position > 0 && zu_lead_byte(ub(text[position - 1]))) {
        int run = 0;
        for (int i = position - 1; i >= 0 && zu_lead_byte(ub(text[i])); --i) ++run;
        if (run % 2 == 1) {
            if (zu_trail_byte(c)) return 2;
            err(8, "漢字コードの2バイト目がおかしいです isnkanji() \"%s\" [0x%.2X 0x%.2X]", text,
                static_cast<unsigned>(ub(text[position - 1])), static_cast<unsigned>(c));
            return 0;
        }
    }
    return zu_lead_byte(c) ? 1 : 0;
}

unsigned char *sjis_kind_map(const char *text, unsigned char *map) {
    std::size_t i = 0;
    while (text[i]) {
        if (zu_lead_byte(ub(text[i]))) {
            map[i++] = 1;
            if (!text[i]) break;
            map[i++] = 2;
        } else {
            map[i++] = 0;
        }
    }
    return map + i;
}

char *upper_string(char *text) {
    for (char *p = text; *p; ++p) {
        if (zu_lead_byte(ub(*p))) {
            if (!p[1]) {
                RE("%s", "Program Error upper_string()");
                return text;
            }
            ++p;
        } else if (*p >= 'a' && *p <= 'z') {
            *p = static_cast<char>(*p - 'a' + 'A');
        }
    }
    return text;
}

char *trim(char *text, unsigned flags) {
    if (!text) {
        err(9, "%s", "pgm err trim()\n");
        return text;
    }
    if (flags & 2) {
        std::size_t n = std::strlen(text);
        while (n > 0 && text[n - 1] == ' ') --n;
        text[n] = '\0';
    }
    if (flags & 1)
        while (*text == ' ') ++text;
    return text;
}

int sjis_rtrim(char *text, unsigned size) {
    unsigned i = 0, keep = 0;
    while (i < size && text[i]) {
        unsigned char c = ub(text[i]);
        if (zu_lead_byte(c)) {
            if (i + 1 >= size) {
                // The character does not fit in the size: its end lies beyond.
                keep = size + 1;
                break;
            }
            unsigned char t = ub(text[i + 1]);
            if (!zu_trail_byte(t)) {
                err(9, "文字コードエラー SJISコードではないです。0x%.2X%.2X ", static_cast<unsigned>(c),
                    static_cast<unsigned>(t));
                return 0;
            }
            if (!(c == 0x81 && t == 0x40)) keep = i + 2;
            i += 2;
        } else {
            if (c != ' ') keep = i + 1;
            ++i;
        }
    }
    if (keep >= size) return 0;
    text[keep] = '\0';
    return 1;
}

const char *TStr(unsigned value, unsigned digits) {
    if (digits == 0) {
        std::snprintf(g_tstr, sizeof g_tstr, "%u", value);
    } else {
        std::snprintf(g_tstr_format, sizeof g_tstr_format, "%%.%uu", digits);
        std::snprintf(g_tstr, sizeof g_tstr, g_tstr_format, value);
    }
    return g_tstr;
}

const char *TStrB(unsigned value, unsigned digits) {
    std::snprintf(g_tstr_format, sizeof g_tstr_format, "%%%uu", digits);
    std::snprintf(g_tstr, sizeof g_tstr, g_tstr_format, value);
    return g_tstr;
}

namespace {
// Packs one text; null for a cut character.  Reports an overflow of `last`.
std::uint16_t *pack(const char *text, std::uint16_t *out, std::uint16_t *last) {
    const char *p = text;
    for (;;) {
        std::uint16_t unit;
        if (!*p) {
            unit = 0;
        } else if (zu_lead_byte(ub(*p))) {
            if (!p[1]) return nullptr;
            unit = static_cast<std::uint16_t>(ub(p[0]) << 8 | ub(p[1]));
            p += 2;
        } else {
            unit = ub(*p++);
        }
        if (out > last) {
            err(9, "%s", "バッファーオーバー sjis2w()\n");
            return nullptr;
        }
        *out++ = unit;
        if (!unit) return out;
    }
}
}  // namespace

std::uint16_t *sjis2w(const char *text, std::uint16_t *out, std::uint16_t *last) {
    return pack(text, out, last);
}

char *w2sjis(const std::uint16_t *wide, char *out, unsigned size) {
    if (size < 1) return nullptr;
    unsigned i = 0;
    for (; *wide; ++wide) {
        if (i + 3 > size) return nullptr;
        if (*wide >> 8) {
            out[i++] = static_cast<char>(*wide >> 8);
            out[i++] = static_cast<char>(*wide & 0xFF);
        } else {
            out[i++] = static_cast<char>(*wide);
        }
    }
    out[i] = '\0';
    return out;
}

std::uint16_t *pp2wpp(char **texts, std::uint16_t **wpp, std::uint16_t *wbuf, std::uint16_t **last_slot,
                      std::uint16_t *last_unit) {
    for (; *texts; ++texts) {
        if (wpp > last_slot) {
            err(9, "%s", "ポインタ配列 wpp オーバー pp2wpp()\n");
            return nullptr;
        }
        *wpp++ = wbuf;
        wbuf = pack(*texts, wbuf, last_unit);
        if (!wbuf) return nullptr;
    }
    if (wpp > last_slot) {
        err(9, "%s", "ポインタ配列 wpp オーバー pp2wpp()\n");
        return nullptr;
    }
    *wpp = nullptr;
    return wbuf;
}

namespace {
// One pass of the splitter.  With store null the fields are only counted
// (the text is left as it is).  Returns the field count, or -1 after a
// report that returned.
int split(char *text, const char *delimiters, int capacity, char **store) {
    int count = 0;
    char *p = text;
    for (;;) {
        p = zjstrmat(delimiters, p, 2);
        if (!p) break;
        char *field;
        char *end;
        bool last = false;
        if (*p == '"') {
            field = p + 1;
            end = zjstrmat("\"", field, 1);
            if (!end) {
                err(9, "デリミタエンドがありません。str2pp() 文字列:%s\n", text);
                return -1;
            }
        } else {
            field = p;
            end = zjstrmat(delimiters, field, 1);
            if (!end) last = true;
        }
        if (store) {
            if (count >= capacity) return -1;  // counted before: cannot happen
            store[count] = field;
        }
        ++count;
        if (last) break;
        std::size_t step = zu_char_len(end);
        if (store) *end = '\0';
        p = end + step;
    }
    if (store) store[count] = nullptr;
    return count;
}
}  // namespace

char **str2pp(char *text, const char *delimiters, int capacity, char **array) {
    if (!text) {
        err(9, "%s", "元ポインタが，NULL です str2pp()\n");
        return nullptr;
    }
    if (!*text) {
        err(9, "%s", "空文字列です str2pp()\n");
        return nullptr;
    }
    if (array && capacity <= 0) {
        err(9, "%s", "PGM Error str2pp() :1:\n");
        return nullptr;
    }
    // Count first, without changing the text: a refused text is left whole.
    int n = split(text, delimiters, 0, nullptr);
    if (n < 0) return nullptr;
    if (capacity > 0 && n > capacity) {
        err(9, "%s", "PGM Error str2pp() :2:\n");
        return nullptr;
    }
    if (!array) {
        unsigned bytes = static_cast<unsigned>((n + 1) * sizeof(char *));
        array = static_cast<char **>(ZUALC(bytes));
        if (!array) return nullptr;
    }
    split(text, delimiters, n, array);
    return array;
}

char **str2pp_fix(char *text, const char *delimiters, int capacity) {
    if (!text) {
        err(9, "%s", "元ポインタが，NULL です str2pp_fix()\n");
        return nullptr;
    }
    if (!make_fixed(g_fix, capacity)) return nullptr;
    return str2pp(text, delimiters, g_fix.capacity, g_fix.slots);
}

char *sjis_strstr(const char *text, const char *needle) {
    std::size_t n = std::strlen(needle);
    for (const char *p = text;;) {
        if (std::strncmp(p, needle, n) == 0) return const_cast<char *>(p);
        if (!*p) return nullptr;
        p += zu_char_len(p);
    }
}

char **str2pp_fix2(char *text, const char *separator, int capacity) {
    if (!text) {
        err(9, "%s", "元ポインタが，NULL です str2pp_fix2()\n");
        return nullptr;
    }
    if (!make_fixed(g_fix2, capacity)) return nullptr;
    char **fields = g_fix2.slots;
    int count = 0;
    fields[0] = nullptr;
    std::size_t n = separator ? std::strlen(separator) : 0;
    char *p = text;
    if (n == 0 || std::strncmp(text, separator, n) != 0) {
        if (g_fix2.capacity < 2) {
            err(9, "%s", "memory full str2pp_fix2()\n");
            return fields;
        }
        fields[count++] = text;
    }
    if (n > 0) {
        while (char *q = sjis_strstr(p, separator)) {
            if (count + 1 >= g_fix2.capacity) {
                fields[count] = nullptr;
                err(9, "%s", "memory full str2pp_fix2()\n");
                return fields;
            }
            *q = '\0';
            p = q + n;
            fields[count++] = p;
        }
    }
    fields[count] = nullptr;
    return fields;
}

int atoin(const char *text, unsigned length) {
    if (length > 15) {
        err(9, "%s(%u) 桁数オーバー atoin()", text, length);
        return 0;
    }
    char buf[16];
    unsigned i = 0;
    for (; i < length && text[i]; ++i) buf[i] = text[i];
    buf[i] = '\0';
    long long v = std::strtoll(buf, nullptr, 10);
    if (v >= INT_MAX || v <= INT_MIN) {
        err(9, "%s(%u) オーバーフローエラー atoin()", text, length);
        return v > 0 ? INT_MAX : INT_MIN;
    }
    return static_cast<int>(v);
}

const char *zuisdig(const char *text, unsigned flags) {
    if (!text) {
        err(9, "%s", "パラメータがNULLです。zuisdig();");
        return nullptr;
    }
    if (flags & 2)
        while (*text == ' ') ++text;
    if (*text == '-') ++text;
    for (; *text; ++text) {
        if (*text >= '0' && *text <= '9') continue;
        if (*text == '.' && !(flags & 1)) continue;
        return text;
    }
    return nullptr;
}
