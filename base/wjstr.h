// Wildcard matching and character classes.
//
// The wide family works on wide strings (one 16-bit code per character) and
// on patterns compiled into the same form, where a few small codes are marks.
// The byte family works on Shift-JIS byte strings with the one wildcard `?`.
//
// Matching is anchored, greedy and never backtracks; it allocates nothing.
// The capture store, the match context and the byte capture list are single
// process-wide instances: one matching at a time.
#pragma once

#include <cstdint>
#include <cstdio>

// Mark codes of compiled patterns.
enum : std::uint16_t {
    WJ_CLASS = 1,      // [  start of a character class
    WJ_CLASS_END = 2,  // ]  end of a class (source form only)
    WJ_RANGE = 3,      // -  range inside a class
    WJ_NOT = 4,        // ^  negation, first member of a class
    WJ_ANY = 8,        // ?  any one character
    WJ_PLUS = 11,      // +  the element before, one or more times
    WJ_STAR = 14,      // *  the element before, zero or more times
};

constexpr int WJ_WILD_MAX = 510;  // single captures
constexpr int WJ_RUN_MAX = 62;    // runs

// The capture store.
struct WJCAPTURE {
    std::uint16_t count;                   // single captures
    std::uint16_t chars[WJ_WILD_MAX + 1];  // slots 1..510
    std::uint32_t runs;                    // runs
    const std::uint16_t *run_start[WJ_RUN_MAX + 1];  // runs 1..62
    std::uint32_t run_len[WJ_RUN_MAX + 1];
    const std::uint16_t *match_start;      // last successful match
    std::uint32_t match_len;
};

// The match context.
struct WJCONTEXT {
    std::uint16_t *pos;   // text position while matching, output position while substituting
    int literal;          // pattern codes are plain characters
    unsigned consumed;    // characters examined when the text ran out
    int no_term;          // wjstrcpy writes no closing 0
    int fold;             // compare after upper-casing a-z
    int eoi;              // the end of the text is the end of all input
};

extern WJCAPTURE wj_cap;
extern WJCONTEXT wj_ctx;

// 0 matched (ctx->pos is the end of the match), 1 no match, 2 the text
// ended first (ctx->consumed set).
int WJSTRCMP(const std::uint16_t *text, const std::uint16_t *pattern, WJCONTEXT *ctx = &wj_ctx,
             WJCAPTURE *cap = &wj_cap);
// Writes the replacement with the captures substituted; `end` is the last
// code that may be written.  Position after the output (the closing 0 not
// counted), or null when it would pass `end`.
std::uint16_t *wjstrcpy(std::uint16_t *out, const std::uint16_t *replacement, const std::uint16_t *end,
                        WJCONTEXT *ctx = &wj_ctx, const WJCAPTURE *cap = &wj_cap);
// Copies at most count codes, stopping at a 0 code; null when it would pass end.
std::uint16_t *wjstrcpn(const std::uint16_t *src, std::uint16_t *out, const std::uint16_t *end, unsigned count);

// Checks the pattern and compiles its classes in place.
void makcrcs(std::uint16_t *pattern);
// Checks that class starts and ends pair up.
int chkcrcs(const std::uint16_t *pattern);
// 1 when every element is followed by the zero-or-more mark (or the
// pattern is empty), else 0.
int chkcrcs2(const std::uint16_t *pattern);

// Change table: slots of 10 codes; the pattern list ends with a slot whose
// first code is 0.
typedef std::uint16_t WJSLOT[10];
// Rewrites input into output by the table; position after the closing 0, or
// null when a replacement could not be written.  `end` (optional) is the last
// code of the output that may be written.
std::uint16_t *wjstrtbl(WJCONTEXT *ctx, const std::uint16_t *in, std::uint16_t *out, const WJSLOT *patterns,
                        const WJSLOT *replacements, const std::uint16_t *end = nullptr);
// The same, rewriting only outside zones (mode 0 copies zones unchanged) or
// only inside them (mode 1 copies what is outside unchanged).  A zone opens
// at `open` and closes at `close`; both codes are copied unchanged.
std::uint16_t *wjstrtblz(WJCONTEXT *ctx, const std::uint16_t *in, std::uint16_t *out, const WJSLOT *patterns,
                         const WJSLOT *replacements, std::uint16_t open, std::uint16_t close, int mode,
                         const std::uint16_t *end = nullptr);

// 0 when the wide string is a lone line feed, else 1.
int WJSTRcm1(const std::uint16_t *w);
// First position whose code is in the set, or null.
std::uint16_t *wjstrmat(const std::uint16_t *w, const std::uint16_t *set);

// Writes a replacement to standard output with the captures substituted.
void wputs(const std::uint16_t *replacement);
// Writes a compiled pattern in source notation, padded with blanks to width.
// Returns the bytes written.
int wputscc(const std::uint16_t *pattern, FILE *stream, int width);
// The source notation of a compiled pattern into a buffer of size bytes
// (always terminated, cut at a character boundary).  Returns buf.
char *wsource_text(const std::uint16_t *pattern, char *buf, unsigned size);
// Hexadecimal dump of a wide string to standard output.
void wdump(const std::uint16_t *w);

// ---- byte family -------------------------------------------------------

constexpr int ZJ_WILD_MAX = 62;
struct ZJCAPTURE {
    int count;
    struct {
        const char *pos;
        int dbl;  // 1: a double-byte character
    } entry[ZJ_WILD_MAX];
};
extern ZJCAPTURE zj_cap;
extern unsigned zj_examined;  // bytes examined when zjstrcmp ran out of text
extern unsigned zj_matched;   // bytes of text the last match of zjstrcmp covered

// map: optional byte-kind map parallel to text.  0 matched, 1 no match,
// 2 the text ended first.
int zjstrcmp(const unsigned char *map, const char *text, const char *pattern);
// Job 1: first character of text in set; job 2: first not in set; or null.
char *zjstrmat(const char *set, const char *text, int job);
// Replaces every occurrence of pattern by a line feed, in place.
char *zjstrchg(char *str, const char *pattern);
