// The definition file (.FIELD) and the index-list file (.INAME) of arbitrary
// text.  First input byte: bit 0 open with the definition-file indexes
// rebuilt, bit 1 fill a record; the next two bytes the length of the
// definition file (little-endian), then the definition file, then the index
// list.  A table is created from the definition, then opened again through
// the index list.  The index list's names are kept inside the work folder
// ('/' and '\' become '_').
#include <algorithm>

#include "fuzz_table.h"

namespace {

void use(void *h, bool fill) {
    if (fill) zf::fill_and_append(h, "7");
    int nidx = zdbGetNIndex(h);
    for (int i = 1; i <= nidx && i <= 10; ++i) {
        const char *expr = nullptr;
        if (zf::reported([&] { expr = zdbChgIndexByNo(h, i); })) continue;
        if (expr) {
            std::string copy = expr;
            zf::reported([&] { zdbChgIndex(h, copy.c_str()); });
            zf::reported([&] { zdbIsUniqIndex(h, copy.c_str()); });
        }
        zdbSeekReset();
        if (!zf::reported([&] { zdbSSKey(h, "7"); })) zf::reported([&] { zdbSeek(h); });
        zf::walk(h, 4);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 3) return 0;
    zf::quiet_table_engine();
    const std::uint8_t ops = data[0];
    std::size_t def_size = std::min<std::size_t>(data[1] | data[2] << 8, size - 3);
    std::string list(reinterpret_cast<const char *>(data) + 3 + def_size, size - 3 - def_size);
    std::replace(list.begin(), list.end(), '/', '_');
    std::replace(list.begin(), list.end(), '\\', '_');
    zf::remove_work("FUZZ.");
    if (!zf::write_file("FUZZ.FIELD", data + 3, def_size)) return 0;

    void *h = nullptr;
    if (zf::reported([&] { h = zdbCreateTable("FUZZ.DBF"); }) || !h) return 0;
    use(h, ops & 2);
    zf::close_table(h);

    if (!zf::write_file("FUZZ.INAME", list.data(), list.size())) return 0;
    h = nullptr;
    if (zf::reported([&] { h = (ops & 1) ? zdbOpenTableMIdx("FUZZ.DBF") : zdbOpenTable("FUZZ.DBF", nullptr); }) || !h)
        return 0;
    use(h, ops & 2);
    zf::close_table(h);
    return 0;
}
