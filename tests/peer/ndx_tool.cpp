// Our side of the index peer test: builds, keeps up and reads index files
// over a table file.
//
//   ndx_tool build T.DBF I.NDX EXPR [unique]   build from the table
//   ndx_tool grow  T.DBF I.NDX EXPR            insert the records' keys one by one
//   ndx_tool walk  I.NDX                        record numbers in key order
//   ndx_tool back  I.NDX                        the same, from the last key
//   ndx_tool find  T.DBF I.NDX                  every record is found under its key
#include <cstdio>
#include <cstring>
#include <string>

#include "ndx_support.h"

namespace {

// An empty view of a table: its fields, no records.
class no_records : public ndx_records {
public:
    explicit no_records(ndx_records &t) : t_(t) {}
    const char *table_path() override { return t_.table_path(); }
    int field_count() override { return t_.field_count(); }
    ndx_field_desc field(int i) override { return t_.field(i); }
    long record_count() override { return 0; }
    bool rewind() override { return true; }
    const unsigned char *next_record() override { return nullptr; }

private:
    ndx_records &t_;
};

// The key layout of an open index over the table.
bool layout_of(ndx *ip, zt::dbf_file &t, ndx_key_layout *kl) {
    return ndx_key_layout_for(ip, t, kl) == 0;
}

int fail(const char *what) {
    std::fprintf(stderr, "ndx_tool: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) return 2;
    std::string cmd = argv[1];
    if (cmd == "walk" || cmd == "back") {
        ndx *ip = ndx_open(argv[2]);
        if (!ip) return fail("cannot open the index");
        auto order = cmd == "walk" ? zt::walk(ip) : zt::walk_back(ip);
        for (std::uint32_t r : order) std::printf("%u\n", static_cast<unsigned>(r));
        ndx_close(ip);
        return 0;
    }
    if (argc < 4) return 2;
    zt::dbf_file t(argv[2]);
    if (!t.ok()) return fail("cannot read the table");
    if (cmd == "build" || cmd == "grow") {
        if (argc < 5) return 2;
        zt::remove_file(argv[3]);
        bool unique = argc > 5 && std::strcmp(argv[5], "unique") == 0;
        ndx *ip = ndx_create(argv[3], argv[4], unique);
        if (!ip) return fail("cannot create the index");
        if (cmd == "build") {
            if (!ndx_build(ip, t)) return fail("build failed");
        } else {
            no_records none(t);
            if (!ndx_build(ip, none)) return fail("build failed");
            ndx_key_layout kl;
            if (!layout_of(ip, t, &kl)) return fail("bad key layout");
            unsigned char key[NDX_KEY_MAX];
            for (long r = 1; r <= t.record_count(); ++r) {
                const unsigned char *rec = t.record(r);
                if (!rec) return fail("short table");
                ndx_make_key(kl, rec, key);
                if (!ndx_insert(ip, key, static_cast<std::uint32_t>(r)) && !unique) return fail("insert failed");
            }
        }
        ndx_close(ip);
        return 0;
    }
    if (cmd == "find") {
        ndx *ip = ndx_open(argv[3]);
        if (!ip) return fail("cannot open the index");
        ndx_key_layout kl;
        if (!layout_of(ip, t, &kl)) return fail("the index does not fit the table");
        long missing = 0;
        unsigned char key[NDX_KEY_MAX];
        for (long r = 1; r <= t.record_count(); ++r) {
            const unsigned char *rec = t.record(r);
            if (!rec) return fail("short table");
            ndx_make_key(kl, rec, key);
            std::uint32_t got = ndx_search(ip, key, kl.len);
            while (got && got != static_cast<std::uint32_t>(r) && ndx_compare(ip, key, kl.len) == 0) got = ndx_next(ip);
            if (got != static_cast<std::uint32_t>(r) || ndx_compare(ip, key, kl.len) != 0) {
                ++missing;
                std::fprintf(stderr, "ndx_tool: record %ld not found under its key\n", r);
            }
        }
        std::printf("found %ld of %ld\n", t.record_count() - missing, t.record_count());
        ndx_close(ip);
        return missing ? 1 : 0;
    }
    return 2;
}
