// The table object's indexes: opening and listing them, the indexes the
// definition file names, keys made from records and from seek texts,
// navigation through the current index, seeks, the unique-key check and
// the upkeep of every open index on append, update and delete.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/base.h"
#include "zudbtool/dbe.h"
#include "zudbtool/ndx.h"
#include "zudbtool/ndx_build.h"

char zdb_key_buf[ZDB_KEY_BUF];
unsigned zdb_key_pos;
unsigned zdb_key_parts;

namespace {

const char UNIT[] = "ZD_Db";
constexpr unsigned KEY_ROOM = NDX_KEY_MAX + 4;

// The table file as the source of an index build.
class table_source : public ndx_records {
public:
    explicit table_source(dbf *dp) : dp_(dp) {}
    const char *table_path() override { return dp_->path; }
    int field_count() override { return dp_->nfld; }
    ndx_field_desc field(int i) override {
        const dbf_field &f = dp_->flp[i];
        return {f.name, f.type, f.len, f.pos};
    }
    long record_count() override { return dbf_n_rec(dp_); }
    bool rewind() override {
        at_ = 0;
        return true;
    }
    const unsigned char *next_record() override {
        if (at_ >= dbf_n_rec(dp_)) return nullptr;
        return dbf_read(dp_, ++at_) == 0 ? dp_->rbp : nullptr;
    }

private:
    dbf *dp_;
    int at_ = 0;
};

// The file-name part of a path in a buffer of ours.
char *name_part(char *p) { return p + (zp::file_name_part(p) - p); }

bool same_text_nocase(const char *a, const char *b) {
    for (;; ++a, ++b) {
        auto x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;
        if (!x) return true;
    }
}

// Builds a new index file at `file` (anything there before is deleted)
// from the table; false, with the file removed, when the build or the
// header's write failed.
bool build_index_file(dbf *from, const char *file, const char *expr, bool unique) {
    zp::delete_file(file);
    ndx *x = ndx_create(file, expr, unique);
    if (!x) return false;
    bool built;
    try {
        table_source src(from);
        built = ndx_build(x, src) && ndx_flush(x);
    } catch (char *) {
        ndx_close(x);
        zp::delete_file(file);
        throw;
    }
    ndx_close(x);
    if (!built) zp::delete_file(file);
    return built;
}

// The work file an index is built into before it takes the index's place.
void index_work_path(const ndx *ip, char *out, unsigned size) { ndx_work_path(ip->path, "$$N", out, size); }

}  // namespace

// ---- keys ---------------------------------------------------------------------

void DBE::make_key_layout(int i) {
    if (!keys[i]) keys[i] = new ndx_key_layout;
    table_source fields(dbp->dp);
    ndx_key_layout_for(dbp->ip[i], fields, keys[i]);
}

// Puts index i's cursor on the entry with this key and record number.
// Equal keys lie together, so the walk ends at the first different key.
bool DBE::find_entry(int i, const unsigned char *key, int rno) {
    ndx *ip = dbp->ip[i];
    int klen = ndx_key_len(ip);
    std::uint32_t r = ndx_search(ip, key, klen);
    while (r && r != static_cast<std::uint32_t>(rno)) {
        r = ndx_next(ip);
        if (r && ndx_compare(ip, key, klen) != 0) r = 0;
    }
    if (i == dbp->cur) idx_at = r ? rno : 0;
    return r != 0;
}

// ---- opening --------------------------------------------------------------------

int DBE::open_index(const char *p) {
    if (!p || !zu_exist(p)) zdb_raise("インデックスファイル %s がありません zdb_open_ndx:1 ", p ? p : "(null)");
    zu_print("インデックスファイル名：%s.NDX\n", p);
    if (dbp->nidx >= ZDB_MAX_INDEX) {
        ZU_DB_ERR(IE_IDXOVER, UNIT);
        return 0;
    }
    ndx *x = ndx_open(p);
    if (!x) zdb_raise("インデックスファイル %s がありません zdb_open_ndx:2 ", p);
    int n = dbp->nidx + 1;
    dbp->ip[n] = x;
    make_key_layout(n);
    // A part naming no field is reported; that index then has no key for
    // any record.
    const auto &parts = keys[n]->parts;
    for (std::size_t k = 0; k < parts.size() && k < ZDB_MAX_PARTS; ++k)
        if (parts[k].field < 0) ZU_DB_ERR(IE_NOKEY, "Db_emlt");
    if (parts.size() > ZDB_MAX_PARTS) {
        dbp->ip[n] = nullptr;
        delete keys[n];
        keys[n] = nullptr;
        ndx_close(x);
        zdb_raise("%s", "複合キー最大個数。を超えました。DBE::open_index()");
    }
    dbp->nidx = n;
    if (!dbp->cur) {
        dbp->cur = n;
        idx_top();
    }
    return n;
}

bool DBE::idx_open_listed() {
    char folder[260];
    zu_copy(folder, sizeof folder, sep_path(path));
    std::vector<std::string> names;
    zdb_each_line(iname_fname, 260, [&](char *line) {
        char *name = trim(line, 3);
        if (*name) names.emplace_back(name);
    });
    for (const auto &name : names) {
        char full[520];
        zu_copy(full, sizeof full, folder);
        zu_append(full, sizeof full, name.c_str());
        open_index(full);
    }
    return !names.empty();
}

// Creates and builds one definition-file index and adds its file name to
// the list; false when that failed (after its report).
bool DBE::recreate_one(const char *expr, bool unique, char *list, unsigned list_size) {
    char name[520];
    zu_copy(name, sizeof name, path);
    if (char *dot = std::strchr(name_part(name), '.')) *dot = '\0';
    zu_append(name, sizeof name, ".");
    zu_append(name, sizeof name, expr);
    zu_append(name, sizeof name, ".IDEX");
    for (char *q = name_part(name); *q; ++q)
        if (*q == ';') *q = '.';
    if (std::strlen(name) >= 260) {
        ZU_DB_ERR(IE_NOFILE, UNIT);
        return false;
    }
    if (!build_index_file(dbp->dp, name, expr, unique)) return false;
    zu_append(list, list_size, rtvfil(name));
    zu_append(list, list_size, "\r\n");
    return true;
}

void DBE::idx_recreate_defined() {
    if (!field_fname[0]) zdb_raise("%s", "field_fnameがセットされていません。");
    if (!iname_fname[0]) zdb_raise("%s", "iname_fnameがセットされていません。");
    if (zu_exist(iname_fname)) zu_remove(iname_fname);
    std::vector<std::pair<std::string, bool>> defs;
    zdb_each_line(field_fname, 64, [&](char *line) {
        if (line[0] == '*') return;
        char *comma = std::strchr(line, ',');
        if (!comma) return;
        *comma = '\0';
        char *type = comma + 1;
        if (char *c = std::strchr(type, ',')) *c = '\0';
        char *expr = trim(line, 3);
        type = trim(type, 3);
        if (!*expr || (type[0] != 'I' && type[0] != 'i' && type[0] != 'P')) return;
        defs.emplace_back(expr, type[0] == 'P');
    });
    // An empty list would keep the table from opening: it is only written
    // when it names an index.
    static char list[ZDB_MAX_INDEX * 300 + 64];
    std::string text;
    for (const auto &d : defs) {
        list[0] = '\0';
        if (!recreate_one(d.first.c_str(), d.second, list, sizeof list)) break;
        text += list;
    }
    if (text.empty()) return;
    zp::fhandle fh = zp::lcreat(iname_fname);
    if (fh == zp::HFILE_ERR) {
        ZU_DB_ERR(IE_WRITE, UNIT);
        return;
    }
    bool written = zp::lwrite(fh, text.data(), static_cast<unsigned>(text.size())) == text.size();
    if (zp::lclose(fh) != 0) written = false;
    if (!written) {
        // An empty or cut list would keep the table from opening.
        ZU_DB_ERR(IE_WRITE, UNIT);
        zp::delete_file(iname_fname);
    }
}

// ---- selecting --------------------------------------------------------------------

int DBE::chg_index(const char *expr) {
    for (int i = 1; expr && i <= dbp->nidx; ++i) {
        if (same_text_nocase(expr, ndx_expr(dbp->ip[i]))) {
            dbp->cur = i;
            idx_top();
            return i;
        }
    }
    zdb_raise("%s このインデックスはありません %s", expr ? expr : "(null)", path);
}

const char *DBE::chg_index_by_no(int n) {
    if (n < 0 || n > dbp->nidx) zdb_raise("%u このインデックス番号はありません %s", static_cast<unsigned>(n), path);
    dbp->cur = n;
    if (n == 0) {
        dbp->rno = 1;
        dbp->bof = dbp->eof = n_rec() == 0;
        return nullptr;
    }
    idx_top();
    return ndx_expr(dbp->ip[n]);
}

int DBE::is_uniq_index(const char *expr) {
    if (!dbp->nidx) return 0;
    int at = 0;
    if (!expr) {
        at = dbp->cur;
    } else {
        for (int i = 1; i <= dbp->nidx && !at; ++i)
            if (same_text_nocase(expr, ndx_expr(dbp->ip[i]))) at = i;
    }
    return at && ndx_unique(dbp->ip[at]) ? 1 : 0;
}

// ---- navigation -------------------------------------------------------------------

void DBE::set_eof() {
    dbp->rno = n_rec() + 1;
    dbp->eof = true;
    dbp->bof = n_rec() == 0;
    idx_at = 0;
}

void DBE::set_bof() {
    dbp->rno = 1;
    dbp->bof = true;
    dbp->eof = n_rec() == 0;
    idx_at = 0;
}

// Stands on record `r`, found through the current index.
void DBE::idx_land(std::uint32_t r) {
    dbp->rno = static_cast<int>(r);
    dbp->bof = dbp->eof = false;
    idx_at = dbp->rno;
}

void DBE::idx_top() {
    if (std::uint32_t r = ndx_first(dbp->ip[dbp->cur])) idx_land(r);
    else set_bof();
}

void DBE::idx_bottom() {
    if (std::uint32_t r = ndx_last(dbp->ip[dbp->cur])) idx_land(r);
    else set_eof();
}

void DBE::idx_move(int n) {
    ndx *ip = dbp->ip[dbp->cur];
    long long k = n < 0 ? -static_cast<long long>(n) : n;
    std::uint32_t r;
    if (n > 0 ? dbp->bof : dbp->eof) {
        r = n > 0 ? ndx_first(ip) : ndx_last(ip);
        --k;
    } else if (n > 0 ? dbp->eof : dbp->bof) {
        r = 0;  // already past that end
    } else {
        // The cursor may have been moved by a change to the index: put it
        // back on the current record first.
        if (idx_at != dbp->rno) idx_position(dbp->rno);
        r = idx_at == dbp->rno ? static_cast<std::uint32_t>(dbp->rno) : 0;
    }
    while (r && k > 0) {
        r = n > 0 ? ndx_next(ip) : ndx_prev(ip);
        --k;
    }
    if (r) {
        idx_land(r);
    } else if (n > 0) {
        set_eof();
    } else {
        set_bof();
    }
}

void DBE::idx_position(int rno) {
    idx_at = 0;
    if (!dbp->cur || rno < 1 || rno > n_rec()) return;
    if (dbf_read(dbp->dp, rno) != 0) return;
    unsigned char key[KEY_ROOM];
    if (!ndx_make_key(*keys[dbp->cur], dbp->dp->rbp, key)) return;
    find_entry(dbp->cur, key, rno);
}

int DBE::idx_following() {
    if (idx_at != dbp->rno) idx_position(dbp->rno);
    if (idx_at != dbp->rno) return 0;
    idx_at = 0;
    return static_cast<int>(ndx_next(dbp->ip[dbp->cur]));
}

void DBE::idx_goto(int rno) {
    if (rno <= 0 || rno > n_rec())
        set_eof();
    else
        set_rno(rno);
}

// ---- seeks -----------------------------------------------------------------------

// Makes the current index's key of `text` into `key` and stands where the
// index's search lands for it, or at EOF; gives the key's length.
int DBE::search_text(const char *text, unsigned char *key) {
    int len = ndx_text_key(*keys[dbp->cur], text, key);
    std::uint32_t r = ndx_search(dbp->ip[dbp->cur], key, len);
    if (r) {
        idx_land(r);
    } else {
        set_eof();
    }
    return len;
}

int DBE::seek(const char *text) {
    if (!text) zdb_raise("%s", "null DBE::seek(char *src)");
    if (!*text) zdb_raise("%s", "eol DBE::seek(char *src)");
    if (!dbp->nidx) return 0;
    if (!dbp->cur) zdb_raise("インデックスファイルがオープンされていません %s ", path);
    ndx *ip = dbp->ip[dbp->cur];
    unsigned char key[KEY_ROOM];
    int len = search_text(text, key);
    if (zdb_use_deleted) {
        pass(1);
        if (on_record() && ndx_compare(ip, key, len) != 0) set_eof();
    }
    if (!on_record()) return 0;
    load();
    return dbp->rno;
}

int DBE::seek_first(const char *text) {
    if (!dbp->cur || !text || !*text) return 0;
    ndx *ip = dbp->ip[dbp->cur];
    unsigned char key[KEY_ROOM];
    int len = search_text(text, key);
    pass(1);
    int count = 0;
    while (on_record() && ndx_compare(ip, key, len) == 0) {
        ++count;
        move(1);
        pass(1);
    }
    match_lrec = count;
    if (!count) return 0;
    return seek(text);
}

int DBE::seek_next() {
    if (!dbp) zdb_raise("%s", " プログラムエラー seek_next を呼ぶには、先にseek_first を呼んで下さい。");
    if (match_lrec == 0) zdb_raise("%s", " プログラムエラー seek_next()：match_lrecが0です ");
    if (--match_lrec == 0) return 0;
    move(1);
    pass(1);
    load();
    return 1;
}

// The width of the next part of the current index's key; the counter
// moves on.  Too many parts, or a key that would not fit the buffer with
// its closing NUL, are program errors.
unsigned DBE::next_key_width(const char *function) {
    if (!dbp->nidx || !dbp->cur) zdb_raise("インデックスがオープンされていません %s", function);
    const auto &parts = keys[dbp->cur]->parts;
    const char *expr = ndx_expr(dbp->ip[dbp->cur]);
    auto nparts = static_cast<unsigned>(parts.size());
    ++zdb_key_parts;
    if (zdb_key_parts > nparts)
        zdb_raise("複合キーの個数がオーバーしました %s <%s> 複合キーの数:%u 与えられたパラメータ数:%u ", path, expr,
                  nparts, zdb_key_parts);
    unsigned w = parts[zdb_key_parts - 1].width;
    if (zdb_key_pos + w + 1 > ZDB_KEY_BUF) {
        --zdb_key_parts;
        zdb_raise("複合キーが長すぎます %s <%s> キーバッファ:%u バイト 必要な長さ:%u %s", path, expr, ZDB_KEY_BUF,
                  zdb_key_pos + w + 1, function);
    }
    return w;
}

void DBE::add_key_part(const char *text) {
    if (!dbp->nidx || !dbp->cur) zdb_raise("%s", "インデックスがオープンされていません zdbSSKey");
    if (!text) zdb_raise("%s", "PGM Error zdbSSKey");
    unsigned w = next_key_width("zdbSSKey");
    zdb_padded_copy(zdb_key_buf + zdb_key_pos, w, text);
    zdb_key_pos += w;
    zdb_key_buf[zdb_key_pos] = '\0';
}

void DBE::add_key_number(int value) {
    unsigned w = next_key_width("zdbSIKey");
    char format[16], text[ZDB_KEY_BUF + 32];
    zu_format(format, sizeof format, "%%%uu", w);
    zu_format(text, sizeof text, format, static_cast<unsigned>(value));
    std::memcpy(zdb_key_buf + zdb_key_pos, text, w);
    zdb_key_pos += w;
    zdb_key_buf[zdb_key_pos] = '\0';
}

const char *DBE::index_path(int i) const { return dbp->ip[i]->path; }

bool DBE::reindex() {
    bool all = idx_rebuild_all();
    if (dbp->cur) {
        idx_top();
    } else {
        dbp->rno = 1;
        dbp->bof = dbp->eof = n_rec() == 0;
    }
    return all;
}

// ---- upkeep -----------------------------------------------------------------------

bool DBE::idx_chk_dup(bool appending) {
    dbf *dp = dbp->dp;
    unsigned n = rlen() - 1;
    std::memcpy(dp->rbp + 1, rec, n);
    dp->held = 0;
    for (int i = 1; i <= dbp->nidx; ++i) {
        ndx *ip = dbp->ip[i];
        if (!ndx_unique(ip)) continue;
        int klen = ndx_key_len(ip);
        if (klen > 254) zdb_raise("DBASE3 の最大ﾌｨｰﾙﾄﾞ長は %u までです chk_idx_dup() ", 254u);
        unsigned char key[KEY_ROOM];
        if (!ndx_make_key(*keys[i], dp->rbp, key)) zdb_raise("%s", "chk_idx_dup() プログラムエラー");
        std::uint32_t r = ndx_search(ip, key, klen);
        if (i == dbp->cur) idx_at = 0;
        if (r && (appending || r != static_cast<std::uint32_t>(dbp->rno))) {
            char text[KEY_ROOM + 1];
            if (ndx_key_type(ip) == NDX_NUMERIC) {
                double v;
                std::memcpy(&v, key, 8);
                zu_format(text, sizeof text, "%.15g", v);
            } else if (ndx_key_type(ip) == NDX_INTEGER) {
                std::int32_t v;
                std::memcpy(&v, key, 4);
                zu_format(text, sizeof text, "%d", static_cast<int>(v));
            } else {
                std::memcpy(text, key, static_cast<std::size_t>(klen));
                text[klen] = '\0';
            }
            char trimmed[sizeof text];
            zu_copy(trimmed, sizeof trimmed, text);
            std::size_t tl = std::strlen(trimmed);
            while (tl > 0 && trimmed[tl - 1] == ' ') trimmed[--tl] = '\0';
            if (appending)
                msgf("%s %s フィールド名[%s] \"%s\" が重複しています。\r\n", now_string(), path, ndx_expr(ip), trimmed);
            msgf("%s %s :ﾌｧｲﾙ %s ｲﾝﾃﾞｯｸｽ %s 内容 %s  ｷｰ長 %2u 実際のｷｰ長 %2u 追加番号(dbp->rno)=%7lu(%s)\n",
                 now_string(), "重複キー", path, ndx_expr(ip), text, static_cast<unsigned>(klen),
                 static_cast<unsigned>(std::strlen(text)), static_cast<unsigned long>(dbp->rno) + 1,
                 appending ? "DBE::append" : "DBE::update");
            return true;
        }
    }
    return false;
}

void DBE::idx_append_keys(int rno) {
    unsigned char key[KEY_ROOM];
    for (int i = 1; i <= dbp->nidx; ++i)
        if (ndx_make_key(*keys[i], dbp->dp->rbp, key)) ndx_insert(dbp->ip[i], key, static_cast<std::uint32_t>(rno));
    idx_at = 0;
}

void DBE::idx_update_keys(int rno, const char *fields) {
    dbf *dp = dbp->dp;
    unsigned n = rlen() - 1;
    for (int i = 1; i <= dbp->nidx; ++i) {
        ndx *ip = dbp->ip[i];
        if (dbf_read(dp, rno) != 0) break;
        unsigned char old_key[KEY_ROOM], new_key[KEY_ROOM];
        bool found = ndx_make_key(*keys[i], dp->rbp, old_key) && find_entry(i, old_key, rno);
        std::memcpy(dp->rbp + 1, fields, n);
        dp->held = 0;
        bool have_new = ndx_make_key(*keys[i], dp->rbp, new_key);
        if (found && have_new && std::memcmp(old_key, new_key, static_cast<std::size_t>(ndx_key_len(ip))) == 0) continue;
        if (found) ndx_delete(ip);
        if (have_new) ndx_insert(ip, new_key, static_cast<std::uint32_t>(rno));
    }
    idx_at = 0;
}

void DBE::idx_remove_keys(int last) {
    unsigned char key[KEY_ROOM];
    for (int i = 1; i <= dbp->nidx; ++i)
        if (ndx_make_key(*keys[i], dbp->dp->rbp, key) && find_entry(i, key, last)) ndx_delete(dbp->ip[i]);
    idx_at = 0;
}

// ---- files --------------------------------------------------------------------------

void DBE::idx_flush_all() {
    for (int i = 1; i <= dbp->nidx; ++i) ndx_flush(dbp->ip[i]);
}

void DBE::idx_close_all() {
    for (int i = 1; i <= ZDB_MAX_INDEX; ++i) {
        if (dbp->ip[i]) ndx_close(dbp->ip[i]);
        dbp->ip[i] = nullptr;
        delete keys[i];
        keys[i] = nullptr;
    }
    dbp->nidx = dbp->cur = 0;
    idx_at = 0;
}

bool DBE::idx_build_work(dbf *from, const char *ext) {
    for (int i = 1; i <= dbp->nidx; ++i) {
        char work[260];
        ndx_work_path(dbp->ip[i]->path, ext, work, sizeof work);
        bool built;
        try {
            built = build_index_file(from, work, ndx_expr(dbp->ip[i]), ndx_unique(dbp->ip[i]));
        } catch (char *) {
            idx_drop_work(ext);
            throw;
        }
        if (!built) {
            idx_drop_work(ext);
            return false;
        }
    }
    return true;
}

void DBE::idx_drop_work(const char *ext) {
    for (int i = 1; i <= dbp->nidx; ++i) {
        char work[260];
        ndx_work_path(dbp->ip[i]->path, ext, work, sizeof work);
        zp::delete_file(work);
    }
}

bool DBE::idx_swap_work() {
    bool all = true;
    for (int i = 1; i <= dbp->nidx;) {
        char file[260], work[260];
        zu_copy(file, sizeof file, dbp->ip[i]->path);
        index_work_path(dbp->ip[i], work, sizeof work);
        ndx_close(dbp->ip[i]);
        dbp->ip[i] = nullptr;
        if (!dbf_swap_in(work, file)) all = false;
        dbp->ip[i] = ndx_open(file);
        if (dbp->ip[i]) {
            make_key_layout(i);  // the build may have given the header another key type
            ++i;
            continue;
        }
        // An index that cannot be opened again leaves the list.
        all = false;
        delete keys[i];
        for (int j = i; j < dbp->nidx; ++j) {
            dbp->ip[j] = dbp->ip[j + 1];
            keys[j] = keys[j + 1];
        }
        dbp->ip[dbp->nidx] = nullptr;
        keys[dbp->nidx] = nullptr;
        if (dbp->cur == i) dbp->cur = 0;
        if (dbp->cur > i) --dbp->cur;
        --dbp->nidx;
    }
    idx_at = 0;
    return all;
}

bool DBE::idx_use_empty(dbf *work, ndx **kept) {
    if (!idx_build_work(work, "$$J")) return false;
    int n = dbp->nidx;
    ndx *made[ZDB_MAX_INDEX + 1] = {};
    bool opened = true;
    for (int i = 1; i <= n && opened; ++i) {
        char file[260];
        ndx_work_path(dbp->ip[i]->path, "$$J", file, sizeof file);
        opened = (made[i] = ndx_open(file)) != nullptr;
    }
    if (!opened) {
        for (int i = 1; i <= n; ++i) ndx_close(made[i]);
        idx_drop_work("$$J");
        return false;
    }
    for (int i = 1; i <= n; ++i) {
        kept[i] = dbp->ip[i];
        dbp->ip[i] = made[i];
        make_key_layout(i);
    }
    idx_at = 0;
    return true;
}

void DBE::idx_put_back(ndx **kept) {
    for (int i = 1; i <= dbp->nidx; ++i) {
        char file[260];
        zu_copy(file, sizeof file, dbp->ip[i]->path);
        ndx_close(dbp->ip[i]);
        zp::delete_file(file);
        dbp->ip[i] = kept[i];
        make_key_layout(i);
    }
    idx_at = 0;
}

bool DBE::idx_rebuild_all() { return idx_build_work(dbp->dp) && idx_swap_work(); }
