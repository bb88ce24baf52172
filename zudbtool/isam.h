// The engine's low-level ISAM report and its codes, shared by the table
// file, the index file and the index build.
#pragma once

// ISAM error codes.
enum : int {
    IE_MEMORY999 = 1,
    IE_FOPEN = 2,
    IE_NOFILE = 3,
    IE_IDXOVER = 4,
    IE_TMPFILE = 5,
    IE_NOKEY = 6,
    IE_DBLKEY = 7,
    IE_RECNO = 8,
    IE_EOF = 9,
    IE_READ = 11,
    IE_WRITE = 12,
    IE_IDXKEY = 13,
};

// The ISAM report: one line in the error log, nothing raised; returns 0.
// `unit` names the reporting source unit (ZD_Db, ZD_Idx, ZD_Sort, ZD_Dbf,
// Db_emlt), `line` identifies the reporting site.
int zu_db_err(int code, const char *unit, unsigned line, const char *name);
// The number of reports so far of a file call that failed (IE_MEMORY999,
// IE_FOPEN, IE_NOFILE, IE_TMPFILE, IE_READ, IE_WRITE): a caller whose work
// must not stand after such a failure compares it before and after.
unsigned zu_db_failures();
// The message of an ISAM code ("??????????" outside 1-13).
const char *zu_db_message(int code);

// The report at this line, or at the line of the check that failed.
#define ZU_DB_ERR(code, unit) zu_db_err((code), (unit), __LINE__, #code)
#define ZU_DB_ERR_AT(code, unit, line) zu_db_err((code), (unit), (line), #code)

// Thrown inside the index file and the index build after a report: the
// operation under way gives up, and its entry point gives its failure.
struct isam_gave_up {};
[[noreturn]] inline void isam_give_up() { throw isam_gave_up{}; }
