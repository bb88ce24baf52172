// The .DBF table file (dBASE III layout): open, create, close, flush, record
// read and write by number, pack, zap and the creation stamp.  Failures are
// ISAM reports (isam.h).
//
// Layout: a 32-byte header, 32-byte field descriptors, the terminator 0x0D,
// then the records back to back (deletion flag byte, then the fields), then
// the end-of-file byte 0x1A.  All integers are little-endian.
#pragma once

#include <cstdint>
#include <cstring>

#include "base/bytes.h"
#include "platform/platform.h"
#include "zudbtool/isam.h"

constexpr unsigned DBF_HEADER = 32;
constexpr unsigned DBF_DESC = 32;

// One field as read from its descriptor.
struct dbf_field {
    unsigned char desc[DBF_DESC];  // the descriptor as in the file
    char name[12];                 // the name, always NUL-terminated
    char type;                     // type letter
    unsigned len;                  // field length
    unsigned char kind;            // record kind (descriptor byte 31)
    unsigned pos;                  // position in rbp (1 + lengths before it)
};

// Field definition for create.
struct dbf_spec {
    char name[11];
    char type;
    std::uint16_t len;
    unsigned char kind;
};

// Reading ahead: reads that go through the records in order (forwards or
// backwards) are served from a window of the file, refilled by one read of
// up to this many bytes; other reads read their record alone.  Only for a
// file that no other process writes while it is open (dbf_read_ahead).
constexpr unsigned DBF_WINDOW = 65536;

// The open table file.
struct dbf {
    char path[260];
    zp::fhandle fh;
    unsigned char dhp[DBF_HEADER];  // header copy
    dbf_field *flp;                 // descriptors
    int nfld;
    unsigned char *rbp;             // record buffer: record length + 1 bytes
    int held;                       // record number held in rbp, 0 = none
    bool changed;                   // header changed since the last flush
    // Reading ahead (null win: off).
    unsigned char *win;             // DBF_WINDOW bytes of the file
    std::uint64_t win_at;           // the file offset of win[0]
    unsigned win_len;               // bytes win holds
    unsigned ahead;                 // bytes of the next refill, 0 after a read out of order
    int last_read;                  // the record read before
    zp::file_id id;                 // the file, whichever handle writes it
    bool id_known;                  // id could be taken
    dbf *next_ahead;                // the next handle of this module that reads ahead
};

// Header fields (read for every record visited: inline).
inline int dbf_n_rec(const dbf *dp) { return static_cast<std::int32_t>(zu_get_le32(dp->dhp + 4)); }
inline void dbf_set_n_rec(dbf *dp, int n) { zu_put_le32(dp->dhp + 4, static_cast<std::uint32_t>(n)); }
inline unsigned dbf_hlen(const dbf *dp) { return zu_get_le16(dp->dhp + 8); }
inline unsigned dbf_rlen(const dbf *dp) { return zu_get_le16(dp->dhp + 10); }
// Offset of record `rno` (1-based) in the file.
inline long long dbf_record_offset(const dbf *dp, long long rno) {
    return static_cast<long long>(dbf_hlen(dp)) + static_cast<long long>(dbf_rlen(dp)) * (rno - 1);
}

dbf *dbf_open(const char *path);
dbf *dbf_create(const char *path, const dbf_spec *specs, int count);
void dbf_close(dbf *dp);
// Writes the header if it changed and pushes the file's data to the disk;
// false after a failed write.
bool dbf_flush(dbf *dp);
// Turns reading ahead on, for a file that no other process writes while it
// is open (a table held under its named mutex).  Every write of this
// module to the file, through any of its handles, goes into the windows
// that hold those bytes; a cut drops them.
void dbf_read_ahead(dbf *dp);
// 0 on success, else the ISAM code reported.
int dbf_read(dbf *dp, int rno);
int dbf_write(dbf *dp, int rno);
// 1 when the record's flag byte is '*', 0 when not, -1 when it could not be read.
int dbf_is_deleted(dbf *dp, int rno);
// Cuts the file after `n` records and sets the count (used by delete and zap).
bool dbf_truncate(dbf *dp, int n);
int dbf_pack(dbf *dp);
int dbf_zap(dbf *dp);

// The creation stamp (bytes 16-21).
bool dbf_is_old_table(const dbf *dp);
// "%Y/%m/%d %H:%M:%S" in a static buffer, or null for an old table.
const char *dbf_create_date(const dbf *dp);
void dbf_set_create_stamp(dbf *dp);

// memcpy (of bytes that do not overlap) for the short copies made for every
// record visited (a record, a field): done inline in blocks of 16 bytes,
// the last block overlapping the one before, so that no library call is
// made for them.
inline void dbf_copy(void *dst, const void *src, std::size_t n) {
    unsigned char *d = static_cast<unsigned char *>(dst);
    const unsigned char *s = static_cast<const unsigned char *>(src);
    if (n >= 16) {
        std::size_t i = 0;
        for (; i + 16 <= n; i += 16) __builtin_memcpy(d + i, s + i, 16);
        if (i < n) __builtin_memcpy(d + n - 16, s + n - 16, 16);
    } else if (n >= 8) {
        __builtin_memcpy(d, s, 8);
        __builtin_memcpy(d + n - 8, s + n - 8, 8);
    } else if (n >= 4) {
        __builtin_memcpy(d, s, 4);
        __builtin_memcpy(d + n - 4, s + n - 4, 4);
    } else {
        for (std::size_t i = 0; i < n; ++i) d[i] = s[i];
    }
}

// Whether the read-ahead window holds the `rlen` bytes at file offset `at`.
inline bool dbf_in_window(const dbf *dp, long long at, unsigned rlen) {
    return dp->win_len && at >= static_cast<long long>(dp->win_at) &&
           at + rlen <= static_cast<long long>(dp->win_at) + dp->win_len;
}
// dbf_read without the copy into rbp for a record the read-ahead window
// holds: gives where the record's bytes lie (the window, or rbp), valid until
// the next call on `dp`; rbp then keeps the record it held.  A record in the
// window (a pass in record order) is taken inline; every other read is
// dbf_read_slow's, which fills rbp.
int dbf_read_slow(dbf *dp, int rno, const unsigned char **bytes);
inline int dbf_read_view(dbf *dp, int rno, const unsigned char **bytes) {
    if (rno > 0 && rno <= dbf_n_rec(dp) && rno != dp->held && dp->win_len) {
        unsigned rlen = dbf_rlen(dp);
        long long at = dbf_record_offset(dp, rno);
        if (dbf_in_window(dp, at, rlen)) {
            dp->last_read = rno;
            *bytes = dp->win + (at - static_cast<long long>(dp->win_at));
            return 0;
        }
    }
    return dbf_read_slow(dp, rno, bytes);
}

// ---- rewriting a whole table ----
// A new, empty table file at `path` with the header and field descriptors
// of `dp` (record count 0), open, read ahead when `dp` is; null after an
// ISAM report.
dbf *dbf_create_like(dbf *dp, const char *path);
// Writes rbp as a new last record; 0 or the ISAM code reported (the count
// then stays as it was).
int dbf_append(dbf *dp);
// Puts the finished work table in the place of `*dpp`: the work file is
// flushed and closed, takes the table's name in one rename, and the table
// is opened again (read ahead when it was).  On failure the table file
// stays and the work file is deleted; false then.  A crash part-way leaves the old table or the new
// one under the table's name (and perhaps the new one under the work name).
bool dbf_replace(dbf **dpp, dbf *work);
// The rename of that replacement, for any finished work file (tables and
// indexes): `work_path` takes the name `path`, replacing the file there in
// one step.  On failure `path` stays, the work file is deleted and IE_WRITE
// is reported; false then.
bool dbf_swap_in(const char *work_path, const char *path);
