// System queries and small helpers of ZUSTD.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

namespace {

std::string text_of(const char *t) { return t ? t : "(null)"; }

#ifdef _WIN32
bool seen_box(const char *text) {
    auto boxes = zt::boxes_seen();
    return std::find(boxes.begin(), boxes.end(), text) != boxes.end();
}
#endif

// The stamp's number and the rest.
unsigned stamp_number(const std::string &s) { return static_cast<unsigned>(std::atoi(s.c_str() + s.size() - 3)); }
std::string stamp_second(const std::string &s) { return s.substr(0, s.size() - 4); }

TEST(SystemQuery, DateAndTimeTexts) {
    std::string first = ZuGetMTime();  // the first stamp of the process
    ASSERT_EQ(first.size(), 23u) << first;
    EXPECT_EQ(first.substr(first.size() - 4), ".000");
    // Three stamps within one second count on; a new second starts at 000.
    std::string a, b, c;
    do {
        a = ZuGetMTime(), b = ZuGetMTime(), c = ZuGetMTime();
    } while (stamp_second(a) != stamp_second(c));
    EXPECT_EQ(stamp_number(b), stamp_number(a) + 1);
    EXPECT_EQ(stamp_number(c), stamp_number(a) + 2);
    std::string now = ZuGetTime();
    while (now == ZuGetTime()) {
    }
    std::string d = ZuGetMTime(), e = ZuGetMTime();
    if (stamp_second(d) == stamp_second(e)) {
        EXPECT_EQ(stamp_number(d), 0u) << d;
        EXPECT_EQ(stamp_number(e), 1u) << e;
    }
    std::string date = ZuGetDate(), time = ZuGetTime();
    EXPECT_TRUE(date.size() == 10 && date[4] == '/' && date[7] == '/') << date;
    EXPECT_TRUE(time.size() == 8 && time[2] == ':' && time[5] == ':') << time;
    // The clock is never moved: only a time the system refuses.
    ZuSystemTime bad = {2011, 13, 0, 40, 25, 61, 61, 0};
    EXPECT_EQ(ZuSetDateTime(bad), 0);
}

TEST(SystemQuery, DaysAndDates) {
    EXPECT_EQ(DOWeek("月曜日"), 2);
    EXPECT_EQ(DOWeek("土"), 7);
    EXPECT_EQ(DOWeek("Monday"), 0);
    EXPECT_EQ(DOWeek6("大安吉日"), 4);
    EXPECT_EQ(DOWeek6("赤口"), 5);
    EXPECT_EQ(DOWeek6("xyz"), 0);
    char out[64];
    int *r = ZuDateTimeStringSeparate("YYYY/MM/DD", "2011/05/03", "/", ":", " ", out);
    EXPECT_STREQ(out, "2011/05/03 00:00:00");
    EXPECT_EQ(r[0], 2011);
    EXPECT_EQ(r[1], 5);
    EXPECT_EQ(r[2], 3);
    r = ZuDateTimeStringSeparate("J/MM/DD hh:nn:ss", "H23/05/03 12:34:56", "-", ".", "T", out);
    EXPECT_EQ(r[0], 2011);
    EXPECT_STREQ(out, "2011-05-03T12.34.56");
    // Letters take digits only; other format characters skip one.
    r = ZuDateTimeStringSeparate("YYxYY", "20x1a", "/", ":", " ", nullptr);
    EXPECT_EQ(r[0], 201);
}

TEST(SystemQuery, NumbersAndNames) {
    EXPECT_EQ(Round(2.5), 3);
    EXPECT_EQ(Round(-2.5), -3);
    EXPECT_EQ(Round(2.49), 2);
    EXPECT_EQ(Round(-0.4), 0);
    for (int i = 0; i < 200; ++i) {
        int v = ZuRand(6, i == 0);
        EXPECT_TRUE(v >= 1 && v <= 6) << v;
    }
#ifndef _WIN32
    // One C library shared with the test: the raw number, then the table
    // entry it picks (the table is the generator's output from state 1).
    std::srand(7);
    int raw = std::rand();
    std::srand(7);
    EXPECT_EQ(ZuRand(0, 0), raw);
    unsigned state = 1, entry = 0;
    for (unsigned i = 0; i <= static_cast<unsigned>(raw) % 16384; ++i) {
        state = state * 214013u + 2531011u;
        entry = (state >> 16) & 0x7FFF;
    }
    std::srand(7);
    EXPECT_EQ(ZuRand(32768, 0), static_cast<int>(entry) + 1);
    std::srand(1);
#endif
    EXPECT_EQ(SurFirstComp("山田 太郎", "山田 花子"), 0);
    EXPECT_EQ(SurFirstComp("山田 太郎", "田中 太郎"), 0);
    EXPECT_EQ(SurFirstComp("山田 太郎", "田中 花子"), 1);
    EXPECT_EQ(SurFirstComp("  山田   太郎 ", "田中 太郎"), 0);
    char *a, *b, *c, *d;
    EXPECT_EQ(ZuTemp01("12-34-56 ABC", &a, &b, &c, &d), 1);
    EXPECT_EQ(text_of(a) + "|" + text_of(b) + "|" + text_of(c) + "|" + text_of(d), "12|34|56|ABC");
    EXPECT_EQ(ZuTemp01("x-yA/BCz", &a, &b, &c, &d), 1);
    EXPECT_EQ(text_of(a) + "|" + text_of(b) + "|" + text_of(c) + "|" + text_of(d), "x||(null)|A/BCz");
    EXPECT_EQ(ZuTemp01("", &a, &b, &c, &d), 0);
    EXPECT_TRUE(!a && !b && !c && !d);
}

TEST(SystemQuery, KeysAndNetworkTexts) {
    EXPECT_EQ(CreateKeyboardNameTable(), 0);
    EXPECT_EQ(text_of(GetKeyboardName(13)), "VK_RETURN");
    EXPECT_EQ(text_of(GetKeyboardName(21)), "VK_HANGUL");
    EXPECT_EQ(text_of(GetKeyboardName(25)), "VK_KANJI");
    EXPECT_EQ(text_of(GetKeyboardName(0x87)), "VK_F24");
    EXPECT_EQ(text_of(GetKeyboardName(0xFE)), "VK_OEM_CLEAR");
    EXPECT_EQ(GetKeyboardName(65), nullptr);
    EXPECT_EQ(GetKeyboardName(256), nullptr);
    int named = 0;
    for (unsigned k = 0; k < 256; ++k) named += GetKeyboardName(k) != nullptr;
    EXPECT_EQ(named, 99);  // 101 names, two codes named twice
    EXPECT_EQ(text_of(GetNetUseErrorString(9999)), "error code = 9999 ");
    EXPECT_EQ(text_of(GetNetUseErrorString(86)), " 指定したパスワードが無効です。 ");
}

// What the machine gives: a result of the right form or the failure path.
TEST(SystemQuery, MachineQueries) {
    EXPECT_EQ(zt::report_of([] { zuSetMasterVolume(0, 70000); }),
              "ボリューム値は0からUSHRT_MAXにして下さい zuSetMasterVolume");
    EXPECT_EQ(zt::report_of([] { zuSetMasterVolume(0, -1); }),
              "ボリューム値は0からUSHRT_MAXにして下さい zuSetMasterVolume");
    EXPECT_EQ(zuGetMasterVolume(99), -1);
#ifdef _WIN32
    EXPECT_TRUE(seen_box("mixerGetDevCaps"));
#endif
    int volume = zuGetMasterVolume(0);
    if (volume == -1) {
#ifdef _WIN32
        EXPECT_TRUE(seen_box("mixerGetDevCaps") || seen_box("mixerOpen") || seen_box("mixerGetLineControls") ||
                    seen_box("mixerGetControlDetails"));
#endif
    } else {
        EXPECT_TRUE(volume >= 0 && volume <= 65535) << volume;
        EXPECT_EQ(zuSetMasterVolume(0, volume), 1);  // the same volume again
    }
    int mute = -1;
    std::string mute_report = zt::report_of([&] { mute = zuGetMasterMute(0); });
#ifndef _WIN32
    EXPECT_EQ(mute_report, "mixerOpen");
#endif
    if (mute_report == "(none)") {
        EXPECT_TRUE(mute == 0 || mute == 1);
        int set = -1;
        EXPECT_EQ(zt::report_of([&] { set = zuSetMasterMute(0, mute); }), "(none)");
        EXPECT_TRUE(set == 0 || set == 1);
    } else {
        EXPECT_EQ(mute_report, "mixerOpen");
        EXPECT_EQ(zt::report_of([] { zuSetMasterMute(0, 0); }), "mixerOpen");
    }
    for (const char *mac : {GetMacAddress(), zu_call([] { return GetMacAddressByIpConfig(); })}) {
        if (!mac) continue;
        std::string m = mac;
        EXPECT_EQ(m.size(), 12u) << m;
        EXPECT_TRUE(std::all_of(m.begin(), m.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            << m;
    }
    if (const char *mac = GetMacAddress()) {
        EXPECT_TRUE(std::all_of(mac, mac + 12, [](char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'); }));
    }
    const char *ime = nullptr;
    EXPECT_EQ(zt::report_of([&] { ime = zuImmGetCompositionString(0); }), "(none)");
    ASSERT_NE(ime, nullptr);
#ifndef _WIN32
    EXPECT_STREQ(ime, "");
#endif
    unsigned platform = 99, major = 0, minor = 0, build = 0;
    char pack[128] = "?";
    EXPECT_EQ(zuGetWindowsVersion(&platform, &major, &minor, &build, pack), 0u);
    EXPECT_EQ(zuGetWindowsVersion(nullptr, nullptr, nullptr, nullptr, nullptr), 0u);
#ifdef _WIN32
    EXPECT_EQ(platform, 2u);
    EXPECT_GE(major, 5u);
#else
    EXPECT_EQ(platform, 0u);
    EXPECT_GE(major, 2u);
    EXPECT_EQ(std::string(pack).rfind("Linux ", 0), 0u) << pack;
#endif
    EXPECT_EQ(sethook(nullptr), nullptr);
    EXPECT_EQ(freehook(), 0);
}

}  // namespace
