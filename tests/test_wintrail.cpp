// Wintrail across two processes: this program is the application (it owns
// the "TApplication" window and calls sethook), zuother is another program
// whose window and edit controls lose the focus to it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "test_support.h"
#include "wintrail.h"

namespace {

constexpr UINT MSG_FOCUS = WM_APP + 1;

// Pumps this thread's messages until `done` holds or `ms` have passed.
template <class F>
bool wait_for(F done, int ms = 5000) {
    for (int waited = 0;; waited += 20) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (done()) return true;
        if (waited >= ms) return false;
        Sleep(20);
    }
}

bool seen_box(const char *text) {
    return wait_for([&] {
        auto boxes = zt::boxes_seen();
        return std::find(boxes.begin(), boxes.end(), text) != boxes.end();
    }, 2000);
}

void register_class(const char *name) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

HWND make(const char *cls, const char *text, DWORD style, HWND parent, int id = 0) {
    return CreateWindowExA(0, cls, text, style, 30, 30 + 40 * id, 200, 24, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
}

struct other_program {
    PROCESS_INFORMATION pi = {};
    HWND window = nullptr, edits[2] = {};

    other_program() {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string cmd = "\"" + zt::join(zt::bin_dir(), "zuother.exe") + "\"";
        if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
        wait_for([&] {
            window = FindWindowA("ZuOtherProgram", nullptr);
            for (int i = 0; i < 2; ++i) edits[i] = GetDlgItem(window, 100 + i);
            return edits[1] != nullptr;
        });
    }
    ~other_program() {
        if (window) PostMessageA(window, WM_CLOSE, 0, 0);
        if (pi.hProcess) {
            if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
    // The user works in edit control `i` of the other program.
    bool work_in(int i) {
        PostMessageA(window, MSG_FOCUS, i, 0);
        return wait_for([&] { return GetForegroundWindow() == window; });
    }
};

class Trail : public ::testing::Test {
protected:
    void SetUp() override {
        register_class("ZuTrailForm");
        ASSERT_TRUE(other.edits[1]);
        form = CreateWindowExA(0, "ZuTrailForm", "Application", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        form_edit = make("EDIT", "form", WS_CHILD | WS_VISIBLE, form, 1);
    }
    void TearDown() override {
        freehook();
        for (HWND w : {dialog, form, application})
            if (w) DestroyWindow(w);
    }
    // The framework's hidden application window, and a pop-up it owns.
    void start_application() {
        register_class("TApplication");
        application = CreateWindowExA(0, "TApplication", "Project1", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                      GetModuleHandleA(nullptr), nullptr);
        dialog = CreateWindowExA(0, "ZuTrailForm", "Dialog", WS_POPUP | WS_VISIBLE, 60, 260, 220, 80, application,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        dialog_edit = make("EDIT", "dialog", WS_CHILD | WS_VISIBLE, dialog, 0);
    }
    // The user switches from the other program to the application.
    void back_to(HWND top, HWND child) {
        SetForegroundWindow(top);
        SetFocus(child);
        wait_for([&] { return GetForegroundWindow() == top && GetFocus() == child; });
    }
    bool recorded(HWND window, HWND child, int ms = 5000) {
        return wait_for([&] { return GetLastActiveWindow() == window && GetLastActiveWindowChild() == child; }, ms);
    }

    other_program other;
    HWND application = nullptr, form = nullptr, form_edit = nullptr, dialog = nullptr, dialog_edit = nullptr;
};

TEST_F(Trail, RecordsTheOtherProgramsWindowAcrossProcesses) {
    // Without the framework's window nothing is installed.
    EXPECT_EQ(sethook(form), nullptr);
    EXPECT_TRUE(seen_box("not find Delphi TApplication"));
    ASSERT_TRUE(other.work_in(0));
    back_to(form, form_edit);
    EXPECT_FALSE(recorded(other.window, other.edits[0], 1000));

    start_application();
    EXPECT_NE(sethook(form), nullptr);
    EXPECT_EQ(sethook(form), nullptr);  // hooked already: nothing new
    ASSERT_TRUE(other.work_in(0));
    back_to(form, form_edit);
    ASSERT_TRUE(recorded(other.window, other.edits[0]));
    EXPECT_STREQ(GetLastActiveWindowCaption(), "請求書 - エディタ [本文]");

    // Focus moving inside the application, also through the pop-up that the
    // application window owns, records nothing.
    back_to(dialog, dialog_edit);
    back_to(form, form_edit);
    EXPECT_TRUE(recorded(other.window, other.edits[0], 1000));
    EXPECT_STREQ(GetLastActiveWindowCaption(), "請求書 - エディタ [本文]");

    // Unhooked nothing is recorded; hooked again it is.
    EXPECT_NE(freehook(), 0);
    ASSERT_TRUE(other.work_in(1));
    back_to(form, form_edit);
    EXPECT_FALSE(recorded(other.window, other.edits[1], 1000));
    EXPECT_NE(sethook(form), nullptr);
    ASSERT_TRUE(other.work_in(1));
    back_to(form, form_edit);
    ASSERT_TRUE(recorded(other.window, other.edits[1]));
    EXPECT_STREQ(GetLastActiveWindowCaption(), "請求書 - エディタ [宛先]");
    EXPECT_STREQ(ZuGetWindowText(other.window), "請求書 - エディタ");
}

TEST(WindowText, AnyWindowsTextOrEmpty) {
    HWND w = CreateWindowExA(0, "STATIC", std::string(1500, 'x').c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(std::string(ZuGetWindowText(w)), std::string(1023, 'x'));
    DestroyWindow(w);
}

}  // namespace
