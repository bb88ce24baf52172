/* ZUDBTOOL: the table engine for dBASE III tables with NDX indexes.
 * A handle is the table object made by an open or create call; it is valid
 * until zdbClose.  Texts are Shift-JIS; returned texts stay valid until the
 * next call on the same handle. */
#ifndef ZUDBTOOL_H
#define ZUDBTOOL_H

#include "zucall.h"

/* ---- tables ---- */
ZU_API void *ZU_CALL zdbCreateTable(const char *path);
ZU_API void *ZU_CALL zdbOpenTable(const char *path, const char *mutex_name);
ZU_API void *ZU_CALL zdbOpenTableS(const char *path, const char *mutex_name);
ZU_API int ZU_CALL zdbClose(void *dbe);
ZU_API int ZU_CALL zdbReOpen(void *dbe);

/* ---- fields ---- */
ZU_API const char *ZU_CALL zdbGS(void *dbe, const char *field);
ZU_API const char *ZU_CALL zdbGSBin(void *dbe, const char *field);
ZU_API int ZU_CALL zdbGI(void *dbe, const char *field);
ZU_API int ZU_CALL zdbSS(void *dbe, const char *field, const char *text);
ZU_API int ZU_CALL zdbSSBin(void *dbe, const char *field, const char *bytes);
ZU_API int ZU_CALL zdbSI(void *dbe, const char *field, int value);
ZU_API int ZU_CALL zdbSD(void *dbe, const char *field, int value);
ZU_API int ZU_CALL zdbIsNull(void *dbe, const char *field);
ZU_API int ZU_CALL zdbIsFieldExist(void *dbe, const char *field);
ZU_API int ZU_CALL zdbGetNField(void *dbe);
ZU_API const char *ZU_CALL zdbGetFieldName(void *dbe, int number);
ZU_API int ZU_CALL zdbGetFieldLength(void *dbe, const char *field);
ZU_API int ZU_CALL zdbGetFieldType(void *dbe, const char *field);
ZU_API const char *ZU_CALL zdbGetRecord(void *dbe);
ZU_API char *ZU_CALL zdbGetRecordDebug(void *dbe);
ZU_API int ZU_CALL zdbClearBuf(void *dbe);

/* ---- records ---- */
ZU_API int ZU_CALL zdbAppend(void *dbe);
ZU_API int ZU_CALL zdbUpdate(void *dbe);
ZU_API int ZU_CALL zdbDeleteRecord(void *dbe, int mode);
ZU_API int ZU_CALL zdbIsDeteteRecord(void *dbe);
ZU_API int ZU_CALL zdbClearTable(void *dbe);

/* ---- position ---- */
ZU_API int ZU_CALL zdbTop(void *dbe);
ZU_API int ZU_CALL zdbBottom(void *dbe);
ZU_API int ZU_CALL zdbSkip(void *dbe, int count);
ZU_API int ZU_CALL zdbEof(void *dbe);
ZU_API int ZU_CALL zdbBof(void *dbe);
ZU_API int ZU_CALL zdbRecordNo(void *dbe);
ZU_API int ZU_CALL zdbSetRecordNo(void *dbe, int record_number);
ZU_API int ZU_CALL zdbRecordCount(void *dbe);
ZU_API int ZU_CALL zdbRecordCount2(void *dbe);

/* ---- table information ---- */
ZU_API const char *ZU_CALL zdbGetDBFPathFileName(void *dbe);
ZU_API const char *ZU_CALL zdbGetTableCreateDate(void *dbe);
ZU_API int ZU_CALL zdbIsOldTable(void *dbe);

/* ---- deleted-record switch and debug words ---- */
ZU_API int zdbSetDeleteRecordUse(void);
ZU_API int zdbSetDeleteRecordUnUse(void);
ZU_API int zdbIsUseDeleteRecord(void);
ZU_API int ZU_CALL zdbSetDebugMode(void *dbe, int mode);
ZU_API int ZU_CALL zdbGetDebugMode(void *dbe);

/* Indexes: opening, selecting, seeking, rebuilding. */
ZU_API void *ZU_CALL zdbOpenTableMIdx(const char *path);
ZU_API int ZU_CALL zdbUseIndex(void *dbe, const char *index_path);
ZU_API int ZU_CALL zdbChgIndex(void *dbe, const char *key_expression);
ZU_API const char *ZU_CALL zdbChgIndexByNo(void *dbe, int number);
ZU_API const char *ZU_CALL zdbGetIndex(void *dbe);
ZU_API int ZU_CALL zdbGetNIndex(void *dbe);
ZU_API const char *ZU_CALL zdbGetIndexPathFileName(void *dbe);
ZU_API int ZU_CALL zdbIsUniqIndex(void *dbe, const char *key_expression);
ZU_API int zdbSeekReset(void);
ZU_API int ZU_CALL zdbSSKey(void *dbe, const char *text);
ZU_API int ZU_CALL zdbSIKey(void *dbe, int value);
ZU_API int ZU_CALL zdbSeek(void *dbe);
ZU_API int ZU_CALL zdbSeekFirst(void *dbe);
ZU_API int ZU_CALL zdbSeekNext(void *dbe);
ZU_API int ZU_CALL zdbReIndex(void *dbe);

/* Whole-table operations.  Pack and sort write the new table beside the old
 * one and replace it only when complete. */
ZU_API int ZU_CALL zdbPack(void *dbe);
ZU_API int ZU_CALL zdbSort(void *dbe, const char *work_path);
ZU_API int ZU_CALL zdbCopyTable(void *source, void *target, int clear);
ZU_API int ZU_CALL zdbCopyTableStatic(const char *source_path, const char *target_path, int clear);
ZU_API int ZU_CALL zdbDBCopy(void *dbe, const char *target_path, int append);
ZU_API int ZU_CALL zdbRecordCopy(void *source, void *target);
ZU_API int ZU_CALL zdbCloneStatic(const char *source_path, const char *target_path);
ZU_API int ZU_CALL zdbCleanUp(const char *path);
ZU_API int ZU_CALL zdbExport(void *dbe, const char *path, int header, int append);
ZU_API int ZU_CALL zdbExportSDF(void *dbe, const char *path);
ZU_API int ZU_CALL zdbExportRecord(void *dbe, const char *path);
ZU_API int ZU_CALL zdbImport(void *dbe, const char *path, const char *delimiter);
ZU_API int ZU_CALL zdbImportSDF(void *dbe, const char *path);

#endif
