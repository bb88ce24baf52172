// Japanese text: JIS and Shift-JIS conversion, voicing katakana, Shift-JIS
// aware checks and trimming, and small formatters.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/avparm.h"
#include "base/base.h"
#include "zustd.h"

namespace {

inline unsigned char ub(char c) { return static_cast<unsigned char>(c); }
// Steps over one character: two bytes for a lead byte that is not the last.

const char ESC = '\x1B';

// ---- JIS X 0208 and Shift-JIS ----------------------------------------------

constexpr unsigned JIS_LAST = 0x7424;  // the last code converted to Shift-JIS
// Written for a double-byte character that has no JIS code: the geta mark 〓.
constexpr unsigned char JIS_GETA[2] = {0x22, 0x2E};

bool jis_to_sjis(unsigned char j1, unsigned char j2, unsigned char *s) {
    if (j1 < 0x21 || j1 > 0x7E || j2 < 0x21 || j2 > 0x7E) return false;
    s[0] = static_cast<unsigned char>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
    s[1] = static_cast<unsigned char>(j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E));
    return true;
}

// False for the user-defined and extension rows (lead 0xF0 on).
bool sjis_to_jis(unsigned char s1, unsigned char s2, unsigned char *j) {
    if (!zu_lead_byte(s1) || !zu_trail_byte(s2) || s1 >= 0xF0) return false;
    unsigned row = s1 <= 0x9F ? s1 - 0x70u : s1 - 0xB0u;
    unsigned j1 = row * 2 - 1, j2;
    if (s2 >= 0x9F) {
        ++j1;
        j2 = s2 - 0x7Eu;
    } else {
        j2 = s2 - (s2 >= 0x80 ? 0x20u : 0x1Fu);
    }
    j[0] = static_cast<unsigned char>(j1);
    j[1] = static_cast<unsigned char>(j2);
    return true;
}

constexpr unsigned JIS_INPUT_MAX = 64000;
char g_sjis[JIS_INPUT_MAX];
constexpr unsigned SJIS_RESULT = 1024;
constexpr unsigned SJIS_FULL = 1014;  // an output longer than this is full
char g_jis[SJIS_RESULT];
constexpr unsigned UNITS = 2044 / 2;

// ---- katakana voicing ----------------------------------------------------------

// Three rows of 51 full-width katakana, aligned: plain, voiced, semi-voiced.
// ★ marks a place without a form in that row.
const char Kana_Muddy_Convert_Table[3][103] = {
    "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤイユエヨラリルレロワイウエヲン",
    "★★ヴ★★ガギグゲゴザジズゼゾダヂヅデド★★★★★バビブベボ★★★★★★★★★★★★★★★★★★★★★",
    "★★★★★★★★★★★★★★★★★★★★★★★★★パピプペポ★★★★★★★★★★★★★★★★★★★★★",
};
const char VOICED[] = "\x81\x8D";       // ″
const char SEMI_VOICED[] = "\x81\x8B";   // °
const char NO_FORM[] = "★";
char g_kana[3];

char g_digits[32];

constexpr unsigned CHG_SIZE = 16384;
char g_chg[CHG_SIZE];

// Every match of pattern in text replaced; null after a report when the
// text or the result does not fit.
char *str_chg(const char *text, const char *pattern, const char *replacement) {
    if (!text) return nullptr;
    if (!replacement) replacement = "";
    std::size_t len = std::strlen(text), rlen = std::strlen(replacement), n = 0;
    if (len >= CHG_SIZE) {
        err(9, "buffer full from ZuStrChg() max=%uまでです。", CHG_SIZE - 1);
        return nullptr;
    }
    for (std::size_t i = 0; i < len;) {
        const char *put;
        std::size_t put_len, step;
        if (pattern && *pattern && zjstrcmp(nullptr, text + i, pattern) == 0) {
            put = replacement;
            put_len = rlen;
            step = zj_matched;
        } else {
            put = text + i;
            put_len = step = zu_char_len(text + i);
        }
        if (n + put_len >= CHG_SIZE) {
            err(9, "buffer full from ZuStrChg() max=%uまでです。", CHG_SIZE - 1);
            return nullptr;
        }
        std::memcpy(g_chg + n, put, put_len);
        n += put_len;
        i += step;
    }
    g_chg[n] = '\0';
    return g_chg;
}

// 1-based position of the first match at a character start, or 0.
int str_str(const char *text, const char *pattern) {
    if (!text || !pattern) return 0;
    for (std::size_t i = 0; text[i]; i += zu_char_len(text + i)) {
        int r = zjstrcmp(nullptr, text + i, pattern);
        if (r == 0) return static_cast<int>(i) + 1;
        if (r == 2) return 0;  // the text ran out: no later start can match
    }
    return 0;
}

bool all_bytes(const char *text, bool (*ok)(unsigned char)) {
    if (!text) return false;
    for (; *text; ++text)
        if (!ok(ub(*text))) return false;
    return true;
}
bool ascii_alnum(unsigned char c) { return (c >= '0' && c <= '9') || av_index(c) >= 0; }
bool alpha_str_char(unsigned char c) { return ascii_alnum(c) || (c && std::strchr("- ,./", c)); }
bool path_file_char(unsigned char c) { return ascii_alnum(c) || (c && std::strchr(":\\._-#$%&~@ ", c)); }
bool address_char(unsigned char c) { return (c >= '0' && c <= '9') || c == '-' || c == ' '; }

}  // namespace

ZU_API char *ZU_CALL ZuJis2SJis(const char *jis) {
    return zu_export([&]() -> char * {
        if (!jis) {
            zu_msgbox("PGM ERROR ZuJis2SJis()");
            return nullptr;
        }
        if (!*jis) {
            zu_msgbox("PGM ERROR 4001 ZuJis2SJis()");
            return nullptr;
        }
        std::size_t len = std::strlen(jis);
        if (len >= JIS_INPUT_MAX) {
            err(9, "length over ZuJis2SJis() strlen=%u' ", static_cast<unsigned>(len));
            return nullptr;
        }
        bool dbl = false;
        const char *r = jis;
        char *w = g_sjis;
        for (;;) {
            while (r[0] == ESC) {
                if (r[1] == '$' && (r[2] == 'B' || r[2] == '@'))
                    dbl = true;
                else if (r[1] == '(' && (r[2] == 'J' || r[2] == 'B' || r[2] == 'V'))
                    dbl = false;
                else
                    break;  // not an escape sequence: data
                r += 3;
            }
            if (!*r) break;
            if (!dbl) {
                *w++ = *r++;
                continue;
            }
            unsigned char s[2];
            unsigned char j1 = ub(r[0]), j2 = ub(r[1]);
            if (static_cast<unsigned>(j1 << 8 | j2) <= JIS_LAST && jis_to_sjis(j1, j2, s)) {
                *w++ = static_cast<char>(s[0]);
                *w++ = static_cast<char>(s[1]);
            } else {
                *w++ = '#';
                *w++ = '#';
            }
            r += j2 ? 2 : 1;  // a last lone byte: written as ## in its place
        }
        *w = '\0';
        return g_sjis;
    });
}

ZU_API char *ZU_CALL ZuSJis2Jis(const char *sjis) {
    return zu_export([&]() -> char * {
        if (!sjis) {
            zu_msgbox("PGM ERROR ZuSJis2Jis()");
            return nullptr;
        }
        // A text cut inside a character: packing stops at its last lead
        // byte, so the text is packed without it and the byte goes out alone.
        std::size_t len = std::strlen(sjis), i = 0;
        while (i < len && !(zu_lead_byte(ub(sjis[i])) && !sjis[i + 1])) i += zu_char_len(sjis + i);
        char lone = i < len ? sjis[i] : '\0';
        static char head[2048];
        const char *packed = sjis;
        if (lone) {
            if (i >= sizeof head) i = sizeof head - 1;  // too long anyway: the packing reports it
            std::memcpy(head, sjis, i);
            head[i] = '\0';
            packed = head;
        }
        std::uint16_t units[UNITS];
        if (!sjis2w(packed, units, units + UNITS - 1)) return nullptr;

        unsigned n = 0;
        bool prev_dbl = false;
        auto put = [&](const char *bytes, unsigned count) {
            std::memcpy(g_jis + n, bytes, count);
            n += count;
        };
        auto single = [&](char c) {
            if (prev_dbl) put("\x1B(J", 3);
            prev_dbl = false;
            g_jis[n++] = c;
        };
        for (const std::uint16_t *u = units;; ++u) {
            bool last = !*u;
            if (last && !lone) break;
            unsigned char hi = static_cast<unsigned char>(last ? 0 : *u >> 8);
            unsigned char lo = static_cast<unsigned char>(last ? lone : *u & 0xFF);
            if (zu_lead_byte(hi) && zu_trail_byte(lo)) {
                if (!prev_dbl) put("\x1B$B", 3);
                prev_dbl = true;
                unsigned char j[2];
                if (!sjis_to_jis(hi, lo, j)) std::memcpy(j, JIS_GETA, 2);
                put(reinterpret_cast<const char *>(j), 2);
            } else {
                if (hi) single(static_cast<char>(hi));
                single(static_cast<char>(lo));
            }
            if (n > SJIS_FULL) {
                zu_msgbox("Buffer full ZuSJis2Jis()");
                return nullptr;
            }
            if (last) break;
        }
        if (prev_dbl) put("\x1B(J", 3);
        g_jis[n] = '\0';
        return g_jis;
    });
}

ZU_API const char *ZU_CALL KanaMuddyConvert(const char *kana, const char *mark) {
    return zu_export([&]() -> const char * {
        if (!kana || std::strlen(kana) != 2) {
            err(9, "Kana_Muddy_Convert_Table %s の長さが2バイトではありません。", kana ? kana : "(null)");
            return kana;
        }
        int row = -1;
        std::size_t at = 0;
        for (int r = 0; r < 3 && row < 0; ++r)
            for (at = 0; Kana_Muddy_Convert_Table[r][at]; at += 2)
                if (std::memcmp(Kana_Muddy_Convert_Table[r] + at, kana, 2) == 0) {
                    row = r;
                    break;
                }
        if (row < 0) return kana;
        int target = -1;
        if (mark && std::strncmp(mark, VOICED, 2) == 0)
            target = 1;
        else if (mark && std::strncmp(mark, SEMI_VOICED, 2) == 0)
            target = 2;
        const char *form = kana;
        if (target < 0)
            err(9, "Kana_Muddy_Convert_Table [%s] が見つかりません。", mark ? mark : "(null)");
        else if (std::memcmp(Kana_Muddy_Convert_Table[target] + at, NO_FORM, 2) != 0)
            form = Kana_Muddy_Convert_Table[target] + at;
        std::memcpy(g_kana, form, 2);
        g_kana[2] = '\0';
        return g_kana;
    });
}

ZU_API int ZU_CALL RtvKanjiFlag(const char *text, int position) {
    return zu_export([&] {
        if (!text || position < 1) {
            err(9, "%s", "PGM Error RtvKanjiFlag");
            return 0;
        }
        std::size_t p = static_cast<std::size_t>(position) - 1;
        for (std::size_t i = 0; i <= p; ++i)
            if (!text[i]) return 0;  // at or past the terminator
        std::size_t run = 0;
        for (std::size_t i = p + 1; i > 0 && zu_lead_byte(ub(text[i - 1])); --i) ++run;
        return run % 2 == 1 ? 1 : 0;
    });
}

ZU_API char *ZU_CALL RtvDigitStr(const char *text) {
    return zu_export([&] {
        g_digits[0] = '\0';
        if (!text) return g_digits;
        if (std::strlen(text) >= sizeof g_digits) {
            err(9, "%s", "Error buffer over BUF_MAX_RtvDigitStr");
            return g_digits;
        }
        while (*text && !(*text >= '0' && *text <= '9')) ++text;
        std::size_t n = 0;
        while (text[n] >= '0' && text[n] <= '9') {
            g_digits[n] = text[n];
            ++n;
        }
        g_digits[n] = '\0';
        return g_digits;
    });
}

ZU_API int ZU_CALL ZuIsValidStr(char *text) {
    if (!text) {
        zu_msgbox("PGM ERROR ZuIsValidStr()");
        return 0;
    }
    int valid = 1;
    for (char *p = text; *p;) {
        unsigned char c = ub(*p);
        if (zu_lead_byte(c)) {
            if (zu_trail_byte(ub(p[1]))) {
                p += 2;
                continue;
            }
        } else if ((c >= 0x20 && c <= 0x7E) || (c >= 0xA1 && c <= 0xDF) || c == '\r' || c == '\n' || c == '\t') {
            ++p;
            continue;
        }
        *p++ = '#';
        valid = 0;
    }
    return valid;
}

ZU_API int ZU_CALL ZuIsAlphaChar(char c) { return av_index(ub(c)) >= 0; }

ZU_API int ZU_CALL ZuIsAlphaStr(const char *text) { return all_bytes(text, alpha_str_char); }

ZU_API int ZU_CALL ZuIsPathFileChar(char c) { return path_file_char(ub(c)); }

ZU_API int ZU_CALL ZuIsPathFileStr(const char *text) { return all_bytes(text, path_file_char); }

ZU_API int ZU_CALL ZuIsWAlpha(const char *c) {
    if (!c || !c[0]) return 0;
    static const char BOUNDS[] = "ＡＺａｚ";
    auto code = [](const char *p) { return ub(p[0]) << 8 | ub(p[1]); };
    int v = code(c);
    return (v >= code(BOUNDS) && v <= code(BOUNDS + 2)) || (v >= code(BOUNDS + 4) && v <= code(BOUNDS + 6));
}

ZU_API int ZU_CALL ZuIsAddressStr(const char *text) { return all_bytes(text, address_char); }

ZU_API int ZU_CALL JTrim(char *text, unsigned size) {
    return zu_export([&] { return text ? sjis_rtrim(text, size) : 0; });
}

ZU_API char *ZU_CALL MTrim(char *text) {
    if (!text) return text;
    char *w = text;
    for (const char *r = text; *r; ++r)
        if (*r != ' ' && *r != '\t') *w++ = *r;  // neither is ever a second byte
    *w = '\0';
    return text;
}

ZU_API int ZU_CALL Zip2String(unsigned first, unsigned second, char *out) {
    if (!first || !out) return 0;
    if (second)
        std::sprintf(out, "%.3u-%.2u", first, second);
    else
        std::sprintf(out, "%.3u", first);
    return 1;
}

ZU_API int ZU_CALL Zip2String7(unsigned first, unsigned second, unsigned third, char *out) {
    if (!first || !out) return 0;
    if (third)
        std::sprintf(out, "%.3u-%.2u%.2u", first, second, third);
    else if (second)
        std::sprintf(out, "%.3u-%.2u", first, second);
    else
        std::sprintf(out, "%.3u", first);
    return 1;
}

ZU_API int ZU_CALL Digit2OCRString(int value, char *out) {
    if (!out) return 0;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%ld", static_cast<long>(value));
    char *w = out;
    for (const char *r = digits; *r; ++r) {
        if (w != out) *w++ = ' ';
        *w++ = *r;
    }
    *w = '\0';
    return 0;
}

ZU_API float ZU_CALL AmountRepair(const char *text) {
    return zu_export([&] {
        if (!text) return 0.0f;
        if (std::strlen(text) >= 32) {
            err(9, "%s", "バッファフル AmountRepair()");
            return 0.0f;
        }
        char amount[32];
        zu_copy(amount, sizeof amount, str_chg(text, "\\", ""));
        zu_copy(amount, sizeof amount, str_chg(amount, ",", ""));
        char number[72];
        char *yen = sjis_strstr(amount, "円");
        char *sen = sjis_strstr(amount, "銭");
        if (yen) *yen = '\0';
        if (sen) *sen = '\0';
        if (yen && sen && sen > yen)
            zu_format(number, sizeof number, "%s.%s", amount, yen + 2);
        else if (sen && !yen)
            zu_format(number, sizeof number, "0.%s", amount);  // sen alone
        else
            zu_copy(number, sizeof number, amount);
        return static_cast<float>(std::atof(number));
    });
}

ZU_API unsigned ZU_CALL StrHexToVal(const char *text) {
    return zu_export([&]() -> unsigned {
        unsigned hi, lo;
        if (!text) text = "";
        if (!zu_hex_code(text, 4, &hi) || !zu_hex_code(text + 4, 4, &lo)) return 0;
        return hi << 16 | lo;
    });
}

ZU_API char ZU_CALL ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

ZU_API char ZU_CALL ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

ZU_API unsigned ZU_CALL StrLen(const char *text) { return text ? static_cast<unsigned>(std::strlen(text)) : 0; }

ZU_API int ZU_CALL StrStr(const char *text, const char *pattern) {
    return zu_export([&] { return str_str(text, pattern); });
}

ZU_API char *ZU_CALL ZuStrTok(char *text, const char *delimiters) {
    return delimiters ? std::strtok(text, delimiters) : nullptr;
}

ZU_API char *ZU_CALL ZuStrChg(const char *text, const char *pattern, const char *replacement) {
    return zu_export([&] { return str_chg(text, pattern, replacement); });
}

// The JIS X 0208 to Shift-JIS step for the other converters of ZUSTD
// (zustd/jis.h).
bool zu_jis_to_sjis(unsigned char j1, unsigned char j2, unsigned char *s) { return jis_to_sjis(j1, j2, s); }
