// The fixture of the tests that drive the table engine through its exports.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace zt
