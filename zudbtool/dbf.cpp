// The .DBF table file.
#include "zudbtool/dbf.h"

#include <cstdarg>
#include <climits>
#include <cstring>

#include "base/base.h"
#include "base/bytes.h"
#include "zustd.h"

namespace {

const char UNIT[] = "ZD_Dbf";

bool seek_to(const dbf *dp, long long offset) {
    if (offset < 0 || offset > LONG_MAX) return false;
    return zp::llseek(dp->fh, static_cast<long>(offset), zp::SEEK_FROM_START) == offset;
}

// ---- reading ahead ----------------------------------------------------------------

// The handles of this module that read ahead.
dbf *g_ahead = nullptr;

constexpr unsigned FIRST_REFILL = 8192;

bool same_file(const dbf *a, const dbf *b) {
    return a->id_known && b->id_known && a->id.volume == b->id.volume && a->id.index == b->id.index;
}

void stop_ahead(dbf *dp) {
    if (!dp->win) return;
    for (dbf **p = &g_ahead; *p; p = &(*p)->next_ahead) {
        if (*p == dp) {
            *p = dp->next_ahead;
            break;
        }
    }
    ZUFRE(dp->win);
    dp->win = nullptr;
    dp->win_len = 0;
}

// Bytes written at `offset` through `dp` go into every window of the same
// file that holds them; a file that cannot be told apart empties them all.
// Another handle's record buffer that holds the bytes is read again.
void mirror(const dbf *dp, long long offset, const void *data, unsigned count) {
    for (dbf *q = g_ahead; q; q = q->next_ahead) {
        if (dp->id_known && !same_file(q, dp)) continue;
        if (q != dp && q->held) {
            long long at = dbf_record_offset(q, q->held);
            if (!dp->id_known || (at < offset + count && offset < at + dbf_rlen(q))) q->held = 0;
        }
        if (!q->win_len) continue;
        if (!dp->id_known) {
            q->win_len = 0;
            continue;
        }
        long long from = offset > static_cast<long long>(q->win_at) ? offset : static_cast<long long>(q->win_at);
        long long end = static_cast<long long>(q->win_at) + q->win_len;
        long long to = offset + count < end ? offset + count : end;
        if (from < to)
            std::memcpy(q->win + (from - static_cast<long long>(q->win_at)),
                        static_cast<const unsigned char *>(data) + (from - offset), static_cast<std::size_t>(to - from));
    }
}

// After the file was cut: no window of it holds bytes any longer.
void drop_windows(const dbf *dp) {
    for (dbf *q = g_ahead; q; q = q->next_ahead)
        if (q == dp || !dp->id_known || same_file(q, dp)) q->win_len = 0;
}

// Reads record `rno` (at byte `at`) into rbp through the window: a record
// the window lacks is read alone when the reads are out of order, else the
// window is refilled from it onwards (backwards: up to its end), each refill
// of a run twice the one before, up to DBF_WINDOW, never past the last record.
// Gives where the bytes lie (the window, or rbp), null when they could not
// be read.
const unsigned char *read_windowed(dbf *dp, int rno, long long at, unsigned rlen) {
    int before = dp->last_read;
    dp->last_read = rno;
    if (!dbf_in_window(dp, at, rlen)) {
        if (rno != before + 1 && rno != before - 1) {
            dp->ahead = 0;
            return zp::read_at(dp->fh, static_cast<std::uint64_t>(at), dp->rbp, rlen) == rlen ? dp->rbp : nullptr;
        }
        dp->ahead = dp->ahead ? (dp->ahead < DBF_WINDOW / 2 ? dp->ahead * 2 : DBF_WINDOW) : FIRST_REFILL;
        long long size = dp->ahead > rlen ? dp->ahead : rlen;
        long long first = dbf_record_offset(dp, 1);
        long long end = dbf_record_offset(dp, static_cast<long long>(dbf_n_rec(dp)) + 1);
        long long from = at, to = at + size;
        if (rno == before - 1) {
            to = at + rlen;
            from = to - size;
        }
        if (from < first) from = first;
        if (to > end) to = end;
        dp->win_len = 0;
        unsigned got = zp::read_at(dp->fh, static_cast<std::uint64_t>(from), dp->win, static_cast<unsigned>(to - from));
        if (got == static_cast<unsigned>(-1)) return nullptr;
        dp->win_at = static_cast<std::uint64_t>(from);
        dp->win_len = got;
        if (!dbf_in_window(dp, at, rlen)) return nullptr;
    }
    const unsigned char *bytes = dp->win + (at - static_cast<long long>(dp->win_at));
    std::memcpy(dp->rbp, bytes, rlen);
    return bytes;
}

// ---- handles ------------------------------------------------------------------

bool write_at(const dbf *dp, long long offset, const void *data, unsigned count) {
    if (!seek_to(dp, offset) || zp::lwrite(dp->fh, data, count) != count) return false;
    if (g_ahead) mirror(dp, offset, data, count);
    return true;
}

void release(dbf *dp) {
    if (!dp) return;
    stop_ahead(dp);
    if (dp->fh != zp::HFILE_ERR) zp::lclose(dp->fh);
    if (dp->flp) ZUFRE(dp->flp);
    if (dp->rbp) ZUFRE(dp->rbp);
    ZUFRE(dp);
}

dbf *new_handle(const char *path) {
    dbf *dp = static_cast<dbf *>(ZUALC(sizeof(dbf)));
    std::memset(dp, 0, sizeof *dp);
    dp->fh = zp::HFILE_ERR;
    zu_copy(dp->path, sizeof dp->path, path);
    return dp;
}

// Makes rbp and sets each field's position in it.
void place_fields(dbf *dp) {
    unsigned rlen = dbf_rlen(dp);
    dp->rbp = static_cast<unsigned char *>(ZUALC(rlen + 1));
    std::memset(dp->rbp, ' ', rlen);
    dp->rbp[rlen] = '\0';
    unsigned pos = 1;
    for (int i = 0; i < dp->nfld; ++i) {
        dp->flp[i].pos = pos;
        pos += dp->flp[i].len;
    }
}

void fill_field(dbf_field *f) {
    std::memcpy(f->name, f->desc, 11);
    f->name[11] = '\0';
    f->type = static_cast<char>(f->desc[11]);
    f->len = zu_get_le16(f->desc + 16);
    f->kind = f->desc[31];
}

// Why the system refused a file call, beside the ISAM report.
void log_system_error(const char *site, const char *path) {
    unsigned code = zp::last_error();
    const char *text = zu_system_text_with_code(code);
    write_error_log("%s %s '%s' %s\r\n", now_string(), site, path, text ? text : "");
}

// A damaged or foreign header: one line naming what is wrong, then the ISAM report.
dbf *refuse(dbf *dp, unsigned line, const char *format, ...) __attribute__((format(printf, 3, 4)));
dbf *refuse(dbf *dp, unsigned line, const char *format, ...) {
    char reason[512];
    va_list ap;
    va_start(ap, format);
    zu_vformat(reason, sizeof reason, format, ap);
    va_end(ap);
    write_error_log("%s dbf_open() '%s' %s\r\n", now_string(), dp->path, reason);
    ZU_DB_ERR_AT(IE_READ, UNIT, line);
    release(dp);
    return nullptr;
}

}  // namespace

dbf *dbf_open(const char *path) {
    dbf *dp = new_handle(path);
    dp->fh = zp::lopen(path, zp::OPEN_READWRITE);
    if (dp->fh == zp::HFILE_ERR) {
        log_system_error("dbf_open()", dp->path);
        ZU_DB_ERR(IE_NOFILE, UNIT);
        release(dp);
        return nullptr;
    }
    dp->id_known = zp::identify_file(dp->fh, &dp->id);
    std::uint64_t size = 0;
    if (!zp::handle_size(dp->fh, &size) || zp::lread(dp->fh, dp->dhp, DBF_HEADER) != DBF_HEADER) {
        ZU_DB_ERR(IE_READ, UNIT);
        release(dp);
        return nullptr;
    }
    // Header and record length are signed 16-bit in the layout.
    int hlen = static_cast<std::int16_t>(zu_get_le16(dp->dhp + 8));
    int rlen = static_cast<std::int16_t>(zu_get_le16(dp->dhp + 10));
    if (hlen < static_cast<int>(DBF_HEADER + 1))
        return refuse(dp, __LINE__, "ヘッダ長(%d)が不正です", hlen);
    if (size < static_cast<std::uint64_t>(hlen))
        return refuse(dp, __LINE__, "ファイル長(%lu)がヘッダ長(%d)より短いです", static_cast<unsigned long>(size),
                      hlen);
    int claimed = (hlen - 33) / 32;
    if (claimed > 0) {
        dp->flp = static_cast<dbf_field *>(ZUALC(static_cast<unsigned>(claimed) * sizeof(dbf_field)));
        std::memset(dp->flp, 0, static_cast<unsigned>(claimed) * sizeof(dbf_field));
    }
    unsigned long sum = 1;
    for (int i = 0; i < claimed; ++i) {
        dbf_field *f = &dp->flp[i];
        if (zp::lread(dp->fh, f->desc, DBF_DESC) != DBF_DESC) return refuse(dp, __LINE__, "フィールド記述が読めません");
        if (f->desc[0] == 0x0D) break;  // terminator before the claimed end
        fill_field(f);
        if (f->len == 0) return refuse(dp, __LINE__, "フィールド %d (%s) の長さが 0 です", i + 1, f->name);
        sum += f->len;
        dp->nfld = i + 1;
    }
    if (rlen >= 1 && sum != static_cast<unsigned long>(rlen)) {
        // Tables written by other dBASE programs keep the decimal count of a
        // numeric field in byte 17.  When the record length agrees with
        // their reading of those fields, take it: the length is byte 16.
        unsigned long dbase_sum = 1;
        for (int i = 0; i < dp->nfld; ++i) {
            const dbf_field *f = &dp->flp[i];
            bool numeric = f->type == 'N' || f->type == 'F';
            dbase_sum += numeric && f->desc[17] != 0 ? f->desc[16] : f->len;
        }
        if (dbase_sum == static_cast<unsigned long>(rlen)) {
            for (int i = 0; i < dp->nfld; ++i) {
                dbf_field *f = &dp->flp[i];
                if ((f->type == 'N' || f->type == 'F') && f->desc[17] != 0) f->len = f->desc[16];
                if (f->len == 0) return refuse(dp, __LINE__, "フィールド %d (%s) の長さが 0 です", i + 1, f->name);
            }
            sum = dbase_sum;
        }
    }
    if (rlen < 1 || sum != static_cast<unsigned long>(rlen))
        return refuse(dp, __LINE__, "レコード長(%d)がフィールド長の合計+1(%lu)と違います", rlen, sum);
    int n_rec = dbf_n_rec(dp);
    std::uint64_t holds = (size - static_cast<std::uint64_t>(hlen)) / static_cast<std::uint64_t>(rlen);
    if (n_rec < 0 || static_cast<std::uint64_t>(n_rec) > holds)
        return refuse(dp, __LINE__, "レコード件数(%d)がファイルにあるレコード数(%lu)を超えています", n_rec,
                      static_cast<unsigned long>(holds));
    place_fields(dp);
    return dp;
}

dbf *dbf_create(const char *path, const dbf_spec *specs, int count) {
    dbf *dp = new_handle(path);
    // An existing file of that name is cut: no tail of an older table stays behind.
    dp->fh = zp::lcreat(path);
    if (dp->fh == zp::HFILE_ERR) {
        log_system_error("dbf_create()", dp->path);
        ZU_DB_ERR(IE_FOPEN, UNIT);
        release(dp);
        return nullptr;
    }
    dp->id_known = zp::identify_file(dp->fh, &dp->id);
    dp->dhp[0] = 3;
    zu_put_le16(dp->dhp + 8, 32u * static_cast<unsigned>(count) + 33u);
    if (zp::lwrite(dp->fh, dp->dhp, DBF_HEADER) != DBF_HEADER) {
        ZU_DB_ERR(IE_WRITE, UNIT);
        release(dp);
        zp::delete_file(path);  // no half-written table stays behind
        return nullptr;
    }
    if (count > 0) {
        dp->flp = static_cast<dbf_field *>(ZUALC(static_cast<unsigned>(count) * sizeof(dbf_field)));
        std::memset(dp->flp, 0, static_cast<unsigned>(count) * sizeof(dbf_field));
    }
    dp->nfld = count;
    unsigned rlen = 1;
    for (int i = 0; i < count; ++i) {
        dbf_field *f = &dp->flp[i];
        const dbf_spec &s = specs[i];
        std::size_t n = strnlen(s.name, 10);
        for (std::size_t j = 0; j < n; ++j) {
            unsigned char c = static_cast<unsigned char>(s.name[j]);
            if (zu_lead_byte(c) && j + 1 < n) {
                f->desc[j] = c;
                f->desc[j + 1] = static_cast<unsigned char>(s.name[j + 1]);
                ++j;
            } else {
                f->desc[j] = (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
            }
        }
        f->desc[11] = static_cast<unsigned char>(s.type);
        zu_put_le16(f->desc + 16, s.len);
        f->desc[31] = s.kind;
        fill_field(f);
        rlen += s.len;
    }
    zu_put_le16(dp->dhp + 10, rlen);
    bool ok = true;
    for (int i = 0; i < count && ok; ++i) ok = zp::lwrite(dp->fh, dp->flp[i].desc, DBF_DESC) == DBF_DESC;
    static const unsigned char tail[2] = {0x0D, 0x1A};
    if (ok) ok = zp::lwrite(dp->fh, tail, 2) == 2;
    if (!ok) {
        ZU_DB_ERR(IE_WRITE, UNIT);
        release(dp);
        zp::delete_file(path);
        return nullptr;
    }
    place_fields(dp);
    dp->changed = true;
    return dp;
}

bool dbf_flush(dbf *dp) {
    bool ok = true;
    if (dp->changed) {
        zp::system_time t;
        zp::local_time(&t);
        dp->dhp[1] = static_cast<unsigned char>(t.year - 1900);
        dp->dhp[2] = static_cast<unsigned char>(t.month);
        dp->dhp[3] = static_cast<unsigned char>(t.day);
        if (!write_at(dp, 0, dp->dhp, DBF_HEADER)) {
            ZU_DB_ERR(IE_WRITE, UNIT);
            ok = false;
        } else {
            static const unsigned char eof = 0x1A;
            if (!write_at(dp, dbf_record_offset(dp, static_cast<long long>(dbf_n_rec(dp)) + 1), &eof, 1)) {
                ZU_DB_ERR(IE_WRITE, UNIT);
                ok = false;
            } else {
                dp->changed = false;
            }
        }
    }
    // The data goes to the disk now, not when the system gets round to it.
    if (!zp::flush_file(dp->fh)) {
        ZU_DB_ERR(IE_WRITE, UNIT);
        ok = false;
    }
    return ok;
}

void dbf_close(dbf *dp) {
    if (!dp) return;
    if (dp->fh != zp::HFILE_ERR) {
        dbf_flush(dp);
        zp::lclose(dp->fh);
        dp->fh = zp::HFILE_ERR;
    }
    release(dp);
}

void dbf_read_ahead(dbf *dp) {
    if (dp->win || !dp->id_known) return;
    dp->win = static_cast<unsigned char *>(ZUALC(DBF_WINDOW));
    dp->win_len = 0;
    dp->ahead = 0;
    dp->last_read = 0;
    dp->next_ahead = g_ahead;
    g_ahead = dp;
}

int dbf_read(dbf *dp, int rno) {
    const unsigned char *bytes;
    return dbf_read_slow(dp, rno, &bytes);
}

int dbf_read_slow(dbf *dp, int rno, const unsigned char **bytes) {
    *bytes = dp->rbp;
    if (rno <= 0 || rno > dbf_n_rec(dp)) {
        write_error_log("%s dbf_read() rno=%u dhp->n_rec=%u dp->rbp:%s\r\n", now_string(), static_cast<unsigned>(rno),
                        static_cast<unsigned>(dbf_n_rec(dp)), reinterpret_cast<const char *>(dp->rbp));
        ZU_DB_ERR(IE_RECNO, UNIT);
        return IE_RECNO;
    }
    if (rno == dp->held) return 0;
    unsigned rlen = dbf_rlen(dp);
    long long at = dbf_record_offset(dp, rno);
    const unsigned char *got = dp->win ? read_windowed(dp, rno, at, rlen)
                               : zp::read_at(dp->fh, static_cast<std::uint64_t>(at), dp->rbp, rlen) == rlen ? dp->rbp
                                                                                                           : nullptr;
    if (!got) {
        // A partly read record is not kept as if it were whole.
        dp->held = 0;
        ZU_DB_ERR(IE_READ, UNIT);
        return IE_READ;
    }
    dp->held = rno;
    *bytes = got;
    return 0;
}

int dbf_write(dbf *dp, int rno) {
    if (rno <= 0 || rno > dbf_n_rec(dp)) {
        write_error_log("%s dbf_write() rno=%u dhp->n_rec=%u dp->rbp:%s\r\n", now_string(),
                        static_cast<unsigned>(rno), static_cast<unsigned>(dbf_n_rec(dp)),
                        reinterpret_cast<const char *>(dp->rbp));
        ZU_DB_ERR(IE_RECNO, UNIT);
        return IE_RECNO;
    }
    if (!write_at(dp, dbf_record_offset(dp, rno), dp->rbp, dbf_rlen(dp))) {
        dp->held = 0;
        ZU_DB_ERR(IE_WRITE, UNIT);
        return IE_WRITE;
    }
    dp->held = rno;
    dp->changed = true;
    return 0;
}

int dbf_is_deleted(dbf *dp, int rno) {
    if (dbf_read(dp, rno) != 0) return -1;
    return dp->rbp[0] == '*' ? 1 : 0;
}

bool dbf_truncate(dbf *dp, int n) {
    // The header with the new count is written before the file is cut: a
    // crash or a failed cut in between leaves a table that opens, never a
    // count of records the file no longer holds.
    int before = dbf_n_rec(dp);
    dbf_set_n_rec(dp, n);
    dp->changed = true;
    if (!write_at(dp, 0, dp->dhp, DBF_HEADER)) {
        ZU_DB_ERR(IE_WRITE, UNIT);
        dbf_set_n_rec(dp, before);
        return false;
    }
    if (dp->held > n) dp->held = 0;
    // A cut that fails leaves only bytes behind the end mark, which no
    // record counts.
    long long end = dbf_record_offset(dp, static_cast<long long>(n) + 1);
    bool cut = zp::set_file_size(dp->fh, static_cast<std::uint64_t>(end));
    if (g_ahead) drop_windows(dp);
    if (!cut) ZU_DB_ERR(IE_WRITE, UNIT);
    return true;
}

int dbf_pack(dbf *dp) {
    int n = dbf_n_rec(dp);
    int kept = 0;
    for (int i = 1; i <= n; ++i) {
        int r = dbf_read(dp, i);
        if (r != 0) return r;
        if (dp->rbp[0] == '*') continue;
        ++kept;
        if (kept != i && (r = dbf_write(dp, kept)) != 0) return r;
    }
    if (!dbf_truncate(dp, kept)) return IE_WRITE;
    dp->held = 0;
    return 0;
}

int dbf_zap(dbf *dp) {
    if (!dbf_truncate(dp, 0)) return IE_WRITE;
    dp->held = 0;
    return 0;
}

namespace {
struct stamp {
    int year, month, day, hour, minute, second;
};
stamp read_stamp(const dbf *dp) {
    const signed char *b = reinterpret_cast<const signed char *>(dp->dhp + 16);
    return {2000 + b[0], b[1], b[2], b[3], b[4], b[5]};
}
}  // namespace

bool dbf_is_old_table(const dbf *dp) {
    stamp s = read_stamp(dp);
    bool valid = s.year >= 1900 && s.year <= 2100 && s.month >= 1 && s.month <= 12 && s.day >= 1 && s.day <= 31 &&
                 s.hour >= 0 && s.hour <= 23 && s.minute >= 0 && s.minute <= 59 && s.second >= 0 && s.second <= 59;
    return !valid;
}

const char *dbf_create_date(const dbf *dp) {
    static char text[32];
    if (dbf_is_old_table(dp)) return nullptr;
    stamp s = read_stamp(dp);
    zu_format(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", s.year, s.month, s.day, s.hour, s.minute, s.second);
    return text;
}

void dbf_set_create_stamp(dbf *dp) {
    zp::system_time t;
    zp::local_time(&t);
    dp->dhp[16] = static_cast<unsigned char>(static_cast<signed char>(t.year - 2000));
    dp->dhp[17] = static_cast<unsigned char>(t.month);
    dp->dhp[18] = static_cast<unsigned char>(t.day);
    dp->dhp[19] = static_cast<unsigned char>(t.hour);
    dp->dhp[20] = static_cast<unsigned char>(t.minute);
    dp->dhp[21] = static_cast<unsigned char>(t.second);
    dp->changed = true;
}

dbf *dbf_create_like(dbf *dp, const char *path) {
    unsigned hlen = dbf_hlen(dp);
    unsigned char *head = static_cast<unsigned char *>(ZUALC(hlen + 1));
    bool ok = zp::read_at(dp->fh, 0, head, hlen) == hlen;
    if (!ok) {
        ZUFRE(head);
        ZU_DB_ERR(IE_READ, UNIT);
        return nullptr;
    }
    zu_put_le32(head + 4, 0);
    head[hlen] = 0x1A;
    zp::fhandle fh = zp::lcreat(path);
    if (fh == zp::HFILE_ERR) {
        ZUFRE(head);
        log_system_error("dbf_create_like()", path);
        ZU_DB_ERR(IE_TMPFILE, UNIT);
        return nullptr;
    }
    ok = zp::lwrite(fh, head, hlen + 1) == hlen + 1;
    zp::lclose(fh);
    ZUFRE(head);
    if (!ok) {
        zp::delete_file(path);
        ZU_DB_ERR(IE_WRITE, UNIT);
        return nullptr;
    }
    dbf *w = dbf_open(path);
    if (!w) zp::delete_file(path);
    if (w && dp->win) dbf_read_ahead(w);
    return w;
}

int dbf_append(dbf *dp) {
    int before = dbf_n_rec(dp);
    dbf_set_n_rec(dp, before + 1);
    int r = dbf_write(dp, before + 1);
    if (r != 0) dbf_set_n_rec(dp, before);
    return r;
}

bool dbf_swap_in(const char *work_path, const char *path) {
    // One rename over the old file: whenever the process ends, the name
    // holds the old file or the new one, whole.
    if (zp::replace_file(work_path, path)) return true;
    log_system_error("dbf_swap_in()", work_path);
    zp::delete_file(work_path);
    ZU_DB_ERR(IE_WRITE, UNIT);
    return false;
}

bool dbf_replace(dbf **dpp, dbf *work) {
    char work_path[260], path[260];
    zu_copy(work_path, sizeof work_path, work->path);
    zu_copy(path, sizeof path, (*dpp)->path);
    bool ahead = (*dpp)->win != nullptr;
    bool ok = dbf_flush(work);
    dbf_close(work);
    if (!ok) {
        zp::delete_file(work_path);
        return false;
    }
    dbf_close(*dpp);
    *dpp = nullptr;
    ok = dbf_swap_in(work_path, path);
    *dpp = dbf_open(path);
    if (*dpp && ahead) dbf_read_ahead(*dpp);
    return ok && *dpp;
}
