// Index keys (see ndx_key.h).
#include "zudbtool/ndx_key.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "zudbtool/isam.h"

namespace {

// Field names in a key expression are separated by ';' (as this engine
// writes them), blanks, or '+' (the dBASE concatenation of character
// fields, as other xBase programs write them); a field name holds none of
// them.
const char PART_SEPARATORS[] = "; +";

// The value of a field's text: the bytes up to the field's length.
double field_double(const unsigned char *p, unsigned len) {
    char text[64];
    unsigned n = len < sizeof text - 1 ? len : sizeof text - 1;
    std::memcpy(text, p, n);
    text[n] = '\0';
    return std::strtod(text, nullptr);
}

long field_long(const unsigned char *p, unsigned len) {
    char text[16];
    unsigned n = len < 15 ? len : 15;
    std::memcpy(text, p, n);
    text[n] = '\0';
    return std::strtol(text, nullptr, 10);
}

// The field a part names (names compared in upper case).
ndx_key_part find_part(char *name, ndx_fields &src) {
    ndx_upper_name(name);
    for (int i = 0; i < src.field_count(); ++i) {
        ndx_field_desc fd = src.field(i);
        char field_name[16];
        zu_copy(field_name, sizeof field_name, fd.name ? fd.name : "");
        ndx_upper_name(field_name);
        if (std::strcmp(field_name, name) == 0) return {i, fd.type, fd.pos, fd.len, fd.type == 'D' ? 8u : fd.len};
    }
    return {-1, 0, 0, 0, 0};
}

// The parts of a key expression, in order.
void parse_parts(const char *expr, ndx_fields &src, std::vector<ndx_key_part> *parts) {
    parts->clear();
    char copy[NDX_EXPR_MAX];
    zu_copy(copy, sizeof copy, expr ? expr : "");
    char *p = copy;
    while (*p) {
        std::size_t n = std::strcspn(p, PART_SEPARATORS);
        if (n == 0) {
            ++p;
            continue;
        }
        bool more = p[n] != '\0';
        p[n] = '\0';
        parts->push_back(find_part(p, src));
        p += n + (more ? 1 : 0);
    }
}

// The key type a part's field gives, or -1 when it cannot be a key part.
int part_key_type(char field_type) {
    switch (field_type) {
    case 'C':
    case 'N':
    case 'D':
        return NDX_CHAR;
    case 'X':
        return NDX_NUMERIC;
    case 'Y':
        return NDX_INTEGER;
    default:
        return -1;
    }
}

}  // namespace

void ndx_upper_name(char *s) {
    for (; *s; ++s) {
        auto c = static_cast<unsigned char>(*s);
        if (zu_lead_byte(c) && s[1]) {
            ++s;
        } else if (c >= 'a' && c <= 'z') {
            *s = static_cast<char>(c - 'a' + 'A');
        }
    }
}

bool ndx_key_layout::complete() const {
    for (const auto &p : parts)
        if (p.field < 0) return false;
    return true;
}

int ndx_key_layout_of(const char *expr, ndx_fields &src, ndx_key_layout *out) {
    out->type = NDX_CHAR;
    out->len = 0;
    parse_parts(expr, src, &out->parts);
    for (std::size_t i = 0; i < out->parts.size(); ++i) {
        const ndx_key_part &p = out->parts[i];
        int type = p.field < 0 ? -1 : part_key_type(p.type);
        if (type < 0 || (i > 0 && type != out->type)) {
            // The layout keeps the parts up to the one that cannot be used.
            out->parts.resize(i + 1);
            return IE_IDXKEY;
        }
        out->type = type;
        // Several numeric (or integer) parts make one key holding their sum.
        out->len = type == NDX_NUMERIC ? 8 : type == NDX_INTEGER ? 4 : out->len + static_cast<int>(p.width);
    }
    if (out->parts.empty() || out->len <= 0) return IE_IDXKEY;
    return 0;
}

int ndx_key_layout_for(const ndx *ip, ndx_fields &src, ndx_key_layout *out) {
    out->type = ndx_key_type(ip);
    out->len = ndx_key_len(ip);
    parse_parts(ndx_expr(ip), src, &out->parts);
    return out->complete() ? 0 : IE_NOKEY;
}

bool ndx_make_key(const ndx_key_layout &kl, const unsigned char *record, unsigned char *out) {
    if (!kl.complete()) return false;
    if (kl.type == NDX_NUMERIC) {
        double sum = 0;
        for (const auto &p : kl.parts) sum += field_double(record + p.pos, p.len);
        std::memcpy(out, &sum, 8);
    } else if (kl.type == NDX_INTEGER) {
        long sum = 0;
        for (const auto &p : kl.parts) sum += field_long(record + p.pos, p.len);
        auto v = static_cast<std::int32_t>(sum);
        std::memcpy(out, &v, 4);
    } else {
        unsigned room = kl.len > 0 ? static_cast<unsigned>(kl.len) : 0;
        unsigned at = 0;
        for (const auto &p : kl.parts) {
            unsigned width = p.width < room - at ? p.width : room - at;
            unsigned n = p.len < width ? p.len : width;
            std::memcpy(out + at, record + p.pos, n);
            std::memset(out + at + n, ' ', width - n);
            at += width;
        }
        std::memset(out + at, ' ', room - at);
    }
    return true;
}

int ndx_text_key(const ndx_key_layout &kl, const char *text, unsigned char *out) {
    auto bytes = reinterpret_cast<const unsigned char *>(text);
    std::size_t n = std::strlen(text);
    unsigned len = n < 0xFFFF ? static_cast<unsigned>(n) : 0xFFFF;
    if (kl.type == NDX_NUMERIC) {
        double v = field_double(bytes, len);
        std::memcpy(out, &v, 8);
        return 8;
    }
    if (kl.type == NDX_INTEGER) {
        auto v = static_cast<std::int32_t>(field_long(bytes, len));
        std::memcpy(out, &v, 4);
        return 4;
    }
    unsigned room = kl.len > 0 ? static_cast<unsigned>(kl.len) : 0;
    if (len > room) len = room;
    std::memcpy(out, text, len);
    return static_cast<int>(len);
}
