// The file operations compiled into the test with the error routine set to
// return: after a report that does not end the call, no path buffer is
// written past and the call gives its neutral result.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

struct Returning : ::testing::Test {
    void SetUp() override { err_throw = 0; }
    void TearDown() override { err_throw = 1; }
};

TEST_F(Returning, PathBuffersHold) {
    struct {
        char out[260];
        char guard[16];
    } b;
    std::memset(&b, '#', sizeof b);
    FileNameUpDown("A1.TXT", b.out, 1, 5000);
    EXPECT_EQ(std::strlen(b.out), 259u);
    FileNameUpDown((std::string(250, 'N') + "12345678.TXT").c_str(), b.out, 1, 0);
    EXPECT_EQ(std::string(b.guard, sizeof b.guard), std::string(16, '#'));
    EXPECT_EQ(GetFileNameSequence((std::string(255, 'L') + ".TXT").c_str()), nullptr);
    EXPECT_EQ(DirectoryExists(std::string(400, 'd').c_str()), 0);
    int start = 7, end = 7;
    EXPECT_EQ(RtvFileNameDigit(std::string(400, '9').c_str(), &start, &end), -1);
    EXPECT_EQ(start + end, 0);
    std::string root = zt::fresh_dir("deep");
    EXPECT_EQ(ZuSeekDir(root.c_str(), std::string(300, 'p').c_str(), nullptr), 0);
    EXPECT_EQ(ZuSeekDriveNotUnderFolder(std::string(300, 'p').c_str(), nullptr), nullptr);
    EXPECT_EQ(ZuSeekDir("relative", "*", nullptr), 0);
}

}  // namespace
