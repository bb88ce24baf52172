// The base library: error reporting and logging, the ZUIO file object, the
// checked wrappers and the path routines.  Every deliverable links its own
// copy, so every static here exists once per deliverable.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "base/codepage.h"
#include "base/report.h"

// ---- text into buffers of a fixed size --------------------------------------

// Formats into a buffer of `size` bytes, never past it.  When the text does
// not fit it is cut at a character boundary (Shift-JIS) and the result is
// the length written.
int zu_vformat(char *buf, std::size_t size, const char *format, va_list ap);
int zu_format(char *buf, std::size_t size, const char *format, ...) __attribute__((format(printf, 3, 4)));
// Copies at most size - 1 bytes, never splitting a double-byte character;
// always terminates (size > 0).
void zu_copy(char *dst, std::size_t size, const char *src);
// Appends under the same rule.
void zu_append(char *dst, std::size_t size, const char *src);

// ---- error reporting -----------------------------------------------------

// Settings of err(), one byte each: show a message box, throw after
// reporting.  Both are 1 at load; the library entry points change them.
extern unsigned char err_show_box;
extern unsigned char err_throw;
// Wintrail carries the older naming of the error log ("ERR.<ZUWS or zu>").
extern bool zu_old_log_naming;

// Report: compose, show, log, store and throw.  Returns only when
// err_throw is 0.
void err(int cls, const char *format, ...) __attribute__((format(printf, 2, 3)));
void verr(int cls, const char *format, va_list ap);
// Format into the RE buffer and report the result (class 9).
void RE(const char *format, ...) __attribute__((format(printf, 1, 2)));

int zu_get_module_file_name(char *buffer, unsigned size);
const char *write_error_log(const char *format, ...) __attribute__((format(printf, 1, 2)));
void debf(const char *format, ...) __attribute__((format(printf, 1, 2)));
const char *msgf(const char *format, ...) __attribute__((format(printf, 1, 2)));
const char *now_string();
int zu_msgbox(const char *text);
const char *rtv_path_file_name_with_zuws(const char *base);
const char *fnamews(const char *base);

// The system text of a Windows error code without its line end (ZUSTD's
// GetLastError2Message), and the same followed by "(<code>)".  The text
// stays valid until the next call of either in the process.
const char *zu_system_text(unsigned code);
const char *zu_system_text_with_code(unsigned code);

// The debug file of this deliverable (for GetDebf / SetDebf).
const char *debf_set_name(const char *name);
const char *debf_get_name();
void debf_set_append();
void debf_write_raw(const char *text);

// Closes the error log and the debug file; called when the deliverable is
// unloaded.
void zu_base_shutdown();

// ---- ZUIO ------------------------------------------------------------------

enum : int {
    ZUIO_APPEND = -1,
    ZUIO_CREATE = -2,
    ZUIO_READ = -3,
    ZUIO_WORK = -4,
};

enum : unsigned {
    ZUIO_TEMPORARY = 1,  // deleted when the object is destroyed
    ZUIO_QUIET = 2,      // no complaint when destroyed while open
};

class ZUIO {
public:
    ZUIO() = default;
    ~ZUIO();
    ZUIO(const ZUIO &) = delete;
    ZUIO &operator=(const ZUIO &) = delete;

    const char *open(const char *name, int mode, int reclen);
    char *read(unsigned count);
    int readc();
    char *reads();
    int write(const char *text);
    int write(const void *data, unsigned count);
    int printf(const char *format, ...) __attribute__((format(printf, 2, 3)));
    int vprintf(const char *format, va_list ap);
    void rewind();
    int close();

    int handle = -1;
    int open_status = 0;
    int reclen = 0;
    unsigned last_count = 0;
    char *record = nullptr;
    int end_flag = 0;
    unsigned flags = 0;
    std::uint16_t *wide = nullptr;
    unsigned size_at_open = 0;
    char *name = nullptr;
    unsigned total_read = 0;

private:
    int buffers_mode_ = 0;  // the mode the record buffers were made for
};

// The deliverable's shared work buffer (32000 bytes), made by the first open.
constexpr unsigned ZU_WORK_SIZE = 32000;
char *zu_work_buffer();

// ---- checked wrappers -------------------------------------------------------

void *ZUALC(unsigned size);
void ZUFRE(void *p);
int zu_remove(const char *name);
unsigned zu_rename(const char *old_name, const char *new_name, bool replace, bool report);
FILE *zu_fopen(const char *name, const char *mode);
void zu_fclose(FILE *stream);
int zu_lopen(const char *name, int mode);
int zu_lclose(int handle);
int zu_exist(const char *name);
char *fil2buf(const char *name);
char *fil2buf(const char *name, const char *mode, char *buffer, unsigned size);

// When on (ZUSTD's SetIsWriteLog), file removal and renaming write one line
// each to the debug file.
extern unsigned char zu_write_log;

// ---- paths -----------------------------------------------------------------

const char *sep_path(const char *path);
const char *rtvdir(const char *path);
char *rtvdir(char *buffer, const char *path);
const char *rtvfil(const char *path);
char *maktmpf(const char *path, char *buffer, bool workstation);
char *add_ext(const char *name, const char *extension);
int chg_ext(char *name, const char *extension);

class ZUFINDFILE {
public:
    ZUFINDFILE() = default;
    ~ZUFINDFILE();
    ZUFINDFILE(const ZUFINDFILE &) = delete;
    ZUFINDFILE &operator=(const ZUFINDFILE &) = delete;

    const char *first(const char *pattern);
    // Continues the search; the next name, or null when there is none.
    const char *next();
    void Close();

    zp::find_handle handle = nullptr;
    zp::find_data data{};
};

// ---- Shift-JIS helpers and wildcard matching -------------------------------
#include "base/sjis.h"
#include "base/wjstr.h"

// ---- console text ------------------------------------------------------------
#include <string>

// Shift-JIS text as UTF-8 (bytes that do not convert become '?').
std::string zu_utf8_of(const char *sjis);
// Prints Shift-JIS text (a printf format) on standard output and flushes it:
// as UTF-8 when the process's locale is UTF-8 (a POSIX terminal of a UTF-8
// locale), as it is otherwise (always on Windows).  For what a library shows
// the user; text written into files stays Shift-JIS.
void zu_print(const char *format, ...) __attribute__((format(printf, 1, 2)));
