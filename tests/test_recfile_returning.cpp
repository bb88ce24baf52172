// The record-file functions compiled into the test with the error routine
// set to return: after a report that does not end the call, nothing is
// written past the field table, the fixed-width buffer or the display text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

struct Returning : ::testing::Test {
    void SetUp() override { err_throw = 0; }
    void TearDown() override { err_throw = 1; }
};

TEST_F(Returning, LimitsHold) {
    // 300 fields: the first 254 are split, the rest stays in the 255th.
    std::string rec = "0";
    for (int i = 1; i < 300; ++i) rec += "," + std::to_string(i);
    zt::write_file("wide.csv", rec + "\r\n");
    ASSERT_EQ(ZuioReadOpen("wide.csv"), 1);
    EXPECT_EQ(ZuioReadRecord(), 1);
    static char field[8192];
    int n, last = 0;
    while ((n = ZuioReadField(field)) != 0) last = n;
    EXPECT_EQ(last, 255);
    EXPECT_EQ(std::string(field).substr(0, 8), "254,255,");
    ZuioClose();

    ASSERT_EQ(ZuioWriteOpen("fix.txt"), 1);
    EXPECT_EQ(ZuioWriteFix("abc", 9000), 1);
    EXPECT_EQ(ZuioWriteFix("abc", -1), 1);
    ZuioClose();
    EXPECT_EQ(zt::read_file("fix.txt"), "abc" + std::string(8189, ' '));
    EXPECT_EQ(ZuioWrite("x"), 0);

    std::vector<int> big(60, 2000000000);
    EXPECT_EQ(std::string(IntDisp(big.data(), 60)).size(), 43u * 11 - 1);
    int odd[] = {70, -1, 3, 3};
    EXPECT_EQ(ColCheckDup(odd, 4), 3);
    int unsorted[] = {9, 0, 5000, 2};
    IntSort(unsorted, 4);
    EXPECT_EQ(std::vector<int>(unsorted, unsorted + 4), (std::vector<int>{2, 9, 0, 0}));
    EXPECT_EQ(IntLen(nullptr), 0);
    EXPECT_STREQ(IntDisp(nullptr, 3), "");
}

}  // namespace
