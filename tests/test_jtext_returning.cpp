// The text functions compiled into the test with the error routine set to
// return: what each gives after a report that does not end the call.
#include <gtest/gtest.h>

#include <string>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

struct Returning : ::testing::Test {
    void SetUp() override { err_throw = 0; }
    void TearDown() override { err_throw = 1; }
};

TEST_F(Returning, ResultsAfterAReport) {
    EXPECT_STREQ(KanaMuddyConvert("ハ", "＊"), "ハ");  // another mark: the kana itself
    EXPECT_STREQ(KanaMuddyConvert("ガ", "x"), "ガ");
    EXPECT_EQ(RtvKanjiFlag("\x88\x9F", 0), 0);
    EXPECT_EQ(RtvKanjiFlag(nullptr, 1), 0);
    EXPECT_EQ(ZuStrChg(std::string(9000, 'a').c_str(), "a", "bb"), nullptr);
    EXPECT_STREQ(RtvDigitStr(std::string(40, '1').c_str()), "");
    EXPECT_EQ(StrHexToVal("12"), 0u);
    EXPECT_EQ(ZuJis2SJis(std::string(70000, 'a').c_str()), nullptr);
    EXPECT_STREQ(ExtractExeName(std::string(300, 'a').c_str()), "");
    EXPECT_EQ(ExtractCmdLine(std::string(300, 'a').c_str()), nullptr);
}

}  // namespace
