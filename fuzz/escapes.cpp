// The escape reader on arbitrary text: first byte the error routine's
// choice, the rest the text.  Decoding in place never makes the text longer.
#include "base/avparm.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    zf::error_routine(data[0]);
    std::vector<char> t = zf::text(data + 1, size - 1);
    std::size_t before = std::strlen(t.data());
    try {
        zf::check(zu_read_escapes(t.data()) == t.data());
        zf::check(std::strlen(t.data()) <= before);
    } catch (char *) {
        // a report: the expected answer to a bad escape
    }
    return 0;
}
