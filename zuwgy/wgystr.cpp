// String conversion: every group of a handle applied to a text in turn.
//
// Bound: the wide output of a group holds at most 16383 codes and its
// Shift-JIS form at most 16383 bytes, the limit of the input; a group whose
// targets would grow the text past either gives null, as a text that is too
// long does.  Nothing is written past the buffers and nothing is cut.
#include <cstring>

#include "base/base.h"
#include "zuwgy/wgy.h"

namespace {
using u16 = std::uint16_t;

u16 g_in[WGY_STR_MAX + 1];
u16 g_out[WGY_STR_MAX + 1];
char g_result[WGY_STR_MAX + 3];  // w2sjis keeps two bytes spare

// One group over g_in into g_out; false when the output does not fit.
bool convert_group(wgy_record *header) {
    const u16 *last = g_out + WGY_STR_MAX;  // the place of the closing 0 at the latest
    wgy_record *first = header + 1, *end = first + header->patterns;
    u16 *o = g_out;
    for (const u16 *p = g_in; *p;) {
        wgy_record *hit = nullptr;
        for (wgy_record *r = first; r < end && !hit; ++r)
            if (WJSTRCMP(p, r->source, &wj_ctx, &wj_cap) == 0 && wj_cap.match_len) hit = r;
        if (hit) {
            o = wjstrcpy(o, hit->target, last, &wj_ctx, &wj_cap);
            if (!o) return false;
            ++hit->hits;
            p += wj_cap.match_len;
        } else {
            if (o >= last) return false;
            *o++ = *p++;
        }
    }
    *o = 0;
    return true;
}
}  // namespace

const char *wgy_convert_string(wgy_handle *h, const char *text) {
    if (!h || !text) return nullptr;
    std::size_t length = std::strlen(text);
    if (length > WGY_STR_MAX) return nullptr;
    wj_ctx.literal = 0;
    wj_ctx.no_term = 0;
    wj_ctx.fold = 0;
    wj_ctx.eoi = 0;
    const char *in = text;
    for (wgy_record *g = h->table; wgy_is_header(g) && g->patterns; g = wgy_next_group(g)) {
        wgy_to_wide(in, g_in, static_cast<unsigned>(std::strlen(in) + 1));
        if (!convert_group(g)) return nullptr;
        if (!w2sjis(g_out, g_result, sizeof g_result) || std::strlen(g_result) > WGY_STR_MAX) return nullptr;
        in = g_result;
    }
    if (in != g_result) std::memmove(g_result, text, length + 1);
    return g_result;
}
