// ZuJis2SJis on arbitrary text.  Each input byte gives at most one output
// byte, except a lone last byte of a double-byte run, which gives ##.
#include "fuzz_support.h"
#include "zustd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    zf::error_routine(0);
    std::vector<char> t = zf::text(data, size);
    try {
        if (const char *r = ZuJis2SJis(t.data())) zf::check(std::strlen(r) <= std::strlen(t.data()) + 1);
    } catch (char *) {
        // a report: the expected answer to a text too long
    }
    return 0;
}
