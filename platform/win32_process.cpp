// Processes, named mutexes, waits and the message queue on Windows: the
// real APIs.
#include "platform/platform.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace zp {

namespace {
std::vector<char> writable(const char *text) {
    std::string s = text ? text : "";
    return std::vector<char>(s.c_str(), s.c_str() + s.size() + 1);
}
}  // namespace

bool close_handle(os_handle h) { return ::CloseHandle(h) != 0; }

unsigned wait_handle(os_handle h, unsigned ms) { return ::WaitForSingleObject(h, ms); }

bool create_process(const char *command_line, int show_mode, process_info *info) {
    // CreateProcessA may write into the command line: a copy of our own.
    std::vector<char> cmd = writable(command_line);
    std::vector<char> title(cmd);
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.lpTitle = title.data();
    si.dwX = 100;   // filled in, not flagged
    si.dwY = 100;
    si.dwXSize = 300;
    si.dwYSize = 300;
    si.dwFlags = STARTF_USESIZE | STARTF_USESHOWWINDOW;
    si.wShowWindow = static_cast<WORD>(show_mode);
    PROCESS_INFORMATION pi;
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return false;
    info->process = pi.hProcess;
    info->thread = pi.hThread;
    return true;
}

bool exit_code(os_handle process, unsigned *code) {
    DWORD c = 0;
    if (!::GetExitCodeProcess(process, &c)) return false;
    *code = c;
    return true;
}

bool terminate_process(os_handle process, unsigned code) { return ::TerminateProcess(process, code) != 0; }

namespace {
// Read what a pipe holds now without blocking; keep up to `size` bytes.
bool drain(HANDLE pipe, char *buf, unsigned size, unsigned *len) {
    bool got = false;
    for (;;) {
        DWORD avail = 0;
        if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &avail, nullptr) || avail == 0) return got;
        char chunk[4096];
        DWORD want = avail < sizeof chunk ? avail : sizeof chunk;
        DWORD n = 0;
        if (!::ReadFile(pipe, chunk, want, &n, nullptr) || n == 0) return got;
        got = true;
        unsigned keep = *len < size ? size - *len : 0;
        if (keep > n) keep = n;
        std::memcpy(buf + *len, chunk, keep);
        *len += keep;
    }
}
}  // namespace

bool run_redirected(const char *command_line, char *out, unsigned out_size, unsigned *out_len, char *err,
                    unsigned err_size, unsigned *err_len) {
    *out_len = *err_len = 0;
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE in_r = nullptr, in_w = nullptr, out_r = nullptr, out_w = nullptr, err_r = nullptr, err_w = nullptr;
    auto close_all = [&] {
        for (HANDLE h : {in_r, in_w, out_r, out_w, err_r, err_w})
            if (h) ::CloseHandle(h);
    };
    if (!::CreatePipe(&in_r, &in_w, &sa, 8192) || !::CreatePipe(&out_r, &out_w, &sa, 0) ||
        !::CreatePipe(&err_r, &err_w, &sa, 0)) {
        DWORD code = ::GetLastError();
        close_all();
        ::SetLastError(code);
        return false;
    }
    // Our ends stay with us.
    ::SetHandleInformation(in_w, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(out_r, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(err_r, HANDLE_FLAG_INHERIT, 0);

    std::vector<char> cmd = writable(command_line);
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = in_r;
    si.hStdOutput = out_w;
    si.hStdError = err_w;
    PROCESS_INFORMATION pi;
    if (!::CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        DWORD code = ::GetLastError();
        close_all();
        ::SetLastError(code);
        return false;
    }
    ::CloseHandle(pi.hThread);
    // The child's ends are the child's now.
    ::CloseHandle(in_r);
    ::CloseHandle(out_w);
    ::CloseHandle(err_w);
    in_r = out_w = err_w = nullptr;

    ::WaitForInputIdle(pi.hProcess, 1000);
    ::CloseHandle(in_w);  // the program sees the end of its input
    in_w = nullptr;

    // Read both outputs while the program runs, so that it never blocks on a
    // full pipe; once it has ended, take what is left.
    for (;;) {
        bool ended = ::WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
        bool got = drain(out_r, out, out_size, out_len);
        got = drain(err_r, err, err_size, err_len) || got;
        if (ended) break;
        if (!got) ::WaitForSingleObject(pi.hProcess, 10);
    }
    ::CloseHandle(pi.hProcess);
    close_all();
    return true;
}

int run_shell(const char *command) { return std::system(command); }

int shell_open(const char *file, int show_mode) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(nullptr, nullptr, file, nullptr, nullptr, show_mode)));
}

os_handle mutex_create(const char *name, bool initial_owner) {
    ::SetLastError(ERROR_SUCCESS);
    return ::CreateMutexA(nullptr, initial_owner ? TRUE : FALSE, name && *name ? name : nullptr);
}

os_handle mutex_open(const char *name) { return ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name); }

bool mutex_release(os_handle h) { return ::ReleaseMutex(h) != 0; }

// ---- the message queue ------------------------------------------------------------

namespace {
static_assert(sizeof(MSG) <= sizeof(message::raw), "message record too small");

void fill(message *m, const MSG &msg) {
    std::memcpy(m->raw, &msg, sizeof msg);
    m->window = msg.hwnd;
    m->id = msg.message;
    m->wparam = msg.wParam;
    m->lparam = msg.lParam;
}

// The routines of the running thread timers, by identifier.
std::map<UINT_PTR, timer_routine> g_timer_routines;

VOID CALLBACK run_timer_routine(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = g_timer_routines.find(id);
    if (it == g_timer_routines.end()) return;
    timer_routine routine = it->second;
    routine(id);
}
}  // namespace

bool peek_message(message *m) {
    MSG msg;
    if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    fill(m, msg);
    return true;
}

int get_message(message *m) {
    MSG msg;
    BOOL r = ::GetMessageA(&msg, nullptr, 0, 0);
    if (r == -1) return -1;
    fill(m, msg);
    return r ? 1 : 0;
}

void dispatch_message(const message *m) {
    MSG msg;
    std::memcpy(&msg, m->raw, sizeof msg);
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
}

std::uintptr_t set_thread_timer(unsigned ms, timer_routine routine) {
    UINT_PTR id = ::SetTimer(nullptr, 0, ms, run_timer_routine);
    if (id) g_timer_routines[id] = routine;
    return id;
}

bool kill_thread_timer(std::uintptr_t id) {
    g_timer_routines.erase(id);
    return ::KillTimer(nullptr, id) != 0;
}

bool post_timer_message(std::uintptr_t id) {
    return ::PostThreadMessageA(::GetCurrentThreadId(), WM_TIMER, id, 0) != 0;
}

void sleep_ms(unsigned ms) { ::Sleep(ms); }

long clock_ms() { return static_cast<long>(std::clock() * 1000L / CLOCKS_PER_SEC); }

bool find_window_class(const char *class_name) { return ::FindWindowA(class_name, nullptr) != nullptr; }

int force_foreground_window(void *window) {
    HWND hwnd = static_cast<HWND>(window);
    DWORD window_thread = ::GetWindowThreadProcessId(hwnd, nullptr);
    DWORD foreground_thread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    if (window_thread == foreground_thread) return ::SetForegroundWindow(hwnd);
    if (!::AttachThreadInput(window_thread, foreground_thread, TRUE)) return 0;
    ::SetActiveWindow(hwnd);
    DWORD timeout = 0;
    ::SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
    ::SetActiveWindow(hwnd);
    ::SetForegroundWindow(hwnd);
    ::SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                            reinterpret_cast<PVOID>(static_cast<UINT_PTR>(timeout)), 0);
    return ::AttachThreadInput(window_thread, foreground_thread, FALSE);
}

}  // namespace zp
