// The option state of a conversion and the section machine.
#include <cstring>
#include <string>

#include "base/base.h"
#include "zuwgy/wgy.h"

wgy_options wgy_opt;
wgy_sections wgy_sec;

namespace {
using u16 = std::uint16_t;

bool g_section_ready = false;
u16 g_line_feed[] = {10, 0};
// The start and end texts without their counts and marks.
u16 g_start[8192], g_end[8192];

bool is_blank(u16 c) { return c == ' ' || c == 0x8140 || c == '\t'; }

// The source notation of a compiled text.
std::string notation(const u16 *w) {
    char buf[1024];
    return wsource_text(w, buf, sizeof buf);
}

// Copies a text up to a separator into `out` (bounded by the buffers above);
// the text after the separator, or null.
const u16 *until_separator(const u16 *text, u16 *out) {
    unsigned n = 0;
    for (; text[n] && text[n] != WGY_SEPARATOR && n < 8191; ++n) out[n] = text[n];
    out[n] = 0;
    return text[n] == WGY_SEPARATOR ? text + n + 1 : nullptr;
}

unsigned count_after(const u16 *digits, const char *missing) {
    unsigned n = digits && *digits ? wgy_watoi(digits) : 0;
    if (n == 0) err(9, "%s", missing);
    return n;
}

// Tries a delimiter at the position: 0 matched, 1 no match, WGY_MORE.
int try_delimiter(const u16 *text) {
    if (!text || !*text) return 1;
    int r = WJSTRCMP(wgy_sec.in, text);
    if (r == 2) return WGY_MORE;
    return r == 0 && wj_cap.match_len ? 0 : 1;
}

// Consumes the delimiter just matched and copies or shows it by `option`.
void take_delimiter(const u16 *text, int option) {
    wgy_sec.delimiter = wgy_sec.in;
    wgy_sec.delimiter_len = wj_cap.match_len;
    wgy_sec.in += wj_cap.match_len;
    if (option & 1) wgy_out_text(wgy_sec.delimiter, wgy_sec.delimiter_len);
    if (option & 2) {
        u16 shown[8192];
        u16 *o = wjstrcpy(shown, text, shown + 8191);
        if (o) {
            std::string s(static_cast<std::size_t>(o - shown) * 2 + 1, '\0');
            if (w2sjis(shown, &s[0], static_cast<unsigned>(s.size()))) zu_print("%s", s.c_str());
        }
    }
}

void bump(unsigned *count, const char *overflow) {
    if (*count == ~0u) err(9, "%s", overflow);
    ++*count;
}
}  // namespace

// ---- options -------------------------------------------------------------------

void wavparm(u16 **args) {
    std::memset(&wgy_opt, 0, sizeof wgy_opt);
    for (u16 **p = args; p && *p; ++p) {
        u16 *a = *p;
        if (a[0] == '/') {
            u16 c = a[1];
            if (c >= 'a' && c <= 'z') c = static_cast<u16>(c - 'a' + 'A');
            if (c < 'A' || c > 'Z') {
                err(9, "%s", "オプション文字がアルファベットではありません");
                continue;
            }
            wgy_opt.flag[c - 'A'] = 1;
            wgy_opt.value[c - 'A'] = a[2] ? a + 2 : nullptr;
            continue;
        }
        if (wgy_opt.args >= WGY_ARGS_MAX) {
            err(9, "%s", "\t\t引数の数が，オーバーしました\t\t(wavparm)\n");
            continue;
        }
        if (a[0] == '\\' && a[1] == '/') ++a;
        wgy_opt.arg[wgy_opt.args++] = a;
    }
}

int wstr2wpp(u16 *text, u16 **array, u16 **last) {
    if (!text) {
        err(9, "%s", "ポインタ p_wstr が，NULL です wstr2wpp()\n");
        return 0;
    }
    int n = 0;
    u16 *p = text;
    for (;;) {
        while (is_blank(*p)) ++p;
        if (!*p) break;
        if (array + n >= last) {
            err(9, "%s", " buf over wstr2wpp()\n");
            break;
        }
        array[n++] = p;
        while (*p && !is_blank(*p)) ++p;
        if (!*p) break;
        *p++ = 0;
    }
    array[n] = nullptr;
    return n;
}

unsigned wgy_watoi(const u16 *text) {
    unsigned v = 0;
    for (const u16 *p = text; *p; ++p) {
        if (*p < '0' || *p > '9') {
            zu_print("%s", notation(text).c_str());
            err(9, "%s", " は数字(整数)ではありません watoi() ");
            return 0;
        }
        v = v * 10 + (*p - '0');
    }
    return v;
}

double wavoptdt(char letter, int kind, const u16 *fallback, const char *message, const u16 **text) {
    if (!wgy_has(letter)) {
        err(9, "%s", "プログラムエラ－ wavoptdt()");
        return 0;
    }
    const u16 *v = wgy_value(letter);
    if (!v && message) err(9, "%s", message);
    if (!v) v = fallback;
    if (kind == 1) {
        if (text) *text = v;
        return 0;
    }
    if (kind != 2) {
        err(9, "%s", "ジョブ番号が不正 wavoptdt()");
        return 0;
    }
    if (!v) return 0;
    std::string s;
    for (const u16 *p = v; *p; ++p) {
        if (!((*p >= '0' && *p <= '9') || *p == '-' || *p == '.')) {
            err(9, "%s に数字以外の文字が在ります wavoptdt()", notation(v).c_str());
            return 0;
        }
        s += static_cast<char>(*p);
    }
    return std::strtod(s.c_str(), nullptr);
}

int wgy_section_first() { return wgy_has('K') || wgy_has('P') ? 2 : 3; }

bool wgy_sections_on() {
    int after = wgy_opt.args - 1;  // positional arguments after the program
    if (wgy_has('K')) return after == 3;
    if (wgy_has('P')) return after == 2 || after == 3;
    return after == 3 || after == 4;
}

// ---- sections ---------------------------------------------------------------------

void wgy_section_forget() { g_section_ready = false; }

std::string wgy_section_text(bool report) {
    const wgy_sections &k = wgy_sec;
    std::string s = report ? "\n 区間指定有 " : " 区間指定有 ";
    if (!k.inside) s += " 区間外 ";
    if (k.job == 1) {
        s += report ? "  ジョブ番号 = 1  リセットを行いません " : "  ジョブ番号 = 1  リセットを行いません  ";
        s += notation(k.start) + " ＝＞ " + notation(k.end) + "\n";
        return s;
    }
    s += "  ジョブ番号 = 2 ";
    if (report ? k.reset[0] == 10 : (k.reset[0] == 10 && !k.reset[1]))
        s += report ? "　改行でリセット " : "　改行でリセット  ";
    else
        s += notation(k.reset) + (report ? " でリセット " : " でリセット  ");
    char n[32];
    std::snprintf(n, sizeof n, "(%u) ＝＞ ", k.need_start);
    s += notation(k.start) + n + notation(k.end);
    std::snprintf(n, sizeof n, "(%u)\n", k.need_end);
    return s + n;
}

void wgy_section_setup(bool fresh) {
    wgy_sections &k = wgy_sec;
    k.seen_start = k.seen_end = 0;
    k.counted = nullptr;
    k.event = WGY_EV_NONE;
    if (!fresh && g_section_ready) {
        k.active = 0;
        return;
    }
    int first = wgy_section_first();
    const u16 *start = wgy_opt.arg[first];
    const u16 *end = first + 1 < wgy_opt.args ? wgy_opt.arg[first + 1] : nullptr;
    const u16 *reset = wgy_value('R');
    if (wgy_has('R') && !reset) err(9, "%s", "/R の後に，リセット文字が有りません\n");
    int copy = wgy_has('D') ? 3 : 1;
    if (wgy_has('K')) {
        k.opt_reset = k.opt_start = k.opt_end = 0;
        k.ret_reset = 0;
        k.ret_start = k.ret_end = 1;
    } else if (wgy_has('I')) {
        k.opt_reset = 0, k.opt_start = 3, k.opt_end = 0;
        k.ret_reset = 1, k.ret_start = 0, k.ret_end = 1;
    } else {
        k.opt_reset = k.opt_start = k.opt_end = copy;
        k.ret_reset = k.ret_start = k.ret_end = 0;
    }
    if (!start) {
        err(9, "%s", "(kp->st)NULL POINTER ERR(KUKAN)");
        return;
    }
    k.inside = 1;
    if (start[0] == '!') {
        k.inside = 0;
        ++start;
    } else if (start[0] == '\\' && start[1] == '!') {
        ++start;
    }
    const u16 *start_count = until_separator(start, g_start);
    k.start = g_start;
    k.need_end = 1;
    if (start_count) {
        k.job = 2;
        k.need_start = count_after(start_count, "区間スタート文字の '_' の後に数字がありません\n");
        k.reset = reset ? reset : g_line_feed;
        if (end) {
            const u16 *end_count = until_separator(end, g_end);
            k.end = g_end;
            if (end_count) k.need_end = count_after(end_count, "区間エンド文字の '_' の後に数字がありません\n");
        } else {
            k.end = k.start;
        }
    } else {
        k.job = 1;
        k.need_start = 1;
        k.reset = nullptr;
        bool end_counted = end && until_separator(end, g_end);
        if (end_counted || reset) err(9, "%s", "リセット有なら，区間スタート文字に '_' を付けて下さい\n");
        k.end = end ? g_end : k.start;
    }
    if (wgy_has('I') && !k.inside) err(9, "%s", "区間外変換は，/I オプションでは，使えません\n");
    k.armed = k.reset == g_line_feed;
    k.active = k.inside ? 0 : 1;
    g_section_ready = true;
    std::string banner = wgy_section_text(false);
    zu_print("%s", banner.c_str());
}

int wkukan() {
    wgy_sections &k = wgy_sec;
    if (!g_section_ready) {
        err(9, "%s", "wkukan() において，１回も初期化されていません");
        return 0;
    }
    k.event = WGY_EV_NONE;
    k.counted = nullptr;
    for (;;) {
        if (!*k.in) return 0;
        bool moved = false;
        if (k.job == 2) {
            int r = try_delimiter(k.reset);
            if (r == WGY_MORE) return WGY_MORE;
            if (r == 0) {
                k.seen_start = k.seen_end = 0;
                k.armed = 1;
                k.event = WGY_EV_RESET;
                k.active = k.inside ? 0 : 1;
                take_delimiter(k.reset, k.opt_reset);
                if (k.ret_reset) return *k.in;
                moved = true;
                if (!*k.in) return 0;
            } else if (!k.armed) {
                return *k.in;
            }
        }
        if (k.active != k.inside) {
            int r = try_delimiter(k.start);
            if (r == WGY_MORE) return WGY_MORE;
            if (r == 0) {
                if (k.job == 2) bump(&k.seen_start, "kp->c_st over (kukan.obj)\n");
                if (k.job == 2 && k.seen_start != k.need_start) {
                    k.counted = &k.seen_start;
                    return *k.in;
                }
                k.event = WGY_EV_START;
                k.active = k.inside;
                take_delimiter(k.start, k.opt_start);
                if (k.ret_start) return *k.in;
                moved = true;
                if (!*k.in) return 0;
            }
        }
        if (k.active == k.inside) {
            int r = try_delimiter(k.end);
            if (r == WGY_MORE) return WGY_MORE;
            if (r == 0) {
                if (k.job == 2) bump(&k.seen_end, "kp->c_en over (kukan.obj)\n");
                if (k.job == 2 && k.seen_end != k.need_end) {
                    k.counted = &k.seen_end;
                    return *k.in;
                }
                k.event = WGY_EV_END;
                k.active = k.inside ? 0 : 1;
                take_delimiter(k.end, k.opt_end);
                if (k.ret_end) return *k.in;
                moved = true;
            }
        }
        if (!moved || !*k.in) return *k.in;
    }
}
