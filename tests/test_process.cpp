// Programs, redirected output, named mutexes across processes and the
// waits of ZUSTD.  Child processes are copies of zuchild; every wait on one
// is bounded, and a child that overstays is ended and the test fails.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <regex>
#include <string>
#include <thread>

#include "base/base.h"
#include "test_support.h"
#include "zustd.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

constexpr unsigned BOUND_MS = 20000;   // no child of these tests lives longer

std::string child_path() {
#ifdef _WIN32
    return zt::join(zt::bin_dir(), "zuchild.exe");
#else
    return zt::join(zt::bin_dir(), "zuchild");
#endif
}

std::string child(const std::string &args) { return "\"" + child_path() + "\" " + args; }

// A mutex name of this run only, so that runs side by side never meet.
std::string unique_name(const std::string &what) {
    static const std::string run = [] {
        std::random_device rd;
        return std::to_string(rd()) + std::to_string(rd());
    }();
    return "zutest-" + run + "-" + what;
}

// A marker path in a folder made empty for this test.
std::string mark(const std::string &name) {
    return zt::join(zt::fresh_dir(::testing::UnitTest::GetInstance()->current_test_info()->name()), name);
}

// Every mark a child leaves has a text; under Wine a file just renamed into
// place can read empty for a moment, so the wait is for its text.
bool wait_for_file(const std::string &path, unsigned ms = BOUND_MS) {
    for (unsigned waited = 0; waited < ms; waited += 10) {
        if (zt::exists(path) && !zt::read_file(path).empty()) return true;
        zp::sleep_ms(10);
    }
    return zt::exists(path) && !zt::read_file(path).empty();
}

// A running child; ended and reported as a failure when it overstays.
struct running {
    zp::process_info pi{nullptr, nullptr};
    explicit running(const std::string &args) {
        std::string cmd = child(args);
        EXPECT_TRUE(zp::create_process(cmd.c_str(), 0, &pi)) << cmd;
        if (pi.thread) zp::close_handle(pi.thread);
    }
    // Waits for the end; the exit code, or -1 when it had to be ended.
    int finish(unsigned ms = BOUND_MS) {
        if (!pi.process) return -1;
        int result = -1;
        if (zp::wait_handle(pi.process, ms) == zp::WAIT_SIGNALED) {
            unsigned code = 0;
            zp::exit_code(pi.process, &code);
            result = static_cast<int>(code);
        } else {
            ADD_FAILURE() << "child overstayed";
            zp::terminate_process(pi.process, 9);
            zp::wait_handle(pi.process, BOUND_MS);
        }
        zp::close_handle(pi.process);
        pi.process = nullptr;
        return result;
    }
    void kill() {
        ASSERT_TRUE(zp::terminate_process(pi.process, 9));
        ASSERT_EQ(zp::wait_handle(pi.process, BOUND_MS), zp::WAIT_SIGNALED);
    }
    ~running() {
        if (pi.process) finish();
    }
};

// The debug file of ZUSTD goes to this test's scratch folder.
struct debug_file_here {
    debug_file_here() { SetDebf(zt::join(zt::work_dir(), "zudebf.txt").c_str()); }
} g_debug_file_here;

std::string debug_text() { return zt::read_file(zt::join(zt::work_dir(), "zudebf.txt")); }

int g_callbacks = 0;
void count_callback() { ++g_callbacks; }

// ---- programs ------------------------------------------------------------------

TEST(Programs, ExitCodesOfTheWaitingStarts) {
    EXPECT_EQ(WaitCreateProcess(child("exit 7").c_str()), 7);
    EXPECT_EQ(WaitCreateProcess(child("exit 0").c_str()), 0);
    EXPECT_EQ(WaitCreateProcess16(child("exit 12").c_str()), 12);
    EXPECT_EQ(ZuCreateProcessShow(child("exit 5").c_str(), 0, 1), 5);
    g_callbacks = 0;
    EXPECT_EQ(WaitCreateProcessReturnProc(child("exit 9").c_str(), 0, count_callback), 9);
    EXPECT_EQ(g_callbacks, 0);  // one unlimited wait
    EXPECT_EQ(WaitCreateProcessReturnProc(child("sleep 400").c_str(), 50, count_callback), 0);
    EXPECT_GE(g_callbacks, 1);  // called between the slices
    // Not waiting: a success value only.
    EXPECT_NE(ZuCreateProcess(child("exit 3").c_str()), 0);
    EXPECT_NE(ZuCreateProcessShow(child("exit 3").c_str(), 1, 0), 0);
}

TEST(Programs, StartFailureReportsTheSystemCode) {
    std::string cmd = "\"" + zt::join(zt::work_dir(), "no-such-program") + "\" a";
    std::string expected = "error ZuCreateProcess00() zustd.dll cmd=" + cmd +
                           " error_code=2 error_message=" + GetLastError2Message(2);
    EXPECT_EQ(zt::report_of([&] { return WaitCreateProcess(cmd.c_str()); }), expected);
    EXPECT_EQ(zt::report_of([&] { return ZuCreateProcess(cmd.c_str()); }), expected);
    EXPECT_STREQ(ZuGetErrMsg(), expected.c_str());
}

TEST(Programs, CommandLineIsSplitAsTheWindowsRuntimeDoes) {
    std::string got = ZuCommandRedirect(child(R"(args "a b" c\"d e\\"f g" "" h\\i)").c_str());
    EXPECT_EQ(got, R"([a b][c"d][e\f g][][h\\i])");
#ifndef _WIN32
    // The second byte of 表 is a backslash: it escapes nothing.
    EXPECT_STREQ(ZuCommandRedirect(child(R"(args "表" x表)").c_str()), "[表][x表]");
#endif
}

TEST(Programs, SystemGivesTheCommandsExitStatus) {
    EXPECT_EQ(ZuSystem("exit 3"), 3);
    EXPECT_EQ(ZuSystem("exit 0"), 0);
}

// ---- redirected output ------------------------------------------------------------

TEST(Redirect, OutputThenTheErrorMarkerAndText) {
    EXPECT_STREQ(ZuCommandRedirect(child("streams out-text err-text").c_str()), "out-text[STDERR]err-text");
    EXPECT_STREQ(ZuCommandRedirect(child("streams only-out \"\"").c_str()), "only-out");
    EXPECT_STREQ(ZuCommandRedirect(child("exit 0").c_str()), "");
}

TEST(Redirect, ProgramsThatWriteMoreThanAPipeHoldsDoNotHang) {
    std::string out = ZuCommandRedirect(child("flood 1048576 0").c_str());
    EXPECT_EQ(out, std::string(8191, 'x'));
    std::string both = ZuCommandRedirect(child("flood 1048576 1048576").c_str());
    EXPECT_EQ(both, std::string(8191, 'x') + "[STDERR]" + std::string(8191, 'y'));
}

TEST(Redirect, ProgramThatDoesNotStartGivesTheEmptyText) {
    std::string cmd = "\"" + zt::join(zt::work_dir(), "no-such-program") + "\"";
    EXPECT_STREQ(ZuCommandRedirect(cmd.c_str()), "");
}

// ---- named mutexes ------------------------------------------------------------------

TEST(Mutex, SecondProcessLocksOnlyAfterTheFirstReleases) {
    std::string name = unique_name("order");
    std::string a = mark("order-a"), b = mark("order-b");
    running first("lock " + name + " \"" + a + "\" 700");
    ASSERT_TRUE(wait_for_file(a + ".locked"));
    running second("lock " + name + " \"" + b + "\" 0 \"" + a + ".releasing\"");
    EXPECT_EQ(first.finish(), 0);
    EXPECT_EQ(second.finish(), 0);
    EXPECT_EQ(zt::read_file(b + ".locked"), "after");
    EXPECT_EQ(IsExistMutex(name.c_str()), 0);
}

TEST(Mutex, CountersUnderTheLockLoseNoIncrement) {
    std::string name = unique_name("count");
    std::string file = mark("counter");
    zt::write_file(file, "0");
    {
        running a("count " + name + " \"" + file + "\" 150");
        running b("count " + name + " \"" + file + "\" 150");
        running c("count " + name + " \"" + file + "\" 150");
        EXPECT_EQ(a.finish(), 0);
        EXPECT_EQ(b.finish(), 0);
        EXPECT_EQ(c.finish(), 0);
    }
    EXPECT_EQ(zt::read_file(file), "450");
}

TEST(Mutex, KilledHolderReleasesTheLockAndTheName) {
    std::string name = unique_name("killed");
    std::string a = mark("killed-a"), b = mark("killed-b");
    running holder("lock " + name + " \"" + a + "\" 60000");
    ASSERT_TRUE(wait_for_file(a + ".locked"));
    EXPECT_EQ(IsExistMutex(name.c_str()), 1);
    holder.kill();
    running waiter("lock " + name + " \"" + b + "\" 0");
    EXPECT_EQ(waiter.finish(), 0);
    EXPECT_TRUE(zt::exists(b + ".locked"));
    EXPECT_FALSE(zt::exists(a + ".releasing"));
    EXPECT_EQ(IsExistMutex(name.c_str()), 0);
}

TEST(Mutex, LockIsReentrantForItsThreadWithANewHandlePerCall) {
    std::string name = unique_name("reenter");
    std::string m = mark("reenter");
    running r("reenter " + name + " \"" + m + "\"");
    EXPECT_EQ(r.finish(), 0);
    EXPECT_EQ(zt::read_file(m + ".result"), "distinct=1 end2=1 end1=1 end_again=0");

    // In this process: the handles keep the name; a release of a handle not
    // owned fails.
    void *h = MutexLockStart(name.c_str(), 0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(IsExistMutex(name.c_str()), 1);
    EXPECT_EQ(MutexLockEnd(h), 1);
    EXPECT_EQ(MutexLockEnd(h), 0);
    EXPECT_EQ(MutexLockEnd(nullptr), 0);
    // Another process gets it now.
    running other("lock " + name + " \"" + m + "-other\" 0");
    EXPECT_EQ(other.finish(), 0);
    ZuCheckDupProcessEnd(h);  // releases (not owned) and closes
    EXPECT_EQ(IsExistMutex(name.c_str()), 0);
}

TEST(Mutex, OtherThreadOfTheProcessWaitsForTheOwner) {
    std::string name = unique_name("thread");
    std::atomic<int> stage{0};
    std::thread owner([&] {
        void *h = MutexLockStart(name.c_str(), 0);
        stage = 1;
        zp::sleep_ms(300);
        stage = 2;
        MutexLockEnd(h);
        ZuCheckDupProcessEnd(h);
    });
    while (stage.load() == 0) zp::sleep_ms(5);
    void *h = MutexLockStart(name.c_str(), 0);
    EXPECT_EQ(stage.load(), 2);
    owner.join();
    EXPECT_EQ(MutexLockEnd(h), 1);
    ZuCheckDupProcessEnd(h);
}

TEST(DupGuard, SecondInstanceGetsNullWhileTheFirstHoldsItsHandle) {
    std::string name = unique_name("dup");
    EXPECT_EQ(IsExistMutex(name.c_str()), 0);
    void *h = ZuCheckDupProcessStart(name.c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(IsExistMutex(name.c_str()), 1);
    EXPECT_EQ(ZuCheckDupProcessStart(name.c_str()), nullptr);
    std::string m = mark("dup-1");
    running second("dup " + name + " \"" + m + "\" 0");
    EXPECT_EQ(second.finish(), 0);
    EXPECT_EQ(zt::read_file(m + ".result"), "null");
    EXPECT_EQ(ZuCheckDupProcessEnd(h), 0);
    EXPECT_EQ(IsExistMutex(name.c_str()), 0);
    std::string m2 = mark("dup-2");
    running third("dup " + name + " \"" + m2 + "\" 0");
    EXPECT_EQ(third.finish(), 0);
    EXPECT_EQ(zt::read_file(m2 + ".result"), "handle");
    EXPECT_EQ(zt::report_of([] { return ZuCheckDupProcessEnd(nullptr); }), "Error ZuCheckDupProcessEnd");
    // Bad handles are refused, not followed.
    int junk = 0;
    EXPECT_EQ(MutexLockEnd(&junk), 0);
}

// The wait below ends only when the name is gone: past the bound, the
// callback ends the holder so that it does.
running *g_holder = nullptr;
bool g_bound_hit = false;
long g_wait_start = 0;
void bounded_callback() {
    ++g_callbacks;
    if (!g_bound_hit && zp::clock_ms() - g_wait_start > static_cast<long>(BOUND_MS)) {
        g_bound_hit = true;
        zp::terminate_process(g_holder->pi.process, 9);
    }
}

TEST(WaitMutexQuit, ReturnsOnceTheOtherProcessClosesItsHandle) {
    std::string name = unique_name("quit");
    std::string m = mark("quit");
    running holder("dup " + name + " \"" + m + "\" 600");
    ASSERT_TRUE(wait_for_file(m + ".result"));
    ASSERT_EQ(zt::read_file(m + ".result"), "handle");
    // Present: returns at once.
    g_callbacks = 0;
    EXPECT_EQ(WaitMutexQuit(name.c_str(), 0, count_callback, 50, 0), 0);
    EXPECT_EQ(g_callbacks, 0);
    g_holder = &holder;
    g_bound_hit = false;
    g_wait_start = zp::clock_ms();
    EXPECT_EQ(WaitMutexQuit(name.c_str(), 1, bounded_callback, 50, 0), 0);
    EXPECT_FALSE(g_bound_hit);
    EXPECT_GE(g_callbacks, 1);
    EXPECT_TRUE(zt::exists(m + ".closing"));
    EXPECT_EQ(IsExistMutex(name.c_str()), 0);
    EXPECT_EQ(holder.finish(), 0);
    g_holder = nullptr;
}

// ---- waits and timing -------------------------------------------------------------

TEST(Waits, SleepLastsItsIntervalAndTracesItsStart) {
    MSecTimerStart();
    EXPECT_EQ(zuSleep(300, "trace-text"), 0);
    int passed = MSecTimerEnd();
    EXPECT_GE(passed, 290);
    EXPECT_LT(passed, 10000);
    std::string text = debug_text();
    std::regex start(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d zuSleep\(  300\) timer_id=[0-9A-F]{8} trace-text\r\n)");
    EXPECT_TRUE(std::regex_search(text, start)) << text;
    EXPECT_EQ(zuApplicationProcessMessages(0), 0);
    EXPECT_EQ(zuSleep(0, nullptr), 0);
}

TEST(Waits, WindowAndShellFunctionsWithoutAMatch) {
    EXPECT_EQ(WaitProcessQuit("zutest-no-such-window-class"), 0);
    EXPECT_EQ(WaitProcessQuit(nullptr), 0);
    EXPECT_EQ(ZuExecuteExt(zt::join(zt::work_dir(), "no-such-document.zzq").c_str(), 1), 1);
#ifndef _WIN32
    EXPECT_EQ(SetAbsoluteForegroundWindow2(nullptr), 0);
#endif
}

#ifdef _WIN32
// ---- the message loops on Windows ----------------------------------------------------

struct window_state {
    int timer_ticks = 0;
    int user_messages = 0;
    bool quit_on_tick = false;
    bool net_hit = false;
    // Nesting: each tick up to `nest_to` sleeps once more from the handler.
    int nest_to = 0;
    int depth = 0;
    int deepest = 0;
    int ended = 0;
    unsigned nested_ms = 0;
    long inner_started = 0;
    long inner_passed = 0;
} g_win;

constexpr UINT_PTR TICK = 1, NET = 2;

LRESULT CALLBACK test_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == NET) {
        g_win.net_hit = true;
        KillTimer(hwnd, NET);
        PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_TIMER && wp == TICK) {
        ++g_win.timer_ticks;
        if (g_win.quit_on_tick) {
            g_win.quit_on_tick = false;
            KillTimer(hwnd, TICK);
            PostQuitMessage(0);
        } else if (g_win.depth < g_win.nest_to) {
            if (g_win.depth + 1 == g_win.nest_to) KillTimer(hwnd, TICK);
            int level = ++g_win.depth;
            if (level > g_win.deepest) g_win.deepest = level;
            long start = zp::clock_ms();
            zuSleep(g_win.nested_ms, "nested");
            if (level == 1) g_win.inner_passed = zp::clock_ms() - start;
            --g_win.depth;
            ++g_win.ended;
        }
        return 0;
    }
    if (msg == WM_USER + 1) {
        ++g_win.user_messages;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND make_window() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = test_window_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZuTestWindow";
        RegisterClassA(&wc);
        registered = true;
    }
    g_win = window_state{};
    return CreateWindowA("ZuTestWindow", "zutest", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST(WindowsLoops, SleepKeepsTheWindowServed) {
    HWND w = make_window();
    ASSERT_NE(w, nullptr);
    SetTimer(w, TICK, 50, nullptr);
    SetTimer(w, NET, 10000, nullptr);
    PostMessageA(w, WM_USER + 1, 0, 0);
    long start = zp::clock_ms();
    EXPECT_EQ(zuSleep(500, nullptr), 0);
    long passed = zp::clock_ms() - start;
    KillTimer(w, TICK);
    KillTimer(w, NET);
    EXPECT_FALSE(g_win.net_hit);
    EXPECT_GE(passed, 450);
    EXPECT_GE(g_win.timer_ticks, 3);
    EXPECT_EQ(g_win.user_messages, 1);
    DestroyWindow(w);
}

TEST(WindowsLoops, QuitMessageEndsTheSleepEarly) {
    HWND w = make_window();
    ASSERT_NE(w, nullptr);
    g_win.quit_on_tick = true;
    SetTimer(w, TICK, 100, nullptr);
    long start = zp::clock_ms();
    EXPECT_EQ(zuSleep(5000, nullptr), 0);
    EXPECT_LT(zp::clock_ms() - start, 4000);
    // Its slot was given back: ten more sleeps still end.
    for (int i = 0; i < 11; ++i) EXPECT_EQ(zuSleep(10, nullptr), 0);
    DestroyWindow(w);
}

TEST(WindowsLoops, NestedSleepEndsAfterItsOwnIntervalAndTheOuterOneStillEnds) {
    HWND w = make_window();
    ASSERT_NE(w, nullptr);
    g_win.nest_to = 1;
    g_win.nested_ms = 400;
    SetTimer(w, TICK, 30, nullptr);
    SetTimer(w, NET, 10000, nullptr);
    long start = zp::clock_ms();
    EXPECT_EQ(zuSleep(100, "outer"), 0);  // ends inside the nested sleep
    long passed = zp::clock_ms() - start;
    KillTimer(w, NET);
    EXPECT_FALSE(g_win.net_hit);
    EXPECT_EQ(g_win.ended, 1);
    EXPECT_GE(g_win.inner_passed, 390);
    EXPECT_GE(passed, 390);
    DestroyWindow(w);
}

TEST(WindowsLoops, TwelveNestedSleepsAllEnd) {
    HWND w = make_window();
    ASSERT_NE(w, nullptr);
    g_win.nest_to = 12;
    g_win.nested_ms = 300;
    SetTimer(w, TICK, 20, nullptr);
    SetTimer(w, NET, 15000, nullptr);
    EXPECT_EQ(zuSleep(100, nullptr), 0);
    KillTimer(w, NET);
    EXPECT_FALSE(g_win.net_hit);
    EXPECT_EQ(g_win.deepest, 12);
    EXPECT_EQ(g_win.ended, 12);
    DestroyWindow(w);
}

TEST(WindowsLoops, TraceLinesReachTheDebugFile) {
    EXPECT_EQ(zuSleep(50, "tr-sleep"), 0);
    std::string text = debug_text();
    std::smatch m;
    std::regex start(R"(zuSleep\(   50\) timer_id=([0-9A-F]{8}) tr-sleep\r\n)");
    ASSERT_TRUE(std::regex_search(text, m, start)) << text;
    std::regex seen(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d +\d+\) hwnd=00000000 message=00000113 wParam=)" +
                    m[1].str() + R"( lParam=[0-9A-F]{8} timer_id=)" + m[1].str() + R"( tr-sleep zuSleep_01\(\)\r\n)");
    EXPECT_TRUE(std::regex_search(text, seen)) << text;

    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 5, 7, 9);
    EXPECT_EQ(zuApplicationProcessMessages(1), 0);
    std::regex pumped(R"( +\d+\) hwnd:00000000  message:00000405  wParam:00000007  lParam:00000009\r\n)");
    EXPECT_TRUE(std::regex_search(debug_text(), pumped)) << debug_text();
}
#endif

}  // namespace
