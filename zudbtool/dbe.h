// The table object: one open table (its .DBF file and its indexes),
// its record buffer and work buffer, and the named mutex held from open to
// close.  The object's address is the handle that the zdb exports take.
#pragma once

#include <cstring>

#include "base/base.h"
#include "zudbtool/dbf.h"

// The index file handle and its key layout belong to the index layer; the
// table object only keeps their pointers.
struct ndx;
struct ndx_key_layout;

constexpr int ZDB_MAX_INDEX = 10;
constexpr int ZDB_MAX_PARTS = 10;   // parts of a key expression
constexpr unsigned ZDB_KEY_BUF = 128;  // the process-wide seek key buffer

// The seek key under construction (zdbSeekReset, zdbSSKey, zdbSIKey).
extern char zdb_key_buf[ZDB_KEY_BUF];
extern unsigned zdb_key_pos;
extern unsigned zdb_key_parts;

// The table handle: the table file joined with its open indexes, and the
// position.
struct zdb_dbp {
    dbf *dp;
    ndx *ip[ZDB_MAX_INDEX + 1];  // index numbers 1 .. 10; ip[0] unused
    int cur;                     // current index, 0 = record-number order
    int nidx;                    // number of open indexes
    int rno;                     // current record number
    bool bof;
    bool eof;
};

// Raises a program error: formats (format texts up to 512 bytes) and hands
// the text to err(), which logs, stores and throws it.
[[noreturn]] void zdb_raise(const char *format, ...) __attribute__((format(printf, 1, 2)));

// The process-wide deleted-record switch (off at load).
extern bool zdb_use_deleted;

// Copies `src` into `dst` of width `w`, blank-padded; a double-byte
// character that would start on the last position is replaced by a blank.
// True on overflow (the value was cut).
bool zdb_padded_copy(char *dst, unsigned w, const char *src);

class DBE {
public:
    DBE();
    ~DBE();
    DBE(const DBE &) = delete;
    DBE &operator=(const DBE &) = delete;

    // ---- life cycle ----
    void open(const char *path, int mode);
    bool create_table(const char *path);
    void close();
    void reopen();

    // ---- fields ----
    int fld_name2fld_no(const char *name) const;
    // The field number of `name`, or a program error naming it.  The name
    // looked up last is answered here (a loop over records reads the same
    // fields again and again).
    int need_field(const char *name) const {
        if (name && last_no && names_of == dbp->dp && same_as_last(name)) return last_no;
        return need_field_slow(name);
    }
    const dbf_field &field(int no) const { return dbp->dp->flp[no - 1]; }
    int store(const char *src, int fno, bool raw);
    const char *restore(int fno, bool raw);
    void clear_buf();

    // ---- position ----
    void go_top();
    void go_bottom();
    int skip(int n);
    void set_rno(int rno);
    void load();
    bool on_record() const { return !dbp->bof && !dbp->eof; }

    // ---- records ----
    int append(unsigned options);
    int update(unsigned options);
    int delete_record(int mode);
    int is_deleted();
    void clear_table();
    void flush();

    int n_rec() const { return dbf_n_rec(dbp->dp); }
    unsigned rlen() const { return dbf_rlen(dbp->dp); }

    // ---- data ----
    int mode = 0;             // 0 normal, 1 without indexes, 2 rebuilding the definition-file indexes
    int match_lrec = 0;       // keys still to visit by seek_next (index layer)
    char iname_fname[260] = "";
    char field_fname[260] = "";
    void *mutex = nullptr;    // from MutexLockStart
    char *work = nullptr;     // results of reads, keys under construction
    unsigned work_size = 0;
    char *rec = nullptr;      // the current record's fields, NUL after the last
    zdb_dbp *dbp = nullptr;   // null while no table is open
    int private_word = 0;
    int debug_word = 0;
    char mutex_name[256] = "";
    // The key layouts of indexes 1 .. 10 (parts, their widths, key type and
    // length), made when the index is opened and again after a rebuild.
    ndx_key_layout *keys[ZDB_MAX_INDEX + 1] = {};
    char path[260] = "";      // the path of the table, kept for messages after close

    // ---- index layer seams ----
    // Every call below is made by the table object at the point named; in
    // record-number order with no index open each does nothing (dbe_index.cpp).
    //
    // Open, modes 0 and 2: open every index the .INAME file lists; false when
    // the open must give no handle (an empty list).
    bool idx_open_listed();
    // Mode 2 open and table creation: recreate the indexes the .FIELD file defines.
    void idx_recreate_defined();
    // Unique-key check before append (append = true) or update; true for a
    // duplicate, which has then been written to the message file.
    bool idx_chk_dup(bool append);
    // After the new record `rno` was written (rbp holds it): insert its keys.
    void idx_append_keys(int rno);
    // Before record `rno` is rewritten: rbp holds the old record, `fields`
    // the new fields (record length - 1 bytes); move the keys that change.
    void idx_update_keys(int rno, const char *fields);
    // Before the last record `last` is removed (rbp holds it): delete its keys.
    void idx_remove_keys(int last);
    // Delete with mode 0 and a current index: the record that follows the
    // current one in index order (0 for none), and going there afterwards.
    int idx_following();
    void idx_goto(int rno);
    // Navigation through the current index (dbp->cur != 0).
    void idx_top();
    void idx_bottom();
    void idx_move(int n);
    void idx_position(int rno);  // put the index cursor on record rno
    // Flush / close every open index; rebuild every open index empty (clear table).
    void idx_flush_all();
    void idx_close_all();
    // False when a build stopped after an ISAM report.
    bool idx_rebuild_all();
    // The parts of a rebuild: every open index built afresh from the table
    // `from` into a work file beside it (false, every work file removed,
    // when a build failed); the work files put in the indexes' places and
    // opened (false after a report: an index that could not be replaced
    // stays as it was, one that could not be opened leaves the list); the
    // work files removed.
    // (`ext`: the work files' extension.)
    bool idx_build_work(dbf *from, const char *ext = "$$N");
    bool idx_swap_work();
    void idx_drop_work(const char *ext = "$$N");
    // Filling a work table through this handle (import): every open index
    // is built empty from `work` into a work file of its own ($$J) and takes
    // the index's place in the handle, the index waiting in `kept` (false,
    // nothing changed, when a build failed); then the indexes put back and
    // the work files removed.
    bool idx_use_empty(dbf *work, ndx **kept);
    void idx_put_back(ndx **kept);

    // ---- indexes ----
    // Opens one more index; its number, or 0 after an ISAM report.
    int open_index(const char *path);
    int chg_index(const char *expr);
    const char *chg_index_by_no(int n);
    int is_uniq_index(const char *expr);
    int seek(const char *text);
    int seek_first(const char *text);
    int seek_next();
    bool reindex();
    const char *index_path(int i) const;
    // Adds one part to the seek key: text (blank-padded to the part's width)
    // or an unsigned number right-aligned in it.
    void add_key_part(const char *text);
    void add_key_number(int value);
    int idx_at = 0;  // record the current index's cursor stands on, 0 = unknown

private:
    unsigned next_key_width(const char *function);
    // (Re)makes index i's key layout from its header over the table's fields.
    void make_key_layout(int i);
    int search_text(const char *text, unsigned char *key);
    bool find_entry(int i, const unsigned char *key, int rno);
    void set_eof();
    void set_bof();
    void idx_land(std::uint32_t r);
    void idx_pass();
    bool recreate_one(const char *expr, bool unique, char *list, unsigned list_size);

    // The field names in upper case, made for the table file `names_of`
    // at the first look-up (names are looked up for every field read).
    mutable char (*upper_names)[12] = nullptr;
    mutable const dbf *names_of = nullptr;
    // The name looked up last, as it was given, and its field number (0: none).
    mutable char last_name[12] = "";
    mutable int last_no = 0;
    bool same_as_last(const char *name) const {
        for (unsigned i = 0; i < sizeof last_name; ++i) {
            if (name[i] != last_name[i]) return false;
            if (!name[i]) return true;
        }
        return false;
    }
    int need_field_slow(const char *name) const;

    void set_fname(const char *p);
    void zdb_open_dbf(const char *p);
    void move(int n);
    void pass(int dir);
    void release_buffers();
    // No handle after all: gives back the files, the buffers and the mutex.
    void give_back();
    void mutex_end();
};

// The live objects: a handle the exports are given must be one of them.
// live_table gives the table object behind a handle; a handle that is not
// an open table is a program error, never used.
DBE *live_table(void *h, const char *function);
void zdb_register(DBE *d);
void zdb_unregister(DBE *d);
// The handle found live last (the calls of a loop over records name one
// table again and again), answered inline.
extern const void *zdb_last_live;
bool zdb_is_live_slow(const void *h);
inline bool zdb_is_live(const void *h) { return (h && h == zdb_last_live) || zdb_is_live_slow(h); }

// The companion file of a table path: the extension (from the last '.' of
// the file name) replaced by `ext` (".FIELD", ".INAME"); false when the
// result would not fit a path.
bool zdb_companion(char *out, const char *table_path, const char *ext);

// Calls `f` for each line of a text file (CR LF or bare LF line ends).
template <class F>
void zdb_each_line(const char *name, int reclen, F &&f) {
    ZUIO in;
    in.flags |= ZUIO_QUIET;
    in.open(name, ZUIO_READ, reclen);
    while (char *rec = in.reads()) {
        rec[std::strcspn(rec, "\r")] = '\0';
        for (char *line = rec;;) {
            char *lf = std::strchr(line, '\n');
            if (lf) *lf = '\0';
            f(line);
            if (!lf) break;
            line = lf + 1;
            if (!*line) break;
        }
    }
    in.close();
}
