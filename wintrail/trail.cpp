// The last active window of other programs: a window-call hook that runs in
// every process of the desktop and records, in a record all of them share,
// the top-level window that lost the focus, its focused child and their
// captions.
#include "base/base.h"
#include "wintrail.h"
#include "wintrail/trail.h"

namespace {

constexpr unsigned MSG_KILLFOCUS = 0x0008;
constexpr int HOOK_ACTION = 0;

// One copy in the image, in a section every process that loads the image
// shares.  Written without a lock by the hook in any of them.
struct shared_record {
    void *hook;
    void *last_window;
    void *last_child;
    void *excluded;
    void *instance;
    void *application;
    char window_caption[256];
    char child_caption[256];
    char combined[1024];
};

shared_record g_shared __attribute__((section(".shared"), shared)) = {};

char g_window_text[1024];

void on_window_call(int code, void *window, unsigned message) {
    if (code != HOOK_ACTION) return;
    void *root = window;
    while (void *parent = zp::parent_window(root)) root = parent;
    if (root == g_shared.application || root == g_shared.excluded || message != MSG_KILLFOCUS) return;
    g_shared.last_child = window;
    if (void *focus = zp::focus_window()) g_shared.last_child = focus;
    zp::window_text(g_shared.last_child, g_shared.child_caption, sizeof g_shared.child_caption);
    g_shared.last_window = root;
    zp::window_text(root, g_shared.window_caption, sizeof g_shared.window_caption);
}

}  // namespace

void wintrail_attach(void *instance) {
    g_shared.instance = instance;
    zp::route_window_calls(on_window_call, &g_shared.hook);
}

ZU_API void *ZU_CALL sethook(void *window) {
    g_shared.excluded = window;
    g_shared.application = zp::find_window("TApplication");
    if (!g_shared.application) {
        zu_msgbox("not find Delphi TApplication");
        return nullptr;
    }
    if (!g_shared.instance) {
        zu_msgbox("nul");
        return nullptr;
    }
    void *installed = nullptr;
    if (!g_shared.hook) installed = g_shared.hook = zp::install_window_call_hook(g_shared.instance);
    if (!g_shared.hook) zu_msgbox("hHookWnd nul");
    return installed;
}

ZU_API int freehook(void) {
    int result = zp::remove_window_hook(g_shared.hook);
    g_shared.hook = nullptr;
    return result;
}

ZU_API void *GetLastActiveWindow(void) { return g_shared.last_window; }

ZU_API void *GetLastActiveWindowChild(void) { return g_shared.last_child; }

ZU_API const char *GetLastActiveWindowCaption(void) {
    // The captions may be rewritten by another process meanwhile: never read
    // past their buffers.
    zu_format(g_shared.combined, sizeof g_shared.combined, "%.255s [%.255s]", g_shared.window_caption,
              g_shared.child_caption);
    return g_shared.combined;
}

ZU_API const char *ZU_CALL ZuGetWindowText(void *window) {
    zp::window_text(window, g_window_text, sizeof g_window_text);
    return g_window_text;
}
