// ZuFConversion on arbitrary definition files and records: first byte the
// error routine's choice, second byte the record length minus 1 (0 also
// comes, as 256 - 256), third byte the definition's length, then the
// definition, then the input records.  The files are written into the
// current folder.
#include <cstdio>

#include "fuzz_support.h"
#include "zustd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 3) return 0;
    zf::error_routine(data[0]);
    int reclen = data[1] == 0xFF ? 0 : data[1] + 1;
    std::size_t def_size = data[2] < size - 3 ? data[2] : size - 3;
    if (!zf::write_file("FUZZ.DEF", data + 3, def_size) ||
        !zf::write_file("FUZZ.DAT", data + 3 + def_size, size - 3 - def_size))
        return 0;
    try {
        int r = ZuFConversion("FUZZ.DAT", "FUZZ.DEF", "FUZZ.CSV", reclen);
        zf::check(r == 0 || r == 1);
    } catch (char *) {
        // a report: the answer to a faulty definition or record
    }
    return 0;
}
