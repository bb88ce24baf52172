// ZUIO, the base library's file object.
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "base/base.h"

namespace {
char *g_work = nullptr;
char g_reads_scratch[257];
}  // namespace

char *zu_work_buffer() {
    if (!g_work) g_work = static_cast<char *>(std::malloc(ZU_WORK_SIZE));
    if (!g_work) {
        // Without it nothing can be formatted; keep a static fallback.
        static char fallback[ZU_WORK_SIZE];
        g_work = fallback;
    }
    return g_work;
}

ZUIO::~ZUIO() {
    try {
        if (flags & ZUIO_TEMPORARY) {
            if (open_status != 0) close();
            if (name) zu_remove(name);
        } else if (flags & ZUIO_QUIET) {
            if (open_status != 0) {
                zp::lclose(handle);
                open_status = 0;
            }
        } else if (open_status != 0) {
            close();
            if (err_show_box) {
                char text[300];
                zu_format(text, sizeof text, "closeしていなかったのでcloseしました。 ZUIO::~ZUIO %s",
                          name ? name : "");
                zp::message_beep();
                zp::message_box(text, "");
            }
        }
        if (buffers_mode_ == ZUIO_READ || buffers_mode_ == ZUIO_WORK) {
            delete[] record;
            delete[] wide;
            record = nullptr;
            wide = nullptr;
        }
        delete[] name;
        name = nullptr;
    } catch (char *) {
        // A report ends the destruction here; it goes no further.
    }
}

const char *ZUIO::open(const char *file, int mode, int length) {
    total_read = 0;
    if (mode >= 0 || length < 0) {
        RE("pgm err ZUIO::open");
        return nullptr;
    }
    if (open_status != 0) {
        err(9, "この ZUIO は既に、ファイル'%s'でオープンしていますが、さらに'%s'でオープンしようとしました。",
            name ? name : "", file ? file : "");
        return nullptr;
    }
    if (!file) {
        RE("pgm err ZUIO::open");
        return nullptr;
    }
    if (mode < ZUIO_WORK) {
        RE("pgm err ZUIO::open");
        return nullptr;
    }
    if ((mode == ZUIO_READ || mode == ZUIO_WORK) && length == 0) {
        RE("pgm err ZUIO::open");
        return nullptr;
    }
    std::size_t n = std::strlen(file);
    delete[] name;
    name = new char[n + 1];
    std::memcpy(name, file, n + 1);
    reclen = length;
    std::uint64_t size = 0;
    size_at_open = zp::file_size(file, &size) ? (size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<unsigned>(size)) : 0;
    end_flag = 0;

    if (mode == ZUIO_READ || mode == ZUIO_WORK) {
        // A second open of a closed object makes new buffers: free the old.
        if (buffers_mode_ == ZUIO_READ || buffers_mode_ == ZUIO_WORK) {
            delete[] record;
            delete[] wide;
            record = nullptr;
            wide = nullptr;
            buffers_mode_ = 0;
        }
        if (length >= 2147483637) {
            err(9, "%s", "'バッファフル open ");
            return nullptr;
        }
        record = new (std::nothrow) char[static_cast<std::size_t>(length) + 1];
        wide = new (std::nothrow) std::uint16_t[static_cast<std::size_t>(length) + 1];
        if (!record || !wide) {
            delete[] record;
            delete[] wide;
            record = nullptr;
            wide = nullptr;
            err(9, "%s", "'バッファフル open ");
            return nullptr;
        }
        record[0] = '\0';
        buffers_mode_ = mode;
    }

    switch (mode) {
    case ZUIO_APPEND: handle = zu_exist(file) ? zp::lopen(file, zp::OPEN_READWRITE) : zp::lcreat(file); break;
    case ZUIO_CREATE:
    case ZUIO_WORK: handle = zp::lcreat(file); break;
    case ZUIO_READ: handle = zp::lopen(file, zp::OPEN_READWRITE); break;
    }
    if (handle == zp::HFILE_ERR) {
        unsigned code = zp::last_error();
        open_status = 0;
        err(9, "'%s' が、オープンできません。(LE)%.4X %s", file, code, zu_system_text(code));
        return nullptr;
    }
    open_status = mode;
    if (mode == ZUIO_APPEND && zp::llseek(handle, 0, zp::SEEK_FROM_END) == -1) {
        err(9, "Seek Err (%s)", file);
        return nullptr;
    }
    zu_work_buffer();
    return file;
}

char *ZUIO::read(unsigned count) {
    if (open_status != ZUIO_READ && open_status != ZUIO_WORK) {
        err(9, "%s", "プログラムエラー ZUIO::read() ");
        return nullptr;
    }
    if (end_flag) return nullptr;
    if (count == 0) count = static_cast<unsigned>(reclen);
    if (count > static_cast<unsigned>(reclen)) {
        err(9, "%s", "プログラムエラー ZUIO::read() ");
        return nullptr;
    }
    unsigned got = zp::lread(handle, record, count);
    if (got == static_cast<unsigned>(-1)) {
        // A failed read is a failure, not the end of the file.
        record[0] = '\0';
        last_count = 0;
        end_flag = 1;
        err(9, "読み込みエラー:'%s' (%s)", name ? name : "", zu_system_text(zp::last_error()));
        return nullptr;
    }
    total_read += got;
    last_count = got;
    record[got] = '\0';
    if (got == 0 || (got == 1 && record[0] == 0x1A)) {
        end_flag = 1;
        return nullptr;
    }
    if (got < count) end_flag = 1;
    return record;
}

int ZUIO::readc() {
    if (open_status != ZUIO_READ && open_status != ZUIO_WORK) {
        err(9, "プログラムエラー ZUIO::readc() open_status=0x%8X ", static_cast<unsigned>(open_status));
        return 0;
    }
    unsigned char c;
    unsigned got = zp::lread(handle, &c, 1);
    if (got == static_cast<unsigned>(-1)) {
        err(9, "読み込みエラー:'%s' (%s)", name ? name : "", zu_system_text(zp::last_error()));
        return 0;
    }
    if (got == 1) {
        ++total_read;
        return c;
    }
    return 0;
}

char *ZUIO::reads() {
    if (end_flag) return nullptr;
    if (open_status != ZUIO_READ && open_status != ZUIO_WORK) {
        err(9, "%s", "プログラムエラー ZUIO::read() ");
        return nullptr;
    }
    int pos = 0;
    for (;;) {
        int c = readc();
        record[pos] = static_cast<char>(c);
        if (c == 0) {
            if (pos == 0) {
                end_flag = 1;
                return nullptr;
            }
            return record;
        }
        if (c == 0x1A) return nullptr;
        if (c == 0x0D) {
            if (pos + 2 > reclen) {
                err(9, "レコード長オーバー(%u) reads '%s'", static_cast<unsigned>(reclen), name ? name : "");
                return nullptr;
            }
            int next = readc();
            if (next == 0x0A) {
                record[pos + 1] = 0x0A;
                record[pos + 2] = '\0';
                return record;
            }
            unsigned lead = 0;
            while (lead < 256) {
                int b = readc();
                if (b == 0) break;
                g_reads_scratch[lead++] = static_cast<char>(b);
            }
            g_reads_scratch[lead] = '\0';
            err(9, "エラー reads '%s' CRの後にLFがありません '%s' lead_len=(%u)", name ? name : "",
                g_reads_scratch, lead);
            return nullptr;
        }
        ++pos;
        if (pos >= reclen - 3) {
            err(9, "レコード長オーバー(%u) reads '%s'", static_cast<unsigned>(reclen), name ? name : "");
            return nullptr;
        }
    }
}

int ZUIO::write(const char *text) { return write(text, static_cast<unsigned>(std::strlen(text))); }

int ZUIO::write(const void *data, unsigned count) {
    unsigned done = zp::lwrite(handle, data, count);
    if (done == static_cast<unsigned>(-1)) {
        err(9, "書き込みエラー:'%s' (%s)", name ? name : "", zu_system_text(zp::last_error()));
        return 1;
    }
    if (done < count) {
        err(9, "バッファフル:'%s'", name ? name : "");
        return 1;
    }
    return 0;
}

int ZUIO::vprintf(const char *format, va_list ap) {
    if (open_status == 0) return 0;
    char *work = zu_work_buffer();
    zu_vformat(work, ZU_WORK_SIZE, format, ap);
    return write(work);
}

int ZUIO::printf(const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    int r = vprintf(format, ap);
    va_end(ap);
    return r;
}

void ZUIO::rewind() {
    if (zp::llseek(handle, 0, zp::SEEK_FROM_START) == -1) err(9, "Seek Err (%s)", name ? name : "");
    end_flag = 0;
}

int ZUIO::close() {
    if (open_status != 0) {
        int h = handle;
        open_status = 0;
        if (zp::lclose(h) == zp::HFILE_ERR) err(9, "ファイル '%s' が、クローズできません。", name ? name : "");
    }
    return 0;
}
