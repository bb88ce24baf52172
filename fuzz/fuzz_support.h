// Shared by the fuzz targets: the input as a null-terminated text in a
// buffer of its own size (so that a read past the terminator is caught), and
// the error routine's settings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/base.h"

namespace zf {

inline std::vector<char> text(const std::uint8_t *data, std::size_t size) {
    std::vector<char> t(data, data + size);
    t.push_back('\0');
    return t;
}

// No message box for a report (a line on standard error on POSIX); the
// first input byte's low bit chooses whether the error routine returns
// after a report instead of throwing, so that the code after each report
// is run too.
inline void error_routine(std::uint8_t choice) {
    err_show_box = 0;
    err_throw = (choice & 1) ? 0 : 1;
}

// A broken promise of the code under test: a crash that libFuzzer keeps.
inline void check(bool ok) {
    if (!ok) std::abort();
}

// Writes `size` bytes to a new file `name`; false when that failed.
inline bool write_file(const char *name, const void *data, std::size_t size) {
    FILE *f = std::fopen(name, "wb");
    if (!f) return false;
    bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

}  // namespace zf
