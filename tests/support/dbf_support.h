// Helpers of the table engine tests: dBASE III files built byte by byte (as
// another program would write them), little-endian fields and the error
// log's new lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"
#include "zustd.h"

namespace zt {

struct dbf_field_def {
    std::string name;
    char type;
    unsigned len;
    unsigned char kind = 0;
};

// A key of `len` bytes: the text blank-padded.
inline std::string pad(const std::string &s, std::size_t len) {
    std::string k = s.substr(0, len);
    k.resize(len, ' ');
    return k;
}

inline void put_le(std::string &s, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A table file: header, descriptors, 0x0D, the records (each given with its
// flag byte) and 0x1A.  `stamp` (6 bytes) goes to bytes 16-21.
inline std::string make_dbf(const std::vector<dbf_field_def> &fields, const std::vector<std::string> &records,
                            const std::string &stamp = std::string(6, '\0')) {
    unsigned rlen = 1;
    for (auto &f : fields) rlen += f.len;
    std::string h(32, '\0');
    h[0] = 3;
    h[1] = 99;
    h[2] = 1;
    h[3] = 2;
    put_le(h, 4, static_cast<std::uint32_t>(records.size()), 4);
    put_le(h, 8, 32u * static_cast<unsigned>(fields.size()) + 33u, 2);
    put_le(h, 10, rlen, 2);
    h.replace(16, 6, stamp);
    for (auto &f : fields) {
        std::string d(32, '\0');
        d.replace(0, f.name.size(), f.name);
        d[11] = f.type;
        put_le(d, 16, f.len, 2);
        d[31] = static_cast<char>(f.kind);
        h += d;
    }
    h += '\x0D';
    for (auto &r : records) h += r;
    h += '\x1A';
    return h;
}

inline std::uint32_t get_le(const std::string &s, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

// Marks records `rnos` (1-based) deleted ('*' in the flag byte) in the
// table file itself, as another program marks them.
inline void mark_deleted(const std::string &dbf, const std::vector<int> &rnos) {
    std::string bytes = read_file(dbf);
    unsigned hlen = get_le(bytes, 8, 2), rlen = get_le(bytes, 10, 2);
    for (int r : rnos) bytes[hlen + rlen * static_cast<unsigned>(r - 1)] = '*';
    write_file(dbf, bytes);
}

// The error log of this program and what was appended to it since `mark`.
inline std::string error_log_path() { return zuGetErrorMessageFileName(); }
inline std::size_t log_mark() { return read_file(error_log_path()).size(); }
inline std::string log_since(std::size_t mark) {
    std::string all = read_file(error_log_path());
    return mark <= all.size() ? all.substr(mark) : all;
}
inline bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

}  // namespace zt
