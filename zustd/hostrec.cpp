// Host record conversion: fixed-length records in host (mainframe)
// encodings into comma-separated Shift-JIS lines, field by field as a
// definition file describes.
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "zustd.h"
#include "zustd/jis.h"

namespace {

inline unsigned char ub(char c) { return static_cast<unsigned char>(c); }

// EBCDIC katakana byte to Shift-JIS byte; 0 where there is no mapping.
const unsigned char EBCDIC_TO_SJIS[256] = {
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 0
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 1
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 2
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 3
    0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5E, 0x2E, 0x3C, 0x28, 0x2B, 0x5B,  // 4
    0x26, 0x00, 0x00, 0x00, 0xAD, 0xAE, 0x00, 0x00, 0xB0, 0x00, 0x21, 0x24, 0x2A, 0x29, 0x3B, 0x5D,  // 5
    0x2D, 0x2F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x5C, 0x2C, 0x25, 0x5F, 0x3E, 0x3F,  // 6
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA1, 0xA2, 0xA3, 0xA4, 0x3A, 0x23, 0x40, 0x27, 0x3D, 0x22,  // 7
    0xA5, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xA6, 0xBB, 0xBC, 0xBD, 0xBE,  // 8
    0xBF, 0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xA7, 0xA8, 0xCA, 0xCB, 0xCC,  // 9
    0xA9, 0xAA, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xAB, 0xD6, 0xD7, 0xD8, 0xD9,  // A
    0xAC, 0xAD, 0xAE, 0xAF, 0xB0, 0xA0, 0x00, 0x00, 0x00, 0x00, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,  // B
    0x00, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // C
    0x00, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // D
    0x00, 0x00, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // E
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // F
};

// Shift-JIS byte 0x20-0x7E to EBCDIC; 0 where there is no mapping.
const unsigned char SJIS_TO_EBCDIC_FIRST = 0x20;
const unsigned char SJIS_TO_EBCDIC[0x60] = {
    0x40, 0x5A, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,  // 2
    0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,  // 3
    0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,  // 4
    0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0x00, 0xE0, 0x00, 0x00, 0x6D,  // 5
    0x7D, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,  // 6
    0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0x00, 0x6A, 0x00, 0xA1, 0x00,  // 7
};

// The codes of JIS X 0208 that carry a character, for the rows that are
// not full: first and last cell of each run.  Rows 0x21, 0x30-0x4E and
// 0x50-0x73 are full; rows 0x29-0x2F hold nothing.
struct Run {
    unsigned first, last;
};
const Run PARTIAL_ROWS[] = {
    {0x2221, 0x222E}, {0x223A, 0x2241}, {0x224A, 0x2250}, {0x225C, 0x226A}, {0x2272, 0x2279}, {0x227E, 0x227E},
    {0x2330, 0x2339}, {0x2341, 0x235A}, {0x2361, 0x237A}, {0x2421, 0x2473}, {0x2521, 0x2576}, {0x2621, 0x2638},
    {0x2641, 0x2658}, {0x2721, 0x2741}, {0x2751, 0x2771}, {0x2821, 0x2840}, {0x4F21, 0x4F53}, {0x7421, 0x7426},
};

bool jis_assigned(unsigned code) {
    unsigned row = code >> 8, cell = code & 0xFF;
    if (cell < 0x21 || cell > 0x7E) return false;
    if (row == 0x21 || (row >= 0x30 && row <= 0x4E) || (row >= 0x50 && row <= 0x73)) return true;
    for (const Run &r : PARTIAL_ROWS)
        if (code >= r.first && code <= r.last) return true;
    return false;
}

constexpr unsigned JIS_LAST = 0x7424;  // the last code job J converts
constexpr unsigned PACKED_DIGITS = 9;

// One field of a definition: its length in input bytes and its job.
struct Field {
    int length;
    char job;
};

// The length token: an optional '-' and decimal digits; a '.' ends the
// number.  Another character is reported and the digits before it count.
int field_length(const char *token, const char *definition) {
    const char *p = token;
    bool negative = *p == '-';
    if (negative) ++p;
    long long value = 0;
    for (; *p && *p != '.'; p += zu_char_len(p)) {
        if (*p < '0' || *p > '9') {
            unsigned code = zu_char_len(p) == 2 ? (ub(p[0]) << 8 | ub(p[1])) : ub(p[0]);
            err(9, "%s に数字以外の文字があります ｺｰﾄﾞ=%.4X ファイル名 '%s' fil2fld();", token, code, definition);
            break;
        }
        if (value < INT_MAX) value = value * 10 + (*p - '0');
    }
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(negative ? -value : value);
}

// Loads a definition file: pairs of length and job tokens, up to the first
// length of 0.  Null after a report that returned.  Every pair is kept,
// however the pairs are spread over the lines; a last length without a job
// gets the job 0 (reported when a record is converted).
bool load_definition(const char *name, std::vector<Field> &fields) {
    // Both blocks are released also when a report leaves in between.
    struct Blocks {
        char *text = nullptr;
        char **tokens = nullptr;
        ~Blocks() {
            if (tokens) ZUFRE(tokens);
            std::free(text);
        }
    } b;
    b.text = fil2buf(name);
    if (!b.text) return false;
    if (!*b.text) return true;
    b.tokens = str2pp(b.text, " \x81\x40\t\n", 0, nullptr);
    if (!b.tokens) return false;
    for (char **t = b.tokens; *t; t += 2) {
        int length = field_length(t[0], name);
        if (length == 0) break;
        fields.push_back({length, t[1] ? t[1][0] : '\0'});
        if (!t[1]) break;
    }
    return true;
}

void append_mark(std::string &line, unsigned code, const char *format) {
    char mark[12];
    int n = std::snprintf(mark, sizeof mark, format, code);
    line.append(mark, static_cast<std::size_t>(n));
}

// Cuts the trailing half-width and full-width blanks of the field that
// starts at `start`; the bytes up to its last zero byte stay as they are.
void trim_field(std::string &line, std::size_t start) {
    std::size_t from = start;
    for (std::size_t i = line.size(); i > start; --i)
        if (line[i - 1] == '\0') {
            from = i;
            break;
        }
    std::size_t size = line.size() - from;
    if (size == 0) return;
    line.push_back('\0');
    if (sjis_rtrim(&line[from], static_cast<unsigned>(size)))
        line.resize(from + std::strlen(&line[from]));
    else
        line.pop_back();
}

// The record being converted: its bytes and the number of them.
struct Record {
    const char *bytes;
    long long count;
};

// Converts one field at input position `pos`; true when it was marked.
bool convert_field(const Field &f, const Record &rec, long long pos, std::string &line) {
    if (f.job != '-') line.push_back(',');
    // The bytes of the field inside the record.
    long long from = pos < rec.count ? pos : rec.count;
    long long to = f.length > 0 ? pos + f.length : pos;
    if (to > rec.count) to = rec.count;
    const unsigned char *in = reinterpret_cast<const unsigned char *>(rec.bytes) + from;
    std::size_t n = static_cast<std::size_t>(to - from);
    std::size_t start = line.size();
    bool marked = false;
    switch (f.job) {
    case '-':
        return false;
    case '@':
        line.append(reinterpret_cast<const char *>(in), n);
        break;
    case 'E':
        for (std::size_t i = 0; i < n; ++i) {
            unsigned char c = EBCDIC_TO_SJIS[in[i]];
            if (c) {
                line.push_back(static_cast<char>(c));
            } else {
                append_mark(line, in[i], "{H:%.4X}");
                marked = true;
            }
        }
        break;
    case 'e':
        for (std::size_t i = 0; i < n; ++i) {
            unsigned char c = ub(ToUpper(static_cast<char>(in[i])));
            unsigned char e = c >= SJIS_TO_EBCDIC_FIRST && c < SJIS_TO_EBCDIC_FIRST + sizeof SJIS_TO_EBCDIC
                                  ? SJIS_TO_EBCDIC[c - SJIS_TO_EBCDIC_FIRST]
                                  : 0;
            if (e) {
                line.push_back(static_cast<char>(e));
            } else {
                line.push_back('{');
                marked = true;
            }
        }
        break;
    case 'h':
        for (std::size_t i = 0; i < n; ++i) append_mark(line, in[i], "{h:%.2X}");
        break;
    case 'F':
    case 'J':
        for (std::size_t i = 0; i + 1 < n; i += 2) {
            unsigned code = in[i] << 8 | in[i + 1];
            if (code == 0) break;
            unsigned jis = 0x10000;  // none
            if (f.job == 'F') {
                if (code == 0x4040) {
                    line.append("\x81\x40");
                    continue;
                }
                if (in[i] >= 0xA1 && in[i] <= 0xF3 && in[i + 1] >= 0xA1) jis = code & 0x7F7F;
            } else if (code <= JIS_LAST) {
                jis = code;
            }
            unsigned char s[2];
            if (jis <= JIS_LAST && jis_assigned(jis) && zu_jis_to_sjis(ub(jis >> 8), ub(jis & 0xFF), s)) {
                line.push_back(static_cast<char>(s[0]));
                line.push_back(static_cast<char>(s[1]));
            } else {
                append_mark(line, code, "{H:%.4X}");
                marked = true;
            }
        }
        break;
    case 'p': {
        if (f.length < 0 || static_cast<unsigned>(f.length) > PACKED_DIGITS) {
            err(9, "数字フィールドは %u ケタまでです 与えられた桁数 %u ibmdigit()", PACKED_DIGITS,
                static_cast<unsigned>(f.length));
            return false;
        }
        unsigned length = static_cast<unsigned>(f.length);
        // Digits right-aligned in an odd count, then the sign nibble.
        unsigned char nibbles[PACKED_DIGITS + 2] = {};
        unsigned count = (length | 1) + 1, first = count - 1 - length;
        for (unsigned i = 0; i < length; ++i) {
            if (i >= n || in[i] < '0' || in[i] > '9') {
                // The record is terminated behind its bytes.
                err(9, "%s 数字以外の文字が数字フィールドにあります strcnv()", rec.bytes + from);
                break;
            }
            nibbles[first + i] = static_cast<unsigned char>(in[i] - '0');
        }
        nibbles[count - 1] = 0xF;
        for (unsigned i = 0; i < count; i += 2) line.push_back(static_cast<char>(nibbles[i] << 4 | nibbles[i + 1]));
        return false;
    }
    default: {
        unsigned char c = ub(f.job);
        err(9, "このジョブ番号はおかしいです '%c'  (0x%.4X) strcnv();", c < 32 ? '.' : static_cast<char>(c),
            static_cast<unsigned>(c));
        return false;
    }
    }
    trim_field(line, start);
    if (std::memchr(line.data() + start, ',', line.size() - start)) {
        line.insert(start, 1, '"');
        line.push_back('"');
    }
    return marked;
}

}  // namespace

ZU_API int ZU_CALL ZuFConversion(const char *input, const char *definition, const char *output, int record_length) {
    return zu_export([&]() -> int {
        ZUIO in, out;
        in.flags |= ZUIO_QUIET;
        out.flags |= ZUIO_QUIET;
        if (!in.open(input, ZUIO_READ, record_length)) return 1;
        if (!out.open(output, ZUIO_CREATE, 0)) return 1;
        std::vector<Field> fields;
        if (!load_definition(definition, fields)) return 1;
        std::string line;
        line.reserve(static_cast<std::size_t>(record_length) * 2 + 2);
        int result = 0;
        while (char *bytes = in.read(static_cast<unsigned>(record_length))) {
            Record rec{bytes, static_cast<long long>(in.last_count)};
            line.clear();
            long long pos = 0;
            for (const Field &f : fields) {
                if (convert_field(f, rec, pos, line)) result = 1;
                pos += f.length;
                if (pos < 0) pos = 0;
            }
            line.append("\r\n");
            if (out.write(line.data(), static_cast<unsigned>(line.size()))) break;
        }
        in.close();
        out.close();
        return result;
    });
}
