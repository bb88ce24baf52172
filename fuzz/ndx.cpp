// A table whose index file is arbitrary bytes: the table (120 records) and
// its two indexes are made once by the engine; each input replaces one index
// file (bit 0 of the first input byte: the numeric QTY index, else the
// unique CODE;NAME index) by the rest of the input.  The table is opened
// with both indexes, searched, walked in index order, and by the further
// bits of the first byte records are appended, updated, deleted and the
// indexes rebuilt, all of which insert and delete keys in the damaged tree.
#include <fstream>
#include <iterator>

#include "fuzz_table.h"

namespace {

struct template_files {
    std::string dbf, iname, code_name, qty;
};

std::string slurp(const char *name) {
    std::ifstream in(name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The record i of the template table.
void record_values(int i, char *code, char *name, char *qty) {
    std::snprintf(code, 8, "C%03d", (i * 37) % 120);
    std::snprintf(name, 12, "N%d", i % 7);
    std::snprintf(qty, 8, "%d", (i * 53) % 97);
}

const template_files &make_template() {
    static template_files t;
    static bool made = false;
    if (made) return t;
    made = true;
    zf::remove_work("FUZZ.");
    const char field[] = "CODE,A,6\r\nNAME,A,10\r\nQTY,N\r\nCODE;NAME,P\r\nQTY,I\r\n";
    zf::write_file("FUZZ.FIELD", field, sizeof field - 1);
    void *h = zdbCreateTable("FUZZ.DBF");
    for (int i = 0; i < 120; ++i) {
        char code[8], name[12], qty[8];
        record_values(i, code, name, qty);
        zdbClearBuf(h);
        zdbSS(h, "CODE", code);
        zdbSS(h, "NAME", name);
        zdbSS(h, "QTY", qty);
        zdbAppend(h);
    }
    zdbClose(h);
    t.dbf = slurp("FUZZ.DBF");
    t.iname = slurp("FUZZ.INAME");
    t.code_name = slurp("FUZZ.CODE.NAME.IDEX");
    t.qty = slurp("FUZZ.QTY.IDEX");
    return t;
}

void seek(void *h, const char *code, const char *name) {
    zdbSeekReset();
    if (zf::reported([&] { zdbSSKey(h, code); })) return;
    if (name && zf::reported([&] { zdbSSKey(h, name); })) return;
    zf::reported([&] { zdbSeek(h); });
    if (zf::reported([&] { zdbSeekFirst(h); })) return;
    for (int n = 0; n < 4; ++n)
        if (zf::reported([&] { zdbSeekNext(h); })) break;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 1) return 0;
    zf::quiet_table_engine();
    const template_files &t = make_template();
    const std::uint8_t ops = data[0];
    zf::remove_work("FUZZ.");
    const bool qty = ops & 1;
    if (!zf::write_file("FUZZ.DBF", t.dbf.data(), t.dbf.size()) ||
        !zf::write_file("FUZZ.INAME", t.iname.data(), t.iname.size()) ||
        !zf::write_file(qty ? "FUZZ.CODE.NAME.IDEX" : "FUZZ.QTY.IDEX", qty ? t.code_name.data() : t.qty.data(),
                        qty ? t.code_name.size() : t.qty.size()) ||
        !zf::write_file(qty ? "FUZZ.QTY.IDEX" : "FUZZ.CODE.NAME.IDEX", data + 1, size - 1))
        return 0;
    void *h = nullptr;
    if (zf::reported([&] { h = zdbOpenTable("FUZZ.DBF", nullptr); }) || !h) return 0;
    int nidx = zdbGetNIndex(h);
    for (int i = nidx; i >= 1; --i) {
        if (zf::reported([&] { zdbChgIndexByNo(h, i); })) continue;
        zf::reported([&] { zdbGetIndex(h); });
        zf::reported([&] { zdbIsUniqIndex(h, qty ? "QTY" : "CODE;NAME"); });
        zf::walk(h, 16);
        zf::walk_back(h);
    }
    if (nidx >= 1) {
        seek(h, "C037", "N1");
        seek(h, "C0", nullptr);
        seek(h, "D", nullptr);
        if (nidx >= 2 && !zf::reported([&] { zdbChgIndexByNo(h, 2); })) {
            zdbSeekReset();
            if (!zf::reported([&] { zdbSIKey(h, 53); })) zf::reported([&] { zdbSeek(h); });
        }
    }
    if (ops & 2) {
        zf::reported([&] { zdbClearBuf(h); });
        zf::reported([&] { zdbSS(h, "CODE", ops & 0x80 ? "C037" : "X1"); });
        zf::reported([&] { zdbSS(h, "NAME", "N1"); });
        zf::reported([&] { zdbSS(h, "QTY", "53"); });
        zf::reported([&] { zdbAppend(h); });
    }
    if ((ops & 4) && !zf::reported([&] { zdbSetRecordNo(h, 1 + ops % 120); })) {
        zf::reported([&] { zdbSS(h, "CODE", "B9"); });
        zf::reported([&] { zdbSS(h, "QTY", "7"); });
        zf::reported([&] { zdbUpdate(h); });
    }
    if (ops & 8) {
        if (nidx >= 1) zf::reported([&] { zdbChgIndexByNo(h, 1); });
        for (int n = 0; n < 3; ++n)
            if (zf::reported([&] { zdbTop(h); }) || zf::reported([&] { zdbDeleteRecord(h, ops & 16 ? 1 : 0); })) break;
    }
    if (ops & 32) zf::reported([&] { zdbReIndex(h); });
    if (ops & 64) zf::walk(h, 200);
    zf::close_table(h);
    return 0;
}
