// The whole-table operations and their zdb exports: pack, sort, copies
// between tables, clone and clean-up of a table's files, and the comma and
// fixed-width text exports and imports.
//
// Pack and sort never rewrite the table in place: the new table is written
// to a work file beside it (extension $$P or $$S), every open index is
// built from it into a work file beside the index ($$N), and the table and
// then each index take their places only when all of them are complete
// (dbf_replace, DBE::idx_swap_work); a failure part-way leaves the table
// and its indexes as they were.  Each file takes its place by one rename
// over the old one, so a crash leaves under each name the old file or the
// new one, whole.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "base/base.h"
#include "base/sjis.h"
#include "zudbtool.h"
#include "zudbtool/dbe.h"
#include "zudbtool/ndx.h"
#include "zudbtool/ndx_build.h"
#include "zudbtool/ndx_key.h"

namespace {

// Writes a new table through `fill` (which appends records to the work
// table and gives false when it must stop) and puts it in the place of the
// table.  A failure is reported, with the table as it was.
template <class F>
void rewrite(DBE *d, const char *ext, const char *function, F &&fill) {
    char work[260];
    ndx_work_path(d->dbp->dp->path, ext, work, sizeof work);
    dbf *w = dbf_create_like(d->dbp->dp, work);
    if (!w) zdb_raise("作業ファイル %s が作れません。テーブルは元のままです %s", work, function);
    bool filled;
    try {
        filled = fill(w) && dbf_flush(w) && d->idx_build_work(w);
    } catch (...) {
        dbf_close(w);
        zp::delete_file(work);
        throw;
    }
    if (!filled) {
        dbf_close(w);
        zp::delete_file(work);
        zdb_raise("書き込みエラー %s 。テーブル %s は元のままです %s", work, d->path, function);
    }
    if (!dbf_replace(&d->dbp->dp, w)) {
        d->idx_drop_work();
        if (!d->dbp->dp) zdb_raise("テーブル %s が開けません %s", d->path, function);
        zdb_raise("テーブル %s を置き換えられません。テーブルは元のままです %s", d->path, function);
    }
    d->dbp->dp->held = 0;
    if (!d->idx_swap_work())
        zdb_raise("インデックスが置き換えられません。テーブル %s は新しい内容です。zdbReIndex で作り直してください %s",
                  d->path, function);
    d->chg_index_by_no(d->dbp->cur);
}

// The raw text of a field, blank-padded or cut to `width` bytes.
std::string raw_sized(const char *text, unsigned from_len, unsigned width) {
    std::string s(text, from_len);
    s.resize(width, ' ');
    return s;
}

// Copies a whole file (overwriting the target); false on any failure.
bool copy_file(const char *from, const char *to) {
    zp::fhandle in = zp::lopen(from, zp::OPEN_READ);
    if (in == zp::HFILE_ERR) return false;
    zp::fhandle out = zp::lcreat(to);
    if (out == zp::HFILE_ERR) {
        zp::lclose(in);
        return false;
    }
    static char buf[0x8000];
    bool ok = true;
    for (;;) {
        unsigned n = zp::lread(in, buf, sizeof buf);
        if (n == static_cast<unsigned>(-1)) {
            ok = false;
            break;
        }
        if (n == 0) break;
        if (zp::lwrite(out, buf, n) != n) {
            ok = false;
            break;
        }
    }
    zp::lclose(in);
    if (zp::lclose(out) == zp::HFILE_ERR) ok = false;
    return ok;
}

// A table opened by path for a copy; closed on every way out.
struct opened {
    DBE d;
    explicit opened(const char *path) {
        d.open(path, 0);
        if (!d.dbp) zdb_raise("データベースファイル %s が開けません", path ? path : "(null)");
    }
    ~opened() {
        if (d.dbp) {
            try {
                d.close();
            } catch (char *) {
            }
        }
    }
};

// Field by field as text (zdbCopyTable).
void copy_table(DBE *src, DBE *dst, bool clear) {
    if (clear) dst->clear_table();
    int n = src->dbp->dp->nfld;
    src->go_top();
    while (src->on_record()) {
        for (int i = 1; i <= n; ++i) {
            int j = dst->fld_name2fld_no(src->field(i).name);
            if (j > 0) dst->store(src->restore(i, false), j, false);
        }
        dst->append(1);
        src->skip(1);
    }
    src->go_top();
}

// One comma-text value: a leading double quote goes, and then a trailing one.
char *unquote(char *v) {
    if (*v != '"') return v;
    ++v;
    std::size_t n = std::strlen(v);
    if (n > 0 && v[n - 1] == '"') v[n - 1] = '\0';
    return v;
}

// Cuts `line` at every occurrence of `sep` (at character starts) and calls
// `f` with each value.
template <class F>
void each_value(char *line, const char *sep, F &&f) {
    std::size_t n = std::strlen(sep);
    char *start = line;
    for (char *p = line; *p;) {
        if (std::strncmp(p, sep, n) == 0) {
            *p = '\0';
            f(start);
            p += n;
            start = p;
            continue;
        }
        p += zu_char_len(p);
    }
    f(start);
}

}  // namespace

ZU_API int ZU_CALL zdbPack(void *dbe) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbPack");
        rewrite(d, "$$P", "zdbPack", [&](dbf *w) {
            dbf *dp = d->dbp->dp;
            unsigned rl = d->rlen();
            for (int i = 1, n = dbf_n_rec(dp); i <= n; ++i) {
                if (dbf_read(dp, i) != 0) return false;
                if (dp->rbp[0] == '*') continue;
                std::memcpy(w->rbp, dp->rbp, rl);
                if (dbf_append(w) != 0) return false;
            }
            return true;
        });
        return 0;
    });
}

ZU_API int ZU_CALL zdbSort(void *dbe, const char *work_path) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbSort");
        (void)work_path;  // the records go straight into the new table file
        int refused = 0;
        rewrite(d, "$$S", "zdbSort", [&](dbf *w) {
            // Keys already taken in each unique index.
            std::vector<std::set<std::string>> taken(static_cast<std::size_t>(d->dbp->nidx) + 1);
            dbf *dp = d->dbp->dp;
            unsigned n = d->rlen() - 1;
            // The walk must meet every record it passes by: an index page
            // or record that cannot be read stops the sort, not the table.
            int expected = dbf_n_rec(dp), visited = 0;
            for (int i = 1, last = expected; zdb_use_deleted && i <= last; ++i) {
                int del = dbf_is_deleted(dp, i);
                if (del < 0) return false;
                expected -= del;
            }
            d->go_top();
            while (d->on_record()) {
                if (dbf_read(dp, d->dbp->rno) != 0) return false;
                ++visited;
                w->rbp[0] = ' ';
                std::memcpy(w->rbp + 1, dp->rbp + 1, n);
                bool duplicate = false;
                for (int i = 1; i <= d->dbp->nidx && !duplicate; ++i) {
                    ndx *ip = d->dbp->ip[i];
                    unsigned char key[NDX_KEY_MAX + 4];
                    if (!ndx_unique(ip) || !ndx_make_key(*d->keys[i], w->rbp, key)) continue;
                    std::string k(reinterpret_cast<char *>(key), static_cast<std::size_t>(ndx_key_len(ip)));
                    duplicate = !taken[static_cast<std::size_t>(i)].insert(k).second;
                }
                if (duplicate)
                    ++refused;
                else if (dbf_append(w) != 0)
                    return false;
                d->skip(1);
            }
            return visited == expected;
        });
        d->go_top();
        return refused;
    });
}

ZU_API int ZU_CALL zdbCopyTable(void *source, void *target, int clear) {
    return zu_export([&] {
        DBE *src = live_table(source, "zdbCopyTable");
        DBE *dst = live_table(target, "zdbCopyTable");
        copy_table(src, dst, clear != 0);
        return 0;
    });
}

ZU_API int ZU_CALL zdbCopyTableStatic(const char *source_path, const char *target_path, int clear) {
    return zu_export([&] {
        opened src(source_path);
        opened dst(target_path);
        copy_table(&src.d, &dst.d, clear != 0);
        src.d.close();
        dst.d.close();
        return 0;
    });
}

ZU_API int ZU_CALL zdbDBCopy(void *dbe, const char *target_path, int append) {
    return zu_export([&] {
        DBE *src = live_table(dbe, "zdbDBCopy");
        opened dst(target_path);
        if (!append) dst.d.clear_table();
        int n = src->dbp->dp->nfld;
        bool refused = false;
        src->go_top();
        while (src->on_record()) {
            for (int i = 1; i <= n; ++i) {
                const dbf_field &f = src->field(i);
                int j = dst.d.fld_name2fld_no(f.name);
                if (j <= 0) continue;
                std::string raw = raw_sized(src->restore(i, true), f.len, dst.d.field(j).len);
                dst.d.store(raw.c_str(), j, true);
            }
            if (dst.d.append(1) == 1) refused = true;
            src->skip(1);
        }
        src->go_top();
        dst.d.close();
        return refused ? 1 : 0;
    });
}

ZU_API int ZU_CALL zdbRecordCopy(void *source, void *target) {
    return zu_export([&] {
        DBE *src = live_table(source, "zdbRecordCopy");
        DBE *dst = live_table(target, "zdbRecordCopy");
        dst->store(src->restore(0, false), 0, false);
        return 0;
    });
}

ZU_API int ZU_CALL zdbCloneStatic(const char *source_path, const char *target_path) {
    return zu_export([&] {
        if (!source_path || !target_path || !copy_file(source_path, target_path)) zdb_raise("%s", "DBE_Clone:1");
        char src_list[260], dst_list[260], src_folder[260], dst_folder[260], base[260];
        if (!zdb_companion(src_list, source_path, ".INAME") || !zdb_companion(dst_list, target_path, ".INAME"))
            zdb_raise("%s", "DBE_Clone:2");
        zu_copy(src_folder, sizeof src_folder, sep_path(source_path));
        zu_copy(dst_folder, sizeof dst_folder, sep_path(target_path));
        zu_copy(base, sizeof base, rtvfil(target_path));
        if (char *dot = std::strrchr(base, '.')) *dot = '\0';
        ZUIO list;
        std::vector<std::string> lines;
        zdb_each_line(src_list, 260, [&](char *line) { lines.emplace_back(line); });
        list.open(dst_list, ZUIO_CREATE, 0);
        for (const std::string &line : lines) {
            char name[260], from[520], to[520];
            zu_copy(name, sizeof name, base);
            std::size_t dot = line.find('.');
            if (dot != std::string::npos) zu_append(name, sizeof name, line.c_str() + dot);
            list.write(name);
            list.write("\r\n");
            zu_format(from, sizeof from, "%s%s", src_folder, line.c_str());
            zu_format(to, sizeof to, "%s%s", dst_folder, name);
            if (!copy_file(from, to)) {
                list.close();
                zdb_raise("%s", "DBE_Clone:2");
            }
        }
        list.close();
        return 0;
    });
}

ZU_API int ZU_CALL zdbCleanUp(const char *path) {
    return zu_export([&] {
        if (!path || !*path) return 1;
        char list[260], defs[260], folder[260];
        if (!zdb_companion(list, path, ".INAME") || !zdb_companion(defs, path, ".FIELD")) return 1;
        zu_copy(folder, sizeof folder, sep_path(path));
        if (zu_exist(path)) zu_remove(path);
        if (zu_exist(list)) {
            // The index files are named relative to the table's folder, as
            // the open finds them.
            std::vector<std::string> names;
            zdb_each_line(list, 260, [&](char *line) {
                char *name = trim(line, 3);
                if (*name) names.emplace_back(name);
            });
            for (const std::string &n : names) {
                char full[520];
                zu_format(full, sizeof full, "%s%s", folder, n.c_str());
                if (zu_exist(full)) zu_remove(full);
            }
            zu_remove(list);
        }
        if (zu_exist(defs)) zu_remove(defs);
        return 0;
    });
}

ZU_API int ZU_CALL zdbExport(void *dbe, const char *path, int header, int append) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbExport");
        int n = d->dbp->dp->nfld;
        d->go_top();
        ZUIO f;
        f.open(path, append ? ZUIO_APPEND : ZUIO_CREATE, 0);
        if (header) {
            for (int i = 1; i <= n; ++i) {
                f.write(d->field(i).name);
                f.write(",");
            }
            f.write("\r\n");
        }
        while (d->on_record()) {
            for (int i = 1; i <= n; ++i) {
                f.write(d->restore(i, false));
                f.write(",");
            }
            f.write("\r\n");
            d->skip(1);
        }
        f.close();
        d->go_top();
        return 0;
    });
}

ZU_API int ZU_CALL zdbExportSDF(void *dbe, const char *path) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbExportSDF");
        ZUIO f;
        f.open(path, ZUIO_CREATE, 0);
        d->go_top();
        while (d->on_record()) {
            f.write(d->rec, d->rlen() - 1);
            f.write("\r\n");
            d->skip(1);
        }
        f.close();
        return 0;
    });
}

ZU_API int ZU_CALL zdbExportRecord(void *dbe, const char *path) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbExportRecord");
        ZUIO f;
        f.open(path, ZUIO_APPEND, 0);
        int failed = f.write(d->rec, d->rlen() - 1);
        if (!failed) failed = f.write("\r\n");
        f.close();
        return failed ? 0 : 1;
    });
}

namespace {

// Replaces the records by the lines of a text: the whole text is read
// first, so that a text that is missing or cannot be read leaves the table
// as it was.  The table is reopened (which also puts the first index
// current), then the handle is turned to an empty work table ($$I) with
// empty work indexes, and `f` gets each line; a duplicate key is checked
// against the records before it, as in the table itself.  The work table
// then takes the table's place as in a pack; a failed file call on the
// way leaves the table as it was.
template <class F>
void replace_records(DBE *d, const char *path, int reclen, const char *function, F &&f) {
    std::vector<std::string> lines;
    zdb_each_line(path, reclen, [&](char *line) { lines.emplace_back(line); });
    d->reopen();
    if (!d->dbp) zdb_raise("テーブル %s を空にできません %s", d->path, function);
    rewrite(d, "$$I", function, [&](dbf *w) {
        unsigned failures = zu_db_failures();
        ndx *kept[ZDB_MAX_INDEX + 1] = {};
        if (!d->idx_use_empty(w, kept)) return false;
        dbf *table = d->dbp->dp;
        auto put_back = [&] {
            d->dbp->dp = table;
            d->idx_put_back(kept);
        };
        w->changed = true;  // the header is written (with the date) even with no record
        d->dbp->dp = w;
        try {
            d->go_top();
            d->clear_buf();
            for (std::string &line : lines) f(&line[0]);
        } catch (...) {
            put_back();
            throw;
        }
        bool clean = zu_db_failures() == failures;
        put_back();
        return clean;
    });
    d->go_top();
}

}  // namespace

ZU_API int ZU_CALL zdbImport(void *dbe, const char *path, const char *delimiter) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbImport");
        const char *sep = delimiter && *delimiter ? delimiter : ",";
        int n = d->dbp->dp->nfld;
        int refused = 0;
        replace_records(d, path, 1024, "zdbImport", [&](char *line) {
            int i = 0;
            each_value(line, sep, [&](char *v) {
                if (++i <= n) d->store(unquote(v), i, false);
            });
            refused += d->append(1);
        });
        return refused;
    });
}

ZU_API int ZU_CALL zdbImportSDF(void *dbe, const char *path) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbImportSDF");
        int counted = 0;
        replace_records(d, path, static_cast<int>(d->rlen()) + 3, "zdbImportSDF", [&](char *line) {
            if (d->store(line, 0, false) != 0) {
                ++counted;
                return;
            }
            counted += d->append(1);
        });
        return counted;
    });
}
