// A table file of arbitrary bytes opened without indexes: every field of
// every record read (forwards, and backwards from the bottom), then, by the
// first input byte, a record appended, updated or removed and the table
// reopened.  The rest of the input is the .DBF file.
#include "fuzz_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 1) return 0;
    zf::quiet_table_engine();
    const std::uint8_t ops = data[0];
    zf::remove_work("FUZZ.");
    if (!zf::write_file("FUZZ.DBF", data + 1, size - 1)) return 0;
    void *h = nullptr;
    if (zf::reported([&] { h = zdbOpenTableS("FUZZ.DBF", nullptr); }) || !h) return 0;
    zdbRecordCount(h);
    zdbRecordCount2(h);
    zf::reported([&] { zdbGetTableCreateDate(h); });
    zf::reported([&] { zdbIsOldTable(h); });
    zf::walk(h, 64);
    zf::walk_back(h);
    if (ops & 2) zf::fill_and_append(h, "12");
    if ((ops & 4) && !zf::reported([&] { zdbSetRecordNo(h, 1); })) zf::reported([&] { zdbUpdate(h); });
    if ((ops & 8) && !zf::reported([&] { zdbTop(h); })) zf::reported([&] { zdbDeleteRecord(h, ops & 16 ? 1 : 0); });
    // A reopen that fails leaves only the object, which the close ends.
    if ((ops & 32) && !zf::reported([&] { zdbReOpen(h); })) zf::walk(h, 8);
    zf::close_table(h);
    return 0;
}
