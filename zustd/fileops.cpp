// Whole-file operations: copying, appending, renaming and deleting (directly
// and through the shell's file operation), bundles of text files, file
// comparison, hexadecimal dumps, folder and drive searches, numbered file
// names, existence checks, file times and cutting a log down to its tail.
//
// Whatever replaces a file writes a temporary file beside it first and puts
// it in the file's place in one step once it is complete, so that a failed
// step leaves the file as it was.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "base/base.h"
#include "zustd.h"

namespace {

constexpr unsigned PATH_SIZE = 260;
constexpr unsigned APPEND_BLOCK = 8192;
constexpr unsigned BUNDLE_LINE = 16000;
constexpr unsigned DUMP_BLOCK = 256;
constexpr char MARK[] = "{MARK_FILE_STORE}";

// Shell operation flags.
enum : unsigned {
    FOF_SILENT = 0x4,
    FOF_NOCONFIRMATION = 0x10,
    FOF_NOCONFIRMMKDIR = 0x200,
    FOF_NOERRORUI = 0x400,
};

// The last path separator of a name, double-byte characters stepped over
// (so that a second byte 0x5C is never taken for one); null when none.
const char *last_sep(const char *s) {
    const char *r = nullptr;
    for (const char *p = s; *p; ++p) {
        if (zu_lead_byte(static_cast<unsigned char>(*p)) && p[1]) {
            ++p;
            continue;
        }
        if (*p == zp::SEP) r = p;
    }
    return r;
}

// Removes a file of our own making, without a report.
void drop(const char *name) {
    if (name && *name && zu_exist(name)) zp::delete_file(name);
}

// "yyyy/mm/dd hh:mm:ss" (with_date) or "hh:mm:ss" of a file time, in local time.
const char *time_text(std::uint64_t filetime, bool with_date, char *out, std::size_t size) {
    zp::system_time t{};
    zp::filetime_to_local(filetime, &t);
    if (with_date)
        zu_format(out, size, "%.4u/%.2u/%.2u %.2u:%.2u:%.2u", t.year, t.month, t.day, t.hour, t.minute, t.second);
    else
        zu_format(out, size, "%.2u:%.2u:%.2u", t.hour, t.minute, t.second);
    return out;
}

// ---- appending ------------------------------------------------------------------

// Appends the source's text to the target (created when missing): blocks of
// 8192 bytes, each up to its first zero byte; a last block of one Ctrl-Z
// is left out.  false after a report.
bool append_text(const char *source, const char *target) {
    if (zu_write_log)
        debf("ファイルアペンド : %s => %s open_mode=0x%.8X\r\n", source, target, static_cast<unsigned>(ZUIO_APPEND));
    ZUIO in, out;
    if (!in.open(source, ZUIO_READ, APPEND_BLOCK)) return false;
    if (!out.open(target, ZUIO_APPEND, 0)) return false;
    while (char *block = in.read(0))
        if (out.write(block)) return false;
    in.close();
    out.close();
    return true;
}

// A temporary name beside `target`; false after a report.
bool temp_beside(const char *target, char *temp) {
    temp[0] = '\0';
    return maktmpf(target, temp, true) != nullptr && temp[0];
}

// Puts the complete temporary file in the target's place; false after a
// report (the temporary file is then removed).
bool put_in_place(const char *temp, const char *target, const char *caller) {
    if (zp::replace_file(temp, target)) return true;
    unsigned code = zp::last_error();
    drop(temp);
    err(9, "リネームできません。%s => %s %s : %s", temp, target, caller, zu_system_text_with_code(code));
    return false;
}

// ---- dumps ------------------------------------------------------------------------

// Appends the dump of n bytes (16 a row, addresses and the character column).
void dump_into(std::string &out, const unsigned char *p, unsigned n) {
    // Which bytes are the first and second of a double-byte character.
    std::string kind(n, '\0');
    for (unsigned i = 0; i < n; ++i)
        if (zu_lead_byte(p[i]) && i + 1 < n && zu_trail_byte(p[i + 1])) {
            kind[i] = 1;
            kind[++i] = 2;
        }
    char cell[16];
    for (unsigned row = 0; row < n; row += 16) {
        unsigned len = n - row < 16 ? n - row : 16;
        if (row) {
            zu_format(cell, sizeof cell, " %.4X   ", row);
            out += cell;
            out += "\r\n";
        }
        std::string column;
        for (unsigned j = 0; j < len; ++j) {
            unsigned i = row + j;
            zu_format(cell, sizeof cell, "%.2X%s", p[i], j == 7 ? "-" : " ");
            out += cell;
            if (kind[i] == 2) {
                if (j == 0) column += ' ';   // shown whole at the end of the row before
            } else if (kind[i] == 1) {
                column += static_cast<char>(p[i]);
                column += static_cast<char>(p[i + 1]);
            } else if (p[i] < 0x20 || zu_lead_byte(p[i])) {
                column += '.';   // a control byte, or a first byte without its second
            } else {
                column += static_cast<char>(p[i]);
            }
        }
        if (len == 16) {
            out += "  ";
            if (column.size() < 18) out.append(18 - column.size(), ' ');
            out += column;
        } else {
            for (unsigned j = len; j < 16; ++j) out += "   ";
            out += "  ";
            out += column;
            if (column.size() < 18) out.append(18 - column.size(), ' ');
        }
    }
    out += "\r\n";
}

std::string g_dump;

// ---- searches -----------------------------------------------------------------------

ZuSeekCallback g_seek_callback = nullptr;   // only while a search with a callback runs

struct seek_run {
    ZUIO *out = nullptr;
    bool descend = true;
    bool comma = false;
    bool matched = false;
    std::string first;
};

// Holds the callback in its slot for one search.
struct callback_slot {
    explicit callback_slot(ZuSeekCallback cb) { g_seek_callback = cb; }
    ~callback_slot() { g_seek_callback = nullptr; }
};

bool ends_in_separator(const char *s) {
    std::size_t n = std::strlen(s);
    return n && zp::is_separator(s[n - 1]) && !(n >= 2 && zu_lead_byte(static_cast<unsigned char>(s[n - 2])));
}

void attribute_text(std::uint32_t a, char *out) {
    if (a & zp::ATTR_DIRECTORY) {
        std::strcpy(out, "<DIR>");
        return;
    }
    out[0] = (a & zp::ATTR_SYSTEM) ? 'S' : ' ';
    out[1] = (a & zp::ATTR_HIDDEN) ? 'H' : ' ';
    out[2] = (a & zp::ATTR_READONLY) ? 'R' : ' ';
    out[3] = (a & zp::ATTR_ARCHIVE) ? 'A' : ' ';
    out[4] = '\0';
}

void search_folder(seek_run &run, const char *start, const char *pattern) {
    if (g_seek_callback && g_seek_callback(nullptr, nullptr) == 0) return;
    char folder[PATH_SIZE];
    const char *sep = *start && !ends_in_separator(start) ? zp::SEP_STR : "";
    if (std::strlen(start) + std::strlen(sep) + std::strlen(pattern) > PATH_SIZE - 1) {
        err(9, "%s", "buffer full schdrv:1");
        return;
    }
    zu_format(folder, sizeof folder, "%s%s", start, sep);
    char path[PATH_SIZE];
    zu_format(path, sizeof path, "%s%s", folder, pattern);

    ZUFINDFILE find;
    for (const char *name = find.first(path); name; name = find.next()) {
        if (!std::strcmp(name, ".") || !std::strcmp(name, "..")) continue;
        const zp::find_data &d = find.data;
        char attr[8], when[32], line[1100], full[600];
        attribute_text(d.attributes, attr);
        time_text(d.write_time, true, when, sizeof when);
        unsigned long size = d.size > 0xFFFFFFFFu ? 0 : static_cast<unsigned long>(d.size);
        if (run.comma)
            zu_format(line, sizeof line, "%s,%s,%s,%lu,%s", folder, name, when, size, attr);
        else
            zu_format(line, sizeof line, "%s %10lu %-8s %s%s", when, size, attr, folder, name);
        zu_format(full, sizeof full, "%s%s", folder, name);
        if (g_seek_callback) g_seek_callback(full, line);
        if (run.out) run.out->printf("%s\r\n", line);
        if (!run.matched) run.first = full;
        run.matched = true;
        zuApplicationProcessMessages(0);
    }
    find.Close();
    if (!run.descend) return;

    zu_format(path, sizeof path, "%s%s", folder, "*.*");
    ZUFINDFILE sub;
    for (const char *name = sub.first(path); name; name = sub.next()) {
        // Links are not followed: a link back up the tree would never end.
        if (!(sub.data.attributes & zp::ATTR_DIRECTORY) || (sub.data.attributes & zp::ATTR_REPARSE_POINT) ||
            name[0] == '.')
            continue;
        if (std::strlen(folder) + std::strlen(name) > PATH_SIZE - 1) {
            err(9, "buffer full schdrv:2:%s%s", folder, name);
            continue;
        }
        char next[PATH_SIZE];
        zu_format(next, sizeof next, "%s%s", folder, name);
        search_folder(run, next, pattern);
    }
}

// A start names a drive (Windows: "X:..."), or the root of the tree (POSIX).
bool names_drive(const char *start) {
#ifdef _WIN32
    return start[0] && start[1] == ':';
#else
    return start[0] == '/';
#endif
}

int seek(const char *start, const char *pattern, const char *output, bool descend, bool comma, seek_run &run) {
    if (!pattern || !*pattern) {
        err(9, "%s", "サーチファイル名がおかしいです。schdsk()");
        return 0;
    }
    if (start && descend && !names_drive(start)) {
        err(9, "%s", "ドライブを指定してください schdsk()");
        return 0;
    }
    ZUIO out;
    if (output && *output) {
        if (!out.open(output, ZUIO_CREATE, 0)) return 0;
        run.out = &out;
    }
    run.descend = descend;
    run.comma = comma;
    if (start) {
        search_folder(run, start, pattern);
    } else {
        char drives[512];
        unsigned n = zp::logical_drive_strings(drives, sizeof drives);
        if (n == 0 || n >= sizeof drives) n = 0;
        if (n && drives[1] == ':') {
            // Every letter from the first drive to the last.
            char last = drives[0];
            for (const char *d = drives; *d; d += std::strlen(d) + 1) last = d[0];
            for (char letter = drives[0]; letter <= last; ++letter) {
                char root[4] = {letter, ':', '\\', '\0'};
                search_folder(run, root, pattern);
            }
        } else {
            for (const char *d = drives; n && *d; d += std::strlen(d) + 1) search_folder(run, d, pattern);
        }
    }
    out.close();
    return run.matched ? 1 : 0;
}

// ---- names ------------------------------------------------------------------------

// The digit run before the first dot (or the end): its value, its start and
// the dot's offset; -1 and 0, 0 when there is none.
int digit_run(const char *name, int *start, int *end) {
    if (start) *start = 0;
    if (end) *end = 0;
    if (!name) return -1;
    std::size_t len = std::strlen(name);
    if (len > PATH_SIZE) {
        err(9, "%s", "RtvFileNameDigit zustd.dll ");
        return -1;
    }
    const char *dot = std::strchr(name, '.');
    std::size_t e = dot ? static_cast<std::size_t>(dot - name) : len, s = e;
    while (s > 0 && name[s - 1] >= '0' && name[s - 1] <= '9') --s;
    if (s == e) return -1;
    if (e - s >= PATH_SIZE) {
        err(9, "%s", "RtvFileNameDigit buffer over zustd.dll ");
        return -1;
    }
    std::uint32_t v = 0;
    for (std::size_t i = s; i < e; ++i) v = v * 10 + static_cast<std::uint32_t>(name[i] - '0');
    if (start) *start = static_cast<int>(s);
    if (end) *end = static_cast<int>(e);
    int value = static_cast<int>(v);
    return value < 0 ? 0 : value;
}

// Exists as a file or folder, a trailing separator left out.
int exists_as_path(const char *path) {
    if (!path) return 0;
    if (std::strlen(path) >= PATH_SIZE) {
        err(9, "%s", "Buffer Over DirectoryExists");
        return 0;
    }
    char copy[PATH_SIZE];
    zu_copy(copy, sizeof copy, path);
    std::size_t n = std::strlen(copy);
    if (n > 1 && ends_in_separator(copy)) copy[n - 1] = '\0';
    return zu_exist(copy);
}

char g_file_time[16];
char g_file_date_time[32];
char g_sequence[PATH_SIZE];
char g_temp_name[PATH_SIZE];
char g_first_match[PATH_SIZE];

const char *file_time(const char *name, bool with_date, bool creation) {
    ZUFINDFILE f;
    if (!name || !f.first(name)) return nullptr;
    std::uint64_t t = creation ? f.data.creation_time : f.data.write_time;
    if (with_date) return time_text(t, true, g_file_date_time, sizeof g_file_date_time);
    return time_text(t, false, g_file_time, sizeof g_file_time);
}

}  // namespace

// ---- copy, append, rename, delete ------------------------------------------------------

ZU_API unsigned ZU_CALL ZuFileCopy(const char *source, const char *target) {
    return zu_export([&] {
        char temp[PATH_SIZE];
        unsigned code = 0;
        if (!temp_beside(target, temp)) return static_cast<unsigned>(zp::E_INVALID_NAME);
        if (!zp::copy_file(source, temp, false) || !zp::replace_file(temp, target)) {
            code = zp::last_error();
            drop(temp);
        }
        if (zu_write_log) debf("ファイルコピー : %s => %s %s\r\n", source, target, zu_system_text(code));
        return code;
    });
}

ZU_API int ZU_CALL ZuFileCopyAppend(const char *source, const char *target, int safe) {
    return zu_export([&] {
        if (!safe) return append_text(source, target) ? 0 : 1;
        // The append goes to a copy of the target, which takes the target's
        // place only when it is complete.
        char temp[PATH_SIZE];
        if (!temp_beside(target, temp)) return 1;
        if (zu_exist(target) && !zp::copy_file(target, temp, true)) {
            unsigned code = zp::last_error();
            drop(temp);
            err(9, "コピーできません。%s => %s ZuFileCopyAppend() : %s", target, temp, zu_system_text_with_code(code));
            return 1;
        }
        bool ok;
        try {
            ok = append_text(source, temp);
        } catch (char *) {
            drop(temp);
            throw;
        }
        if (!ok) {
            drop(temp);
            return 1;
        }
        return put_in_place(temp, target, "ZuFileCopyAppend()") ? 0 : 1;
    });
}

ZU_API int ZU_CALL ZuFileCopySHFO(const char *source, const char *target) {
    return zu_export([&] {
        bool aborted = false;
        int r = zp::shell_file_operation(zp::SHELL_COPY, source, target, FOF_NOCONFIRMATION, &aborted);
        if (aborted) err(9, "%s から %s へのコピーは中断しました。_FileCopySHFO() ", source, target);
        return r;
    });
}

ZU_API int ZU_CALL ZuFileCopySHFO_Silent(const char *source, const char *target) {
    return zu_export([&] {
        return zp::shell_file_operation(zp::SHELL_COPY, source, target, FOF_SILENT | FOF_NOCONFIRMATION, nullptr);
    });
}

ZU_API int ZU_CALL ZuDirDeleteSHFO(const char *path) {
    return zu_export([&] {
        bool aborted = false;
        int r = zp::shell_file_operation(zp::SHELL_DELETE, path, nullptr,
                                         FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI,
                                         &aborted);
        if (aborted) err(9, "%s の削除はユーザーが中断しました。", path);
        return r;
    });
}

ZU_API int ZU_CALL ZuRenameSHFO(const char *source, const char *target, int show_errors) {
    return zu_export([&] {
        return zp::shell_file_operation(zp::SHELL_RENAME, source, target, show_errors ? 0u : FOF_NOERRORUI, nullptr);
    });
}

ZU_API unsigned ZU_CALL ZuRename(const char *source, const char *target, int replace) {
    return zu_export([&] { return zu_rename(source, target, replace != 0, false); });
}

// ---- bundles, comparison, dumps ------------------------------------------------------------

ZU_API int ZU_CALL ZuFileStore(char *file, const char *bundle) {
    return zu_export([&] {
        std::string original(file);   // the file is read under the name given
        upper_string(file);
        {
            ZUIO out;
            if (!out.open(bundle, ZUIO_APPEND, 0)) return 1;
            if (out.write(MARK) || out.write("\r\n") || out.write(file) || out.write("\r\n")) return 1;
            out.close();
        }
        return append_text(original.c_str(), bundle) ? 0 : 1;
    });
}

namespace {
// One restored file: written under a temporary name beside its place and
// put there once complete; a file left incomplete is removed.
struct restored {
    ZUIO out;
    char temp[PATH_SIZE] = "";
    std::string target;
    ~restored() {
        if (out.open_status) {
            out.flags |= ZUIO_QUIET;
        }
        try {
            out.close();
        } catch (char *) {
        }
        drop(temp);
    }
    bool commit() {
        out.close();
        bool ok = put_in_place(temp, target.c_str(), "ZuFileReStore()");
        temp[0] = '\0';
        return ok;
    }
};
}  // namespace

ZU_API int ZU_CALL ZuFileReStore(const char *bundle, const char *folder) {
    return zu_export([&] {
        ZUIO in;
        if (!in.open(bundle, ZUIO_READ, BUNDLE_LINE)) return 1;
        std::unique_ptr<restored> current;
        const std::size_t mark_len = sizeof MARK - 1;
        while (char *line = in.reads()) {
            if (std::strncmp(line, MARK, mark_len) == 0) {
                char *name = in.reads();
                const char *base = name ? last_sep(name) : nullptr;
                if (!base) {
                    err(9, "%s ファイル内容エラー ZuFileReStore", bundle);
                    return 1;
                }
                ++base;
                std::string target = std::string(folder) + base;
                std::size_t cr = target.find('\r');
                if (cr != std::string::npos) target.resize(cr);
                if (target.size() >= PATH_SIZE) {
                    err(9, "%s ファイル名レングスオーバー ZuFileReStore", target.c_str());
                    return 1;
                }
                if (current && !current->commit()) return 1;
                current.reset(new restored);
                current->target = target;
                if (!temp_beside(target.c_str(), current->temp)) return 1;
                if (!current->out.open(current->temp, ZUIO_CREATE, 0)) return 1;
                continue;
            }
            if (current && current->out.write(line)) return 1;
        }
        if (current && !current->commit()) return 1;
        in.close();
        return 0;
    });
}

ZU_API int ZU_CALL ZuFileComp(const char *file1, const char *file2) {
    return zu_export([&] {
        if (!zu_exist(file1) || !zu_exist(file2)) return -1;
        if (!ZuAVOpt('L')) {
            std::uint64_t a = 0, b = 0;
            zp::file_size(file1, &a);
            zp::file_size(file2, &b);
            if (a != b) return 2;
        }
        int h1 = zp::lopen(file1, zp::OPEN_READ);
        if (h1 == zp::HFILE_ERR) {
            err(9, "'%s' が、オープンできません。", file1);
            return -1;
        }
        int h2 = zp::lopen(file2, zp::OPEN_READ);
        if (h2 == zp::HFILE_ERR) {
            zp::lclose(h1);
            err(9, "'%s' が、オープンできません。", file2);
            return -1;
        }
        int result = 0;
        static char b1[APPEND_BLOCK], b2[APPEND_BLOCK];
        for (;;) {
            unsigned n1 = zp::lread(h1, b1, sizeof b1), n2 = zp::lread(h2, b2, sizeof b2);
            if (n1 == static_cast<unsigned>(-1)) n1 = 0;
            if (n2 == static_cast<unsigned>(-1)) n2 = 0;
            unsigned n = n1 < n2 ? n1 : n2;
            if (std::memcmp(b1, b2, n) != 0) {
                result = 1;
                break;
            }
            if (n1 < sizeof b1 || n2 < sizeof b2) break;
        }
        zp::lclose(h1);
        zp::lclose(h2);
        return result;
    });
}

ZU_API const char *ZU_CALL Dump(const void *buffer, unsigned length) {
    return zu_export([&]() -> const char * {
        g_dump.clear();
        dump_into(g_dump, static_cast<const unsigned char *>(buffer), buffer ? length : 0);
        return g_dump.c_str();
    });
}

ZU_API int ZU_CALL DumpFile(const char *input, const char *output) {
    return zu_export([&] {
        int in = zp::lopen(input, zp::OPEN_READ);
        if (in == zp::HFILE_ERR) return 1;
        int out = zp::lcreat(output);
        if (out == zp::HFILE_ERR) {
            zp::lclose(in);
            return 1;
        }
        unsigned char block[DUMP_BLOCK];
        std::string text;
        int result = 0;
        for (unsigned number = 1;; ++number) {
            unsigned got = zp::lread(in, block, sizeof block);
            if (got == static_cast<unsigned>(-1) || got == 0 || (got == 1 && block[0] == 0x1A)) break;
            char head[32];
            zu_format(head, sizeof head, "%4u) ***\r\n", number);
            text = head;
            dump_into(text, block, got);
            if (zp::lwrite(out, text.data(), static_cast<unsigned>(text.size())) != text.size()) {
                result = 1;
                break;
            }
            if (got < sizeof block) break;
        }
        zp::lclose(in);
        zp::lclose(out);
        if (result) err(9, "書き込みエラー:'%s'", output);
        return result;
    });
}

ZU_API int ZU_CALL DivideFile(int, int, int, int) { return 0; }

// ---- searches ---------------------------------------------------------------------------------

namespace {
int seek_tree(const char *start, const char *pattern, const char *output, ZuSeekCallback callback) {
    return zu_export([&] {
        callback_slot slot(callback);
        seek_run run;
        return seek(start, pattern, output, true, false, run);
    });
}
}  // namespace

ZU_API int ZU_CALL ZuSeekDir(const char *start, const char *pattern, const char *output) {
    return seek_tree(start, pattern, output, nullptr);
}

ZU_API int ZU_CALL ZuSeekDrive(const char *start, const char *pattern, const char *output) {
    return seek_tree(start, pattern, output, nullptr);
}

ZU_API int ZU_CALL ZuSeekDriveAll(const char *pattern, const char *output) {
    return seek_tree(nullptr, pattern, output, nullptr);
}

ZU_API int ZU_CALL ZuSeekDirRtnProc(const char *start, const char *pattern, const char *output,
                                    ZuSeekCallback callback) {
    return seek_tree(start, pattern, output, callback);
}

ZU_API int ZU_CALL ZuSeekDriveAllRtnProc(const char *pattern, const char *output, ZuSeekCallback callback) {
    return seek_tree(nullptr, pattern, output, callback);
}

ZU_API const char *ZU_CALL ZuSeekDriveNotUnderFolder(const char *path_pattern, const char *output) {
    return zu_export([&]() -> const char * {
        if (!path_pattern || std::strlen(path_pattern) >= PATH_SIZE) {
            err(9, "%s", "PGM Error ZuSeekDriveNotUnderFolder");
            return nullptr;
        }
        char folder[PATH_SIZE];
        zu_copy(folder, sizeof folder, path_pattern);
        const char *pattern = path_pattern;
        if (const char *s = last_sep(path_pattern)) {
            folder[s - path_pattern + 1] = '\0';
            pattern = s + 1;
        } else {
            folder[0] = '\0';
        }
        seek_run run;
        if (!seek(folder, pattern, output, false, true, run)) return nullptr;
        zu_copy(g_first_match, sizeof g_first_match, run.first.c_str());
        return g_first_match;
    });
}

// ---- names and existence --------------------------------------------------------------------

ZU_API int ZU_CALL RtvFileNameDigit(const char *name, int *start, int *end) {
    return zu_export([&] { return digit_run(name, start, end); });
}

ZU_API char *ZU_CALL FileNameUpDown(const char *name, char *output, int step, int width) {
    return zu_export([&]() -> char * {
        int start = 0, end = 0;
        int value = digit_run(name, &start, &end);
        if (value == -1 && start == end) {
            zu_copy(output, PATH_SIZE, name ? name : "");
            return output;
        }
        unsigned digits = width ? static_cast<unsigned>(width) : static_cast<unsigned>(end - start);
        if (digits >= PATH_SIZE) {
            err(9, "%s", "Error02 FileNameUpDown() zustd.dll ");
            digits = PATH_SIZE - 1;
        }
        char format[128];
        zu_format(format, sizeof format, "%%.%uu", digits);
        char number[PATH_SIZE + 16];
        zu_format(number, sizeof number, format, static_cast<unsigned>(value) + static_cast<unsigned>(step));
        std::string result = std::string(name, static_cast<std::size_t>(start)) + number + (name + end);
        if (result.size() >= PATH_SIZE) err(9, "%s", "Error02 FileNameUpDown() zustd.dll ");
        zu_copy(output, PATH_SIZE, result.c_str());
        return output;
    });
}

ZU_API const char *ZU_CALL GetFileNameSequence(const char *name) {
    return zu_export([&]() -> const char * {
        const char *file = name ? last_sep(name) : nullptr;
        const char *dot = name ? std::strrchr(file ? file : name, '.') : nullptr;
        if (!dot) {
            err(9, "拡張子がありません。get_file_name_sequence %s", name ? name : "");
            return nullptr;
        }
        if (std::strlen(name) + 7 >= PATH_SIZE) {
            err(9, "%s ファイル名レングスオーバー get_file_name_sequence", name);
            return nullptr;
        }
        for (unsigned n = 1; n < 100000; ++n) {
            zu_format(g_sequence, sizeof g_sequence, "%.*s_%.2u%s", static_cast<int>(dot - name), name, n, dot);
            if (!zu_exist(g_sequence)) return g_sequence;
        }
        return g_sequence;
    });
}

ZU_API char *ZU_CALL OmitFExt(char *name) {
    if (name)
        if (char *dot = std::strrchr(name, '.')) *dot = '\0';
    return name;
}

ZU_API char *ZU_CALL GetExistPath(char *path) {
    return zu_export([&]() -> char * {
        if (!path) return nullptr;
        std::size_t n = std::strlen(path);
        if (n > 1 && ends_in_separator(path)) path[n - 1] = '\0';
        while (*path && !zu_exist(path)) {
            const char *s = last_sep(path);
            if (!s) return nullptr;
            path[s == path ? 1 : s - path] = '\0';   // "/" itself stays
        }
        return *path ? path : nullptr;
    });
}

ZU_API int ZU_CALL DirectoryExists(const char *path) {
    return zu_export([&] { return exists_as_path(path); });
}

ZU_API int ZU_CALL FExist(char *path) {
    return zu_export([&] {
        if (path && path[0] == '"') {
            std::size_t n = std::strlen(path);
            std::memmove(path, path + 1, n);   // the terminator comes along
            if (n >= 2) path[n - 2] = '\0';
        }
        return exists_as_path(path);
    });
}

ZU_API const char *ZU_CALL ZuGetTempFileName(const char *path) {
    return zu_export([&]() -> const char * { return maktmpf(path, g_temp_name, true); });
}

// ---- times ---------------------------------------------------------------------------------------

ZU_API const char *ZU_CALL RtvFileTime(const char *name) {
    return zu_export([&] { return file_time(name, false, false); });
}

ZU_API const char *ZU_CALL RtvFileDateTime(const char *name) {
    return zu_export([&] { return file_time(name, true, false); });
}

ZU_API const char *ZU_CALL RtvFileDateTimeCreate(const char *name) {
    return zu_export([&] { return file_time(name, true, true); });
}

ZU_API ZuSystemTime *ZU_CALL ZuGetFileDate(ZuSystemTime *time, const char *name) {
    return zu_export([&] {
        std::uint64_t write = 0;
        if (!name || !zp::get_file_times(name, nullptr, &write)) {
            err(9, "ファイルが開けません %s", name ? name : "");
            return time;
        }
        zp::system_time t{};
        zp::filetime_to_local(write, &t);
        if (time) *time = {t.year, t.month, t.day_of_week, t.day, t.hour, t.minute, t.second, t.milliseconds};
        return time;
    });
}

ZU_API int ZU_CALL ZuSetFileDate(const char *name, ZuSystemTime time) {
    return zu_export([&] {
        zp::system_time t{time.year, time.month, time.day_of_week, time.day, time.hour, time.minute, time.second,
                          time.milliseconds};
        std::uint64_t write = 0;
        bool opened = false;
        if (!name) {
            err(9, "ファイルが開けません %s", "");
        } else if (!zp::local_to_filetime(&t, &write)) {
            if (!zp::get_file_times(name, nullptr, nullptr))
                err(9, "ファイルが開けません %s", name);
            else
                err(9, "Error ZuSetFileDate() %s ", name);
        } else if (!zp::set_file_write_time(name, write, &opened)) {
            if (opened)
                err(9, "Error ZuSetFileDate() %s ", name);
            else
                err(9, "ファイルが開けません %s", name);
        }
        return 0;
    });
}

ZU_API int ZU_CALL ResizeLogFile(const char *name, unsigned maximum) {
    return zu_export([&] {
        std::uint64_t size = 0;
        if (!name || !zp::file_size(name, &size) || size <= maximum) return 0;
        const char *notice = "ヒストリファイルのサイズ調整をします\n";
        std::fputs(zp::locale_is_utf8() ? zu_utf8_of(notice).c_str() : notice, stderr);

        int in = zp::lopen(name, zp::OPEN_READ);
        if (in == zp::HFILE_ERR) {
            err(9, "'%s' が、オープンできません。", name);
            return 0;
        }
        struct closer {
            int h;
            ~closer() {
                if (h != zp::HFILE_ERR) zp::lclose(h);
            }
        } in_guard{in};
        if (zp::llseek(in, -static_cast<long>(maximum / 2), zp::SEEK_FROM_END) == -1) {
            err(9, "%s", "seek err resize_logfile_01()\n");
            return 0;
        }
        // Skip to just behind the next line feed.
        static char block[APPEND_BLOCK];
        unsigned got = 0, at = 0;
        bool found = false;
        while (!found) {
            got = zp::lread(in, block, sizeof block);
            if (got == static_cast<unsigned>(-1) || got == 0) break;
            for (at = 0; at < got; ++at)
                if (block[at] == '\n') {
                    found = true;
                    ++at;
                    break;
                }
        }
        if (!found) {
            err(9, "%s", "histf err resize_logfile_01()\n");
            return 0;
        }
        char temp[PATH_SIZE];
        if (!temp_beside(name, temp)) return 0;
        int out = zp::lcreat(temp);
        if (out == zp::HFILE_ERR) {
            err(9, "'%s' が、オープンできません。", temp);
            return 0;
        }
        bool ok = true;
        for (;;) {
            if (at < got && zp::lwrite(out, block + at, got - at) != got - at) {
                ok = false;
                break;
            }
            at = 0;
            got = zp::lread(in, block, sizeof block);
            if (got == static_cast<unsigned>(-1) || got == 0) break;
        }
        if (zp::lclose(out) == zp::HFILE_ERR) ok = false;
        if (!ok) {
            drop(temp);
            err(9, "書き込みエラー:'%s'", temp);
            return 0;
        }
        zp::lclose(in);
        in_guard.h = zp::HFILE_ERR;
        if (!zp::replace_file(temp, name)) {
            unsigned code = zp::last_error();
            drop(temp);
            err(9, "リネーム出来ません okikae() \"%s\"－＞\"%s\" GetLastError()=%u \"%s\"", temp, name, code,
                zu_system_text(code));
            return 0;
        }
        return 1;
    });
}
