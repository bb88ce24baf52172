// The pattern loader on arbitrary text: first byte the error routine's
// choice, second byte the capacity (minus 8, so that refused capacities
// come too), the rest the pattern text.  A loaded table must lie inside
// its capacity and point into its own text; the handle then converts the
// first bytes of the same text.
#include <cstdio>

#include "fuzz_support.h"
#include "zuwgy/wgy.h"

namespace {
// The progress lines of every load go nowhere.
#ifndef _WIN32
const bool g_quiet_stdout = std::freopen("/dev/null", "w", stdout) != nullptr;
#endif

void check_table(const wgy_handle *h, int capacity, std::size_t text_units) {
    const std::uint16_t *text = h->text, *text_end = h->text + text_units;
    auto inside = [&](const std::uint16_t *p) { return !p || (p >= text && p < text_end); };
    const wgy_record *r = h->table, *end = h->table + capacity;
    while (r < end && (r->kind || r->source)) {
        zf::check(wgy_is_header(r) && inside(r->target));
        const wgy_record *next = wgy_next_group(r);
        zf::check(next < end);
        for (const wgy_record *p = r + 1; p < next; ++p)
            zf::check(!wgy_is_header(p) && p->source && p->target && inside(p->source) && inside(p->target));
        r = next;
    }
    zf::check(r < end);  // the end record
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2) return 0;
    zf::error_routine(data[0]);
    int capacity = static_cast<int>(data[1]) - 8;
    std::vector<char> t = zf::text(data + 2, size - 2);
    wgy_handle *h = nullptr;
    try {
        h = wgy_load_string(t.data(), capacity);
        if (h) {
            check_table(h, capacity, std::strlen(t.data()) + 1);
            if (t.size() > 1000) t[1000] = '\0';
            wgy_convert_string(h, t.data());
        }
    } catch (char *) {
        // a report: the answer to a faulty text
    }
    wgy_free(h);
    return 0;
}
