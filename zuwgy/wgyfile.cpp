// File conversion: one pass over the file for every pattern group, through
// a text window, an output buffer and (insertion mode) a side buffer.
//
// A pass writes a new file beside its input and puts it in the input's
// place only when the pass has finished and applied a pattern; a pass that
// fails leaves the input as it was and removes what it created.
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "base/avparm.h"
#include "base/base.h"
#include "zustd.h"
#include "zuwgy/wgy.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
using u16 = std::uint16_t;

constexpr unsigned READ_BYTES = 8190;  // bytes of one read, the carried text included
constexpr unsigned CARRY_MAX = 8182;   // characters carried into the next window
constexpr unsigned OUT_CODES = 4096;
constexpr unsigned OUT_FLUSH = 4094;
constexpr unsigned SIDE_CODES = 2046;

u16 g_win[CARRY_MAX + READ_BYTES + 4];
u16 g_out[OUT_CODES];
unsigned g_on = 0;
// The output file's bytes gather here (the codes of g_out once encoded, and
// text copied as it was read) and are written in large pieces.
constexpr unsigned WRITE_BYTES = 1u << 16;
char g_bytes[WRITE_BYTES + 2 * OUT_CODES + READ_BYTES + 8];
unsigned g_bn = 0;
u16 g_side[SIDE_CODES];
unsigned g_sn = 0;
zp::fhandle g_out_file = zp::HFILE_ERR;
std::string g_out_name;

bool g_pass = false, g_call = false;
bool g_sections = false, g_display = false;
int g_eoi = 0;
unsigned g_current = 0;                // /Q and /S: the current pattern
unsigned g_column = 0, g_chars = 0;    // /S
const u16 *g_insert = nullptr;         // /S: what follows the character
u16 g_line_feed[] = {10, 0};
wgy_starts g_starts;                   // what can begin a match of the pass's patterns

// The command as wide arguments (the buffer fits the command).
std::vector<u16> g_wide;
std::vector<u16 *> g_args;
std::string g_input, g_patterns, g_o_name, g_c_name;
bool g_o_active = false;

std::string bytes_of(const u16 *w) {
    if (!w) return "";
    unsigned n = 0;
    while (w[n]) ++n;
    std::string s(static_cast<std::size_t>(n) * 2 + 1, '\0');
    if (!w2sjis(w, &s[0], static_cast<unsigned>(s.size()))) return "";
    s.resize(std::strlen(s.c_str()));
    return s;
}

std::string notation(const u16 *w) {
    char buf[1024];
    return w ? wsource_text(w, buf, sizeof buf) : "";
}

// ---- output -----------------------------------------------------------------------

void write_bytes() {
    unsigned n = g_bn;
    g_bn = 0;
    if (n && zp::lwrite(g_out_file, g_bytes, n) != n)
        err(9, "書き込みエラー:'%s' (%s)", g_out_name.c_str(), zu_system_text(zp::last_error()));
}

// Encodes the codes of the output buffer into the output bytes.
void encode_out() {
    if (g_bn + 2 * g_on > WRITE_BYTES) write_bytes();
    char *o = g_bytes + g_bn;
    for (unsigned i = 0; i < g_on; ++i) {
        u16 c = g_out[i];
        if (c == 10 || c == 13) {
            if (c == 10) {
                *o++ = 13;
                *o++ = 10;
            }
            continue;
        }
        // One byte below 256, else two; a single byte's second store is
        // overwritten by the next code.
        unsigned two = (static_cast<unsigned>(c) + 0xFF00u) >> 16;  // c > 255, without a branch
        o[0] = static_cast<char>(c >> (8 * two));
        o[1] = static_cast<char>(c & 0xFF);
        o += 1 + two;
    }
    g_on = 0;
    g_bn = static_cast<unsigned>(o - g_bytes);
}

void flush_out() {
    encode_out();
    if (g_bn >= WRITE_BYTES) write_bytes();
}

// Bytes that go to the output as they are (at most READ_BYTES + 1), after
// the codes before them.
void out_bytes(const unsigned char *from, unsigned count) {
    if (g_on) encode_out();
    if (g_bn + count > WRITE_BYTES) write_bytes();
    std::memcpy(g_bytes + g_bn, from, count);
    g_bn += count;
}

void echo(const u16 *from, unsigned count) {
    if (!g_display || !count) return;
    std::vector<u16> w(from, from + count);
    w.push_back(0);
    zu_print("%s", bytes_of(w.data()).c_str());
}

void out_char(u16 c) {
    g_out[g_on++] = c;
    echo(&c, 1);
    if (g_on >= OUT_FLUSH) flush_out();
}

void out_raw(const u16 *from, unsigned count) {
    if (g_display) {
        for (unsigned i = 0; i < count; ++i) out_char(from[i]);
        return;
    }
    while (count) {
        unsigned n = OUT_FLUSH - g_on < count ? OUT_FLUSH - g_on : count;
        std::memcpy(g_out + g_on, from, n * sizeof(u16));
        g_on += n;
        from += n;
        count -= n;
        if (g_on >= OUT_FLUSH) flush_out();
    }
}

// A replacement with the captures of the last match.
void out_subst(const u16 *replacement) {
    u16 *o = wjstrcpy(g_out + g_on, replacement, g_out + OUT_CODES - 1);
    if (!o) {
        flush_out();
        o = wjstrcpy(g_out + g_on, replacement, g_out + OUT_CODES - 1);
        if (!o) {
            err(9, "%s", "バッファ－より，コピーする文字列の方が大きいですoutbuf()\n");
            return;
        }
    }
    unsigned from = g_on;
    g_on = static_cast<unsigned>(o - g_out);
    echo(g_out + from, g_on - from);
    if (g_on >= OUT_FLUSH) flush_out();
}

void side_raw(const u16 *from, unsigned count, bool match) {
    if (g_sn + count > SIDE_CODES) {
        if (match) err(9, "%s", "bf over /i");
        else err(9, "bf over /i Bf_base = %s\n", notation(g_side).c_str());
        return;
    }
    std::memcpy(g_side + g_sn, from, count * sizeof(u16));
    g_sn += count;
}

void side_flush() {
    out_raw(g_side, g_sn);
    g_sn = 0;
}

// ---- the conversion step ------------------------------------------------------------

// 0 no match (the character stays), 1 applied (p moved), 2 more text needed.
int step(u16 *&p, wgy_record *header, bool to_side) {
    wj_ctx.eoi = g_eoi;
    wgy_record *first = header + 1;
    unsigned count = header->patterns;
    if (wgy_has('S')) {
        if (g_column == 0) g_current = 0;
        const u16 *line_end = wgy_value('S') ? wgy_value('S') : g_line_feed;
        int r = WJSTRCMP(p, line_end);
        if (r == 2) return 2;
        if (r == 0 && wj_cap.match_len) {
            g_chars = g_column = 0;
            out_raw(p, wj_cap.match_len);
            p += wj_cap.match_len;
            g_current = 0;
            g_insert = nullptr;
            return 1;
        }
        ++g_chars;
        g_column += *p >= 256 ? 2 : 1;
        wgy_record *r2 = first + g_current;
        unsigned at = wgy_watoi(r2->source);
        g_insert = nullptr;
        if (at == g_column || (*p >= 256 && at + 1 == g_column)) {
            g_insert = r2->target;
            ++r2->hits;
            g_current = g_current + 1 < count ? g_current + 1 : 0;
        }
        return 0;
    }
    wgy_record *hit = nullptr;
    if (wgy_has('Q')) {
        if (const u16 *q = wgy_value('Q')) {
            int r = WJSTRCMP(p, q);
            if (r == 2) return 2;
            if (r == 0) g_current = 0;
        }
        int r = WJSTRCMP(p, first[g_current].source);
        if (r == 2) return 2;
        if (r == 0 && wj_cap.match_len) hit = first + g_current;
    } else {
        if (!g_starts.may_start(*p)) return 0;
        // The patterns that may begin here, in table order.
        wgy_starts::list own = g_starts.only_with(g_starts.key(*p)), any = g_starts.several();
        while (own.begin != own.end || any.begin != any.end) {
            bool mine = any.begin == any.end || (own.begin != own.end && *own.begin < *any.begin);
            wgy_record *rec = first + (mine ? *own.begin++ : *any.begin++);
            int r = WJSTRCMP(p, rec->source);
            if (r == 2) return 2;
            if (r == 0 && wj_cap.match_len) {
                hit = rec;
                break;
            }
        }
    }
    if (!hit) return 0;
    if (wgy_has('N')) {
        unsigned n = wgy_watoi(hit->target);
        for (unsigned i = 0; i < n; ++i) out_subst(hit->source);
    } else {
        out_subst(hit->target);
    }
    if (to_side) side_raw(p, wj_cap.match_len, true);
    p += wj_cap.match_len;
    ++hit->hits;
    if (wgy_has('Q')) g_current = g_current + 1 < count ? g_current + 1 : 0;
    return 1;
}

// The section step at p; resets the column counters on a section edge.
int section_step(u16 *&p) {
    wgy_sec.in = p;
    int c = wkukan();
    p = wgy_sec.in;
    if ((wgy_sec.event == WGY_EV_START && wgy_sec.inside) || (wgy_sec.event == WGY_EV_END && !wgy_sec.inside))
        g_column = g_chars = 0;
    return c;
}

// A count the section step raised at a position that will be examined again.
void undo_count() {
    if (g_sections && wgy_sec.counted) {
        if (*wgy_sec.counted == 0) err(9, "%s", " プログラムエラー(kkmove)");
        --*wgy_sec.counted;
        wgy_sec.counted = nullptr;
    }
}

// Neither sections, display nor the column and sequential modes.
bool plain_pass() { return !g_sections && !g_display && !wgy_has('S') && !wgy_has('Q'); }

// The loops: the position where more text is needed, or null when the
// window was used up.
u16 *normal_loop(u16 *p, wgy_record *header) {
    // Without sections, display and the column and sequential modes, a run
    // of codes no pattern can begin with goes to the output at once.
    bool runs = plain_pass();
    while (*p) {
        if (runs && !g_starts.may_start(*p)) {
            u16 *q = p + 1;
            while (*q && !g_starts.may_start(*q)) ++q;
            out_raw(p, static_cast<unsigned>(q - p));
            p = q;
            continue;
        }
        if (g_sections) {
            int c = section_step(p);
            if (c == WGY_MORE) return p;
            if (c == 0) return nullptr;
            if (!wgy_sec.active) {
                out_char(*p++);
                continue;
            }
        }
        int r = step(p, header, false);
        if (r == 2) {
            undo_count();
            return p;
        }
        if (r == 1) g_pass = g_call = true;
        else out_char(*p++);
        if (g_insert) {
            out_subst(g_insert);
            g_insert = nullptr;
        }
    }
    return nullptr;
}

u16 *insert_loop(u16 *p, wgy_record *header) {
    while (*p) {
        if (g_sections) {
            int c = section_step(p);
            if (c == WGY_MORE) return p;
            if (wgy_sec.event == WGY_EV_RESET || wgy_sec.event == WGY_EV_END) {
                side_flush();
                out_raw(wgy_sec.delimiter, wgy_sec.delimiter_len);
                continue;
            }
            if (c == 0) return nullptr;
            if (!wgy_sec.active) {
                out_char(*p++);
                continue;
            }
        } else if (*p == 10) {
            side_raw(p++, 1, false);
            side_flush();
            continue;
        }
        int r = step(p, header, true);
        if (r == 2) {
            undo_count();
            return p;
        }
        if (r == 1) g_pass = g_call = true;
        else side_raw(p++, 1, false);
    }
    return nullptr;
}

u16 *extract_loop(u16 *p) {
    bool with_delimiters = wgy_value('K') && (wgy_value('K')[0] | 0x20) == 'a';
    while (*p) {
        int c = section_step(p);
        if (c == WGY_MORE) return p;
        if (with_delimiters && (wgy_sec.event == WGY_EV_START || wgy_sec.event == WGY_EV_END))
            out_subst(wgy_sec.event == WGY_EV_START ? wgy_sec.start : wgy_sec.end);
        if (wgy_sec.event != WGY_EV_NONE) continue;
        if (c == 0) return nullptr;
        if (wgy_sec.active) {
            out_char(*p);
            g_call = true;
        }
        ++p;
    }
    return nullptr;
}

// ---- the reader -----------------------------------------------------------------------

// What a byte of the file is to the reader.
// STOP: a CR, an EOF mark or a zero byte, which the careful path handles.
enum : unsigned char { PLAIN = 0, LEAD = 1, STOP = 2 };
struct byte_kinds {
    unsigned char of[256];
    byte_kinds() {
        for (unsigned b = 0; b < 256; ++b)
            of[b] = zu_lead_byte(static_cast<unsigned char>(b)) ? LEAD : (b == 13 || b == 0x1A || b == 0) ? STOP : PLAIN;
    }
    unsigned char operator[](unsigned char b) const { return of[b]; }
};
const byte_kinds g_kind;

// The bytes of one read, then a 0 byte, and room for the scan below to
// look a few bytes past it.
unsigned char g_read[READ_BYTES + 2 + 16];

// Whether b[end - 1] is a lead byte still waiting for its second byte,
// given that a character begins at b[from]: the bytes after the last byte
// before end that cannot lead a character pair up, so an odd run of lead
// bytes just before end ends in a lone one.
bool odd_lead_run(const unsigned char *b, unsigned from, unsigned end) {
    unsigned j = end;
    while (j > from && zu_lead_byte(b[j - 1])) --j;
    return (end - j) % 2 != 0;
}

// Reads the next bytes after `carried` codes of the window into g_read:
// how many, 0 at the end of the file.
unsigned read_bytes(zp::fhandle in, unsigned carried) {
    unsigned char *bytes = g_read;
    unsigned budget = READ_BYTES - carried;
    unsigned got = zp::lread(in, bytes, budget);
    if (got == static_cast<unsigned>(-1)) {
        err(9, "%s", "ファイル読み込みエラーwjfread()\n");
        return 0;
    }
    if (got == 0) return 0;
    // A double-byte character is never split between two reads: a read that
    // ends in a lone lead byte takes one byte more.
    if (odd_lead_run(bytes, 0, got)) {
        unsigned more = zp::lread(in, bytes + got, 1);
        if (more == static_cast<unsigned>(-1)) err(9, "%s", "err from wjfread()");
        else if (more == 1) ++got;
    }
    bytes[got] = 0;
    return got;
}

// The code of the lead byte at bytes[k]: paired with the next byte that is
// neither a CR nor an EOF mark (those are dropped), or alone when there is
// none before `got` or it is a zero byte.  k ends at the last byte taken.
u16 lead_code(const unsigned char *bytes, unsigned &k, unsigned got) {
    unsigned k2 = k + 1;
    while (k2 < got && (bytes[k2] == 13 || bytes[k2] == 0x1A)) ++k2;
    if (k2 < got && bytes[k2]) {
        u16 c = static_cast<u16>(bytes[k] << 8 | bytes[k2]);
        k = k2;
        return c;
    }
    return bytes[k];
}

// Decodes `got` bytes into codes at w: how many; w ends in a 0 code.
unsigned decode(const unsigned char *bytes, unsigned got, u16 *w, const std::string &name) {
    unsigned n = 0;
    // The kinds first (each byte on its own), then the codes: a single byte,
    // or a pair, with neither a CR, an EOF mark nor a zero byte in it, is
    // worked out without branches (the kinds of text mix at random).  The
    // kind after the read is STOP: a lead byte there stands alone.
    static unsigned char kinds[READ_BYTES + 2];
    for (unsigned k = 0; k < got; ++k) kinds[k] = g_kind[bytes[k]];
    kinds[got] = STOP;
    for (unsigned k = 0; k < got; ++k) {
        unsigned char b = bytes[k];
        unsigned kind = kinds[k], lead = kind & LEAD;
        if (!((kind | ((0u - lead) & kinds[k + 1])) & STOP)) {
            unsigned t = bytes[k + 1];
            w[n++] = static_cast<u16>(b << (8 * lead) | (t & (0u - lead)));
            k += lead;
            continue;
        }
        if (!lead) {
            if (b == 13 || b == 0x1A) continue;
            if (b == 0) err(9, "%s にヌル文字があります wjfread()\n", name.c_str());
            w[n++] = b;
            continue;
        }
        w[n++] = lead_code(bytes, k, got);
    }
    w[n] = 0;
    return n;
}

// ---- copying what no pattern can begin with ----------------------------------------

// In the normal mode without sections, display, /S or /Q, the text a read
// brought is scanned as bytes: characters that cannot begin a match go to
// the output as they were read, and only where one may begin is the text
// decoded (a few characters, more when the matcher asks) and the matcher
// asked.  What the scan does not handle itself (a CR or an EOF mark inside
// a character, a lead byte at the end of the read, a match that needs the
// next read) it leaves to the code window from that character on.  A read
// that has a zero byte does not come here.

// Bytes at which the scan stops: the zero byte after the read, a line feed,
// a CR, an EOF mark, a single byte that may begin a match, a lead byte of a
// double-byte code that may.  A second byte can look like any of them, so
// where the scan stops it first works out whether a character begins there.
unsigned char g_stop[256];

#ifdef __SSE2__
// When the scan stops at only a few byte values, 16 bytes are compared with
// each of them at once.
constexpr unsigned FEW = 8;
__m128i g_few[FEW];
bool g_use_few = false;
#endif

void fast_setup() {
    unsigned values = 0;
    bool leads = false;
    for (unsigned b = 0; b < 256; ++b) {
        bool stop;
        if (zu_lead_byte(static_cast<unsigned char>(b))) {
            stop = g_starts.may_start_with_lead(static_cast<unsigned char>(b));
            leads = leads || stop;
        } else {
            stop = b == 0 || b == 10 || b == 13 || b == 0x1A || g_starts.may_start(static_cast<u16>(b));
        }
        g_stop[b] = stop ? 1 : 0;
        values += stop ? 1 : 0;
    }
#ifdef __SSE2__
    g_use_few = !leads && values <= FEW;
    unsigned n = 0;
    for (unsigned b = 0; b < 256 && g_use_few; ++b)
        if (g_stop[b]) g_few[n++] = _mm_set1_epi8(static_cast<char>(b));
    while (g_use_few && n < FEW) g_few[n++] = g_few[0];  // the zero byte again
#else
    (void)leads;
#endif
}

// The first position from i on where the scan stops (the 0 byte after the
// read stops it).
unsigned scan(const unsigned char *b, unsigned i) {
#ifdef __SSE2__
    if (g_use_few) {
        for (;; i += 16) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + i));
            __m128i m = _mm_or_si128(_mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, g_few[0]), _mm_cmpeq_epi8(x, g_few[1])),
                                                  _mm_or_si128(_mm_cmpeq_epi8(x, g_few[2]), _mm_cmpeq_epi8(x, g_few[3]))),
                                     _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, g_few[4]), _mm_cmpeq_epi8(x, g_few[5])),
                                                  _mm_or_si128(_mm_cmpeq_epi8(x, g_few[6]), _mm_cmpeq_epi8(x, g_few[7]))));
            if (unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m))) return i + static_cast<unsigned>(__builtin_ctz(bits));
        }
    }
#endif
    while (!(g_stop[b[i]] | g_stop[b[i + 1]] | g_stop[b[i + 2]] | g_stop[b[i + 3]] | g_stop[b[i + 4]] |
             g_stop[b[i + 5]] | g_stop[b[i + 6]] | g_stop[b[i + 7]]))
        i += 8;
    while (!g_stop[b[i]]) ++i;
    return i;
}

// Byte position after each code of a piece decoded for the matcher.
unsigned g_after[READ_BYTES + 2];

// Decodes at most `want` codes from the character at i into the window as
// the reader would (0 code after them).  `whole`: the piece reached the end
// of the read.
unsigned decode_piece(const unsigned char *bytes, unsigned i, unsigned got, unsigned want, bool *whole) {
    unsigned n = 0, k = i;
    while (n < want && k < got) {
        unsigned char b = bytes[k];
        if (g_kind[b] == LEAD) {
            // The byte after the read is 0: a lead byte there stands alone.
            g_win[n] = g_kind[bytes[k + 1]] == STOP ? lead_code(bytes, k, got) : static_cast<u16>(b << 8 | bytes[++k]);
        } else if (b == 13 || b == 0x1A) {
            ++k;
            continue;
        } else {
            g_win[n] = b;
        }
        g_after[n++] = ++k;
    }
    g_win[n] = 0;
    *whole = k >= got;
    return n;
}

constexpr unsigned TO_WINDOW = ~0u;

// The character at i may begin a match: the byte position after what the
// step took, or TO_WINDOW when the matcher needs the text of the next read.
unsigned match_at(const unsigned char *bytes, unsigned i, unsigned got, wgy_record *header) {
    for (unsigned want = 4;; want *= 8) {
        bool whole = false;
        decode_piece(bytes, i, got, want, &whole);
        u16 *p = g_win;
        int r = step(p, header, false);
        if (r == 2) {
            if (whole) return TO_WINDOW;
            continue;
        }
        if (r == 1) {
            g_pass = g_call = true;
            return g_after[p - g_win - 1];
        }
        out_char(g_win[0]);
        return g_after[0];
    }
}

// Handles the read in g_read; the position from which the code window
// takes over, or `got` when the whole read was handled.
unsigned copy_read(unsigned got, wgy_record *header) {
    const unsigned char *b = g_read;
    const bool ask_lf = g_starts.may_start(10);
    unsigned run = 0;    // bytes from here on are not yet in the output
    unsigned known = 0;  // a character begins here
    unsigned i = 0;
    for (;;) {
        i = scan(b, i);
        unsigned char c = b[i];
        if (odd_lead_run(b, known, i)) {
            // b[i] is the second byte of the character at i - 1.
            if (i == got || c == 13 || c == 0x1A) {
                out_bytes(b + run, i - 1 - run);
                return i - 1;
            }
            known = ++i;
            continue;
        }
        if (i == got) {
            out_bytes(b + run, i - run);
            return got;
        }
        if (zu_lead_byte(c)) {
            unsigned char t = b[i + 1];
            if (i + 1 == got || t == 13 || t == 0x1A) {
                out_bytes(b + run, i - run);
                return i;
            }
            if (!g_starts.may_start(static_cast<u16>(c << 8 | t))) {
                known = i += 2;
                continue;
            }
        } else if (c == 13 || c == 0x1A || (c == 10 && !ask_lf)) {
            out_bytes(b + run, i - run);
            if (c == 10) out_bytes(reinterpret_cast<const unsigned char *>("\r\n"), 2);
            run = known = ++i;
            continue;
        }
        out_bytes(b + run, i - run);
        unsigned next = match_at(b, i, got, header);
        if (next == TO_WINDOW) return i;
        run = known = i = next;
    }
}

enum mode_t { NORMAL, INSERT, EXTRACT };

u16 *run_loop(mode_t mode, u16 *p, wgy_record *header) {
    switch (mode) {
    case INSERT: return insert_loop(p, header);
    case EXTRACT: return extract_loop(p);
    default: return normal_loop(p, header);
    }
}

// Closes what a pass opened; on failure removes the output it created.
struct pass_files {
    zp::fhandle in = zp::HFILE_ERR;
    bool done = false;
    ~pass_files() {
        if (in != zp::HFILE_ERR) zp::lclose(in);
        if (g_out_file != zp::HFILE_ERR) zp::lclose(g_out_file);
        g_out_file = zp::HFILE_ERR;
        if (!done && !g_out_name.empty() && zu_exist(g_out_name.c_str())) zp::delete_file(g_out_name.c_str());
    }
};

// One pass from `input` to `output`.
void run_pass(mode_t mode, const std::string &input, const std::string &output, wgy_record *header) {
    if (wgy_has('S')) zu_print("%s", " 文字列挿入モード \n");
    wj_ctx.fold = wgy_has('V') ? 1 : 0;
    if (wgy_has('V')) zu_print("%s", " アルファベット大文字小文字同一モード \n");
    wj_ctx.literal = 0;
    wj_ctx.no_term = 0;
    g_display = wgy_has('D');
    g_pass = false;
    g_on = g_sn = g_bn = 0;
    g_current = g_column = g_chars = 0;
    g_insert = nullptr;
    g_eoi = 0;
    if (header && header->patterns > 65535) err(9, "%s", "error chg_gy_init ");
    g_starts.build(header, wj_ctx.fold != 0);

    pass_files files;
    g_out_name.clear();
    files.in = zp::lopen(input.c_str(), zp::OPEN_READWRITE);
    if (files.in == zp::HFILE_ERR) {
        unsigned code = zp::last_error();
        err(9, "'%s' が、オープンできません。(LE)%.4X %s", input.c_str(), code, zu_system_text(code));
        return;
    }
    g_out_file = zp::lcreat(output.c_str());
    if (g_out_file == zp::HFILE_ERR) {
        unsigned code = zp::last_error();
        err(9, "'%s' が、オープンできません。(LE)%.4X %s", output.c_str(), code, zu_system_text(code));
        return;
    }
    g_out_name = output;

    const bool copy = mode == NORMAL && plain_pass() && !g_starts.all;
    if (copy) fast_setup();
    unsigned carried = 0, length = 0;
    while (unsigned got = read_bytes(files.in, carried)) {
        // A read with a zero byte goes to the code window whole: its report
        // comes before anything of the read is converted.
        bool whole = !copy || carried || std::memchr(g_read, 0, got);
        unsigned from = whole ? 0 : copy_read(got, header);
        if (from == got) continue;
        length = carried + decode(g_read + from, got - from, g_win + carried, input);
        u16 *rest = run_loop(mode, g_win, header);
        carried = rest ? static_cast<unsigned>(g_win + length - rest) : 0;
        if (carried > CARRY_MAX) {
            err(9, "比較バッファーオーバー wjfread()\n最大%u文字\n", CARRY_MAX);
            out_raw(rest, carried);  // when the report returned: the text goes on unchanged
            carried = 0;
        }
        if (carried) std::memmove(g_win, rest, carried * sizeof(u16));
        g_win[carried] = 0;
    }
    if (carried && mode != EXTRACT) {
        g_eoi = 1;
        wj_ctx.eoi = 1;
        u16 *rest = run_loop(mode, g_win, header);
        if (rest) out_raw(rest, static_cast<unsigned>(g_win + carried - rest));
        g_eoi = 0;
        wj_ctx.eoi = 0;
    }
    if (mode == INSERT) side_flush();
    flush_out();
    write_bytes();
    zp::lclose(files.in);
    files.in = zp::HFILE_ERR;
    zp::fhandle out = g_out_file;
    g_out_file = zp::HFILE_ERR;
    if (zp::lclose(out) == zp::HFILE_ERR) err(9, "ファイル '%s' が、クローズできません。", output.c_str());
    files.done = true;
}

// Puts `fresh` in the place of `input` by one rename over it: whenever the
// process ends, the input's name holds the old text or the new one, whole.
void okikae(const std::string &fresh, const std::string &input, bool keep_date) {
    bool had = zu_exist(input.c_str()) != 0;
    std::uint64_t written = 0;
    keep_date = keep_date && had && zp::get_file_times(input.c_str(), nullptr, &written);
    if (!zp::replace_file(fresh.c_str(), input.c_str())) {
        unsigned code = zp::last_error();
        err(9, "リネーム出来ません okikae() \"%s\"－＞\"%s\" GetLastError()=%u \"%s\"", fresh.c_str(), input.c_str(),
            code, GetLastError2Message(code));
    }
    bool opened = false;
    if (keep_date && !zp::set_file_write_time(input.c_str(), written, &opened))
        err(9, "日付が設定できません okikae() %s GetLastError()=%u ", input.c_str(), zp::last_error());
}

// ---- the report ------------------------------------------------------------------------

std::string padded(const u16 *w, int width) {
    std::string s = notation(w);
    int columns = static_cast<int>(s.size());
    if (columns < width) s.append(static_cast<std::size_t>(width - columns), ' ');
    return s;
}

void write_report(wgy_record *header, const u16 *input_arg, const u16 *pattern_arg) {
    std::string r;
    char line[256];
    std::time_t now = std::time(nullptr);
    std::tm *t = std::localtime(&now);
    char hms[16], mdy[16];
    std::strftime(hms, sizeof hms, "%H:%M:%S", t);
    std::strftime(mdy, sizeof mdy, "%m/%d/%y", t);
    std::snprintf(line, sizeof line, "\r\n\t\t\t\t文　字　変　換　(TC.EXE)\r\n\r\n 変換終了日時　　　 :　%s  %s \r\n", hms,
                  mdy);
    r += line;
    r += " 被変換ファイル名 　: " + padded(input_arg, 32) + "\r\n";
    r += " パターンファイル名 : " + padded(pattern_arg, 32) + "\r\n";
    std::snprintf(line, sizeof line, " パターン行数 　　　: %u\r\n", header->patterns);
    r += line;
    for (unsigned i = 1; i <= header->patterns; ++i) {
        const wgy_record &p = header[i];
        std::snprintf(line, sizeof line, "%3lu)", static_cast<unsigned long>(i));
        r += line + padded(p.source, 30) + "＝＞" + padded(p.target, 30);
        std::snprintf(line, sizeof line, "%8ld\r\n", static_cast<long>(p.hits));
        r += line;
    }
    if (g_sections) r += wgy_section_text(true);
    if (g_c_name.empty()) {
        zu_print("%s", r.c_str());
        return;
    }
    FILE *f = std::fopen(g_c_name.c_str(), "ab");
    if (!f) {
        err(9, "%s", g_c_name.c_str());
        return;
    }
    std::fwrite(r.data(), 1, r.size(), f);
    std::fclose(f);
}

// ---- the command ---------------------------------------------------------------------------

// Splits the command, parses it into the option state and keeps the names
// it gives as bytes.
void parse_command(const std::string &command) {
    std::memset(&wgy_opt, 0, sizeof wgy_opt);
    g_input.clear();
    std::vector<char> text(command.begin(), command.end());
    text.push_back('\0');
    char **args = str2pp(text.data(), " \t", 0, nullptr);
    if (!args) return;
    struct freer {
        char **a;
        ~freer() { ZUFRE(a); }
    } free_args{args};
    std::size_t count = 0, units = 0;
    for (char **p = args; *p; ++p, ++count) units += std::strlen(*p) + 1;
    g_wide.assign(units + 1, 0);
    g_args.assign(count + 1, nullptr);
    if (!pp2wpp(args, g_args.data(), g_wide.data(), &g_args[count], &g_wide[units]))
        err(9, "%s", "文字列の終わりが，漢字の１バイト目です");
    wavparm(g_args.data());
    // The same arguments as bytes: the input file name.
    std::vector<char> again(command.begin(), command.end());
    again.push_back('\0');
    char **bytes = str2pp(again.data(), " \t", 0, nullptr);
    if (!bytes) return;
    avtable t;
    try {
        avparm(bytes, &t);
    } catch (...) {
        ZUFRE(bytes);
        throw;
    }
    g_input = t.last >= 1 ? t.arg[1] : "";
    ZUFRE(bytes);
    g_patterns = bytes_of(wgy_opt.args > 2 ? wgy_opt.arg[2] : nullptr);
    g_o_name = bytes_of(wgy_value('O'));
    g_c_name = bytes_of(wgy_value('C'));
    g_o_active = wgy_has('O');
}

// The patterns of /P as a pattern text: `/` ends a line, `\/` is a `/`.
std::string option_patterns(const u16 *value) {
    std::string raw = bytes_of(value), text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '/') {
            text += '/';
            ++i;
        } else if (raw[i] == '/') {
            text += '\n';
        } else {
            if (zu_lead_byte(static_cast<unsigned char>(raw[i])) && i + 1 < raw.size()) text += raw[i++];
            text += raw[i];
        }
    }
    if (text.empty() || text.back() != '\n') text += '\n';
    return text;
}

void compile_arguments() {
    for (int i = 0; i < 26; ++i)
        if (wgy_opt.value[i] && !wgy_compile_option(wgy_opt.value[i])) return;
    for (int i = wgy_section_first(); i < wgy_opt.args; ++i)
        if (!wgy_compile_option(wgy_opt.arg[i])) return;
}

std::string temp_beside(const std::string &name) {
    char buf[264] = "";
    maktmpf(name.c_str(), buf, false);
    return buf;
}

// Parses a group's parameter text after the program, input and pattern file.
void parse_parameters(const wgy_record *header, u16 *program, u16 *input, u16 *patterns) {
    static u16 text[8192];
    static u16 *words[WGY_ARGS_MAX + 8];
    unsigned n = 0;
    for (const u16 *p = header->target; p && *p && n < 8191; ++p) text[n++] = *p;
    text[n] = 0;
    u16 **w = words;
    *w++ = program;
    *w++ = input;
    if (patterns) *w++ = patterns;
    wstr2wpp(text, w, words + WGY_ARGS_MAX + 6);
    for (u16 **p = w; *p; ++p) wgy_expand_names(*p);
    wavparm(words);
}

int convert(const char *command, wgy_handle *given) {
    std::string line = "cnv999.exe ";
    line += command ? command : "";
    if (given) line += " OEMDamy.gy";
    parse_command(line);
    if (given && wgy_has('P')) {
        // The patterns of /P replace the handle's: no pattern-file argument,
        // the section texts follow the input.
        line = "cnv999.exe ";
        line += command ? command : "";
        parse_command(line);
    }
    g_call = false;
    wgy_section_forget();

    wgy_handle *own = nullptr;
    struct owner {
        wgy_handle *&h;
        ~owner() { wgy_free(h); }
    } own_guard{own};
    wgy_handle *h = given;
    if (!wgy_has('K')) {
        if (wgy_has('P')) {
            if (!wgy_value('P')) {
                zu_print("%s", "/p 指定なら変換パターンを付けてください\n");
                return 0;
            }
            wgy_handle *loaded = wgy_load_string(option_patterns(wgy_value('P')).c_str(), WGY_OPTION_RECORDS);
            if (!loaded) return 0;
            if (given) {
                std::swap(given->table, loaded->table);
                std::swap(given->text, loaded->text);
                own = loaded;  // the old patterns
            } else {
                own = h = loaded;
            }
        } else if (!h) {
            own = h = wgy_load_file(g_patterns.c_str(), WGY_FILE_RECORDS);
            if (!h) return 0;
        }
    }
    compile_arguments();
    if (wgy_has('O') && !wgy_value('O')) err(9, "%s", "/o 指定なら出力ファイル名を付けてください\n");

    if (wgy_has('K')) {
        if (!wgy_sections_on()) err(9, "%s", "区間抽出なのにﾊﾟﾗﾒｰﾀがおかしいです\n");
        if (wgy_has('C')) err(9, "%s", "区間抽出 （/k オプションのときは，/c オプションは，使えません\n");
        zu_print("%s", " 区間抽出 ");
        g_sections = true;
        wgy_section_setup(true);
        std::string out = g_o_active ? g_o_name : "outf.txt";
        if (g_o_active) zu_print("出力ファイル：%s\n", out.c_str());
        run_pass(EXTRACT, g_input, out, nullptr);
        return g_call;
    }

    std::string input = g_input;
    u16 *program = wgy_opt.arg[0];
    u16 *input_arg = wgy_opt.arg[1];
    u16 *pattern_arg = wgy_has('P') ? nullptr : wgy_opt.arg[2];
    const u16 *report_patterns = pattern_arg;
    static u16 option_name[] = {'/', 'P', 0};
    if (!pattern_arg && !wgy_sections_on()) report_patterns = option_name;
    bool first = true;
    for (wgy_record *g = h->table; wgy_is_header(g) && g->patterns; g = wgy_next_group(g), first = false) {
        if (g->kind == WGY_PARAM || g->kind == WGY_NO_PARAM) {
            zu_print("%s", g->kind == WGY_PARAM ? "\nパラメータ変更\n" : "\nパラメータなし\n");
            parse_parameters(g, program, input_arg, pattern_arg);
        }
        g_sections = wgy_sections_on();
        if (g_sections) wgy_section_setup(first || g->kind != WGY_KEEP);
        if (wgy_has('L')) err(9, "%s", "このプログラムは，現在 /L オプションは，使えません\n");
        if (wgy_has('K')) err(9, "%s", "パターンファイル内で /K の指定は出来ません\n");
        if (wgy_has('I') && g_sections && !wgy_sec.inside)
            err(9, "%s", "区間外変換は，/I オプションでは，使えません\n");
        std::string output;
        bool to_o = g_o_active;
        if (to_o) {
            output = g_o_name;
            zu_print("出力ファイル：%s\n", output.c_str());
        } else {
            output = temp_beside(input);
        }
        run_pass(wgy_has('I') ? INSERT : NORMAL, input, output, g);
        if (to_o) {
            input = g_o_name;
            g_o_active = false;
        } else if (g_pass) {
            okikae(output, input, wgy_has('T'));
        } else {
            zp::delete_file(output.c_str());
        }
        if (wgy_has('C')) write_report(g, input_arg, report_patterns);
    }
    return g_call;
}
}  // namespace

int wgy_convert_file(const char *command, wgy_handle *h) { return convert(command, h) ? 1 : 0; }

void wgy_out_text(const std::uint16_t *from, unsigned count) { out_raw(from, count); }
