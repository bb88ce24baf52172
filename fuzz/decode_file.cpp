// StrDecodeFile on arbitrary files.  The first input byte: bit 0 the error
// routine's choice, bit 1 check only, bit 2 the default output name, bit 3
// a second key; the rest is the encoded file.  A decoded file is never
// longer than the enciphered bytes, and no other file is written.
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "zustd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 1) return 0;
    zf::error_routine(data[0]);
    const bool check_only = data[0] & 2, default_name = data[0] & 4;
    const char *key = (data[0] & 8) ? "\x82\xa0key" : "ZUCPRS key";
    const char *in = "fuzz_in.0001.cpress";
    FILE *f = std::fopen(in, "wb");
    if (!f) return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);

    // The name a default output can have: the stored extension behind "fuzz_in".
    std::string out = "fuzz_out.bin";
    if (default_name) {
        out = "fuzz_in";
        std::string ext;
        for (std::size_t i = 21; i < 28 && i < size && data[i]; ++i) ext += static_cast<char>(data[i]);
        if (!ext.empty()) out += "." + ext;
    }
    try {
        StrDecodeFile(in, default_name ? nullptr : out.c_str(), key, check_only);
    } catch (char *) {
        // a report: the answer to a damaged file
    }
    std::uint64_t written = 0;
    if (zp::file_size(out.c_str(), &written)) {
        zf::check(!check_only && size - 1 >= 64 && written <= size - 1 - 64);
        std::remove(out.c_str());
    }
    return 0;
}
