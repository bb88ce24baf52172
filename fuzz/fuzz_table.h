// Shared by the table engine's fuzz targets: the engine raises every report
// (its library entry sets the error routine so), the work files of one input
// are removed before the next, and a table is walked reading every field.
#pragma once

#include <filesystem>
#include <string>

#include "fuzz_support.h"
#include "zudbtool.h"

namespace zf {

// The engine's progress lines go nowhere.
inline void quiet_table_engine() {
    error_routine(0);
#ifndef _WIN32
    static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
    (void)quiet;
#endif
}

// Runs `f`; a report (the answer to damaged files) is caught.
template <class F>
bool reported(F &&f) {
    try {
        f();
        return false;
    } catch (char *) {
        return true;
    }
}

// Removes the files of the current folder whose names start with `prefix`.
inline void remove_work(const char *prefix) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto &e : fs::directory_iterator(".", ec))
        if (e.path().filename().string().rfind(prefix, 0) == 0) fs::remove(e.path(), ec);
}

// Reads every field of up to `limit` records in the current order.
inline void walk(void *h, int limit) {
    if (reported([&] { zdbTop(h); })) return;
    int nfld = zdbGetNField(h);
    for (int n = 0; n < limit; ++n) {
        if (zdbEof(h)) break;
        zdbRecordNo(h);
        zdbIsDeteteRecord(h);
        zdbGetRecord(h);
        for (int i = 1; i <= nfld; ++i) {
            const char *name = nullptr;
            if (reported([&] { name = zdbGetFieldName(h, i); }) || !name) continue;
            std::string copy = name;
            reported([&] { zdbGetFieldLength(h, copy.c_str()); });
            reported([&] { zdbGetFieldType(h, copy.c_str()); });
            reported([&] { zdbGS(h, copy.c_str()); });
            reported([&] { zdbGSBin(h, copy.c_str()); });
            reported([&] { zdbGI(h, copy.c_str()); });
            reported([&] { zdbIsNull(h, copy.c_str()); });
        }
        if (reported([&] { zdbSkip(h, 1); })) break;
    }
}

// Up to 8 records backwards from the bottom.
inline void walk_back(void *h) {
    if (!reported([&] { zdbBottom(h); }))
        for (int n = 0; n < 8 && !zdbBof(h); ++n)
            if (reported([&] { zdbSkip(h, -1); })) break;
}

// Sets every field to `text` and appends the record.
inline void fill_and_append(void *h, const char *text) {
    int nfld = zdbGetNField(h);
    reported([&] { zdbClearBuf(h); });
    for (int i = 1; i <= nfld; ++i) {
        const char *name = nullptr;
        if (reported([&] { name = zdbGetFieldName(h, i); }) || !name) continue;
        std::string copy = name;
        reported([&] { zdbSS(h, copy.c_str(), text); });
    }
    reported([&] { zdbAppend(h); });
}

// Closes a table handle, whatever the close reports.
inline void close_table(void *h) {
    if (h) reported([&] { zdbClose(h); });
}

}  // namespace zf
