// Wildcard matching and character classes: the wide family (compiled
// patterns over wide strings) and the byte family (one wildcard over
// Shift-JIS byte strings).
#include "base/wjstr.h"

#include <cstring>

#include "base/base.h"
#include "base/sjis.h"

WJCAPTURE wj_cap;
WJCONTEXT wj_ctx;
ZJCAPTURE zj_cap;
unsigned zj_examined = 0;
unsigned zj_matched = 0;

namespace {
using u16 = std::uint16_t;

const char WILD_OVER[] =
    "ワイルド文字用のバッファーがオーバーしました\n%d 文字になっています．制限は，%d 文字までです\n"
    "多分，反復文字の使い方に問題があるでしょう\n";
const char RUN_OVER[] = "ワイルド文字用バッファをオーバーしました";
const char RUN_COUNT_CPY[] = "\n * または + の数が，合いません\n%s    wjstrcpy()\n";
const char RUN_COUNT_PUTS[] = "\n * または + の数が，合いません\n%s    wputs()\n";

// The code after the element last compared.
const u16 *g_next = nullptr;
// Set when a capture could not be stored (after a report that returned).
bool g_capture_failed = false;

inline u16 fold(u16 c) { return (c >= 'a' && c <= 'z') ? static_cast<u16>(c - 'a' + 'A') : c; }
inline bool is_repeat(u16 c) { return c == WJ_PLUS || c == WJ_STAR; }

// The code after the element at e: for a class its stored length, never
// beyond the pattern's terminator.
inline const u16 *element_end(const u16 *e, bool literal) {
    if (literal || *e != WJ_CLASS) return e + 1;
    unsigned len = e[1];
    unsigned k = 1;
    while (k < len && e[k]) ++k;
    return e + k;
}

void capture(u16 c, WJCAPTURE *cap) {
    if (cap->count >= WJ_WILD_MAX) {
        g_capture_failed = true;
        err(9, WILD_OVER, cap->count + 1, WJ_WILD_MAX);
        return;
    }
    cap->chars[++cap->count] = c;
}

bool close_run(WJCAPTURE *cap, const u16 *start, unsigned n) {
    if (cap->runs >= static_cast<std::uint32_t>(WJ_RUN_MAX)) {
        err(9, "%s", RUN_OVER);
        return false;
    }
    ++cap->runs;
    cap->run_start[cap->runs] = start;
    cap->run_len[cap->runs] = n;
    return true;
}

// Compares one text character with the element at e; sets g_next.
bool compare(u16 c, const u16 *e, const WJCONTEXT *ctx, WJCAPTURE *cap) {
    bool literal = ctx->literal != 0;
    g_next = element_end(e, literal);
    if (!literal) {
        if (*e == WJ_ANY) {
            if (!is_repeat(*g_next)) capture(c, cap);
            return true;
        }
        if (*e == WJ_CLASS) {
            const u16 *p = e + 2;
            bool negated = false;
            if (p < g_next && *p == WJ_NOT) {
                negated = true;
                ++p;
            }
            u16 x = ctx->fold ? fold(c) : c;
            bool hit = false;
            while (p < g_next && !hit) {
                if (*p == WJ_RANGE && p + 2 < g_next) {
                    u16 lo = p[1], hi = p[2];
                    if (ctx->fold) {
                        lo = fold(lo);
                        hi = fold(hi);
                    }
                    hit = lo <= x && x <= hi;
                    p += 3;
                } else {
                    hit = (ctx->fold ? fold(*p) : *p) == x;
                    ++p;
                }
            }
            if (hit == negated) return false;
            if (!is_repeat(*g_next)) capture(c, cap);
            return true;
        }
    }
    return ctx->fold ? fold(c) == fold(*e) : c == *e;
}

int matched(const u16 *text, const u16 *pos, WJCONTEXT *ctx, WJCAPTURE *cap) {
    cap->match_start = text;
    cap->match_len = static_cast<std::uint32_t>(pos - text);
    ctx->pos = const_cast<u16 *>(pos);
    return 0;
}

// A rendering target: a stream or a bounded buffer.
struct sink {
    FILE *f = nullptr;
    char *buf = nullptr;
    unsigned size = 0;
    unsigned len = 0;  // bytes written (also for a stream)
    bool full = false;

    void byte(char c) {
        if (f) {
            std::fputc(static_cast<unsigned char>(c), f);
            ++len;
        } else if (!full && len + 1 < size) {
            buf[len++] = c;
        } else {
            full = true;
        }
    }
    // A character code: two bytes from 256 up, else one.
    void code(u16 c) {
        if (c >> 8) {
            if (!f && len + 2 >= size) {
                full = true;
                return;
            }
            byte(static_cast<char>(c >> 8));
            byte(static_cast<char>(c & 0xFF));
        } else {
            byte(static_cast<char>(c));
        }
    }
    void finish() {
        if (buf && size) buf[len < size ? len : size - 1] = '\0';
    }
};

// Source notation of a compiled pattern.  With report set, codes 6 and 7
// are a program error (class 100).
void render_source(const u16 *w, sink &s, bool report) {
    for (const u16 *p = w; *p;) {
        u16 c = *p;
        if (c == WJ_CLASS) {
            const u16 *end = element_end(p, false);
            const u16 *m = p + 2;
            s.byte('[');
            if (m < end && *m == WJ_NOT) {
                s.byte('^');
                ++m;
            }
            while (m < end) {
                if (*m == WJ_RANGE && m + 2 < end) {
                    s.code(m[1]);
                    s.byte('-');
                    s.code(m[2]);
                    m += 3;
                } else {
                    u16 x = *m++;
                    if (x == WJ_STAR)
                        s.byte('*');
                    else if (x < 0x20 && x != '\t' && x != '\n')
                        s.byte('.');
                    else
                        s.code(x);
                }
            }
            s.byte(']');
            p = end;
            continue;
        }
        ++p;
        if (c == WJ_ANY) {
            s.byte('?');
        } else if (c == WJ_PLUS) {
            s.byte('+');
        } else if (c == WJ_STAR) {
            s.byte('*');
        } else if ((c == 6 || c == 7) && report) {
            err(100, "%s", "wputscc()");
            return;
        } else if (c < 0x20 && c != '\t' && c != '\n') {
            s.byte('.');
        } else {
            s.code(c);
        }
    }
}

const char *source_of(const u16 *w, char *buf, unsigned size) { return wsource_text(w, buf, size); }

// Writing of a replacement; end null means no end.
u16 *copy_out(u16 *out, const u16 *r, const u16 *end, WJCONTEXT *ctx, const WJCAPTURE *cap, bool no_term) {
    ctx->pos = out;
    unsigned singles = 0;
    std::uint32_t next_run = 1;
    const u16 *start = r;
    for (; *r; ++r) {
        u16 c = *r;
        if (!ctx->literal) {
            if (c == WJ_CLASS) {
                err(9, "%s", "プログラムエラーwjstrcpy()");
                return nullptr;
            }
            if (c == WJ_ANY) {
                if (singles >= cap->count) {
                    char text[600];
                    err(9, "? の数が，合いません\n%s   wjstrcpy()\n", source_of(start, text, sizeof text));
                    return nullptr;
                }
                c = cap->chars[++singles];
            } else if (is_repeat(c)) {
                if (next_run > cap->runs) {
                    char text[600];
                    err(9, RUN_COUNT_CPY, source_of(start, text, sizeof text));
                    return nullptr;
                }
                u16 *q = wjstrcpn(cap->run_start[next_run], out, end, cap->run_len[next_run]);
                ++next_run;
                if (!q) return nullptr;
                out = q;
                ctx->pos = out;
                if (end && out > end) return nullptr;
                continue;
            }
        }
        if (end && out > end) return nullptr;
        *out++ = c;
        ctx->pos = out;
        if (end && out > end) return nullptr;
    }
    if (!no_term) *out = 0;
    return out;
}

u16 *table(WJCONTEXT *ctx, const u16 *in, u16 *out, const WJSLOT *patterns, const WJSLOT *replacements,
           const u16 *end, bool zones, u16 open, u16 close, int mode) {
    bool inside = false;
    while (*in) {
        bool as_is = false;
        if (zones) {
            if (!inside && *in == open) {
                inside = true;
                as_is = true;
            } else if (inside && *in == close) {
                inside = false;
                as_is = true;
            } else if (inside == (mode == 1)) {
                as_is = true;
            }
        }
        if (!as_is) {
            bool done = false;
            for (int k = 0; patterns[k][0]; ++k) {
                if (WJSTRCMP(in, patterns[k], ctx, &wj_cap) != 0 || wj_cap.match_len == 0) continue;
                const u16 *next_in = wj_cap.match_start + wj_cap.match_len;
                int saved = ctx->no_term;
                ctx->no_term = 1;
                u16 *o = copy_out(out, replacements[k], end, ctx, &wj_cap, true);
                ctx->no_term = saved;
                if (!o) return nullptr;
                out = o;
                in = next_in;
                done = true;
                break;
            }
            if (done) continue;
        }
        if (end && out > end) return nullptr;
        *out++ = *in++;
    }
    if (end && out > end) return nullptr;
    *out++ = 0;
    return out;
}
}  // namespace

int WJSTRCMP(const u16 *text, const u16 *pattern, WJCONTEXT *ctx, WJCAPTURE *cap) {
    ctx->pos = const_cast<u16 *>(text);
    const u16 *pos = text;
    const u16 *run_start = text;
    unsigned n = 0;
    cap->count = 0;
    cap->runs = 0;
    g_capture_failed = false;
    if (!pattern || !*pattern) {
        err(9, "%s", "サーチ文字ポインタが，NULL です WJSTRCMP()\n");
        return 1;
    }
    if (!*pos) {
        ctx->consumed = 0;
        return 2;
    }
    const bool literal = ctx->literal != 0;
    const u16 *e = pattern;
    // Leaves the current element, which ends at `mark`: without a character
    // taken it fails (unless it is a star); otherwise its run is closed and
    // the next element begins.  The result when the match ends here, -1 to
    // go on.
    auto leave_element = [&](const u16 *mark) -> int {
        if (n == 0 && !(!literal && *mark == WJ_STAR)) {
            ctx->pos = const_cast<u16 *>(pos);
            return 1;
        }
        if (!close_run(cap, run_start, n)) return 1;
        run_start = pos;
        n = 0;
        e = mark + 1;
        return *e ? -1 : matched(text, pos, ctx, cap);
    };
    for (;;) {
        bool hit = compare(*pos, e, ctx, cap);
        if (g_capture_failed) return 1;
        const u16 *m = g_next;
        bool repeat = !literal && is_repeat(*m);
        if (!hit) {
            int r = leave_element(m);
            if (r >= 0) return r;
            continue;
        }
        ++pos;
        if (repeat) {
            ++n;
        } else {
            run_start = pos;
            e = m;
            if (!*e) return matched(text, pos, ctx, cap);
        }
        if (*pos) continue;
        if (!ctx->eoi) {
            ctx->consumed = static_cast<unsigned>(pos - text);
            ctx->pos = const_cast<u16 *>(pos);
            return 2;
        }
        // End of all input: the rest matches when every element left is
        // optional.
        for (;;) {
            int r = leave_element(element_end(e, literal));
            if (r >= 0) return r;
        }
    }
}

u16 *wjstrcpn(const u16 *src, u16 *out, const u16 *end, unsigned count) {
    for (unsigned i = 0; i < count && src[i]; ++i) {
        if (end && out > end) return nullptr;
        *out++ = src[i];
    }
    return out;
}

u16 *wjstrcpy(u16 *out, const u16 *replacement, const u16 *end, WJCONTEXT *ctx, const WJCAPTURE *cap) {
    if (!end) {
        err(9, "%s", "バッファー MAX が NULL です wjstrcpy\n");
        return nullptr;
    }
    return copy_out(out, replacement, end, ctx, cap, ctx->no_term != 0);
}

int chkcrcs(const u16 *pattern) {
    bool open = false;
    for (const u16 *p = pattern; *p; ++p) {
        if (*p == WJ_CLASS) {
            if (open) {
                wdump(pattern);
                err(9, "%s", "キャラクタクラスの終わりが，ありません chkcrcs()");
                return 1;
            }
            open = true;
        } else if (*p == WJ_CLASS_END) {
            if (!open) {
                wdump(pattern);
                err(9, "%s", "キャラクタクラスの始まりがないのに終わりがあります chkcrcs()");
                return 1;
            }
            open = false;
        }
    }
    if (open) {
        wdump(pattern);
        err(9, "%s", "キャラクタクラスの終わりが，ありません chkcrcs()");
        return 1;
    }
    return 0;
}

int chkcrcs2(const u16 *pattern) {
    const u16 *p = pattern;
    while (*p) {
        const u16 *end = p + 1;
        if (*p == WJ_CLASS) {
            while (*end && *end != WJ_CLASS_END) ++end;
            if (!*end) {
                err(9, "%s", "キャラクタクラスの終わりが，ありません chkcrcs2()");
                return 0;
            }
            ++end;
        }
        if (*end != WJ_STAR) return 0;
        p = end + 1;
    }
    return 1;
}

namespace {
// Checks and compiles the class whose start is at s; returns the code after it.
u16 *compile_class(u16 *s) {
    u16 *e = s + 1;
    while (*e && *e != WJ_CLASS_END && *e != WJ_CLASS) ++e;
    if (*e != WJ_CLASS_END) {
        err(9, "%s", "キャラクタクラスの終わりが，ありません");
        return e;
    }
    u16 *first = s + 1;  // members: first .. e - 1
    if (first == e) {
        err(9, "%s", "キャラクタクラスのスタート文字と，エンド文字の間に文字が在りません\n");
        return e + 1;
    }
    for (u16 *p = first + 1; p < e; ++p)
        if (*p == WJ_NOT) {
            err(9, "キャラクタクラスの先頭以外に，否定文字 '%c' があります\n", '^');
            return e + 1;
        }
    for (u16 *p = first; p < e; ++p)
        if (*p == WJ_PLUS) {
            // Show the members as they stand.
            u16 saved = *e;
            *e = 0;
            int literal = wj_ctx.literal;
            wj_ctx.literal = 1;
            wputs(first);
            wj_ctx.literal = literal;
            *e = saved;
            err(9, "%s", "キャラクタクラスの範囲内に反復文字は使えません\n");
            return e + 1;
        }
    for (u16 *p = first; p < e; ++p)
        if (*p == WJ_ANY) {
            err(9, "%s", "キャラクタクラスの範囲内にワイルド文字は使えません\n");
            return e + 1;
        }
    if (e[-1] == WJ_RANGE) {
        err(9, "%s", "キャラクタクラスの範囲文字の使い方がおかしいです\n範囲文字の右側に文字がありません\n");
        return e + 1;
    }
    if (*first == WJ_RANGE || (*first == WJ_NOT && first + 1 < e && first[1] == WJ_RANGE)) {
        err(9, "%s", "キャラクタクラスの範囲文字の使い方がおかしいです\n範囲文字の左側に文字がありません\n");
        return e + 1;
    }
    u16 *last_range = nullptr;
    for (u16 *p = first; p < e; ++p) {
        if (*p != WJ_RANGE) continue;
        if (last_range && p < last_range + 3) {
            err(9, "%s", "キャラクタクラスの範囲文字どうしの関係がおかしいです\n");
            return e + 1;
        }
        last_range = p;
    }
    // Shift every member one code towards the end, rewriting each range
    // low, 3, high as 3, low, high.
    long w = e - s;      // write index
    long j = w - 1;      // read index; members are 1 .. (e - s) - 1
    while (j >= 1) {
        if (j - 2 >= 1 && s[j - 1] == WJ_RANGE) {
            u16 low = s[j - 2], high = s[j];
            if (high < low) {
                char hi_text[3] = {0}, lo_text[3] = {0};
                sink a, b;
                a.buf = hi_text;
                a.size = sizeof hi_text;
                a.code(high);
                a.finish();
                b.buf = lo_text;
                b.size = sizeof lo_text;
                b.code(low);
                b.finish();
                err(9,
                    "%s(%.4x) より %s(%.4x) の方が文字コードが大きいです\n"
                    "文字の範囲指定は，文字コードの小さいものから大きいものにして下さい\n",
                    hi_text, static_cast<unsigned>(high), lo_text, static_cast<unsigned>(low));
                return e + 1;
            }
            s[w] = high;
            s[w - 1] = low;
            s[w - 2] = WJ_RANGE;
            w -= 3;
            j -= 3;
        } else {
            s[w--] = s[j--];
        }
    }
    s[1] = static_cast<u16>(e - s + 1);
    return e + 1;
}
}  // namespace

void makcrcs(u16 *pattern) {
    if (!pattern) {
        err(9, "%s", "ﾎﾟｲﾝﾀがNULL です{makcrcs()}\n");
        return;
    }
    if (chkcrcs(pattern)) return;
    if (chkcrcs2(pattern)) {
        wdump(pattern);
        err(9, "%s", "ﾊﾟﾀｰﾝが、反復文字（0以上）のみで構成されています\n");
        return;
    }
    for (u16 *p = pattern; *p;) {
        if (*p == WJ_CLASS)
            p = compile_class(p);
        else
            ++p;
    }
}

std::uint16_t *wjstrtbl(WJCONTEXT *ctx, const u16 *in, u16 *out, const WJSLOT *patterns, const WJSLOT *replacements,
                        const u16 *end) {
    return table(ctx, in, out, patterns, replacements, end, false, 0, 0, 0);
}

std::uint16_t *wjstrtblz(WJCONTEXT *ctx, const u16 *in, u16 *out, const WJSLOT *patterns,
                         const WJSLOT *replacements, u16 open, u16 close, int mode, const u16 *end) {
    return table(ctx, in, out, patterns, replacements, end, true, open, close, mode);
}

int WJSTRcm1(const u16 *w) {
    if (!w) {
        err(9, "%s", "PGM Error WJSTRcm1()");
        return 1;
    }
    return (w[0] == 10 && w[1] == 0) ? 0 : 1;
}

u16 *wjstrmat(const u16 *w, const u16 *set) {
    if (!w) {
        err(9, "%s", "NULL ポインタが与えられました wjstrmat()\n");
        return nullptr;
    }
    if (!set || !*set) {
        err(9, "%s", "検索文字列が，NULL です wjstrmat()\n");
        return nullptr;
    }
    for (; *w; ++w)
        for (const u16 *s = set; *s; ++s)
            if (*s == *w) return const_cast<u16 *>(w);
    return nullptr;
}

void wputs(const u16 *r) {
    sink s;
    s.f = stdout;
    unsigned singles = 0;
    std::uint32_t next_run = 1;
    for (const u16 *p = r; *p;) {
        u16 c = *p;
        if (wj_ctx.literal) {
            s.code(c);
            ++p;
            continue;
        }
        if (c == WJ_ANY || c == WJ_CLASS) {
            if (singles < wj_cap.count)
                s.code(wj_cap.chars[++singles]);
            else
                s.byte('?');
            p = element_end(p, false);
            continue;
        }
        ++p;
        if (is_repeat(c)) {
            if (next_run > wj_cap.runs) {
                char text[600];
                std::fflush(stdout);
                err(9, RUN_COUNT_PUTS, source_of(r, text, sizeof text));
                return;
            }
            const u16 *q = wj_cap.run_start[next_run];
            for (std::uint32_t i = 0; i < wj_cap.run_len[next_run] && q[i]; ++i) s.code(q[i]);
            ++next_run;
        } else if ((c >= 1 && c <= 8) || (c >= 11 && c <= 31)) {
            s.byte('.');
        } else {
            s.code(c);
        }
    }
    std::fflush(stdout);
}

int wputscc(const u16 *pattern, FILE *stream, int width) {
    sink s;
    s.f = stream;
    render_source(pattern, s, true);
    int n = static_cast<int>(s.len);
    for (; n < width; ++n) std::fputc(' ', stream);
    return n;
}

char *wsource_text(const u16 *pattern, char *buf, unsigned size) {
    if (!buf || !size) return buf;
    sink s;
    s.buf = buf;
    s.size = size;
    if (pattern) render_source(pattern, s, false);
    s.finish();
    return buf;
}

void wdump(const u16 *w) {
    if (!w) return;
    for (std::size_t i = 0; w[i]; i += 8) {
        std::printf("[%.4X]   ", static_cast<unsigned>(i * 2));
        char text[17];
        unsigned t = 0;
        for (std::size_t j = 0; j < 8 && w[i + j]; ++j) {
            u16 c = w[i + j];
            std::printf("%.4x%c", static_cast<unsigned>(c), j == 3 ? '-' : ' ');
            if (c < 0x20) {
                text[t++] = '\x81';
                text[t++] = '\x40';
            } else if (c >> 8) {
                text[t++] = static_cast<char>(c >> 8);
                text[t++] = static_cast<char>(c & 0xFF);
            } else {
                text[t++] = static_cast<char>(c);
                text[t++] = ' ';
            }
            if (!w[i + j + 1]) {
                text[t] = '\0';
                std::printf(" : %-8s\r\n", text);
                std::fflush(stdout);
                return;
            }
        }
        text[t] = '\0';
        std::printf(" : %-8s\r\n", text);
    }
    std::fflush(stdout);
}

// ---- byte family -------------------------------------------------------

int zjstrcmp(const unsigned char *map, const char *text, const char *pattern) {
    if (!pattern || !*pattern) {
        err(9, "%s", " srがからです zjstrcmp\n");
        return 1;
    }
    zj_cap.count = 0;
    std::size_t t = 0, i = 0;
    bool literal = false;     // the current pattern byte is an escaped `?`
    bool trail = false;       // the current pattern byte is a second byte
    for (;;) {
        unsigned char c = static_cast<unsigned char>(pattern[i]);
        bool wild = c == '?' && !literal;
        if (!wild) {
            if (static_cast<unsigned char>(text[t]) != c) return 1;
        } else {
            if (!text[t]) {
                zj_examined = static_cast<unsigned>(t);
                return 2;
            }
            bool dbl = map ? map[t] == 1 : isnkanji(text, static_cast<int>(t)) == 1;
            if (dbl && !text[t + 1]) dbl = false;  // cut inside a character
            if (zj_cap.count >= ZJ_WILD_MAX) {
                err(31, "%s", " wild1_buf overfrom zjstrcmp\n");
                return 1;
            }
            zj_cap.entry[zj_cap.count].pos = text + t;
            zj_cap.entry[zj_cap.count].dbl = dbl ? 1 : 0;
            ++zj_cap.count;
            if (dbl) ++t;
        }
        ++t;
        bool next_trail = !trail && !wild && !literal && zu_lead_byte(c);
        if (!pattern[i + 1]) {
            zj_matched = static_cast<unsigned>(t);
            return 0;
        }
        if (!text[t]) {
            zj_examined = static_cast<unsigned>(t);
            return 2;
        }
        if (!next_trail && pattern[i + 1] == '\\' && pattern[i + 2] == '?') {
            i += 2;
            literal = true;
            trail = false;
        } else {
            i += 1;
            literal = false;
            trail = next_trail;
        }
    }
}

namespace {
unsigned char *g_zj_work = nullptr;
constexpr unsigned ZJ_WORK = 4096;

bool in_set(const char *set, const char *ch) {
    for (std::size_t k = 0; set[k];) {
        if (zjstrcmp(nullptr, set + k, ch) == 0) return true;
        k += zu_char_len(set + k);
    }
    return false;
}
}  // namespace

char *zjstrmat(const char *set, const char *text, int job) {
    if (!g_zj_work) {
        g_zj_work = static_cast<unsigned char *>(ZUALC(ZJ_WORK));
        if (!g_zj_work) return nullptr;
    }
    if (job != 1 && job != 2) {
        err(9, "%s", "　jobno err (zjstrmat)");
        return nullptr;
    }
    if (!text) return nullptr;
    if (!set) set = "";
    std::size_t len = 0;
    while (len < ZJ_WORK && text[len]) ++len;
    if (len >= ZJ_WORK) {
        err(9, "%s", "配列オーバー (zjstrmat)");
        return nullptr;
    }
    sjis_kind_map(text, g_zj_work);
    const bool has_q = std::strchr(set, '?') != nullptr;
    for (std::size_t i = 0; i < len;) {
        std::size_t clen = (g_zj_work[i] == 1 && i + 1 < len) ? 2 : 1;
        bool found;
        if (text[i] == '?') {
            found = has_q;
        } else {
            char ch[3] = {text[i], clen == 2 ? text[i + 1] : '\0', '\0'};
            found = in_set(set, ch);
        }
        if (found == (job == 1)) return const_cast<char *>(text + i);
        i += clen;
    }
    return nullptr;
}

char *zjstrchg(char *str, const char *pattern) {
    std::size_t i = 0;
    while (str[i]) {
        if (zjstrcmp(nullptr, str + i, pattern) == 0) {
            std::size_t m = zj_matched;
            str[i] = '\n';
            std::memmove(str + i + 1, str + i + m, std::strlen(str + i + m) + 1);
            ++i;
        } else {
            i += zu_char_len(str + i);
        }
    }
    return str;
}
