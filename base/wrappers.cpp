// Checked memory and file wrappers.
#include <cstdlib>
#include <cstring>

#include "base/base.h"

unsigned char zu_write_log = 0;

void *ZUALC(unsigned size) {
    void *p = std::malloc(size ? size : 1);
    if (!p) err(9, "メモリが足りません (%u)  0x%8lX ZUALC(char,)", size, static_cast<unsigned long>(size));
    return p;
}

void ZUFRE(void *p) {
    if (!p) err(9, "%s", "メモリポインタがNULLです ZUFRE()");
    std::free(p);
}

int zu_remove(const char *name) {
    if (!name) {
        err(9, "%s", "ファイルポインタがNULLです zu_remove()");
        return -1;
    }
    if (zu_write_log) debf("ファイル削除 : %s\r\n", name);
    if (!zp::delete_file(name)) {
        err(9, "'%s' が、削除できません。(%s)", name, zu_system_text(zp::last_error()));
        return -1;
    }
    return 0;
}

unsigned zu_rename(const char *old_name, const char *new_name, bool replace, bool report) {
    if (replace && zu_exist(old_name) && zu_exist(new_name)) zu_remove(new_name);
    unsigned code = zp::move_file(old_name, new_name) ? 0 : zp::last_error();
    if (report && code != 0)
        err(9, "リネームできません。%s => %s zu_rename() : %s", old_name, new_name, zu_system_text_with_code(code));
    if (zu_write_log)
        debf("ファイルリネーム%s: %s => %s %s\r\n", replace ? "（置換有）" : "（置換無）", old_name, new_name,
             zu_system_text_with_code(code));
    return code;
}

FILE *zu_fopen(const char *name, const char *mode) {
    FILE *f = std::fopen(name, mode);
    if (!f) {
        if (std::strchr(mode, 'r')) err(21, "%s", name);
        if (std::strchr(mode, 'w')) err(22, "%s", name);
    }
    return f;
}

void zu_fclose(FILE *stream) {
    if (!stream) {
        err(9, "%s", "ファイルポインタがNULLです zu_fclose()");
        return;
    }
    if (std::fclose(stream) != 0) err(23, "%s", "ファイルが、クローズできません。 zu_fclose()");
}

int zu_lopen(const char *name, int mode) {
    int h = zp::HFILE_ERR;
    switch (mode) {
    case ZUIO_READ: h = zp::lopen(name, zp::OPEN_READWRITE); break;
    case ZUIO_APPEND: h = zu_exist(name) ? zp::lopen(name, zp::OPEN_READWRITE) : zp::lcreat(name); break;
    case ZUIO_CREATE: h = zp::lcreat(name); break;
    default: err(9, "%s", "program error zu_lopen "); return zp::HFILE_ERR;
    }
    if (h == zp::HFILE_ERR) err(9, "'%s' が、オープンできません。", name);
    return h;
}

int zu_lclose(int handle) {
    int r = zp::lclose(handle);
    if (r == zp::HFILE_ERR) err(9, "ファイルハンドル '%.4X' が、クローズできません。", static_cast<unsigned>(handle));
    return r;
}

int zu_exist(const char *name) {
    if (!name || !*name) return 0;
    ZUFINDFILE f;
    return f.first(name) ? 1 : 0;
}

char *fil2buf(const char *name, const char *mode, char *buffer, unsigned size) {
    int h = zp::lopen(name, zp::OPEN_READWRITE);
    if (h == zp::HFILE_ERR) {
        err(9, "'%s' が、オープンできません。", name);
        return nullptr;
    }
    if (size == 0) {
        std::uint64_t s = 0;
        zp::handle_size(h, &s);
        size = s > 0xFFFFFFFEu ? 0xFFFFFFFEu : static_cast<unsigned>(s);
    }
    unsigned got = zp::lread(h, buffer, size);
    if (got == static_cast<unsigned>(-1)) got = 0;
    buffer[got] = '\0';
    if (zp::lclose(h) == zp::HFILE_ERR)
        err(9, "ファイルハンドル '%.4X' が、クローズできません。", static_cast<unsigned>(h));
    if (!std::strchr(mode, 'b')) {
        char *out = buffer;
        for (unsigned i = 0; i < got; ++i)
            if (buffer[i] != 0x0D && buffer[i] != 0x1A) *out++ = buffer[i];
        *out = '\0';
    }
    return buffer;
}

char *fil2buf(const char *name) {
    std::uint64_t size = 0;
    if (!zp::file_size(name, &size)) size = 0;
    if (size >= 4294967294ULL) {
        err(9, "ファイル長が  %u をオーバーしました\nファイル長＝%lu fil2buf();", 4294967295u,
            static_cast<unsigned long>(size));
        return nullptr;
    }
    unsigned n = static_cast<unsigned>(size);
    char *buffer = static_cast<char *>(std::malloc(static_cast<std::size_t>(n) + 1));
    if (!buffer) {
        err(9, "メモリが足りません (%u)  0x%8lX ZUALC(char,)", n + 1, static_cast<unsigned long>(n + 1));
        err(9, "%s", "バッファフル fil2buf();");
        return nullptr;
    }
    try {
        bool ok;
        if (n == 0) {
            // An empty (or unmeasurable) file: still open it, so that a
            // missing one is reported.
            char one[2];
            ok = fil2buf(name, "r", one, 1) != nullptr;
            buffer[0] = '\0';
        } else {
            ok = fil2buf(name, "r", buffer, n) != nullptr;
        }
        if (!ok) {
            std::free(buffer);
            return nullptr;
        }
    } catch (char *) {
        std::free(buffer);
        throw;
    }
    return buffer;
}
