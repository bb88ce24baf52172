// "Another program" for the window hook tests: a top-level window with a
// caption and two edit controls.  The message WM_APP + 1 makes it the
// foreground window with the focus in edit control 100 + wParam.  It ends
// when its window is closed, at the latest after a minute.
#include <windows.h>

namespace {
LRESULT CALLBACK procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_APP + 1:
        SetForegroundWindow(w);
        SetFocus(GetDlgItem(w, 100 + static_cast<int>(wp)));
        return 0;
    case WM_TIMER:
        DestroyWindow(w);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}
}  // namespace

int main() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZuOtherProgram";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "請求書 - エディタ", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 300,
                             300, 160, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 1;
    const char *texts[] = {"本文", "宛先"};
    for (int i = 0; i < 2; ++i)
        CreateWindowExA(0, "EDIT", texts[i], WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10 + 40 * i, 200, 24, w,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), wc.hInstance, nullptr);
    SetTimer(w, 1, 60000, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
