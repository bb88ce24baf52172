// The table object: life cycle, field access, record-order navigation,
// append, update and delete.
#include "zudbtool/dbe.h"

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "base/base.h"
#include "zudbtool/ndx_key.h"
#include "zustd.h"

bool zdb_use_deleted = false;

namespace {
const char UNIT[] = "ZD_Db";
std::set<const void *> g_live;

// Position of the extension's dot in the file-name part of a path, or null.
char *ext_dot(char *p) { return std::strrchr(p + (zp::file_name_part(p) - p), '.'); }

// A decimal number of at most `length` characters (the bounded conversion):
// overflow of the 32-bit range is reported.
int bounded_atoi(const char *text, unsigned length) {
    char buf[16];
    std::size_t n = strnlen(text, length);
    if (n > 15) n = 15;
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    long long v = std::strtoll(buf, nullptr, 10);
    if (v >= 2147483647LL || v <= -2147483648LL) err(9, "%s(%u) オーバーフローエラー atoin()", text, length);
    return static_cast<int>(v);
}

// The length of src[0 .. n) without the blanks that end it, found eight
// bytes at a time: the fields read in a loop over records are mostly
// blank-padded.
std::size_t unpadded_length(const char *src, std::size_t n) {
    const std::uint64_t blanks = 0x2020202020202020ULL;
    while (n >= 8) {
        std::uint64_t w;
        std::memcpy(&w, src + n - 8, 8);
        std::uint64_t x = w ^ blanks;
        if (x) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
            // The last byte of the eight is the most significant.
            return n - static_cast<std::size_t>(__builtin_clzll(x) >> 3);
#else
            break;
#endif
        }
        n -= 8;
    }
    while (n > 0 && src[n - 1] == ' ') --n;
    return n;
}

// Whether one of the eight bytes at p is NUL.
bool has_nul8(const char *p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return ((w - 0x0101010101010101ULL) & ~w & 0x8080808080808080ULL) != 0;
}

#ifdef __SSE2__
// Copies the field src[0 .. len), len >= 16, to dst and gives the length of
// its text: up to the first NUL, without the blanks that end it.  One pass
// sixteen bytes at a time; the last sixteen overlap the ones before.
std::size_t copy_field_text(char *dst, const char *src, std::size_t len) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i blank = _mm_set1_epi8(' ');
    std::size_t end = 0;  // just after the last byte that is not a blank
    for (std::size_t i = 0;;) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), v);
        unsigned nul = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
        unsigned text = ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, blank))) & 0xFFFFu;
        if (nul) {
            // The first NUL of the field (the pieces before had none): the
            // text ends before it.  The rest of the field is copied all the
            // same.
            text &= (1u << __builtin_ctz(nul)) - 1;
            if (text) end = i + 32 - static_cast<std::size_t>(__builtin_clz(text));
            if (i + 16 < len) std::memcpy(dst + i + 16, src + i + 16, len - i - 16);
            return end;
        }
        if (text) end = i + 32 - static_cast<std::size_t>(__builtin_clz(text));
        if (i + 16 == len) return end;
        i = i + 32 <= len ? i + 16 : len - 16;
    }
}
#endif

// strnlen, eight bytes at a time (a field is mostly without NUL; the last
// eight bytes of a field of eight or more are looked at together).
std::size_t text_length(const char *src, std::size_t len) {
    std::size_t i = 0;
    if (len >= 8) {
        for (; i + 8 <= len; i += 8)
            if (has_nul8(src + i)) break;
        if (i + 8 > len && (i == len || !has_nul8(src + len - 8))) return len;
    }
    while (i < len && src[i]) ++i;
    return i;
}
}  // namespace

const void *zdb_last_live = nullptr;

void zdb_register(DBE *d) { g_live.insert(d); }
void zdb_unregister(DBE *d) {
    g_live.erase(d);
    if (zdb_last_live == d) zdb_last_live = nullptr;
}
bool zdb_is_live_slow(const void *h) {
    if (!h || g_live.count(h) == 0) return false;
    zdb_last_live = h;
    return true;
}

void zdb_raise(const char *format, ...) {
    static char text[1024];
    if (!format || std::strlen(format) > 512) {
        err(9, "%s", "RaiseError() Error バッファフル");
        zu_throw("RaiseError() Error バッファフル");
    }
    va_list ap;
    va_start(ap, format);
    zu_vformat(text, sizeof text, format, ap);
    va_end(ap);
    err(9, "%s", text);
    zu_throw(text);  // err() of this deliverable always throws; never go on if it did not
}

bool zdb_padded_copy(char *dst, unsigned w, const char *src) {
    unsigned i = 0;
    const unsigned char *s = reinterpret_cast<const unsigned char *>(src);
    while (i < w && *s) {
        if (zu_lead_byte(*s) && s[1]) {
            if (i + 1 >= w) {
                dst[i++] = ' ';
                return true;
            }
            dst[i++] = static_cast<char>(*s++);
            dst[i++] = static_cast<char>(*s++);
            continue;
        }
        dst[i++] = static_cast<char>(*s++);
    }
    for (unsigned j = i; j < w; ++j) dst[j] = ' ';
    return *s != '\0';
}

// ---- life cycle ---------------------------------------------------------------

DBE::DBE() = default;

DBE::~DBE() {
    if (!dbp) {
        release_buffers();
        return;
    }
    try {
        write_error_log("%s DBE::~DBE '%s' が、クローズされていませんでしたのでクローズします。\r\n", now_string(),
                        path);
        close();
    } catch (char *) {
        // Reported; a destructor goes no further.
    }
}

void DBE::give_back() {
    if (dbp) {
        idx_close_all();
        dbf_close(dbp->dp);
        ZUFRE(dbp);
        dbp = nullptr;
    }
    release_buffers();
    mutex_end();
}

void DBE::release_buffers() {
    if (work) ZUFRE(work);
    if (rec) ZUFRE(rec);
    if (upper_names) ZUFRE(upper_names);
    work = rec = nullptr;
    upper_names = nullptr;
    names_of = nullptr;
    last_no = 0;
    work_size = 0;
}

void DBE::mutex_end() {
    if (mutex_name[0] && mutex) {
        void *m = mutex;
        mutex = nullptr;
        zu_call([&] { return MutexLockEnd(m); });
    }
}

void DBE::set_fname(const char *p) {
    if (std::strlen(p) >= 260) zdb_raise("%s", "DBE::set_fname");
    zu_copy(path, sizeof path, p);
    const char *exts[2] = {".FIELD", ".INAME"};
    char *outs[2] = {field_fname, iname_fname};
    for (int i = 0; i < 2; ++i)
        if (!zdb_companion(outs[i], p, exts[i])) zdb_raise("%s", "DBE::set_fname");
}

bool zdb_companion(char *out, const char *table_path, const char *ext) {
    char buf[272];
    zu_copy(buf, sizeof buf, table_path);
    if (char *dot = ext_dot(buf)) *dot = '\0';
    zu_append(buf, sizeof buf, ext);
    if (std::strlen(buf) >= 260) return false;
    zu_copy(out, 260, buf);
    return true;
}

void DBE::zdb_open_dbf(const char *p) {
    if (!p) zdb_raise("%s", "fname_p が NULL です  zdb_open_dbf");
    if (!*p) zdb_raise("%s", "*fname_p が EOL です  zdb_open_dbf");
    if (!zu_exist(p)) zdb_raise("データベースファイル %s がありません zdb_open_dbf", p);
    dbf *dp = dbf_open(p);
    if (!dp) zdb_raise("データベースファイル %s がないです\n", p);
    dbp = static_cast<zdb_dbp *>(ZUALC(sizeof(zdb_dbp)));
    std::memset(dbp, 0, sizeof *dbp);
    dbp->dp = dp;
    dbp->rno = 1;
    dbp->bof = dbp->eof = dbf_n_rec(dp) == 0;
}

void DBE::open(const char *p, int open_mode) {
    if (dbp) zdb_raise("プログラムエラー： '%s' 既にこのデータベースは、オープンしています ", path);
    if (mutex_name[0]) mutex = zu_call([&] { return MutexLockStart(mutex_name, 0); });
    try {
        mode = open_mode;
        if (p && *p) set_fname(p);
        zdb_open_dbf(p);
        // Held under its mutex, the table has no other writer until it is
        // closed: reads in record order are served ahead.
        if (mutex) dbf_read_ahead(dbp->dp);
        if (mode == 2) idx_recreate_defined();
        unsigned size = rlen() + 1;
        rec = static_cast<char *>(ZUALC(size));
        work_size = size < 64 ? 64 : size;  // room for a number's text whatever the record length
        work = static_cast<char *>(ZUALC(work_size));
        work[0] = '\0';
        clear_buf();
        if (mode != 1 && zu_exist(iname_fname) && !idx_open_listed()) {
            give_back();
            return;
        }
        go_top();
    } catch (char *) {
        give_back();
        throw;
    }
}

void DBE::close() {
    if (!dbp) zdb_raise(" プログラムエラー '%s' このデータベースは、クローズしています\n", path);
    zdb_dbp *d = dbp;
    try {
        dbf_close(d->dp);  // flushes the header and pushes the data to the disk
        d->dp = nullptr;
        idx_close_all();
    } catch (char *) {
        dbp = nullptr;
        ZUFRE(d);
        release_buffers();
        mutex_end();
        throw;
    }
    dbp = nullptr;
    ZUFRE(d);
    release_buffers();
    mutex_end();
}

void DBE::reopen() {
    char p[260];
    zu_copy(p, sizeof p, path);
    int m = mode;
    close();
    open(p, m);
}

namespace {
// One line of the definition file: true for a field line, whose
// definition is then in `s`; index lines, comments and lines of other
// letters give false.
bool field_line(char *line, dbf_spec &s) {
    line[std::strcspn(line, "\r")] = '\0';
    if (line[0] == '*') return false;
    char *cols[3] = {line, nullptr, nullptr};
    int ncol = 1;
    for (char *q = line; *q && ncol < 3; ++q) {
        if (zu_lead_byte(static_cast<unsigned char>(*q)) && q[1]) {
            ++q;
            continue;
        }
        if (*q == ',') {
            *q = '\0';
            cols[ncol++] = q + 1;
        }
    }
    if (ncol < 2) return false;
    if (cols[2]) {
        if (char *c = std::strchr(cols[2], ',')) *c = '\0';
    }
    char *name = trim(cols[0], 3);
    char *type = trim(cols[1], 3);
    char *len = cols[2] ? trim(cols[2], 3) : nullptr;
    s = dbf_spec{};
    switch (type[0]) {
    case 'A': case 'a': s.type = 'C'; s.kind = 1; s.len = 16; break;
    case 'N': case 'n': s.type = 'N'; s.kind = 2; s.len = 8; break;
    case '@': s.type = 'C'; s.kind = 3; s.len = 24; len = nullptr; break;
    default: return false;  // index lines and other letters
    }
    if (!*name) return false;
    if (std::strlen(name) > 10) zdb_raise("フィールド名長オーバー[%s] DBE::create_table", name);
    if (len && *len) {
        // A length the table could not hold (none, negative, or for a
        // numeric field more than its signed byte takes) is refused.
        long given = std::strtol(len, nullptr, 10);
        if (given < 1 || given > 65535 || (s.type == 'N' && given > 127))
            zdb_raise("フィールド長エラー[%s](%ld) DBE::create_table", name, given);
        s.len = static_cast<std::uint16_t>(given);
    }
    std::memcpy(s.name, name, std::strlen(name));
    return true;
}

}  // namespace

bool DBE::create_table(const char *p) {
    if (!p || !*p) zdb_raise("%s", "field_fnameがセットされていません。");
    set_fname(p);
    int lines = 0;
    zdb_each_line(field_fname, 64, [&](char *) { ++lines; });
    dbf_spec *specs = static_cast<dbf_spec *>(std::calloc(lines > 0 ? lines : 1, sizeof(dbf_spec)));
    if (!specs) {
        ZU_DB_ERR(IE_MEMORY999, "Db_emlt");
        return false;
    }
    int count = 0;
    unsigned long total = 1;
    try {
        zdb_each_line(field_fname, 64, [&](char *line) {
            dbf_spec s;
            if (count >= lines || !field_line(line, s)) return;
            total += s.len;
            // The header and record lengths are signed 16-bit numbers.
            if (total > 32767 || count >= 1022) zdb_raise("レコード長オーバー[%s] DBE::create_table", s.name);
            specs[count++] = s;
        });
    } catch (char *) {
        std::free(specs);
        throw;
    }
    dbf *dp = dbf_create(path, specs, count);
    std::free(specs);
    if (!dp) return false;
    // A header that could not be written leaves no table that would not open.
    bool flushed = dbf_flush(dp);
    dbf_close(dp);
    if (!flushed) {
        zp::delete_file(path);
        return false;
    }
    dp = dbf_open(path);
    if (!dp) return false;
    dbf_set_create_stamp(dp);
    dbp = static_cast<zdb_dbp *>(ZUALC(sizeof(zdb_dbp)));
    std::memset(dbp, 0, sizeof *dbp);
    dbp->dp = dp;
    dbp->rno = 1;
    dbp->bof = dbp->eof = true;
    try {
        idx_recreate_defined();
    } catch (char *) {
        dbf_close(dbp->dp);
        ZUFRE(dbp);
        dbp = nullptr;
        throw;
    }
    idx_close_all();
    dbf_close(dbp->dp);
    ZUFRE(dbp);
    dbp = nullptr;
    char p2[260];
    zu_copy(p2, sizeof p2, path);
    open(p2, 0);
    return dbp != nullptr;
}

// ---- fields ---------------------------------------------------------------------

int DBE::fld_name2fld_no(const char *name) const {
    if (!name) return -1;
    const dbf *dp = dbp->dp;
    if (names_of == dp && last_no && same_as_last(name)) return last_no;
    if (std::strlen(name) > 10) {
        zu_msgbox("フィールド名長オーバー DBE::fld_name2fld_no()");
        return -1;
    }
    char up[12];
    zu_copy(up, sizeof up, name);
    ndx_upper_name(up);
    if (names_of != dp) {
        // Tables of other programs may store names in lower case.
        if (upper_names) ZUFRE(upper_names);
        upper_names = nullptr;
        if (dp->nfld > 0) {
            upper_names = static_cast<char (*)[12]>(ZUALC(static_cast<unsigned>(dp->nfld) * sizeof *upper_names));
            for (int i = 0; i < dp->nfld; ++i) {
                zu_copy(upper_names[i], sizeof *upper_names, dp->flp[i].name);
                ndx_upper_name(upper_names[i]);
            }
        }
        names_of = dp;
        last_no = 0;
    }
    for (int i = 0; i < dp->nfld; ++i) {
        if (std::strcmp(upper_names[i], up) == 0) {
            zu_copy(last_name, sizeof last_name, name);
            last_no = i + 1;
            return last_no;
        }
    }
    return -1;
}

int DBE::need_field_slow(const char *name) const {
    int no = fld_name2fld_no(name);
    if (no < 0) zdb_raise("このフィールド名は見つかりません %s <%s> ", path, name ? name : "(null)");
    return no;
}

void DBE::clear_buf() {
    unsigned n = rlen() - 1;
    std::memset(rec, ' ', n);
    rec[n] = '\0';
}

int DBE::store(const char *src, int fno, bool raw) {
    if (!src) zdb_raise("%s", "pgm error DBE::store() srcがNULLです。");
    unsigned width = rlen() - 1;
    if (fno == 0) {
        if (raw) {
            std::memcpy(rec, src, width);
            return 0;
        }
        std::size_t n = std::strlen(src);
        if (n > width) {
            write_error_log("%s %s :ﾌｧｲﾙ名 %s 長さ（%u）内容 %s  レコード長 (%u) まで  (DBE::store)\n", now_string(),
                            "レコード長ｵｰﾊﾞｰ", path, static_cast<unsigned>(n), src, rlen());
            return 1;
        }
        zdb_padded_copy(rec, width, src);
        return 0;
    }
    const dbf_field &f = field(fno);
    if (f.len > 2047) zdb_raise("%s", "pgm error フィールド長オーバー(DBE::store)");
    if (f.type != 'C' && f.type != 'N')
        zdb_raise("フィールドタイプエラー dbfname:%s fldname:%s fld_type:0x%.2X DBE::store()", path, f.name,
                  static_cast<unsigned>(static_cast<unsigned char>(f.type)));
    char *dst = rec + f.pos - 1;
    char number[32];
    bool old = dbf_is_old_table(dbp->dp);
    if ((old && f.kind == 1) || (!old && f.kind == 2)) {
        if (f.len != 8)
            zdb_raise("数字フィールド長エラー DBF名:%s フィールド名:%s(長さ%u) DBE::store()", path, f.name, f.len);
        char format[16];
        zu_format(format, sizeof format, "%%%ud", f.len);
        zu_format(number, sizeof number, format, bounded_atoi(src, 8));
        src = number;
    }
    if (raw) {
        std::memcpy(dst, src, f.len);
        return 0;
    }
    if (zdb_padded_copy(dst, f.len, src)) {
        write_error_log("%s %s :ﾌｧｲﾙ名 %s 内容 %s（%u）  ﾌｨｰﾙﾄﾞ長 (%u) まで ﾌｨｰﾙﾄﾞ名:%s   (DBE::store)\n", now_string(),
                        "ﾌｨｰﾙﾄﾞ長ｵｰﾊﾞｰ", path, src, static_cast<unsigned>(std::strlen(src)), f.len, f.name);
        return 1;
    }
    return 0;
}

const char *DBE::restore(int fno, bool raw) {
    if (n_rec() == 0) zdb_raise("プログラムエラー DBE::restore() 0レコードです %s", path);
    if (fno == 0) {
        unsigned n = rlen() - 1;
        std::memcpy(work, rec, n);
        work[n] = '\0';
        return work;
    }
    if (fno > dbp->dp->nfld) zdb_raise("%s", "プログラムエラー DBE::restore()このフィールド番号はない。");
    const dbf_field &f = field(fno);
    const char *src = rec + f.pos - 1;
    if (f.type != 'N' && !raw) {
        // The text up to its first NUL, without the blanks that end it; the
        // whole field is copied (the same copy whatever the text), then cut.
        std::size_t n;
#ifdef __SSE2__
        if (f.len >= 16) {
            n = copy_field_text(work, src, f.len);
        } else
#endif
        {
            n = unpadded_length(src, text_length(src, f.len));
            dbf_copy(work, src, f.len);
        }
        work[n] = '\0';
        return work;
    }
    std::memcpy(work, src, f.len);
    work[f.len] = '\0';
    if (f.type == 'N') {
        std::size_t n = std::strlen(work);
        if (n > 8) zdb_raise("pgm error char *DBE::restore() フィールド内容:%s 長さ(%u)", work, static_cast<unsigned>(n));
        char *t = trim(work, 3);
        if (t != work) std::memmove(work, t, std::strlen(t) + 1);
        return work;
    }
    return work;
}

// ---- position ---------------------------------------------------------------------

void DBE::load() {
    if (!on_record()) {
        ZU_DB_ERR(IE_EOF, UNIT);
        return;
    }
    const unsigned char *bytes;
    if (dbf_read_view(dbp->dp, dbp->rno, &bytes) != 0) return;
    unsigned n = rlen() - 1;
    dbf_copy(rec, bytes + 1, n);
    rec[n] = '\0';
}

void DBE::move(int n) {
    if (n == 0) return;
    if (dbp->cur) {
        idx_move(n);
        return;
    }
    int last = n_rec();
    long long target = static_cast<long long>(dbp->rno) + n;
    if (n > 0 && target > last) {
        dbp->eof = true;
        dbp->bof = last == 0;
        dbp->rno = last + 1;
    } else if (n < 0 && target <= 0) {
        dbp->bof = true;
        dbp->eof = last == 0;
        dbp->rno = 1;
    } else {
        dbp->rno = static_cast<int>(target);
        dbp->bof = dbp->eof = false;
    }
}

void DBE::pass(int dir) {
    while (zdb_use_deleted && on_record() && dbf_is_deleted(dbp->dp, dbp->rno) == 1) move(dir);
}

void DBE::go_top() {
    if (dbp->cur) {
        idx_top();
    } else {
        dbp->rno = 1;
        dbp->bof = dbp->eof = n_rec() == 0;
    }
    pass(1);
    if (on_record()) load();
}

void DBE::go_bottom() {
    if (dbp->cur) {
        idx_bottom();
    } else if (n_rec() == 0) {
        dbp->rno = 1;
        dbp->bof = dbp->eof = true;
    } else {
        dbp->rno = n_rec();
        dbp->bof = dbp->eof = false;
    }
    pass(-1);
    if (on_record()) load();
}

int DBE::skip(int n) {
    if (!zdb_use_deleted) {
        move(n);
    } else {
        int dir = n < 0 ? -1 : 1;
        for (long long i = 0, steps = n < 0 ? -static_cast<long long>(n) : n; i < steps; ++i) {
            move(dir);
            pass(dir);
        }
    }
    if (!on_record()) return 0;
    load();
    return 1;
}

void DBE::set_rno(int rno) {
    if (dbp->cur) idx_position(rno);
    if (n_rec() == 0) {
        dbp->rno = 1;
        dbp->bof = dbp->eof = true;
    } else if (rno == 0) {
        dbp->rno = n_rec() + 1;
        dbp->eof = true;
        dbp->bof = false;
    } else {
        dbp->rno = rno;
        dbp->bof = dbp->eof = false;
    }
    if (!on_record()) zdb_raise("%s", "プログラムエラー set_rno() ");
}

// ---- records ----------------------------------------------------------------------

void DBE::flush() {
    dbf_flush(dbp->dp);
    idx_flush_all();
}

int DBE::append(unsigned options) {
    if (dbp->nidx && idx_chk_dup(true)) return 1;
    dbf *dp = dbp->dp;
    unsigned n = rlen() - 1;
    rec[n] = '\0';
    dp->rbp[rlen()] = '\0';
    dp->rbp[0] = ' ';
    std::memcpy(dp->rbp + 1, rec, n);
    int before = n_rec();
    dbf_set_n_rec(dp, before + 1);
    if (dbf_write(dp, before + 1) != 0) {
        // Not written: the header does not count it.
        dbf_set_n_rec(dp, before);
        return 0;
    }
    dbp->rno = before + 1;
    idx_append_keys(before + 1);
    set_rno(before + 1);
    if (options & 1) clear_buf();
    if (options & 2) flush();
    return 0;
}

int DBE::update(unsigned options) {
    if (dbp->nidx && idx_chk_dup(false)) return 1;
    if (!on_record()) {
        ZU_DB_ERR(IE_EOF, UNIT);
        return 0;
    }
    dbf *dp = dbp->dp;
    int rno = dbp->rno;
    unsigned n = rlen() - 1;
    if (dbf_read(dp, rno) != 0) return 0;
    idx_update_keys(rno, rec);
    if (dbf_read(dp, rno) != 0) return 0;  // the index layer may have used rbp
    std::memcpy(dp->rbp + 1, rec, n);
    if (dbf_write(dp, rno) != 0) return 0;
    set_rno(rno);
    if (options & 1) clear_buf();
    if (options & 2) flush();
    return 0;
}

int DBE::delete_record(int del_mode) {
    if (!on_record()) {
        ZU_DB_ERR(IE_EOF, UNIT);
        return 0;
    }
    dbf *dp = dbp->dp;
    int rno = dbp->rno;
    int last = n_rec();
    if (rno > last) {
        // Past the end (a number given to zdbSetRecordNo): nothing to remove.
        dbf_read(dp, rno);
        return 0;
    }
    bool by_index = (del_mode & 0xFF) == 0 && dbp->cur != 0;
    int following = by_index ? idx_following() : 0;
    if (dbf_read(dp, last) != 0) return 0;
    idx_remove_keys(last);
    unsigned rl = rlen();
    char *old = nullptr;  // the removed record, put back when the count cannot be lowered
    if (rno != last) {
        char *moved = static_cast<char *>(ZUALC(rl + 1));
        std::memcpy(moved, dp->rbp, rl);
        if (dbf_read(dp, rno) != 0) {
            ZUFRE(moved);
            return 0;
        }
        old = static_cast<char *>(ZUALC(rl + 1));
        std::memcpy(old, dp->rbp, rl);
        idx_update_keys(rno, moved + 1);
        // The whole record moves, its deletion flag with it.
        std::memcpy(dp->rbp, moved, rl);
        ZUFRE(moved);
        if (dbf_write(dp, rno) != 0) {
            ZUFRE(old);
            return 0;
        }
    }
    if (!dbf_truncate(dp, last - 1)) {
        if (old) {
            std::memcpy(dp->rbp, old, rl);
            dbf_write(dp, rno);
            ZUFRE(old);
        }
        return 0;
    }
    if (old) ZUFRE(old);
    if (last - 1 == 0) {
        dbp->rno = 1;
        dbp->bof = dbp->eof = true;
    } else if (by_index) {
        idx_goto(following == last ? rno : following);
    } else if (rno == last) {
        // The removed record was the last one: the position is the end.
        dbp->rno = last;
        dbp->eof = true;
        dbp->bof = false;
    }
    load();
    return 0;
}

int DBE::is_deleted() {
    if (!on_record()) {
        ZU_DB_ERR(IE_EOF, UNIT);
        return -1;
    }
    int r = dbf_is_deleted(dbp->dp, dbp->rno);
    return r < 0 ? 0 : r;
}

void DBE::clear_table() {
    dbf_zap(dbp->dp);
    if (dbp->nidx) {
        idx_rebuild_all();
        go_top();
    }
    reopen();
    if (dbp) clear_buf();  // a reopen that gave no table leaves nothing to clear
}
