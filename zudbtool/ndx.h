// The .NDX index file (dBASE III layout) and its B-tree.
//
// A 512-byte header page followed by 512-byte tree pages; page n lies at
// byte n * 512.  All integers are little-endian.
//
// Header: root page (4), next free page (4), reserved (1), key type letter
// (1), reserved (2), key length (2), keys per page (2), key type (2), entry
// size (2), reserved (3), unique flag (1), key expression (488,
// NUL-terminated).  The key type letter is for other xBase programs, which
// take the key type from it: 'C' character keys, 'F' numeric keys, 0 for
// this engine's integer keys, which no other program reads.  Nothing here
// reads it back, so files without it work all the same.
//
// The key expression names the key's fields separated by ';' (as this
// engine writes it), blanks or '+' (as other xBase programs write it).
//
// Tree page: key count (4), then entries 0 .. k of `entry size` bytes each:
// left child page (4, 0 in a leaf), record number (4, 0 in an inner page),
// key (key length bytes, zero-padded).  Entry k of an inner page holds only
// its rightmost child.  Key i of an inner page is the largest key of the
// subtree under child i.
//
// The handle keeps one page buffer per tree level, so the path from the
// root to the cursor is always in memory.  Every failure is an ISAM report
// and the operation gives up; a damaged file (a page beyond the end of the
// file, a bad key count, a bad key layout, a cycle of child pages) is
// reported IE_READ and never read or written past a buffer.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr unsigned NDX_PAGE = 512;
constexpr unsigned NDX_TYPE_LETTER_OFF = 9;
constexpr unsigned NDX_EXPR_OFF = 24;
constexpr unsigned NDX_EXPR_MAX = NDX_PAGE - NDX_EXPR_OFF;  // with its NUL
constexpr int NDX_KEY_MAX = 252;
// A level's buffer has room beyond the page for the one extra entry a
// full page holds between an insert and its split.
constexpr unsigned NDX_WORK = 2 * NDX_PAGE;

enum : int { NDX_CHAR = 0, NDX_NUMERIC = 1, NDX_INTEGER = 2 };

// The buffer of one tree level.
struct ndx_level {
    unsigned char page[NDX_WORK];
    std::uint32_t pno;  // page held, 0 = none
    int cp;             // cursor entry in the page, -1 before the first
    ndx_level *down;    // the level below
    ndx_level *up;      // the level above
};

struct ndx {
    char path[260];
    zp::fhandle fh;
    unsigned char ihp[NDX_PAGE];  // the header page
    ndx_level *bp;                // the level the cursor is on, null when none
    ndx_level *root;              // the root level
    const unsigned char *keyp;    // the key the cursor is on
    bool changed;                 // header changed since the last flush
    std::uint32_t file_pages;     // pages the file holds (header included)
    std::uint32_t reads;          // pages entered by the operation under way
};

// Header fields.
std::uint32_t ndx_root(const ndx *ip);
std::uint32_t ndx_next_free(const ndx *ip);
int ndx_key_len(const ndx *ip);
int ndx_keys_per_page(const ndx *ip);
int ndx_key_type(const ndx *ip);
int ndx_entry_size(const ndx *ip);
bool ndx_unique(const ndx *ip);
const char *ndx_expr(const ndx *ip);  // the key expression (NUL-terminated in ihp)

// Opens an existing index; null after an ISAM report (IE_NOFILE, IE_READ
// for a short or damaged header).
ndx *ndx_open(const char *path);
// Creates (or opens, keeping its content) an index file with a header of
// zeros, the key expression and the unique flag; the key layout, root and
// page count are set by the builder.  Null after IE_NOFILE.
ndx *ndx_create(const char *path, const char *expr, bool unique);
// Writes the header if it changed and reopens the file; false after a report.
bool ndx_flush(ndx *ip);
// Flushes, closes and releases everything (null is allowed).
void ndx_close(ndx *ip);
// Fills the key type letter and offsets 12-18 of the header: key length,
// keys per page, key type, entry size.  False (nothing changed) for a
// length outside 1-252.
bool ndx_set_key_layout(ndx *ip, int type, int len);

// The given key against the key at the cursor (keyp): -1, 0 or 1.
// Character keys compare over `len` bytes, so a shorter key matches every
// key that begins with it; numeric and integer keys compare by value.
int ndx_compare(const ndx *ip, const void *key, int len);
// Two keys of this index compared in full.
int ndx_compare_keys(const ndx *ip, const void *a, const void *b, int len);

// The record number of the leftmost key equal to the given one, or 0 (the
// cursor then stands at the insertion point).
std::uint32_t ndx_search(ndx *ip, const void *key, int len);
// The number of keys equal to the given one; the cursor ends just after the
// last of them.
unsigned ndx_count_eq(ndx *ip, const void *key, int len);
// First / last key's record number, 0 for an empty index.
std::uint32_t ndx_first(ndx *ip);
std::uint32_t ndx_last(ndx *ip);
// One step of the cursor; 0 at the end (or with no cursor).
std::uint32_t ndx_next(ndx *ip);
std::uint32_t ndx_prev(ndx *ip);

// Inserts a key (key length bytes) with its record number after all equal
// keys.  False after a report (IE_DBLKEY in a unique index that holds the
// key; nothing is changed then).
bool ndx_insert(ndx *ip, const void *key, std::uint32_t rno);
// Removes the entry at the cursor.  False when there is none or after a
// report.  The cursor is gone afterwards: search again before stepping.
bool ndx_delete(ndx *ip);

// The page buffers are written through these (also used by the builder).
bool ndx_write_page(ndx *ip, std::uint32_t pno, const unsigned char *page);
