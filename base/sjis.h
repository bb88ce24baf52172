// Shift-JIS helpers: position classification, the wide (packed 16-bit)
// form, upper-casing and trimming, fixed-width numbers, field splitting and
// checked number parsing.
//
// Lead and trail bytes are those of code page 932 whatever the process
// locale: lead 0x81-0x9F and 0xE0-0xFC, trail 0x40-0x7E and 0x80-0xFC.
#pragma once

#include <cstdint>

#include "base/codepage.h"

// 0: single-byte character (or a bad second byte, after a report);
// 1: first byte of a double-byte character; 2: its second byte.
int isnkanji(const char *text, int position);

// Writes one byte per text byte into map: 1 lead byte, 2 the byte that
// follows a lead byte, 0 any other.  No terminator; returns the position
// behind the last entry.
unsigned char *sjis_kind_map(const char *text, unsigned char *map);

// Upper-cases a-z in place, leaving double-byte characters alone.
char *upper_string(char *text);
// flags 1: skip leading blanks (the result points behind them);
// flags 2: cut trailing blanks.  Only 0x20 counts.
char *trim(char *text, unsigned flags);
// Cuts trailing half-width and full-width (0x8140) blanks, looking at most
// at `size` bytes.  1 when a terminator was put, 0 when the end of the last
// other character lies at or beyond `size` (text unchanged).
int sjis_rtrim(char *text, unsigned size);

// Zero-padded (TStr) or blank-padded (TStrB) number text in a static buffer.
const char *TStr(unsigned value, unsigned digits);
const char *TStrB(unsigned value, unsigned digits);

// Packs text into wide units up to and including `last`; returns the unit
// behind the terminator unit, or null when the text ends inside a character.
std::uint16_t *sjis2w(const char *text, std::uint16_t *out, std::uint16_t *last);
// Unpacks a wide string into `size` bytes; out, or null when it does not fit.
char *w2sjis(const std::uint16_t *wide, char *out, unsigned size);
// Packs each text of the null-terminated array one after another into the
// buffer (up to and including last_unit), storing each start into wpp (up to
// and including last_slot) and a closing null slot.  Returns the next free
// unit, or null when a text ends inside a character.
std::uint16_t *pp2wpp(char **texts, std::uint16_t **wpp, std::uint16_t *wbuf, std::uint16_t **last_slot,
                      std::uint16_t *last_unit);

// Splits text at delimiter characters (runs count as one; double quotes
// group).  With a null array a new one is allocated (the caller frees it).
char **str2pp(char *text, const char *delimiters, int capacity, char **array);
// The same into the deliverable's fixed array (capacity fixed by the first call).
char **str2pp_fix(char *text, const char *delimiters, int capacity);
// Splits at every occurrence of a whole separator string; empty fields kept.
char **str2pp_fix2(char *text, const char *separator, int capacity);

// Decimal value of the first `length` characters (at most 15).
int atoin(const char *text, unsigned length);
// Null when the text is a number, else the first offending position.
// flags 1: no decimal point allowed; flags 2: skip leading blanks.
const char *zuisdig(const char *text, unsigned flags);

// First occurrence of `needle` in `text` that starts on a character boundary.
char *sjis_strstr(const char *text, const char *needle);
