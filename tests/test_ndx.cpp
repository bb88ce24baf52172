// The index file: page splits, searches, cursor steps, deletion and the
// separators above it, key types, and the build from a table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "ndx_support.h"
#include "zudbtool/isam.h"

using namespace zt;

namespace {

struct Ndx : ::testing::Test {
    std::string dir = zt::fresh_dir("ndx");
    std::string path(const std::string &name) { return zt::join(dir, name); }
    static std::string key3(int i) {
        char b[8];
        std::snprintf(b, sizeof b, "K%02d", i);
        return b;
    }
};

TEST_F(Ndx, TwentySixthKeySplitsTheRootLeaf) {
    std::string p = path("split.ndx");
    ndx *ip = char_index(p, 10, {});
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(ndx_key_len(ip), 10);
    EXPECT_EQ(ndx_entry_size(ip), 20);
    EXPECT_EQ(ndx_keys_per_page(ip), 25);
    for (int i = 0; i < 25; ++i) ASSERT_TRUE(ndx_insert(ip, pad(key3(i), 10).data(), i + 1));
    ndx_flush(ip);
    std::string f = zt::read_file(p);
    EXPECT_EQ(u32(f, 0), 1u);
    EXPECT_EQ(page_of(f, 1).count(), 25u);

    ASSERT_TRUE(ndx_insert(ip, pad(key3(25), 10).data(), 26));
    ndx_flush(ip);
    f = zt::read_file(p);
    EXPECT_EQ(f.size(), 4u * 512);
    EXPECT_EQ(u32(f, 0), 3u);  // root
    EXPECT_EQ(u32(f, 4), 4u);  // next free
    page_view left = page_of(f, 1), right = page_of(f, 2), root = page_of(f, 3);
    EXPECT_EQ(left.count(), 13u);
    EXPECT_EQ(right.count(), 13u);
    EXPECT_EQ(left.key(12), pad("K12", 10));
    EXPECT_EQ(right.key(0), pad("K13", 10));
    EXPECT_EQ(right.rno(12), 26u);
    ASSERT_EQ(root.count(), 1u);
    EXPECT_EQ(root.key(0), pad("K12", 10));
    EXPECT_EQ(root.rno(0), 0u);
    EXPECT_EQ(root.child(0), 1u);
    EXPECT_EQ(root.child(1), 2u);

    std::vector<std::uint32_t> all;
    for (std::uint32_t i = 1; i <= 26; ++i) all.push_back(i);
    EXPECT_EQ(walk(ip), all);
    std::reverse(all.begin(), all.end());
    EXPECT_EQ(walk_back(ip), all);
    for (int i = 0; i < 26; ++i) EXPECT_EQ(ndx_search(ip, pad(key3(i), 10).data(), 10), static_cast<std::uint32_t>(i + 1));
    ndx_close(ip);

    // The file reopens as it was left.
    ip = ndx_open(p.c_str());
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(walk(ip).size(), 26u);
    ndx_close(ip);
}

TEST_F(Ndx, SearchFindsPrefixesAndTheInsertionPoint) {
    ndx *ip = char_index(path("prefix.ndx"), 3, {"ABD", "ABC", "XYZ"});
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(ndx_search(ip, "AB", 2), 2u);   // ABC, record 2
    EXPECT_EQ(ndx_search(ip, "ABD", 3), 1u);
    EXPECT_EQ(ndx_search(ip, "ABE", 3), 0u);
    EXPECT_EQ(ndx_compare(ip, "XYZ", 3), 0);  // the cursor stands at XYZ
    EXPECT_EQ(ndx_search(ip, "ZZZ", 3), 0u);  // above every key
    EXPECT_EQ(ndx_search(ip, "abc", 3), 0u);  // bytes, not letters
    EXPECT_EQ(ndx_count_eq(ip, "AB", 2), 2u);
    EXPECT_EQ(ndx_count_eq(ip, "X", 1), 1u);
    // A search key longer than the index's keys compares over the key.
    EXPECT_EQ(ndx_search(ip, "XYZ and more", 12), 3u);
    ndx_close(ip);
}

TEST_F(Ndx, EqualKeysKeepTheirInsertionOrder) {
    ndx *ip = char_index(path("dup.ndx"), 4, {"AAAA", "ZZZZ"});
    ASSERT_NE(ip, nullptr);
    for (std::uint32_t r : {7u, 3u, 9u}) ASSERT_TRUE(ndx_insert(ip, "MMMM", r));
    EXPECT_EQ(walk(ip), (std::vector<std::uint32_t>{1, 7, 3, 9, 2}));
    EXPECT_EQ(ndx_count_eq(ip, "MMMM", 4), 3u);
    // Many equal keys across several pages, and at the end of the index.
    std::vector<std::uint32_t> order;
    for (std::uint32_t r = 100; r < 300; ++r) {
        std::uint32_t rno = (r * 37) % 1000 + 10;
        order.push_back(rno);
        ASSERT_TRUE(ndx_insert(ip, "ZZZZ", rno));
    }
    std::vector<std::uint32_t> got;
    for (std::uint32_t r = ndx_search(ip, "ZZZZ", 4); r; r = ndx_next(ip)) got.push_back(r);
    order.insert(order.begin(), 2);
    EXPECT_EQ(got, order);
    EXPECT_EQ(ndx_count_eq(ip, "ZZZZ", 4), 201u);
    ndx_close(ip);
}

TEST_F(Ndx, UniqueIndexRefusesAnExistingKey) {
    std::string p = path("uniq.ndx");
    ndx *ip = char_index(p, 4, {"AAAA", "BBBB"}, true);
    ASSERT_NE(ip, nullptr);
    ndx_flush(ip);
    std::string before = zt::read_file(p);
    std::size_t mark = log_mark();
    EXPECT_FALSE(ndx_insert(ip, "BBBB", 3));
    ndx_flush(ip);
    EXPECT_EQ(zt::read_file(p), before);
    std::string log = log_since(mark);
    EXPECT_NE(log.find("ISAM：ZD_Idx"), std::string::npos) << log;
    EXPECT_NE(log.find("IE_DBLKEY( 7) キーが重複している zu_db_err()\r\n"), std::string::npos) << log;
    EXPECT_TRUE(ndx_insert(ip, "CCCC", 3));
    EXPECT_EQ(walk(ip), (std::vector<std::uint32_t>{1, 2, 3}));
    ndx_close(ip);
}

TEST_F(Ndx, DeletingALeafsLastKeyRepairsTheSeparator) {
    std::string p = path("del.ndx");
    std::vector<std::string> keys;
    for (int i = 0; i < 26; ++i) keys.push_back(key3(i));
    ndx *ip = char_index(p, 10, keys);  // built: leaf 1 (25 keys), leaf 2 (1 key), root 3
    ASSERT_NE(ip, nullptr);
    // Make the left leaf's last key the separator's key and delete it.
    ASSERT_EQ(ndx_search(ip, pad("K24", 10).data(), 10), 25u);
    ASSERT_TRUE(ndx_delete(ip));
    ndx_flush(ip);
    std::string f = zt::read_file(p);
    page_view root = page_of(f, u32(f, 0));
    ASSERT_EQ(root.count(), 1u);
    EXPECT_EQ(root.key(0), pad("K23", 10));
    EXPECT_EQ(page_of(f, 1).count(), 24u);
    EXPECT_EQ(ndx_search(ip, pad("K24", 10).data(), 10), 0u);
    EXPECT_EQ(ndx_search(ip, pad("K25", 10).data(), 10), 26u);

    // Emptying the rightmost leaf drops the root's last key.
    ASSERT_EQ(ndx_search(ip, pad("K25", 10).data(), 10), 26u);
    ASSERT_TRUE(ndx_delete(ip));
    ndx_flush(ip);
    f = zt::read_file(p);
    root = page_of(f, u32(f, 0));
    EXPECT_EQ(root.count(), 0u);
    EXPECT_EQ(root.child(0), 1u);
    EXPECT_EQ(walk(ip).size(), 24u);
    // A key in the middle: the following entries move down.
    ASSERT_EQ(ndx_search(ip, pad("K05", 10).data(), 10), 6u);
    ASSERT_TRUE(ndx_delete(ip));
    EXPECT_EQ(ndx_search(ip, pad("K05", 10).data(), 10), 0u);
    EXPECT_EQ(walk(ip).size(), 23u);
    EXPECT_FALSE(ndx_delete(ip));  // no cursor after a deletion
    // Emptying the index entirely, then filling it again.
    for (std::uint32_t r = ndx_first(ip); r; r = ndx_first(ip)) ASSERT_TRUE(ndx_delete(ip));
    EXPECT_TRUE(walk(ip).empty());
    EXPECT_TRUE(ndx_insert(ip, pad("NEW", 10).data(), 99));
    EXPECT_EQ(walk(ip), (std::vector<std::uint32_t>{99}));
    ndx_close(ip);
}

TEST_F(Ndx, NumericAndIntegerKeysOrderByValue) {
    mem_table t({{"AMOUNT", 'X', 10}, {"COUNT", 'Y', 6}, {"EXTRA", 'Y', 6}});
    t.add({"10", "5", "1"});
    t.add({"-1.5", "-20", "0"});
    t.add({"2", "300", "-301"});
    ndx *num = ndx_create(path("num.ndx").c_str(), "AMOUNT", false);
    ASSERT_TRUE(ndx_build(num, t));
    EXPECT_EQ(ndx_key_type(num), NDX_NUMERIC);
    EXPECT_EQ(ndx_key_len(num), 8);
    EXPECT_EQ(num->ihp[NDX_TYPE_LETTER_OFF], 'F');  // the key type as other xBase programs read it
    EXPECT_EQ(walk(num), (std::vector<std::uint32_t>{2, 3, 1}));
    double v = 2;
    EXPECT_EQ(ndx_search(num, &v, 8), 3u);
    v = 5;
    ASSERT_TRUE(ndx_insert(num, &v, 4));
    EXPECT_EQ(walk(num), (std::vector<std::uint32_t>{2, 3, 4, 1}));
    ndx_close(num);

    // Integer keys: the sum of the parts.
    ndx *in = ndx_create(path("int.ndx").c_str(), "COUNT;EXTRA", false);
    ASSERT_TRUE(ndx_build(in, t));
    EXPECT_EQ(ndx_key_type(in), NDX_INTEGER);
    EXPECT_EQ(ndx_key_len(in), 4);
    EXPECT_EQ(in->ihp[NDX_TYPE_LETTER_OFF], 0);  // a key type of this engine's own
    EXPECT_EQ(walk(in), (std::vector<std::uint32_t>{2, 3, 1}));  // -20, -1, 6
    std::int32_t k = -1;
    EXPECT_EQ(ndx_search(in, &k, 4), 3u);
    ndx_close(in);
}

// ---- build ----------------------------------------------------------------------

TEST_F(Ndx, BuildOfAnEmptyTableGivesOneEmptyLeaf) {
    std::string p = path("empty.ndx");
    ndx *ip = char_index(p, 10, {});
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(ndx_first(ip), 0u);
    EXPECT_EQ(ndx_last(ip), 0u);
    ndx_close(ip);
    std::string f = zt::read_file(p);
    ASSERT_EQ(f.size(), 1024u);
    EXPECT_EQ(u32(f, 0), 1u);
    EXPECT_EQ(u32(f, 4), 2u);
    EXPECT_EQ(page_of(f, 1).count(), 0u);
    EXPECT_EQ(f[NDX_TYPE_LETTER_OFF], 'C');
    EXPECT_EQ(f.substr(24, 5), std::string("CODE\0", 5));
    EXPECT_FALSE(zt::exists(path("empty.$$1")));
    EXPECT_FALSE(zt::exists(path("empty.$$2")));
}

TEST_F(Ndx, BuildOfAHundredRecordsFillsFourLeavesUnderARoot) {
    std::string p = path("hundred.ndx");
    std::vector<std::string> keys;
    for (int i = 0; i < 100; ++i) {
        char b[16];
        std::snprintf(b, sizeof b, "C%04d", (i * 61) % 100);
        keys.push_back(b);
    }
    ndx *ip = char_index(p, 10, keys);
    ASSERT_NE(ip, nullptr);
    ndx_close(ip);
    std::string f = zt::read_file(p);
    EXPECT_EQ(u32(f, 0), 5u);
    EXPECT_EQ(u32(f, 4), 6u);
    EXPECT_EQ(f.size(), 6u * 512);
    page_view root = page_of(f, 5);
    ASSERT_EQ(root.count(), 3u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(root.child(i), static_cast<std::uint32_t>(i + 1));
        EXPECT_EQ(page_of(f, i + 1).count(), 25u);
    }
    EXPECT_EQ(root.key(0), pad("C0024", 10));
    EXPECT_EQ(root.key(2), pad("C0074", 10));
    EXPECT_EQ(page_of(f, 1).key(0), pad("C0000", 10));
    EXPECT_EQ(page_of(f, 1).rno(0), 1u);
    EXPECT_EQ(page_of(f, 4).key(24), pad("C0099", 10));
}

TEST_F(Ndx, UniqueBuildKeepsTheLowestRecordNumber) {
    ndx *ip = char_index(path("ub.ndx"), 1, {"B", "A", "A", "B", "C"}, true);
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(walk(ip), (std::vector<std::uint32_t>{2, 1, 5}));
    ndx_close(ip);

    // A numeric key of 0 as the smallest stays.
    mem_table t({{"V", 'X', 5}});
    for (const char *v : {"3", "0", "0", "-0", "3"}) t.add({v});
    ndx *num = ndx_create(path("ubn.ndx").c_str(), "V", true);
    ASSERT_TRUE(ndx_build(num, t));
    EXPECT_EQ(walk(num), (std::vector<std::uint32_t>{2, 1}));
    ndx_close(num);

    // Duplicates across a page boundary leave no empty page behind.
    std::vector<std::string> keys;
    for (int i = 0; i < 25; ++i) keys.push_back(key3(i));
    for (int i = 0; i < 40; ++i) keys.push_back(key3(24));
    ndx *big = char_index(path("ubig.ndx"), 3, keys, true);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(walk(big).size(), 25u);
    EXPECT_EQ(ndx_next_free(big), 2u);
    ndx_close(big);
}

TEST_F(Ndx, BuildSortsRunsThroughTheWorkFiles) {
    // Key length 40: 1117 sort records per run, so 12000 records make 11
    // runs (an odd count on the first merge) and four merge passes.
    mem_table t({{"NAME", 'C', 40}, {"DATE", 'D', 8}, {"QTY", 'N', 4}});
    std::vector<std::pair<std::string, std::uint32_t>> expect;
    std::uint32_t seed = 12345;
    for (std::uint32_t r = 1; r <= 12000; ++r) {
        seed = seed * 1103515245u + 12345u;
        char name[48];
        std::snprintf(name, sizeof name, "N%05u", (seed >> 8) % 3000);
        t.add({name, "20240101", "1"}, r % 7 ? ' ' : '*');
        expect.push_back({pad(name, 40) + "20240101", r});
    }
    std::stable_sort(expect.begin(), expect.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    ndx *ip = ndx_create(path("big.ndx").c_str(), "name;date", false);
    ASSERT_TRUE(ndx_build(ip, t));
    EXPECT_EQ(ndx_key_len(ip), 48);
    EXPECT_EQ(ndx_key_type(ip), NDX_CHAR);
    std::vector<std::uint32_t> want;
    for (auto &e : expect) want.push_back(e.second);
    EXPECT_EQ(walk(ip), want);
    std::reverse(want.begin(), want.end());
    EXPECT_EQ(walk_back(ip), want);
    // Every key is found at its first record, and counted.
    for (std::size_t i = 0; i < expect.size(); i += 97) {
        std::size_t j = i;
        while (j > 0 && expect[j - 1].first == expect[i].first) --j;
        std::size_t e = i;
        while (e < expect.size() && expect[e].first == expect[i].first) ++e;
        EXPECT_EQ(ndx_search(ip, expect[i].first.data(), 48), expect[j].second);
        EXPECT_EQ(ndx_count_eq(ip, expect[i].first.data(), 48), e - j);
    }
    ndx_close(ip);
    EXPECT_FALSE(zt::exists(path("big.$$1")));
    EXPECT_FALSE(zt::exists(path("big.$$2")));
}

TEST_F(Ndx, KeyExpressionsTheBuilderCannotUse) {
    mem_table t({{"CODE", 'C', 5}, {"AMT", 'X', 8}, {"CNT", 'Y', 4}, {"FLAG", 'L', 1}, {"DAY", 'D', 8}});
    t.add({"A", "1", "1", "T", "20200101"});
    for (const char *expr : {"AMT;CODE", "CODE;AMT", "CNT;AMT", "FLAG", "NOSUCH", "", " ; "}) {
        std::string p = path("bad.ndx");
        zt::remove_file(p);
        ndx *ip = ndx_create(p.c_str(), expr, false);
        ASSERT_NE(ip, nullptr);
        std::size_t mark = log_mark();
        EXPECT_FALSE(ndx_build(ip, t)) << expr;
        EXPECT_EQ(ndx_key_len(ip), 0) << expr;  // the header is untouched
        EXPECT_NE(log_since(mark).find("IE_IDXKEY(13) インデックスのキー表現式が不正"), std::string::npos) << expr;
        ndx_close(ip);
    }
    ndx *ip = ndx_create(path("day.ndx").c_str(), "code day", false);
    ASSERT_TRUE(ndx_build(ip, t));
    EXPECT_EQ(ndx_key_type(ip), NDX_CHAR);
    EXPECT_EQ(ndx_key_len(ip), 13);
    EXPECT_EQ(ndx_search(ip, "A    20200101", 13), 1u);
    ndx_close(ip);

    // A key longer than the pages can hold is refused before anything changes.
    mem_table wide({{"A", 'C', 200}, {"B", 'C', 53}});
    ndx *w = ndx_create(path("wide.ndx").c_str(), "A;B", false);
    EXPECT_EQ(zt::report_of([&] { ndx_build(w, wide); }),
              "インデックスフィールド長オーバー 最長(256 - 4)までです。wrt_index()");
    ndx_close(w);
    EXPECT_FALSE(zt::exists(path("wide.$$1")));
}

TEST_F(Ndx, BuildStopsOnAShortRead) {
    std::string p = path("short.ndx");
    ndx *ip = char_index(p, 3, {"AAA", "BBB"});
    ASSERT_NE(ip, nullptr);
    ndx_flush(ip);
    std::string before = zt::read_file(p);
    mem_table t({{"CODE", 'C', 3}});
    for (int i = 0; i < 10; ++i) t.add({key3(i)});
    t.fail_at = 5;
    std::size_t mark = log_mark();
    EXPECT_FALSE(ndx_build(ip, t));
    EXPECT_NE(log_since(mark).find("IE_READ(11)"), std::string::npos);
    ndx_flush(ip);
    EXPECT_EQ(zt::read_file(p), before);  // the index file is as it was
    EXPECT_EQ(walk(ip), (std::vector<std::uint32_t>{1, 2}));
    EXPECT_FALSE(zt::exists(path("short.$$1")));
    ndx_close(ip);
}

TEST_F(Ndx, WorkFileNames) {
    char out[260];
    ndx_work_path("D:\\W\\CUST.CODE.NAME.IDEX", "$$1", out, sizeof out);
    EXPECT_STREQ(out, "D:\\W\\CUST.CODE.NAME.$$1");
    ndx_work_path("dir.d/IDX", "$$2", out, sizeof out);
    EXPECT_STREQ(out, "dir.d/IDX.$$2");
}

TEST_F(Ndx, OpenAndCreateFailures) {
    std::size_t mark = log_mark();
    EXPECT_EQ(ndx_open(path("missing.ndx").c_str()), nullptr);
    EXPECT_EQ(ndx_create(zt::join(path("nodir"), "x.ndx").c_str(), "A", false), nullptr);
    std::string log = log_since(mark);
    EXPECT_EQ(count_of(log, "IE_NOFILE( 3) オープンするファイルがない"), 2) << log;
    // A file shorter than its header.
    zt::write_file(path("short.ndx"), std::string(100, '\0'));
    mark = log_mark();
    EXPECT_EQ(ndx_open(path("short.ndx").c_str()), nullptr);
    EXPECT_NE(log_since(mark).find("IE_READ(11)"), std::string::npos);
    // An index made but never built has no tree to search.
    ndx *ip = ndx_create(path("unbuilt.ndx").c_str(), "CODE", false);
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(ndx_first(ip), 0u);
    EXPECT_FALSE(ndx_insert(ip, "A", 1));
    ndx_close(ip);
}

}  // namespace

namespace {

TEST_F(Ndx, BuildFromATableFile) {
    std::vector<col> cols = {{"CODE", 'C', 4}, {"NAME", 'C', 8}};
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 60; ++i) rows.push_back({key3((i * 7) % 60), "N" + key3(i)});
    zt::write_file(path("T.DBF"), dbf_bytes(cols, rows));
    dbf_file t(path("T.DBF"));
    ASSERT_TRUE(t.ok());
    ndx *ip = ndx_create(path("T.CODE.NAME.IDEX").c_str(), "CODE;NAME", false);
    ASSERT_TRUE(ndx_build(ip, t));
    EXPECT_EQ(ndx_key_len(ip), 12);
    std::vector<std::uint32_t> got = walk(ip);
    ASSERT_EQ(got.size(), 60u);
    for (int i = 0; i < 60; ++i) EXPECT_EQ((got[i] - 1) * 7 % 60, static_cast<std::uint32_t>(i)) << i;
    EXPECT_EQ(ndx_search(ip, (pad("K21", 4) + "N").data(), 5), 4u);
    ndx_close(ip);
    EXPECT_FALSE(zt::exists(path("T.CODE.NAME.$$1")));
}

}  // namespace

namespace {

TEST_F(Ndx, KeysOfAnOpenIndexFollowItsHeader) {
    mem_table t({{"CODE", 'C', 4}, {"AMT", 'N', 6}, {"DAY", 'D', 8}});
    t.add({"AB", "  12.5", "20240102"});
    ndx *ip = ndx_create(path("k.ndx").c_str(), "code;day", false);
    ASSERT_TRUE(ndx_build(ip, t));
    ndx_key_layout kl;
    ASSERT_EQ(ndx_key_layout_for(ip, t, &kl), 0);
    unsigned char key[NDX_KEY_MAX];
    ndx_make_key(kl, reinterpret_cast<const unsigned char *>(t.records_[0].data()), key);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(key), 12), "AB  20240102");
    // A header shorter than the fields: the key is cut, never overrun.
    kl.len = 3;
    std::memset(key, 'x', sizeof key);
    ndx_make_key(kl, reinterpret_cast<const unsigned char *>(t.records_[0].data()), key);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(key), 4), "AB x");
    ndx_close(ip);

    // A numeric key over an N field, as other programs make them.
    ndx *num = ndx_create(path("n.ndx").c_str(), "AMT", false);
    ASSERT_TRUE(ndx_build(num, t));
    ASSERT_TRUE(ndx_set_key_layout(num, NDX_NUMERIC, 8));
    ASSERT_EQ(ndx_key_layout_for(num, t, &kl), 0);
    ndx_make_key(kl, reinterpret_cast<const unsigned char *>(t.records_[0].data()), key);
    double v;
    std::memcpy(&v, key, 8);
    EXPECT_EQ(v, 12.5);
    ndx_close(num);

    ndx *bad = ndx_create(path("b.ndx").c_str(), "CODE;NONE", false);
    EXPECT_EQ(ndx_key_layout_for(bad, t, &kl), IE_NOKEY);
    ndx_close(bad);
}

}  // namespace
