// Runs one operation of the table engine or of the text conversion engine
// on the files of a folder, for the tests that start it with ZU_FAIL set
// (the n-th file call of one kind fails):
//   zufault OPERATION FOLDER
// (the conversion "wgy" works on IN.TXT and P.GY of the current folder).
// The table T.DBF (fields CODE, NAME, QTY; indexes on CODE and NAME) and
// the other inputs are made by the test.  Exit code 0 when the operation
// finished, 1 after a raised report, 2 on bad use.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/report.h"
#include "zudbtool.h"
#include "zuwgy.h"

namespace {

#ifdef _WIN32
const char SEP[] = "\\";
#else
const char SEP[] = "/";
#endif

template <class F>
auto call(F &&f) {
    return zu_call(f);
}

void put(void *h, const char *code, const char *name, int qty) {
    call([&] { return zdbClearBuf(h); });
    call([&] { return zdbSS(h, "CODE", code); });
    call([&] { return zdbSS(h, "NAME", name); });
    call([&] { return zdbSI(h, "QTY", qty); });
}

// The operation on the table `t` (open), or false for an unknown name.
bool on_table(const std::string &op, void *h, const std::string &dir) {
    if (op == "append") {
        put(h, "B1", "m1", 9);
        call([&] { return zdbAppend(h); });
    } else if (op == "update") {
        call([&] { return zdbChgIndexByNo(h, 0); });
        call([&] { return zdbTop(h); });
        call([&] { return zdbSkip(h, 1); });
        call([&] { return zdbSS(h, "NAME", "zz"); });
        call([&] { return zdbUpdate(h); });
    } else if (op == "delete") {
        call([&] { return zdbChgIndexByNo(h, 0); });
        call([&] { return zdbTop(h); });
        call([&] { return zdbSkip(h, 1); });
        call([&] { return zdbDeleteRecord(h, 1); });
    } else if (op == "clear") {
        call([&] { return zdbClearTable(h); });
    } else if (op == "close") {
        // Enough keys to split index pages; their flush comes with the close.
        for (int i = 0; i < 40; ++i) {
            char code[8], name[8];
            std::snprintf(code, sizeof code, "C%02d", i);
            std::snprintf(name, sizeof name, "k%02d", (i * 7) % 40);
            put(h, code, name, i);
            call([&] { return zdbAppend(h); });
        }
    } else if (op == "pack") {
        call([&] { return zdbPack(h); });
    } else if (op == "reindex") {
        call([&] { return zdbReIndex(h); });
    } else if (op == "sort") {
        call([&] { return zdbChgIndex(h, "NAME"); });
        call([&] { return zdbSort(h, nullptr); });
    } else if (op == "import") {
        call([&] { return zdbImport(h, (dir + SEP + "IN.TXT").c_str(), ","); });
    } else if (op == "scan" || op == "heldscan") {
        // Every record in record order, one field of each.
        call([&] { return zdbChgIndexByNo(h, 0); });
        call([&] { return zdbTop(h); });
        int n = 0;
        while (!call([&] { return zdbEof(h); })) {
            if (!call([&] { return zdbGS(h, "NAME"); })) return true;
            ++n;
            if (!call([&] { return zdbSkip(h, 1); })) break;
        }
        if (n != call([&] { return zdbRecordCount(h); })) throw const_cast<char *>("scan: records missed");
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    const std::string op = argv[1], dir = argv[2];
    try {
        if (op == "create") {
            void *h = call([&] { return zdbCreateTable((dir + SEP + "N.DBF").c_str()); });
            if (!h) return 1;
            call([&] { return zdbClose(h); });
            return 0;
        }
        if (op == "copy") {
            call([&] { return zdbCopyTableStatic((dir + SEP + "T.DBF").c_str(), (dir + SEP + "U.DBF").c_str(), 0); });
            return 0;
        }
        if (op == "wgy") {
            // Relative names: a '/' would start an option of the command text.
            std::string command = "IN.TXT P.GY";
            call([&] { return ZuWGY(command.c_str(), nullptr); });
            return 0;
        }
        // "heldscan" holds the table under a named mutex.
        const char *mutex = op == "heldscan" ? "ZUFAULT_SCAN" : nullptr;
        void *h = call([&] { return zdbOpenTable((dir + SEP + "T.DBF").c_str(), mutex); });
        if (!h) return 1;
        int rc = 0;
        try {
            if (!on_table(op, h, dir)) rc = 2;
        } catch (char *m) {
            std::fprintf(stderr, "%s\n", m);
            rc = 1;
        }
        if (call([&] { return zdbClose(h); }) != 0) rc = 1;
        return rc;
    } catch (char *m) {
        std::fprintf(stderr, "%s\n", m);
        return 1;
    }
}
