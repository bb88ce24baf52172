// Error reporting and logging: err, RE, the error log, the debug file and
// the message file.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "zustd.h"

unsigned char err_show_box = 1;
unsigned char err_throw = 1;
bool zu_old_log_naming = false;

namespace {

const char NEST_MESSAGE[] = "エラーロジックがネストしています err();VC";

int g_nest = 0;
char g_message[1024];
char g_title[264];
char g_time[32];
char g_re[1024];

ZUIO g_error_log;
bool g_error_log_first = true;

ZUIO g_debug;
char *g_debug_name = nullptr;   // SetDebf's copy until the first write
int g_debug_mode = ZUIO_CREATE;
bool g_debug_first = true;
int g_debug_reentry = 0;

char g_msgf_name[260];

// Counts a report in and out, also when it ends by an exception.
struct nesting {
    nesting() { ++g_nest; }
    ~nesting() { --g_nest; }
};

}  // namespace

int zu_msgbox(const char *text) {
    zp::message_beep();
    return zp::message_box(text, "");
}

int zu_get_module_file_name(char *buffer, unsigned size) {
    unsigned n = zp::module_file_name(buffer, size);
    if (n == 0 || n >= size) {
        // Not read, or cut: a cut path would name another file.
        if (buffer && size) buffer[0] = '\0';
        err(9, "%s", "zu_get_module_file_name Error");
        return 1;
    }
    return 0;
}

const char *now_string() {
    zp::system_time t;
    zp::local_time(&t);
    zu_format(g_time, sizeof g_time, "%04u/%02u/%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour,
              t.minute, t.second);
    return g_time;
}

void verr(int cls, const char *format, va_list ap) {
    (void)cls;  // the class changes nothing of what is shown, logged or thrown
    {
        nesting n;
        if (g_nest > 1) {
            zu_msgbox(NEST_MESSAGE);
            zu_throw(NEST_MESSAGE);
        }
        zu_vformat(g_message, sizeof g_message, format, ap);
        g_title[0] = '\0';
        zu_get_module_file_name(g_title, 259);
        zu_append(g_title, sizeof g_title, " (VC)");
        zu_call([] { ZuSetErrMsg(g_message); });
        if (err_show_box) {
            zp::message_beep();
            zp::message_box(g_message, g_title);
        }
        now_string();
        write_error_log("%s %s %s\r\n", g_time, g_title, g_message);
    }
    if (err_throw) zu_throw(g_message);
}

void err(int cls, const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    verr(cls, format, ap);
    va_end(ap);
}

void RE(const char *format, ...) {
    if (!format || std::strlen(format) > 512) {
        err(9, "%s", "RE() Error バッファフル");
        return;
    }
    va_list ap;
    va_start(ap, format);
    zu_vformat(g_re, sizeof g_re, format, ap);
    va_end(ap);
    err(9, "%s", g_re);
}

// ---- workstation file names -------------------------------------------------

namespace {
char g_ws_names[7][261];
int g_ws_used = 0;

// "<base>.<ZUWS or fallback>" in one of seven buffers of the deliverable.
// `caller` names the routine in its reports, `lead` goes before them.
const char *workstation_name(const char *base, const char *fallback, std::size_t max_ext,
                             std::size_t max_base, const char *lead, const char *caller) {
    const char *ext = zp::get_env("ZUWS");
    if (!ext) ext = fallback;
    std::size_t ext_len = std::strlen(ext);
    std::size_t base_len = std::strlen(base);
    if (ext_len > max_ext) err(52, "%sワークステーション用　拡張子名レングスオーバー(%s)\n", lead, caller);
    if (g_ws_used >= 7) err(52, "%sファイルバッファオーバー(%s)\n", lead, caller);
    if (base_len > max_base || base_len + 1 + ext_len > 259)
        err(52, "%sファイル名レングスオーバー(%s)\n", lead, caller);
    if (std::strchr(base, '.')) err(52, "%sファイル名エラー(%s)\n", lead, caller);
    if (g_ws_used >= 7 || base_len + 1 + ext_len > 259) return "";  // reported, not thrown
    char *out = g_ws_names[g_ws_used++];
    zu_format(out, 261, "%s.%s", base, ext);
    return out;
}
}  // namespace

const char *rtv_path_file_name_with_zuws(const char *base) {
    return workstation_name(base, "TXT", 8, 259, "", "rtv_path_file_name_with_zuws");
}

const char *fnamews(const char *base) { return workstation_name(base, "zu", 3, 8, " ", "fnamews"); }

// ---- the error log ------------------------------------------------------------

namespace {
// The folder of the error log and the message file, made if it is not
// there yet.
void log_folder(char *path, unsigned size) {
    zu_call([&] { ZuGetErrorLogPath(path, size); });
    zu_call([&] { return zuForceDirectory(path); });
}
}  // namespace

const char *write_error_log(const char *format, ...) {
    if (g_error_log_first) {
        g_error_log_first = false;
        char path[260];
        log_folder(path, sizeof path);
        const char *file = zu_old_log_naming ? fnamews("ERR") : rtv_path_file_name_with_zuws("ERROR_VC");
        if (std::strlen(path) + std::strlen(file) >= sizeof path)
            err(9, "%s", "ファイル名レングスオーバー(write_error_log)");
        zu_append(path, sizeof path, file);
        g_error_log.flags |= ZUIO_QUIET;
        g_error_log.open(path, ZUIO_APPEND, 0);
    }
    if (!format) return g_error_log.name;
    va_list ap;
    va_start(ap, format);
    char *work = zu_work_buffer();
    zu_vformat(work, ZU_WORK_SIZE, format, ap);
    va_end(ap);
    // Other deliverables and processes append through handles of their own:
    // go to the end first, so that no line overwrites another.
    if (g_error_log.open_status != 0) zp::llseek(g_error_log.handle, 0, zp::SEEK_FROM_END);
    g_error_log.write(work);
    return nullptr;
}

// ---- the debug file -------------------------------------------------------------

namespace {
void debf_open() {
    g_debug_first = false;
    g_debug.flags |= ZUIO_QUIET;
    if (g_debug_name) {
        g_debug.open(g_debug_name, g_debug_mode, 0);
        delete[] g_debug_name;
        g_debug_name = nullptr;
    } else {
        char exe[264];
        exe[0] = '\0';
        unsigned n = zp::module_file_name(exe, 259);
        if (n >= 259) exe[0] = '\0';
        char path[264];
        zu_copy(path, sizeof path, rtvdir(exe));
        if (std::strlen(path) + 8 >= 260) err(9, "%s", "バッファオーバー(from debf())");
        zu_append(path, sizeof path, "DEBF.TXT");
        g_debug.open(path, g_debug_mode, 0);
    }
}

void debf_emit(const char *text) {
    if (g_debug_reentry > 0) return;
    ++g_debug_reentry;
    if (g_debug_first && g_debug.open_status == 0) debf_open();  // a failure keeps the count raised
    g_debug.write(text);
    --g_debug_reentry;
}
}  // namespace

void debf(const char *format, ...) {
    if (g_debug_reentry > 0) return;
    // The text is kept aside while the file is opened: opening may report,
    // and a report formats into the shared work buffer.
    static char text[ZU_WORK_SIZE];
    va_list ap;
    va_start(ap, format);
    zu_vformat(text, sizeof text, format, ap);
    va_end(ap);
    debf_emit(text);
}

void debf_write_raw(const char *text) { debf_emit(text ? text : ""); }

const char *debf_set_name(const char *name) {
    if (!g_debug_name && !g_debug.name && name) {
        std::size_t n = std::strlen(name);
        g_debug_name = new char[n + 1];
        std::memcpy(g_debug_name, name, n + 1);
    }
    return nullptr;
}

const char *debf_get_name() {
    if (g_debug.name) return g_debug.name;
    if (g_debug_name) return nullptr;  // named, nothing written yet
    return "not init getdebf();";
}

void debf_set_append() { g_debug_mode = ZUIO_APPEND; }

// ---- the message file ---------------------------------------------------------

const char *msgf(const char *format, ...) {
    if (!g_msgf_name[0]) {
        // The log folder may not exist yet (no report has made it): a
        // duplicate key must still be written, not turned into a report.
        log_folder(g_msgf_name, sizeof g_msgf_name);
        zu_append(g_msgf_name, sizeof g_msgf_name, "MSGF.TXT");
    }
    if (!format) return g_msgf_name;
    ZUIO f;
    f.open(g_msgf_name, ZUIO_APPEND, 0);
    va_list ap;
    va_start(ap, format);
    char *work = zu_work_buffer();
    zu_vformat(work, ZU_WORK_SIZE, format, ap);
    va_end(ap);
    f.write(work);
    f.close();
    return nullptr;
}

void zu_base_shutdown() {
    if (g_error_log.open_status != 0) {
        zp::lclose(g_error_log.handle);
        g_error_log.open_status = 0;
    }
    if (g_debug.open_status != 0) {
        zp::lclose(g_debug.handle);
        g_debug.open_status = 0;
    }
}
