// The B-tree against a model: long random runs of inserts, deletions and
// searches, the whole order checked after every step.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>

#include "ndx_support.h"

using namespace zt;

namespace {

struct Model : ::testing::TestWithParam<std::tuple<int, bool>> {
    std::string dir = zt::fresh_dir("model");
};

// Key length 8: 31 keys a page; 100: 4 keys a page, deep trees soon;
// 252: one key a page, every insert splits.
TEST_P(Model, RandomStepsAgreeWithAMultimap) {
    const int kl = std::get<0>(GetParam());
    const bool unique = std::get<1>(GetParam());
    char name[64];
    std::snprintf(name, sizeof name, "m%d%s.ndx", kl, unique ? "u" : "");
    ndx *ip = char_index(zt::join(dir, name), kl, {}, unique);
    ASSERT_NE(ip, nullptr);

    std::mt19937 rng(20261207u + kl + unique);
    std::multimap<std::string, std::uint32_t> model;
    const int steps = kl == 252 ? 700 : 1500;
    const int spread = kl == 252 ? 60 : 150;
    std::uint32_t next_rno = 1;
    auto key_of = [&](int v) {
        char b[16];
        std::snprintf(b, sizeof b, "%05d", v);
        return pad(b, kl);
    };
    for (int step = 0; step < steps; ++step) {
        unsigned what = rng() % 100;
        // Inserts outweigh deletions in the first half, then the other way.
        unsigned insert_share = step < steps / 2 ? 60 : 35;
        if (what < insert_share || model.empty()) {
            std::string k = key_of(static_cast<int>(rng() % spread));
            std::uint32_t r = next_rno++;
            bool had = model.count(k) > 0;
            bool ok = ndx_insert(ip, k.data(), r);
            if (unique && had) {
                ASSERT_FALSE(ok) << step;
            } else {
                ASSERT_TRUE(ok) << step;
                model.emplace_hint(model.upper_bound(k), k, r);
            }
        } else if (what < 90) {
            auto it = model.begin();
            std::advance(it, rng() % model.size());
            std::uint32_t r = ndx_search(ip, it->first.data(), kl);
            while (r && r != it->second) r = ndx_next(ip);
            ASSERT_EQ(r, it->second) << step;
            ASSERT_TRUE(ndx_delete(ip)) << step;
            model.erase(it);
        } else {
            std::string k = key_of(static_cast<int>(rng() % spread));
            auto it = model.lower_bound(k);
            std::uint32_t want = it != model.end() && it->first == k ? it->second : 0;
            ASSERT_EQ(ndx_search(ip, k.data(), kl), want) << step;
            ASSERT_EQ(ndx_count_eq(ip, k.data(), kl), model.count(k)) << step;
            // A prefix finds the first key that begins with it.
            auto pit = model.lower_bound(k.substr(0, 4));
            std::uint32_t pwant = pit != model.end() && pit->first.compare(0, 4, k, 0, 4) == 0 ? pit->second : 0;
            ASSERT_EQ(ndx_search(ip, k.data(), 4), pwant) << step;
        }
        std::vector<std::uint32_t> want;
        for (auto &e : model) want.push_back(e.second);
        ASSERT_EQ(walk(ip), want) << step;
        if (step % 10 == 0) {
            std::reverse(want.begin(), want.end());
            ASSERT_EQ(walk_back(ip), want) << step;
        }
    }
    // The file holds what the handle shows.
    ndx_close(ip);
    ip = ndx_open(zt::join(dir, name).c_str());
    ASSERT_NE(ip, nullptr);
    std::vector<std::uint32_t> want;
    for (auto &e : model) want.push_back(e.second);
    EXPECT_EQ(walk(ip), want);
    ndx_close(ip);
}

INSTANTIATE_TEST_SUITE_P(KeyLengths, Model,
                         ::testing::Combine(::testing::Values(8, 100, 252), ::testing::Bool()));

TEST(ModelInt, IntegerKeysAgreeWithAMultimap) {
    std::string dir = zt::fresh_dir("model_int");
    mem_table t({{"N", 'Y', 6}});
    ndx *ip = ndx_create(zt::join(dir, "i.ndx").c_str(), "N", false);
    ASSERT_TRUE(ndx_build(ip, t));
    std::mt19937 rng(7);
    std::multimap<std::int32_t, std::uint32_t> model;
    for (std::uint32_t step = 1; step <= 1200; ++step) {
        std::int32_t k = static_cast<std::int32_t>(rng() % 2001) - 1000;
        if (rng() % 3 || model.empty()) {
            ASSERT_TRUE(ndx_insert(ip, &k, step));
            model.emplace_hint(model.upper_bound(k), k, step);
        } else {
            auto it = model.begin();
            std::advance(it, rng() % model.size());
            std::uint32_t r = ndx_search(ip, &it->first, 4);
            while (r && r != it->second) r = ndx_next(ip);
            ASSERT_EQ(r, it->second);
            ASSERT_TRUE(ndx_delete(ip));
            model.erase(it);
        }
        if (step % 20 == 0) {
            std::vector<std::uint32_t> want;
            for (auto &e : model) want.push_back(e.second);
            ASSERT_EQ(walk(ip), want) << step;
        }
    }
    ndx_close(ip);
}

}  // namespace
