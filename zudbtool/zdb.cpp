// The zdb exports: the call interface over the table object.
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "zudbtool.h"
#include "zudbtool/dbe.h"
#include "zudbtool/ndx.h"

DBE *live_table(void *h, const char *function) {
    if (!h) zdb_raise("DBE Handle = 0 %s", function);
    if (!zdb_is_live(h)) zdb_raise("プログラムエラー DBE Handle = %p は、開いているデータベースではありません %s", h, function);
    DBE *d = static_cast<DBE *>(h);
    if (!d->dbp) zdb_raise(" プログラムエラー '%s' このデータベースは、クローズしています\n", d->path);
    return d;
}

namespace {

void *open_table(const char *path, const char *mutex_name, int mode) {
    DBE *d = new DBE;
    if (mutex_name) zu_copy(d->mutex_name, sizeof d->mutex_name, mutex_name);
    try {
        d->open(path, mode);
    } catch (char *) {
        delete d;
        throw;
    }
    if (!d->dbp) {
        delete d;
        return nullptr;
    }
    zdb_register(d);
    return d;
}

// A field's text as an integer: 0 unless it is blanks, one minus sign,
// then digits and dots.
int text_to_int(const char *t) {
    const char *p = t;
    while (*p == ' ') ++p;
    if (*p == '-') ++p;
    for (; *p; ++p)
        if (!((*p >= '0' && *p <= '9') || *p == '.')) return 0;
    return std::atoi(t);
}

}  // namespace

ZU_API void *ZU_CALL zdbCreateTable(const char *path) {
    return zu_export([&]() -> void * {
        DBE *d = new DBE;
        bool ok;
        try {
            ok = d->create_table(path);
        } catch (char *) {
            delete d;
            throw;
        }
        if (!ok) {
            delete d;
            return nullptr;
        }
        zdb_register(d);
        return d;
    });
}

ZU_API void *ZU_CALL zdbOpenTable(const char *path, const char *mutex_name) {
    return zu_export([&] { return open_table(path, mutex_name, 0); });
}

ZU_API void *ZU_CALL zdbOpenTableS(const char *path, const char *mutex_name) {
    return zu_export([&] { return open_table(path, mutex_name, 1); });
}

ZU_API int ZU_CALL zdbClose(void *dbe) {
    return zu_export([&] {
        if (!dbe) zdb_raise("%s", "DBE Handle = 0 zdbClose");
        if (!zdb_is_live(dbe))
            zdb_raise("プログラムエラー DBE Handle = %p は、開いているデータベースではありません %s", dbe, "zdbClose");
        DBE *d = static_cast<DBE *>(dbe);
        zdb_unregister(d);
        if (!d->dbp) {
            // Closed by a reopen that failed: only the object is left.
            delete d;
            return 0;
        }
        try {
            d->close();
        } catch (char *m) {
            char text[1024];
            zu_copy(text, sizeof text, m);
            delete d;
            err(9, "%s %s★\r\n", now_string(), text);
            return -1;
        }
        delete d;
        return 0;
    });
}

ZU_API int ZU_CALL zdbReOpen(void *dbe) {
    return zu_export([&] {
        live_table(dbe, "zdbReOpen")->reopen();
        return 0;
    });
}

ZU_API const char *ZU_CALL zdbGS(void *dbe, const char *field) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbGS");
        return d->restore(d->need_field(field), false);
    });
}

ZU_API const char *ZU_CALL zdbGSBin(void *dbe, const char *field) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbGSBin");
        return d->restore(d->need_field(field), true);
    });
}

ZU_API int ZU_CALL zdbGI(void *dbe, const char *field) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbGI");
        return text_to_int(d->restore(d->need_field(field), false));
    });
}

ZU_API int ZU_CALL zdbSS(void *dbe, const char *field, const char *text) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbSS");
        return d->store(text, d->need_field(field), false);
    });
}

ZU_API int ZU_CALL zdbSSBin(void *dbe, const char *field, const char *bytes) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbSSBin");
        return d->store(bytes, d->need_field(field), true);
    });
}

ZU_API int ZU_CALL zdbSI(void *dbe, const char *field, int value) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbSI");
        int no = d->need_field(field);
        zu_format(d->work, d->work_size, "%d", value);
        return d->store(d->work, no, false);
    });
}

ZU_API int ZU_CALL zdbSD(void *dbe, const char *field, int value) { return 0; }

ZU_API int ZU_CALL zdbIsNull(void *dbe, const char *field) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbIsNull");
        return d->restore(d->need_field(field), false)[0] == '\0' ? 1 : 0;
    });
}

ZU_API int ZU_CALL zdbIsFieldExist(void *dbe, const char *field) {
    return zu_export([&] { return live_table(dbe, "zdbIsFieldExist")->fld_name2fld_no(field) > 0 ? 1 : 0; });
}

ZU_API int ZU_CALL zdbGetNField(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbGetNField")->dbp->dp->nfld; });
}

ZU_API const char *ZU_CALL zdbGetFieldName(void *dbe, int number) {
    return zu_export([&]() -> const char * {
        DBE *d = live_table(dbe, "zdbGetFieldName");
        if (number < 1 || number > d->dbp->dp->nfld) return nullptr;
        return d->field(number).name;
    });
}

ZU_API int ZU_CALL zdbGetFieldLength(void *dbe, const char *field) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbGetFieldLength");
        int no = d->fld_name2fld_no(field);
        return no > 0 ? static_cast<int>(d->field(no).len) : 0;
    });
}

ZU_API int ZU_CALL zdbGetFieldType(void *dbe, const char *field) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbGetFieldType");
        int no = d->fld_name2fld_no(field);
        return no > 0 ? static_cast<int>(d->field(no).kind) : 0;
    });
}

ZU_API const char *ZU_CALL zdbGetRecord(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbGetRecord")->restore(0, false); });
}

ZU_API char *ZU_CALL zdbGetRecordDebug(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbGetRecordDebug")->rec; });
}

ZU_API int ZU_CALL zdbClearBuf(void *dbe) {
    return zu_export([&] {
        live_table(dbe, "zdbClearBuf")->clear_buf();
        return 0;
    });
}

ZU_API int ZU_CALL zdbAppend(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbAppend")->append(0); });
}

ZU_API int ZU_CALL zdbUpdate(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbUpdate")->update(0); });
}

ZU_API int ZU_CALL zdbDeleteRecord(void *dbe, int mode) {
    return zu_export([&] { return live_table(dbe, "zdbDeleteRecord")->delete_record(mode); });
}

ZU_API int ZU_CALL zdbIsDeteteRecord(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbIsDeteteRecord")->is_deleted(); });
}

ZU_API int ZU_CALL zdbClearTable(void *dbe) {
    return zu_export([&] {
        live_table(dbe, "zdbClearTable")->clear_table();
        return 0;
    });
}

ZU_API int ZU_CALL zdbTop(void *dbe) {
    return zu_export([&] {
        live_table(dbe, "zdbTop")->go_top();
        return 0;
    });
}

ZU_API int ZU_CALL zdbBottom(void *dbe) {
    return zu_export([&] {
        live_table(dbe, "zdbBottom")->go_bottom();
        return 0;
    });
}

ZU_API int ZU_CALL zdbSkip(void *dbe, int count) {
    return zu_export([&] { return live_table(dbe, "zdbSkip")->skip(count); });
}

ZU_API int ZU_CALL zdbEof(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbEof")->dbp->eof ? 1 : 0; });
}

ZU_API int ZU_CALL zdbBof(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbBof")->dbp->bof ? 1 : 0; });
}

ZU_API int ZU_CALL zdbRecordNo(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbRecordNo")->dbp->rno; });
}

ZU_API int ZU_CALL zdbSetRecordNo(void *dbe, int record_number) {
    return zu_export([&] {
        live_table(dbe, "zdbSetRecordNo")->set_rno(record_number);
        return 0;
    });
}

ZU_API int ZU_CALL zdbRecordCount(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbRecordCount")->n_rec(); });
}

ZU_API int ZU_CALL zdbRecordCount2(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbRecordCount2")->n_rec(); });
}

ZU_API const char *ZU_CALL zdbGetDBFPathFileName(void *dbe) {
    return zu_export([&]() -> const char * { return live_table(dbe, "zdbGetDBFPathFileName")->dbp->dp->path; });
}

ZU_API const char *ZU_CALL zdbGetTableCreateDate(void *dbe) {
    return zu_export([&] { return dbf_create_date(live_table(dbe, "zdbGetTableCreateDate")->dbp->dp); });
}

ZU_API int ZU_CALL zdbIsOldTable(void *dbe) {
    return zu_export([&] { return dbf_is_old_table(live_table(dbe, "zdbIsOldTable")->dbp->dp) ? 1 : 0; });
}

ZU_API int zdbSetDeleteRecordUse(void) {
    zdb_use_deleted = true;
    return 1;
}

ZU_API int zdbSetDeleteRecordUnUse(void) {
    zdb_use_deleted = false;
    return 0;
}

ZU_API int zdbIsUseDeleteRecord(void) { return zdb_use_deleted ? 1 : 0; }

ZU_API int ZU_CALL zdbSetDebugMode(void *dbe, int mode) {
    return zu_export([&] {
        DBE *d = live_table(dbe, "zdbSetDebugMode");
        if (mode == 61190599)
            d->private_word = mode;
        else
            d->debug_word = mode;
        return 0;
    });
}

ZU_API int ZU_CALL zdbGetDebugMode(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbGetDebugMode")->debug_word; });
}

// ---- indexes ----------------------------------------------------------------------

ZU_API void *ZU_CALL zdbOpenTableMIdx(const char *path) {
    return zu_export([&] { return open_table(path, nullptr, 2); });
}

ZU_API int ZU_CALL zdbUseIndex(void *dbe, const char *index_path) {
    return zu_export([&] { return live_table(dbe, "zdbUseIndex")->open_index(index_path); });
}

ZU_API int ZU_CALL zdbChgIndex(void *dbe, const char *key_expression) {
    return zu_export([&] { return live_table(dbe, "zdbChgIndex")->chg_index(key_expression); });
}

ZU_API const char *ZU_CALL zdbChgIndexByNo(void *dbe, int number) {
    return zu_export([&] { return live_table(dbe, "zdbChgIndexByNo")->chg_index_by_no(number); });
}

ZU_API const char *ZU_CALL zdbGetIndex(void *dbe) {
    return zu_export([&]() -> const char * {
        DBE *d = live_table(dbe, "zdbGetIndex");
        return d->dbp->cur ? ndx_expr(d->dbp->ip[d->dbp->cur]) : nullptr;
    });
}

ZU_API int ZU_CALL zdbGetNIndex(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbGetNIndex")->dbp->nidx; });
}

ZU_API const char *ZU_CALL zdbGetIndexPathFileName(void *dbe) {
    return zu_export([&]() -> const char * {
        DBE *d = live_table(dbe, "zdbGetIndexPathFileName");
        return d->dbp->cur ? d->index_path(d->dbp->cur) : nullptr;
    });
}

ZU_API int ZU_CALL zdbIsUniqIndex(void *dbe, const char *key_expression) {
    return zu_export([&] { return live_table(dbe, "zdbIsUniqIndex")->is_uniq_index(key_expression); });
}

ZU_API int zdbSeekReset(void) {
    zdb_key_pos = 0;
    zdb_key_parts = 0;
    zdb_key_buf[0] = '\0';
    return 0;
}

ZU_API int ZU_CALL zdbSSKey(void *dbe, const char *text) {
    return zu_export([&] {
        live_table(dbe, "zdbSSKey")->add_key_part(text);
        return 0;
    });
}

ZU_API int ZU_CALL zdbSIKey(void *dbe, int value) {
    return zu_export([&] {
        live_table(dbe, "zdbSIKey")->add_key_number(value);
        return 0;
    });
}

ZU_API int ZU_CALL zdbSeek(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbSeek")->seek(zdb_key_buf); });
}

ZU_API int ZU_CALL zdbSeekFirst(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbSeekFirst")->seek_first(zdb_key_buf); });
}

ZU_API int ZU_CALL zdbSeekNext(void *dbe) {
    return zu_export([&] { return live_table(dbe, "zdbSeekNext")->seek_next(); });
}

ZU_API int ZU_CALL zdbReIndex(void *dbe) {
    return zu_export([&] {
        live_table(dbe, "zdbReIndex")->reindex();
        return 0;
    });
}
