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
