// Which codes can begin a match of a group's patterns.
#include <algorithm>

#include "base/wjstr.h"
#include "zuwgy/wgy.h"

namespace {
using u16 = std::uint16_t;

inline u16 upper(u16 c) { return (c >= 'a' && c <= 'z') ? static_cast<u16>(c - 'a' + 'A') : c; }
inline bool repeat_mark(u16 c) { return c == WJ_PLUS || c == WJ_STAR; }
}  // namespace

void wgy_starts::mark(u16 c) { bits[c >> 6] |= std::uint64_t{1} << (c & 63); }

// c itself, and with case folding every code that folds to what c folds to.
void wgy_starts::mark_folded(u16 c) {
    mark(c);
    if (!fold) return;
    u16 u = upper(c);
    mark(u);
    if (u >= 'A' && u <= 'Z') mark(static_cast<u16>(u - 'A' + 'a'));
}

// Marks what one class element can take; false when it can take almost
// anything (negated).  Members are read as the matcher reads them.
bool wgy_starts::mark_class(const u16 *e, const u16 *end) {
    const u16 *p = e + 2;
    if (p < end && *p == WJ_NOT) return false;
    while (p < end) {
        if (*p == WJ_RANGE && p + 2 < end) {
            u16 lo = p[1], hi = p[2];
            if (fold) {
                lo = upper(lo);
                hi = upper(hi);
            }
            for (unsigned c = lo; c <= hi; ++c) mark(static_cast<u16>(c));
            if (fold)
                for (u16 c = 'a'; c <= 'z'; ++c)
                    if (upper(c) >= lo && upper(c) <= hi) mark(c);
            p += 3;
        } else {
            mark_folded(*p++);
        }
    }
    return true;
}

// The first code of a pattern's match when only one (folded) code can
// begin it, else 0; marks what can begin it, or sets `all`.
u16 wgy_starts::add(const u16 *source) {
    if (!source || !*source) {
        all = true;  // the matcher reports an empty pattern: keep asking it
        return 0;
    }
    bool only = true;
    for (const u16 *e = source; *e;) {
        const u16 *next = e + 1;
        if (*e == WJ_ANY || repeat_mark(*e)) {
            all = true;
            return 0;
        }
        if (*e == WJ_CLASS) {
            unsigned len = e[1], k = 1;
            while (k < len && e[k]) ++k;
            next = e + k;
            only = false;
            if (!mark_class(e, next)) {
                all = true;
                return 0;
            }
        } else {
            mark_folded(*e);
        }
        // An element that may be left out lets the next one begin the match.
        if (*next != WJ_STAR) return only ? (fold ? upper(*e) : *e) : 0;
        only = false;
        e = next + 1;
    }
    return 0;  // every element may be left out: only empty matches, which never apply
}

void wgy_starts::build(const wgy_record *header, bool fold_case) {
    fold = fold_case;
    all = false;
    bits.assign(65536 / 64, 0);
    keys.clear();
    from.clear();
    order.clear();
    shared = 0;
    if (!header) return;
    // Per pattern: the only (folded) code it begins with, or 0.
    std::vector<u16> first;
    for (const wgy_record *r = header + 1; r < header + 1 + header->patterns; ++r) first.push_back(add(r->source));
    // Pattern numbers ordered by first code (0, the shared ones, first),
    // each code's in table order.
    order.resize(first.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return first[a] < first[b]; });
    while (shared < order.size() && first[order[shared]] == 0) ++shared;
    for (std::uint32_t i = shared; i < order.size(); ++i) {
        if (keys.empty() || keys.back() != first[order[i]]) {
            keys.push_back(first[order[i]]);
            from.push_back(i);
        }
    }
    from.push_back(static_cast<std::uint32_t>(order.size()));
}

wgy_starts::list wgy_starts::only_with(u16 k) const {
    auto at = std::lower_bound(keys.begin(), keys.end(), k);
    if (at == keys.end() || *at != k) return {nullptr, nullptr};
    std::size_t n = static_cast<std::size_t>(at - keys.begin());
    return {order.data() + from[n], order.data() + from[n + 1]};
}
