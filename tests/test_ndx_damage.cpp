// Damaged index files: every operation gives an ISAM report and gives up;
// nothing is read or written past a buffer and nothing loops.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "ndx_support.h"

using namespace zt;

namespace {

// A three-level index: 700 keys of length 10 (leaves 1-26 under inner
// page 27, leaves 28-29 under inner page 30, root 31).
struct Damage : ::testing::Test {
    std::string dir = zt::fresh_dir("damage");
    std::string good;
    std::vector<std::string> keys;

    void SetUp() override {
        for (int i = 0; i < 700; ++i) {
            char b[16];
            std::snprintf(b, sizeof b, "D%04d", i);
            keys.push_back(pad(b, 10));
        }
        std::string p = zt::join(dir, "good.ndx");
        ndx *ip = char_index(p, 10, keys);
        ASSERT_NE(ip, nullptr);
        ndx_close(ip);
        good = zt::read_file(p);
        ASSERT_EQ(u32(good, 0), 31u);
        ASSERT_EQ(page_of(good, 31).child(0), 27u);
        ASSERT_EQ(page_of(good, 31).child(1), 30u);
    }

    std::string write(const std::string &bytes) {
        std::string p = zt::join(dir, "bad.ndx");
        zt::write_file(p, bytes);
        return p;
    }

    // Runs every kind of operation on the file; each must end, and the
    // log must have gained IE_READ reports (and nothing else unexpected).
    int exercise(const std::string &bytes, bool expect_report = true) {
        std::size_t mark = log_mark();
        ndx *ip = ndx_open(write(bytes).c_str());
        if (ip) {
            unsigned steps = 0;
            for (std::uint32_t r = ndx_first(ip); r && steps < 100000; r = ndx_next(ip)) ++steps;
            steps = 0;
            for (std::uint32_t r = ndx_last(ip); r && steps < 100000; r = ndx_prev(ip)) ++steps;
            for (int i = 0; i < 700; i += 50) {
                ndx_search(ip, keys[i].data(), 10);
                ndx_count_eq(ip, keys[i].data(), 5);
            }
            ndx_insert(ip, keys[3].data(), 9001);
            ndx_insert(ip, pad("D0690x", 10).data(), 9002);
            if (ndx_search(ip, keys[10].data(), 10)) ndx_delete(ip);
            if (ndx_search(ip, keys[699].data(), 10)) ndx_delete(ip);
            ndx_close(ip);
        }
        std::string log = log_since(mark);
        if (expect_report) {
            EXPECT_GT(count_of(log, "IE_READ(11) ファイルｒｅａｄエラー"), 0) << log;
        }
        return ip ? 1 : 0;
    }
};

TEST_F(Damage, HeadersThatCannotDescribeTheTree) {
    struct {
        unsigned off;
        unsigned value;
        int width;
    } cases[] = {
        {12, 0, 2},      // key length 0
        {12, 253, 2},    // key length above 252
        {12, 0xFFF0, 2}, // negative key length
        {18, 24, 2},     // entry size that does not fit the key length
        {14, 26, 2},     // more keys per page than a page holds
        {14, 0, 2},      // no keys per page
        {16, 7, 2},      // unknown key type
        {16, 1, 2},      // numeric key of 10 bytes
        {0, 0, 4},       // root 0
        {0, 32, 4},      // root at the next free page
        {0, 5000, 4},    // root beyond the end of the file
        {4, 5000, 4},    // next free far away with the root beyond the file
    };
    for (auto &c : cases) {
        std::string b = good;
        if (c.width == 2)
            set_u16(b, c.off, c.value);
        else
            set_u32(b, c.off, c.value);
        if (c.off == 4) set_u32(b, 0, 4000);
        std::size_t mark = log_mark();
        EXPECT_EQ(ndx_open(write(b).c_str()), nullptr) << c.off << " " << c.value;
        EXPECT_NE(log_since(mark).find("IE_READ(11)"), std::string::npos) << c.off << " " << c.value;
    }
    // A file cut inside the header.
    EXPECT_EQ(exercise(good.substr(0, 300)), 0);
}

TEST_F(Damage, ChildBeyondTheEndOfTheFile) {
    std::string b = good;
    set_u32(b, 31 * 512 + 4, 5000);  // the root's first child
    ASSERT_EQ(exercise(b), 1);
    ndx *ip = ndx_open(write(b).c_str());
    ASSERT_NE(ip, nullptr);
    std::size_t mark = log_mark();
    EXPECT_EQ(ndx_first(ip), 0u);
    EXPECT_EQ(ndx_next(ip), 0u);  // no cursor after the failure
    EXPECT_EQ(ndx_search(ip, keys[5].data(), 10), 0u);
    EXPECT_FALSE(ndx_insert(ip, keys[5].data(), 1));
    EXPECT_EQ(count_of(log_since(mark), "IE_READ(11)"), 3);
    // The part of the tree that is sound still answers.
    EXPECT_EQ(ndx_search(ip, keys[690].data(), 10), 691u);
    EXPECT_EQ(ndx_last(ip), 700u);
    ndx_close(ip);
    // A file cut in the middle of the tree.
    exercise(good.substr(0, 20 * 512 + 100));
}

TEST_F(Damage, KeyCountAboveThePagesRoom) {
    for (unsigned k : {26u, 0xFFFFu, 0x8000u}) {
        std::string b = good;
        set_u32(b, 1 * 512, k);   // the first leaf
        set_u32(b, 30 * 512, k);  // an inner page
        exercise(b);
    }
    // The high bytes of the count are not part of it.
    std::string b = good;
    b[1 * 512 + 2] = 0x7F;
    ndx *ip = ndx_open(write(b).c_str());
    ASSERT_NE(ip, nullptr);
    EXPECT_EQ(ndx_first(ip), 1u);
    ndx_close(ip);
}

TEST_F(Damage, CyclesOfChildPages) {
    std::string self = good;
    set_u32(self, 31 * 512 + 4, 31);  // the root is its own first child
    exercise(self);
    std::string loop = good;
    set_u32(loop, 30 * 512 + 4 + 20, 31);  // the second inner page leads back to the root
    exercise(loop);
    std::string deep = good;
    set_u32(deep, 27 * 512 + 4 + 5 * 20, 27);  // an inner page leads to itself
    exercise(deep);
    ndx *ip = ndx_open(write(deep).c_str());
    ASSERT_NE(ip, nullptr);
    std::size_t mark = log_mark();
    std::uint32_t n = 0;
    for (std::uint32_t r = ndx_first(ip); r; r = ndx_next(ip)) ++n;
    EXPECT_EQ(n, 125u);  // the walk stops where the cycle begins
    EXPECT_EQ(count_of(log_since(mark), "IE_READ(11)"), 1);
    ndx_close(ip);
}

TEST_F(Damage, SharedEmptySubtreesEndTheStep) {
    // Twenty levels, every child of a level the same page of the next, the
    // last an empty leaf: a walk would visit that leaf 26^19 times.
    std::string b(21 * 512, '\0');
    set_u32(b, 0, 1);
    set_u32(b, 4, 21);
    set_u16(b, 12, 10);
    set_u16(b, 14, 25);
    set_u16(b, 18, 20);
    b.replace(24, 4, "CODE");
    for (std::uint32_t p = 1; p < 20; ++p) {
        set_u32(b, p * 512, 25);
        for (int j = 0; j <= 25; ++j) {
            set_u32(b, p * 512 + 4 + j * 20, p + 1);
            if (j < 25) b.replace(p * 512 + 4 + j * 20 + 8, 10, pad("K", 10));
        }
    }
    exercise(b);
    ndx *ip = ndx_open(write(b).c_str());
    ASSERT_NE(ip, nullptr);
    std::size_t mark = log_mark();
    EXPECT_EQ(ndx_first(ip), 0u);
    EXPECT_EQ(ndx_last(ip), 0u);
    EXPECT_EQ(count_of(log_since(mark), "IE_READ(11)"), 2);
    ndx_close(ip);
}

TEST_F(Damage, RandomBytesNeverCrash) {
    std::mt19937 rng(4242);
    for (int round = 0; round < 300; ++round) {
        std::string b = good;
        int n = 1 + static_cast<int>(rng() % 6);
        for (int i = 0; i < n; ++i) {
            std::size_t page = 1 + rng() % 31;
            std::size_t off = page * 512 + (rng() % 3 == 0 ? rng() % 8 : rng() % 512);
            b[off] = static_cast<char>(rng() % 3 == 0 ? 0xFF : rng());
        }
        exercise(b, false);
    }
}

TEST_F(Damage, TheSoundFileStaysQuiet) {
    std::size_t mark = log_mark();
    exercise(good, false);
    EXPECT_EQ(log_since(mark), "");
}

}  // namespace
