// Paths: folder and file parts, temporary names, extensions, and the
// directory search object.
#include <cstdlib>
#include <cstring>
#ifndef _WIN32
#include <strings.h>
#endif

#include "base/base.h"

namespace {
char g_sep_path[260];
char g_rtvdir[264];
char g_rtvfil[260];

// The end of the folder part for rtvdir and rtvfil: the last separator
// other than a drive colon, failing that the last colon; null when there is
// neither.  Byte by byte, as the system scans paths: a trail byte of value
// 0x5C counts.
const char *folder_end(const char *path) {
    const char *last = nullptr, *colon = nullptr;
    for (const char *p = path; *p; ++p)
        if (zp::is_separator(*p)) (*p == ':' ? colon : last) = p;
    return last ? last : colon;
}

std::size_t folder_length(const char *path) {
    const char *end = folder_end(path);
    return end ? static_cast<std::size_t>(end - path) + 1 : 0;
}

void cut_folder(char *buf) { buf[folder_length(buf)] = '\0'; }
}  // namespace

const char *sep_path(const char *path) {
    if (!path) {
        err(9, "%s", "NULL ﾎﾟｲﾝﾀが，渡されました sep_path()\n");
        return "";
    }
    if (std::strlen(path) > 259) {
        err(9, "%s", "パス名のﾊﾞｯﾌｧ - が，ｵ - ﾊﾞ - しました sep_path()\n");
        return "";
    }
    std::strcpy(g_sep_path, path);
    // Up to and including the last separator of any kind.
    const char *last = zp::last_separator(g_sep_path);
    g_sep_path[last ? last - g_sep_path + 1 : 0] = '\0';
    return g_sep_path;
}

const char *rtvdir(const char *path) {
    if (!path) path = "";
    if (std::strlen(path) >= 260) {
        err(9, "%s", "バッファオーバー(from rtvdir())");
        return "";
    }
    std::strcpy(g_rtvdir, path);
    cut_folder(g_rtvdir);
    return g_rtvdir;
}

char *rtvdir(char *buffer, const char *path) {
    if (!path) path = "";
    if (!buffer) {
        unsigned size = static_cast<unsigned>(std::strlen(path) + 261);
        buffer = static_cast<char *>(ZUALC(size));
        if (!buffer) return nullptr;
    }
    // Only the folder part is copied: the caller's buffer need not hold the
    // file part.
    std::size_t n = folder_length(path);
    std::memmove(buffer, path, n);
    buffer[n] = '\0';
    return buffer;
}

const char *rtvfil(const char *path) {
    if (!path) path = "";
    if (std::strlen(path) >= 260) {
        err(9, "%s ファイル長オーバーrtvfil()", path);
        return "";
    }
    const char *end = folder_end(path);
    std::strcpy(g_rtvfil, end ? end + 1 : path);
    return g_rtvfil;
}

char *maktmpf(const char *path, char *buffer, bool workstation) {
    static unsigned counter = 0;
    static char tmpl[9];
    const char *ext = nullptr;
    if (workstation) {
        ext = zp::get_env("ZUWS");
        if (!ext) ext = "zu";
    }
    if (!path) path = "";
    // The length of the result is known before anything is written: the
    // folder part, eight characters of name and the extension.  A result of
    // 260 or more characters is reported without touching the buffer.
    std::size_t folder_len = folder_length(path);
    std::size_t total = folder_len + 8 + (ext ? 1 + std::strlen(ext) : 0);
    if (total >= 260) {
        char shown[1024];
        std::size_t n = folder_len < 900 ? folder_len : 900;
        std::memcpy(shown, path, n);
        shown[n] = '\0';
        zu_append(shown, sizeof shown, "zuXXXXXX");
        if (ext) {
            zu_append(shown, sizeof shown, ".");
            zu_append(shown, sizeof shown, ext);
        }
        err(9, "%s ファイル名レングスオーバー(maktmpf)\n", shown);
        return buffer;
    }
    char *out = rtvdir(buffer, path);
    if (!out) return nullptr;
    // Six characters that make a name no file of the target folder has
    // (with the workstation extension, when one is added).
    static const char digits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    zp::system_time t;
    zp::local_time(&t);
    unsigned seed = (static_cast<unsigned>(t.milliseconds) * 1000u + t.second * 60u + t.minute) ^
                    (static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&counter)) >> 4);
    for (unsigned attempt = 0; attempt < 36u * 36u * 36u; ++attempt) {
        unsigned v = seed + (counter++) * 2654435761u;
        std::strcpy(tmpl, "zu");
        for (int i = 0; i < 6; ++i) {
            tmpl[2 + i] = digits[v % 36];
            v /= 36;
        }
        tmpl[8] = '\0';
        out[folder_len] = '\0';
        std::strcat(out, tmpl);
        if (ext) {
            std::strcat(out, ".");
            std::strcat(out, ext);
        }
        if (!zu_exist(out)) return out;
    }
    err(9, "%s", "テンプファイル名が，作成できません\n");
    return out;
}

char *add_ext(const char *name, const char *extension) {
    const char *dot = std::strrchr(name, '.');
    std::size_t need;
    bool add_dot = false;
    if (dot) {
#ifdef _WIN32
        if (_stricmp(dot, extension) == 0) return const_cast<char *>(name);
#else
        if (strcasecmp(dot, extension) == 0) return const_cast<char *>(name);
#endif
        err(9, "ファイル %s の拡張子が %s でありません", name, extension);
        need = std::strlen(name) + std::strlen(extension) + 1;
    } else {
        add_dot = extension[0] != '.';
        need = std::strlen(name) + (add_dot ? 1 : 0) + std::strlen(extension) + 1;
    }
    char *out = static_cast<char *>(ZUALC(static_cast<unsigned>(need)));
    if (!out) return nullptr;
    std::strcpy(out, name);
    if (add_dot) std::strcat(out, ".");
    std::strcat(out, extension);
    return out;
}

int chg_ext(char *name, const char *extension) {
    char *dot = std::strrchr(name, '.');
    if (dot) *dot = '\0';
    char *r = add_ext(name, extension);
    if (r && r != name) {
        std::strcpy(name, r);
        ZUFRE(r);
    }
    return dot ? 1 : 0;
}

ZUFINDFILE::~ZUFINDFILE() {
    try {
        Close();
    } catch (char *) {
    }
}

const char *ZUFINDFILE::first(const char *pattern) {
    Close();
    handle = zp::find_first(pattern, &data);
    if (!handle) return nullptr;
    if (std::strlen(data.name) >= 260) {
        zp::message_beep();
        zp::message_box(data.name, "");
    }
    return data.name;
}

const char *ZUFINDFILE::next() {
    if (!handle) return nullptr;
    return zp::find_next(handle, &data) ? data.name : nullptr;
}

void ZUFINDFILE::Close() {
    if (!handle) return;
    zp::find_handle h = handle;
    handle = nullptr;
    if (!zp::find_close(h)) err(9, "%s", "ZUFINDFILE::Close();");
}
