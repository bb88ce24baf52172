// The text conversion engine: pattern texts, their compiled form and the
// string conversion.
//
// A pattern text is loaded into a handle: the text as a wide string,
// compiled in place, and a record table whose records point into it.  The
// table is a sequence of groups, each a header record followed by its
// pattern records, and ends with an end record:
//
//   header   source null, target = parameter text (or null), patterns = n, kind 17/18/19
//   pattern  source, target (compiled, zero-terminated in the text), hits
//   end      everything 0
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Group kinds.
enum : std::uint32_t {
    WGY_KEEP = 17,     // keep the current parameters (first group, or {CNT})
    WGY_PARAM = 18,    // the change-pattern line carries a parameter text
    WGY_NO_PARAM = 19, // the change-pattern mark ends its line
};

// Codes that exist only while a text is compiled.
enum : std::uint16_t {
    WGY_SEPARATOR = 6,  // _
    WGY_LINE_END = 7,
    WGY_HEX2 = 17,      // \x
    WGY_HEX4 = 18,      // 0x
    WGY_ESCAPE = 19,    // a single backslash
    WGY_CHANGE = 20,    // {CHGPTN}
    WGY_CONTINUE = 21,  // {CNT}
};

struct wgy_record {
    std::uint16_t *source;   // pattern: compiled source
    std::uint16_t *target;   // pattern: compiled replacement; header: parameter text
    std::uint32_t hits;      // pattern: times applied by the drivers
    std::uint32_t kind;      // header: WGY_KEEP, WGY_PARAM or WGY_NO_PARAM; else 0
    std::uint32_t patterns;  // header: number of pattern records that follow it
};

inline bool wgy_is_header(const wgy_record *r) { return r->kind != 0; }
// The header of the group after the one headed by h (the end record when h
// was the last).
inline const wgy_record *wgy_next_group(const wgy_record *h) { return h + h->patterns + 1; }
inline wgy_record *wgy_next_group(wgy_record *h) { return h + h->patterns + 1; }

// What ZuWGYInit and ZuWGYInitStr return; both owned.
struct wgy_handle {
    wgy_record *table;
    std::uint16_t *text;
};

// Records of the callers that load their own patterns.
constexpr int WGY_FILE_RECORDS = 768;     // a conversion's pattern-file argument
constexpr int WGY_OPTION_RECORDS = 260;   // patterns given with /P
constexpr int WGY_NAME_RECORDS = 50;      // ConvertToFileNameString
constexpr int WGY_MIN_RECORDS = 3;        // a header, a pattern and the end record

// Loads a pattern text (Shift-JIS) or a pattern file into a new handle of
// `capacity` records.  A faulty text is reported; nothing is kept then.
wgy_handle *wgy_load_string(const char *text, int capacity);
wgy_handle *wgy_load_file(const char *name, int capacity);
// Frees the handle and what it owns (null is allowed).
void wgy_free(wgy_handle *h);

// Compiles one option value or section argument in place: escapes,
// wildcards, classes, separators, named characters and hexadecimal values;
// a continuation mark is refused, classes are checked and compiled.  False
// when a report returned (the error routine set not to raise).
bool wgy_compile_option(std::uint16_t *text);
// Expands the named characters (&DA &SP &JSP &TAB) of one argument of a
// parameter text in place.
void wgy_expand_names(std::uint16_t *text);

// Packs text into `units` wide codes (its length plus one); a lone first
// byte at the end stands for itself.
void wgy_to_wide(const char *text, std::uint16_t *out, unsigned units);

// Texts of the string conversion: input and result at most this many bytes.
constexpr unsigned WGY_STR_MAX = 16383;
// Converts text by every group of the handle in turn; the result lives in a
// buffer of the module until the next call.  Null when the text or a
// group's result is longer than WGY_STR_MAX bytes.
const char *wgy_convert_string(wgy_handle *h, const char *text);

// Which codes can begin a match of a group's patterns (table order, for
// the matcher with the case folding given): a position whose code is not
// among them is passed over without asking the matcher.
struct wgy_starts {
    bool all = false;                 // some pattern may begin with any code
    bool fold = false;
    std::vector<std::uint64_t> bits;  // 65536 bits, one per code

    void build(const wgy_record *header, bool fold_case);
    bool may_start(std::uint16_t c) const { return all || (bits[c >> 6] >> (c & 63) & 1); }
    // Some double-byte code with this first byte may begin a match.
    bool may_start_with_lead(unsigned char lead) const {
        const std::uint64_t *w = &bits[static_cast<unsigned>(lead) << 2];  // its 256 codes
        return all || (w[0] | w[1] | w[2] | w[3]) != 0;
    }
    // The code as the first codes are kept.
    std::uint16_t key(std::uint16_t c) const {
        return fold && c >= 'a' && c <= 'z' ? static_cast<std::uint16_t>(c - 'a' + 'A') : c;
    }
    // Pattern numbers in table order: those that begin only with the code
    // whose key is `k`, and those that may begin with several codes.  At a
    // position both lists together, merged, are the patterns to ask.
    struct list {
        const std::uint32_t *begin, *end;
    };
    list only_with(std::uint16_t k) const;
    list several() const { return {order.data(), order.data() + shared}; }

private:
    std::vector<std::uint16_t> keys;   // distinct first codes, ascending
    std::vector<std::uint32_t> from;   // per key: where its patterns begin in order (one more at the end)
    std::vector<std::uint32_t> order;  // pattern numbers: the shared ones first, then those of each key
    std::uint32_t shared = 0;

    void mark(std::uint16_t c);
    void mark_folded(std::uint16_t c);
    bool mark_class(const std::uint16_t *e, const std::uint16_t *end);
    std::uint16_t add(const std::uint16_t *source);
};

// ---- the command text: option state -----------------------------------------

constexpr int WGY_ARGS_MAX = 30;  // positional arguments, the program included

struct wgy_options {
    unsigned char flag[26];        // option given, by letter - 'A'
    std::uint16_t *value[26];      // its value, or null
    std::uint16_t *arg[WGY_ARGS_MAX + 1];  // positional arguments, null after the last
    int args;                      // how many, the program included
};
extern wgy_options wgy_opt;

inline bool wgy_has(char letter) { return wgy_opt.flag[letter - 'A'] != 0; }
inline std::uint16_t *wgy_value(char letter) { return wgy_opt.value[letter - 'A']; }

// Parses null-terminated wide arguments (the program first) into wgy_opt.
void wavparm(std::uint16_t **args);
// Splits a wide string in place at blanks, full-width blanks and tabs into
// `array` (up to and including `last`, then a null entry); the count.
int wstr2wpp(std::uint16_t *text, std::uint16_t **array, std::uint16_t **last);
// An option's value: kind 1 the text (or `fallback`), kind 2 its number
// (as a double); `message` is reported when the value is missing.
double wavoptdt(char letter, int kind, const std::uint16_t *fallback, const char *message,
                const std::uint16_t **text = nullptr);
// The decimal value of a wide text of digits; anything else is written out
// and reported.
unsigned wgy_watoi(const std::uint16_t *text);

// Positional index of the section start text (2 with /K or /P, else 3).
int wgy_section_first();
// Sections are on for the current positional arguments.
bool wgy_sections_on();

// ---- sections ----------------------------------------------------------------

enum { WGY_EV_NONE = 0, WGY_EV_RESET = 1, WGY_EV_START = 2, WGY_EV_END = 3 };
constexpr int WGY_MORE = -1;  // a delimiter ran past the window: more text needed

struct wgy_sections {
    std::uint16_t *in;        // input position
    const std::uint16_t *reset, *start, *end;
    int opt_reset, opt_start, opt_end;   // bit 0 copy to the output, bit 1 to standard output
    int ret_reset, ret_start, ret_end;   // 1: the step ends after that delimiter
    int job;                  // 1 or 2
    int active;               // patterns apply at the position
    int armed;                // job 2: start and end texts are counted
    int event;                // last event of the step
    unsigned need_start, need_end;       // N and M
    unsigned seen_start, seen_end;
    int inside;               // 1 inside sections, 0 outside
    unsigned *counted;        // the count a step raised without moving, or null
    const std::uint16_t *delimiter;      // the delimiter text matched last
    unsigned delimiter_len;
};
extern wgy_sections wgy_sec;

// The output the section machine copies delimiters to (set by the driver).
void wgy_out_text(const std::uint16_t *from, unsigned count);
// Set-up from the option state; `fresh` initialises the machine (and writes
// the section settings), otherwise only its counters are cleared.
void wgy_section_setup(bool fresh);
// The section settings as text (the mode banner and report share it);
// `report` selects the report's spelling.
std::string wgy_section_text(bool report);
// One step at wgy_sec.in: the code there, 0 at the end of the text, or
// WGY_MORE.
int wkukan();
// Forgets the section machine (a new conversion).
void wgy_section_forget();

// ---- the file conversion -----------------------------------------------------

// Runs a command text (with or without a handle): 1 when a pattern was
// applied (extraction: when section text was written), else 0.
int wgy_convert_file(const char *command, wgy_handle *h);
