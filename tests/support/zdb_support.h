// The fixture of the tests that drive the table engine through its exports.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dbf_support.h"
#include "zudbtool.h"

namespace zt {

// Calls an export as a host does: a report comes back as a thrown text.
template <class F>
auto call(F &&f) {
    return zu_call(f);
}

// The report a call raises; it must also be in the error log.
template <class F>
std::string raised(F &&f) {
    std::size_t mark = log_mark();
    std::string r = report_of(f);
    if (r != "(none)") {
        EXPECT_TRUE(has(log_since(mark), r)) << "not in the error log: " << r;
    }
    return r;
}

// Tables made in a scratch folder of their own; whatever a test leaves open
// is closed after it.
struct Tables : ::testing::Test {
    explicit Tables(const char *folder) : dir(fresh_dir(folder)) {}

    std::string dir;
    std::vector<void *> open_handles;

    void TearDown() override {
        for (void *h : open_handles) call([&] { return zdbClose(h); });
        call([] { return zdbSetDeleteRecordUnUse(); });
    }
    std::string path(const std::string &name) { return join(dir, name); }
    // A field's text; "(null)" when the table gives none.
    static std::string gs(void *h, const char *f) {
        const char *v = call([&] { return zdbGS(h, f); });
        return v ? v : "(null)";
    }
    // Appends a record of CODE, NAME and QTY; zdbAppend's result.
    static int add(void *h, const std::string &code, const std::string &name, int qty) {
        call([&] { return zdbClearBuf(h); });
        call([&] { return zdbSS(h, "CODE", code.c_str()); });
        call([&] { return zdbSS(h, "NAME", name.c_str()); });
        call([&] { return zdbSI(h, "QTY", qty); });
        return call([&] { return zdbAppend(h); });
    }

    // Writes T.FIELD (lines joined with CR LF) and creates T.DBF from it.
    void *create(const std::string &name, const std::vector<std::string> &lines) {
        std::string text;
        for (auto &l : lines) text += l + "\r\n";
        std::string base = path(name);
        write_file(base + ".FIELD", text);
        void *h = call([&] { return zdbCreateTable((base + ".DBF").c_str()); });
        if (h) open_handles.push_back(h);
        return h;
    }
    void *open(const std::string &p, const char *mutex = nullptr) {
        void *h = call([&] { return zdbOpenTable(p.c_str(), mutex); });
        if (h) open_handles.push_back(h);
        return h;
    }
    void close(void *h) {
        open_handles.erase(std::remove(open_handles.begin(), open_handles.end(), h), open_handles.end());
        EXPECT_EQ(call([&] { return zdbClose(h); }), 0);
    }
};

// One index of a table under test: its key expression, whether it is
// unique, and the key it gives record n (1-based) of the model.
struct index_check {
    std::string expr;
    bool unique;
    std::function<std::string(int)> key;
};

// Every index of `h` follows the model of `n` records: walked from the top,
// the keys come in order, each record exactly once (a unique index holds the
// first record of each key, in strictly rising order), and field `field` of
// the record the walk stands on is `value(rno)`; a seek of each key finds as
// many records as hold it (one in a unique index).  `where` names the
// moment in failures.
inline void check_indexes(void *h, int n, const std::vector<index_check> &defs, const char *field,
                          const std::function<std::string(int)> &value, const std::string &where) {
    ASSERT_EQ(call([&] { return zdbRecordCount(h); }), n) << where;
    for (const index_check &d : defs) {
        call([&] { return zdbChgIndex(h, d.expr.c_str()); });
        std::map<std::string, int> counts, first;
        for (int r = n; r >= 1; --r) {
            ++counts[d.key(r)];
            first[d.key(r)] = r;
        }
        std::vector<int> want;
        if (d.unique) {
            for (auto &f : first) want.push_back(f.second);
            std::sort(want.begin(), want.end());
        } else {
            for (int r = 1; r <= n; ++r) want.push_back(r);
        }
        std::vector<int> seen;
        std::string prev;
        call([&] { return zdbTop(h); });
        while (!call([&] { return zdbEof(h); })) {
            int r = call([&] { return zdbRecordNo(h); });
            ASSERT_TRUE(r >= 1 && r <= n) << "index " << d.expr << " " << where;
            ASSERT_EQ(std::string(call([&] { return zdbGS(h, field); })), value(r)) << where;
            std::string k = d.key(r);
            if (!seen.empty()) {
                ASSERT_LE(prev, k) << "index " << d.expr << " " << where;
                if (d.unique) {
                    ASSERT_NE(prev, k) << "index " << d.expr << " " << where;
                }
            }
            prev = k;
            seen.push_back(r);
            if (!call([&] { return zdbSkip(h, 1); })) break;
        }
        std::sort(seen.begin(), seen.end());
        ASSERT_EQ(seen, want) << "index " << d.expr << " " << where;
        for (auto &c : counts) {
            zdbSeekReset();
            call([&] { return zdbSSKey(h, c.first.c_str()); });
            ASSERT_NE(call([&] { return zdbSeekFirst(h); }), 0) << where;
            int found = 1;
            while (call([&] { return zdbSeekNext(h); })) ++found;
            ASSERT_EQ(found, d.unique ? 1 : c.second) << "index " << d.expr << " key '" << c.first << "' " << where;
        }
    }
}

}  // namespace zt
