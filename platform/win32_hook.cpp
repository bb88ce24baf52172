// The window-call hook and window queries on Windows: the real APIs.
#include "platform/platform.h"

#include <windows.h>

namespace zp {

namespace {
// Set in every process that loads the module, when it is loaded.
window_call_routine g_routine = nullptr;
void *const *g_hook = nullptr;

LRESULT CALLBACK window_call_hook(int code, WPARAM wparam, LPARAM lparam) {
    if (g_routine && lparam) {
        const CWPSTRUCT *call = reinterpret_cast<const CWPSTRUCT *>(lparam);
        g_routine(code, call->hwnd, call->message);
    }
    return ::CallNextHookEx(g_hook ? static_cast<HHOOK>(*g_hook) : nullptr, code, wparam, lparam);
}
}  // namespace

void route_window_calls(window_call_routine routine, void *const *hook) {
    g_routine = routine;
    g_hook = hook;
}

void *install_window_call_hook(void *instance) {
    return ::SetWindowsHookExA(WH_CALLWNDPROC, window_call_hook, static_cast<HINSTANCE>(instance), 0);
}

int remove_window_hook(void *hook) { return ::UnhookWindowsHookEx(static_cast<HHOOK>(hook)); }

void *find_window(const char *class_name) { return ::FindWindowA(class_name, nullptr); }

void *parent_window(void *window) { return ::GetParent(static_cast<HWND>(window)); }

void *focus_window() { return ::GetFocus(); }

int window_text(void *window, char *buf, int size) {
    if (!buf || size <= 0) return 0;
    buf[0] = '\0';
    int n = ::GetWindowTextA(static_cast<HWND>(window), buf, size);
    if (n < 0 || n >= size) n = 0;
    buf[n] = '\0';
    return n;
}

}  // namespace zp
