// Comma-separated record files read and written one record and one field at
// a time through one process-wide current file, whole files to and from
// memory, and the small helpers on lists of column numbers and on row and
// column positions.
#include <cstdint>
#include <cstring>
#include <memory>

#include "base/base.h"
#include "zustd.h"

namespace {

constexpr int RECORD_LENGTH = 8192;
constexpr int FIELD_SLOTS = 256;
constexpr int FIELD_LAST = 255;        // a record holds at most this many fields
constexpr int FIX_SIZE = 8192;
constexpr int INTSORT_MAX = 2000;
constexpr int INTDISP_MAX = 43;
constexpr int DUP_MAX = 63;

ZUIO *g_file = nullptr;                // the current file
char *g_field[FIELD_SLOTS];            // the fields of the last record read
int g_field_count = -1;                // index of the last field; -1: none
int g_field_cursor = 0;
char g_fix[FIX_SIZE + 1];
// Slots of three characters ("%.2u "); wide enough for any 32-bit value, so
// that values beyond two digits never run past it.
char g_intdisp[INTDISP_MAX * 11 + 1];

bool have_file() {
    if (g_file) return true;
    err(9, "%s", "Zuioルーチン用のファイルがセットされていません。");
    return false;
}

// Splits the record at every delimiter that does not lie inside a
// double-byte character; the field table points into the record.
void zu_parm(char *record, const char *delimiter) {
    std::size_t dlen = std::strlen(delimiter);
    int count = 0;
    g_field[0] = std::strncmp(record, delimiter, dlen) == 0 ? nullptr : record;
    char *p = record;
    while (*p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (zu_lead_byte(c) && zu_trail_byte(static_cast<unsigned char>(p[1]))) {
            p += 2;
            continue;
        }
        if (std::strncmp(p, delimiter, dlen) != 0) {
            ++p;
            continue;
        }
        if (count + 1 >= FIELD_LAST) {
            // The rest of the record stays in the last field.
            g_field_count = count;
            err(9, "カラム数オーバー：最大 %d 項目までです(zu_parm)", FIELD_LAST);
            return;
        }
        *p = '\0';
        p += dlen;
        g_field[++count] = p;
    }
    g_field_count = count;
}

// The next record cut at its CR; null at the end of the file or after a
// report.
char *read_line(const char *caller) {
    if (!have_file()) return nullptr;
    char *line = g_file->reads();
    if (!line) return nullptr;
    char *cr = std::strchr(line, '\r');
    if (!cr) {
        err(9, "改行がありません。'%s'(%s)", line, caller);
        return nullptr;
    }
    *cr = '\0';
    return line;
}

int open_current(const char *name, int mode) {
    if (g_file) {
        // The file the caller left open is closed without a word.
        g_file->flags |= ZUIO_QUIET;
        delete g_file;
        g_file = nullptr;
    }
    g_field_count = -1;
    std::unique_ptr<ZUIO> f(new ZUIO);
    if (!f->open(name, mode, RECORD_LENGTH)) return 0;
    // The line buffer always ends in a terminator, whatever a read leaves.
    if (f->record) f->record[RECORD_LENGTH] = '\0';
    g_file = f.release();
    return 1;
}

int write_text(const char *text) {
    if (!have_file()) return 0;
    return g_file->write(text ? text : "") == 0 ? 1 : 0;
}

// Writes the whole buffer (a length of 0: up to its terminator) into a file
// made anew or appended to; 0 on success, 1 on failure.
int buffer_to_file(const char *buffer, const char *name, unsigned length, bool append) {
    ZUIO f;
    if (!f.open(name, append ? ZUIO_APPEND : ZUIO_CREATE, 0)) return 1;
    if (!buffer) {
        buffer = "";
        length = 0;
    }
    int failed = 0;
    if (length == 0) {
        failed = f.write(buffer);
    } else if (zp::lwrite(f.handle, buffer, length) != length) {
        f.close();
        err(9, "書き込みエラー:'%s'", name);
        return 1;
    }
    f.close();
    return failed ? 1 : 0;
}

}  // namespace

// ---- the current file ---------------------------------------------------------

ZU_API int ZU_CALL ZuioReadOpen(const char *name) {
    return zu_export([&] { return open_current(name, ZUIO_READ); });
}

ZU_API int ZU_CALL ZuioWriteOpen(const char *name) {
    return zu_export([&] { return open_current(name, ZUIO_CREATE); });
}

ZU_API int ZU_CALL ZuioWriteAppendOpen(const char *name) {
    return zu_export([&] { return open_current(name, ZUIO_APPEND); });
}

ZU_API int ZuioReadRecord(void) {
    return zu_export([&] {
        g_field_cursor = 0;
        g_field_count = -1;
        char *line = read_line("ZuioReadRecord");
        if (!line) return 0;
        zu_parm(line, ",");
        return 1;
    });
}

ZU_API char *ZuioReadRecord2(void) {
    return zu_export([&] { return read_line("ZuioReadRecord"); });
}

ZU_API int ZU_CALL ZuioReadField(char *field) {
    if (g_field_cursor > g_field_count || g_field_cursor < 0) return 0;
    const char *f = g_field[g_field_cursor];
    std::strcpy(field, f ? f : "");
    return ++g_field_cursor;
}

ZU_API int ZU_CALL ZuioWrite(const char *text) {
    return zu_export([&] { return write_text(text); });
}

ZU_API int ZU_CALL ZuioWriteFix(const char *text, int length) {
    return zu_export([&] {
        if (length < 0 || length > FIX_SIZE) {
            err(9, "%s", "バッファフル ZuioWriteFix()");
            length = length < 0 ? 0 : FIX_SIZE;
        }
        std::memset(g_fix, ' ', FIX_SIZE);
        std::size_t n = text ? strnlen(text, static_cast<std::size_t>(length)) : 0;
        std::memcpy(g_fix, text, n);
        g_fix[length] = '\0';
        return write_text(g_fix);
    });
}

ZU_API int ZuioWriteFieldDelimiter(void) {
    return zu_export([&] { return write_text(","); });
}

ZU_API int ZuioWriteRecordDelimiter(void) {
    return zu_export([&] { return write_text("\r\n"); });
}

ZU_API int ZuioClose(void) {
    return zu_export([&] {
        ZUIO *f = g_file;
        g_file = nullptr;
        g_field_count = -1;   // the fields pointed into its line buffer
        if (f) {
            try {
                f->close();
            } catch (char *) {
                delete f;
                throw;
            }
            delete f;
        }
        return 1;
    });
}

// ---- whole files -------------------------------------------------------------

ZU_API int ZU_CALL BufferToFile(const char *text, const char *name) {
    return zu_export([&] { return buffer_to_file(text, name, 0, false); });
}

ZU_API int ZU_CALL BufferToFileAppend(const char *text, const char *name) {
    return zu_export([&] { return buffer_to_file(text, name, 0, true); });
}

ZU_API int ZU_CALL BufferToFileB(const char *buffer, const char *name, unsigned length) {
    return zu_export([&] { return buffer_to_file(buffer, name, length, false); });
}

ZU_API int ZU_CALL BufferToFileBAppend(const char *buffer, const char *name, unsigned length) {
    return zu_export([&] { return buffer_to_file(buffer, name, length, true); });
}

ZU_API char *ZU_CALL FileToBuffer(const char *name, char *buffer) {
    return zu_export([&] { return fil2buf(name, "b", buffer, RtvFLen(name)); });
}

ZU_API unsigned ZU_CALL RtvFLen(const char *name) {
    std::uint64_t size = 0;
    if (!name || !zp::file_size(name, &size)) return 0;
    return static_cast<unsigned>(size);
}

// ---- lists of column numbers and integers ---------------------------------------

ZU_API int ZU_CALL ColCheckDup(const int *list, int count) {
    return zu_export([&] {
        bool seen[DUP_MAX + 2] = {};
        for (int i = 0; list && i < count; ++i) {
            unsigned v = static_cast<unsigned>(list[i]);
            if (v > DUP_MAX) {
                err(9, "数値が大きすぎます %u ", v);
                continue;
            }
            if (seen[v]) return v == 0 ? -1 : static_cast<int>(v);
            seen[v] = true;
        }
        return 0;
    });
}

ZU_API int ZU_CALL ColCheckZero(const int *list, int count) {
    for (int i = 0; list && i < count; ++i)
        if (list[i] == 0) return i + 1;
    return 0;
}

ZU_API int ZU_CALL ColCheckMax(const int *list, int count, int maximum) {
    for (int i = 0; list && i < count; ++i)
        if (list[i] > maximum) return list[i];
    return 0;
}

ZU_API int *ZU_CALL IntSort(int *list, int count) {
    return zu_export([&] {
        if (!list) {
            err(9, "%s", "Error intsort() p_int = NULL");
            return list;
        }
        if (count > INTSORT_MAX) {
            err(9, "over error intsort() ncol=%u ", static_cast<unsigned>(count));
            return list;
        }
        bool present[INTSORT_MAX + 1] = {};
        for (int i = 0; i < count; ++i) {
            if (list[i] < 1 || list[i] > INTSORT_MAX) {
                err(9, "over error intsort() value=%u nn=%u ", static_cast<unsigned>(list[i]),
                    static_cast<unsigned>(i));
                continue;
            }
            present[list[i]] = true;
        }
        int n = 0;
        for (int i = 0; i < count; ++i) list[i] = 0;
        for (int v = 1; v <= INTSORT_MAX; ++v)
            if (present[v]) list[n++] = v;
        return list;
    });
}

ZU_API const char *ZU_CALL IntDisp(const int *list, int count) {
    return zu_export([&]() -> const char * {
        g_intdisp[0] = '\0';
        if (!list) {
            err(9, "%s", "Error intdisp() p_int==NULL");
            return g_intdisp;
        }
        if (count > INTDISP_MAX) {
            err(9, "%s", "Error intdisp Buffer Over()");
            count = INTDISP_MAX;
        }
        std::size_t used = 0;
        for (int i = 0; i < count; ++i)
            used += static_cast<std::size_t>(
                zu_format(g_intdisp + used, sizeof g_intdisp - used, "%.2u ", static_cast<unsigned>(list[i])));
        if (used) g_intdisp[used - 1] = '\0';
        return g_intdisp;
    });
}

ZU_API int ZU_CALL IntLen(const int *list) {
    return zu_export([&] {
        if (!list) {
            err(9, "%s", "Error intlen()");
            return 0;
        }
        int n = 0;
        while (list[n]) ++n;
        return n;
    });
}

ZU_API int ZU_CALL IntChr(const int *list, int value) {
    return zu_export([&] {
        if (!list) {
            err(9, "%s", "Error intchr()");
            return 0;
        }
        for (int i = 0; list[i]; ++i)
            if (list[i] == value) return i + 1;
        return 0;
    });
}

ZU_API int ZU_CALL IntSwap(int *a, int *b) {
    if (a && b) {
        int t = *a;
        *a = *b;
        *b = t;
    }
    return 0;
}

// ---- row and column positions (1-based) --------------------------------------------
// Computed in 64 bits and cut to 32, so that no argument overflows; a row
// of no columns gives 0.

ZU_API int ZU_CALL RowCol2Pos(int columns, int row, int column) {
    return static_cast<int>(static_cast<std::uint32_t>((std::int64_t{row} - 1) * columns + column));
}

ZU_API int ZU_CALL Pos2Row(int columns, int position) {
    if (columns == 0) return 0;
    return static_cast<int>(static_cast<std::uint32_t>((std::int64_t{position} - 1) / columns + 1));
}

ZU_API int ZU_CALL Pos2Col(int columns, int position) {
    if (columns == 0) return 0;
    return static_cast<int>(static_cast<std::uint32_t>((std::int64_t{position} - 1) % columns + 1));
}
