// Processes, named mutexes and waits that keep the caller's windows alive:
// every long wait here either pumps the thread's message queue or waits in
// slices with the queue pumped between them.
#include <cerrno>
#include <cstring>

#include "base/base.h"
#include "zustd.h"

namespace {

enum : int { SHOW_HIDE = 0, SHOW_NOACTIVATE = 4, SHOW_SHOW = 5 };
constexpr unsigned MUTEX_SLICE_MS = 200;
constexpr unsigned TIMER_MINIMUM_MS = 10;   // the shortest thread timer

unsigned hex32(const void *p) { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p)); }
unsigned hex32(std::uintptr_t v) { return static_cast<unsigned>(v); }

// ---- the message queue --------------------------------------------------------

unsigned g_message_count = 0;

// Dispatch every queued message of the thread; a quit message ends it
// undispatched.
void process_messages(bool trace) {
    zp::message m;
    while (zp::peek_message(&m)) {
        ++g_message_count;
        if (trace)
            debf("%4u) hwnd:%.8X  message:%.8X  wParam:%.8X  lParam:%.8X\r\n", g_message_count, hex32(m.window),
                 m.id, hex32(m.wparam), hex32(static_cast<std::uintptr_t>(m.lparam)));
        if (m.id == zp::MSG_QUIT) break;
        zp::dispatch_message(&m);
    }
}

// ---- sleeps ----------------------------------------------------------------------
//
// Each running sleep has a slot: its timer and whether the timer is still
// armed.  The timer routine kills the timer, disarms the slot and posts one
// more timer message, on which the sleep's loop ends.  Sleeps nest (a
// message handler may sleep); ten slots are kept in a table, deeper sleeps
// take a slot of their own linked behind it.

struct sleep_slot {
    std::uintptr_t id = 0;   // 0: free
    bool armed = false;
    sleep_slot *next = nullptr;  // overflow slots only
};

constexpr unsigned SLEEP_SLOTS = 10;
sleep_slot g_sleep_slots[SLEEP_SLOTS];
sleep_slot *g_sleep_overflow = nullptr;

sleep_slot *find_sleep_slot(std::uintptr_t id) {
    for (auto &s : g_sleep_slots)
        if (s.id == id) return &s;
    for (sleep_slot *s = g_sleep_overflow; s; s = s->next)
        if (s->id == id) return s;
    return nullptr;
}

void sleep_timer_routine(std::uintptr_t id) {
    // Runs from the dispatch of a timer message: nothing may leave it.
    try {
        sleep_slot *slot = find_sleep_slot(id);
        if (!zp::kill_thread_timer(id)) {
            unsigned code = zp::last_error();
            write_error_log("%s Error KillTimer() zuSleep_01() %s\r\n", now_string(), zu_system_text(code));
        }
        if (slot) {
            slot->armed = false;
            zp::post_timer_message(id);
        }
    } catch (...) {
    }
}

// Takes a slot for the sleep and gives it back when the sleep ends, also
// when a message handler's exception ends it.
class sleep_slot_lease {
public:
    explicit sleep_slot_lease(std::uintptr_t id) {
        for (unsigned i = 0; i < SLEEP_SLOTS; ++i) {
            if (g_sleep_slots[i].id == 0) {
                slot_ = &g_sleep_slots[i];
                number_ = i;
                break;
            }
        }
        if (!slot_) {
            overflow_ = new sleep_slot;
            overflow_->next = g_sleep_overflow;
            g_sleep_overflow = overflow_;
            slot_ = overflow_;
            number_ = SLEEP_SLOTS;
            for (sleep_slot *s = overflow_->next; s; s = s->next) ++number_;
        }
        slot_->id = id;
        slot_->armed = true;
    }
    ~sleep_slot_lease() {
        if (slot_->armed) zp::kill_thread_timer(slot_->id);
        slot_->id = 0;
        slot_->armed = false;
        if (overflow_) {
            for (sleep_slot **p = &g_sleep_overflow; *p; p = &(*p)->next) {
                if (*p == overflow_) {
                    *p = overflow_->next;
                    break;
                }
            }
            delete overflow_;
        }
    }
    sleep_slot_lease(const sleep_slot_lease &) = delete;
    sleep_slot_lease &operator=(const sleep_slot_lease &) = delete;
    sleep_slot *slot() const { return slot_; }
    unsigned number() const { return number_; }

private:
    sleep_slot *slot_ = nullptr;
    sleep_slot *overflow_ = nullptr;
    unsigned number_ = 0;
};

void pumping_sleep(unsigned ms, const char *trace) {
    std::uintptr_t id = zp::set_thread_timer(ms, sleep_timer_routine);
    if (!id) {
        // No timer (no message queue on this system): a plain sleep.
        if (trace) debf("%s zuSleep(%5u) timer_id=%.8X %s\r\n", now_string(), ms, 0u, trace);
        zp::sleep_ms(ms < TIMER_MINIMUM_MS ? TIMER_MINIMUM_MS : ms);
        return;
    }
    sleep_slot_lease lease(id);
    if (trace) debf("%s zuSleep(%5u) timer_id=%.8X %s\r\n", now_string(), ms, hex32(id), trace);
    sleep_slot *slot = lease.slot();
    zp::message m;
    for (;;) {
        // A nested sleep may have taken this sleep's last timer message:
        // a disarmed slot ends the sleep before the queue is waited on.
        if (!slot->armed) return;
        if (zp::get_message(&m) <= 0) return;  // a quit message (consumed), or no queue
        if (m.id == zp::MSG_TIMER && m.wparam == id) {
            if (trace)
                debf("%s %2u) hwnd=%.8X message=%.8X wParam=%.8X lParam=%.8X timer_id=%.8X %s zuSleep_01()\r\n",
                     now_string(), lease.number(), hex32(m.window), m.id, hex32(m.wparam),
                     hex32(static_cast<std::uintptr_t>(m.lparam)), hex32(id), trace);
            if (!slot->armed) return;
        }
        zp::dispatch_message(&m);
    }
}

// ---- programs ----------------------------------------------------------------------

// Start a program; with `wait`, wait for its end in slices of `slice_ms`
// (0: one unlimited wait), pumping messages and calling `callback` after
// every slice that ends with the program still running.
int start_program(const char *command_line, int show, bool wait, unsigned slice_ms, ZuWaitCallback callback,
                  bool tolerate_thread_handle) {
    const char *cmd = command_line ? command_line : "";
    zp::process_info pi{nullptr, nullptr};
    unsigned code = 0;
    if (!zp::create_process(cmd, show, &pi)) {
        code = zp::last_error();
    } else if (!zp::close_handle(pi.thread) && !tolerate_thread_handle) {
        code = zp::last_error();
        zp::close_handle(pi.process);
    }
    if (code != 0 || !pi.process) {
        err(9, "error ZuCreateProcess00() zustd.dll cmd=%s error_code=%u error_message=%s", cmd, code,
            zu_system_text(code));
        return static_cast<int>(code);
    }
    if (wait) {
        unsigned ms = slice_ms ? slice_ms : zp::WAIT_FOREVER;
        while (zp::wait_handle(pi.process, ms) == zp::WAIT_TIMED_OUT) {
            process_messages(false);
            if (callback) callback();
        }
        unsigned exit = 0;
        zp::exit_code(pi.process, &exit);
        zp::close_handle(pi.process);
        return static_cast<int>(exit);
    }
    // The handle's value tells success; the handle itself is closed.
    int value = static_cast<int>(reinterpret_cast<std::intptr_t>(pi.process));
    zp::close_handle(pi.process);
    return value ? value : 1;
}

// ---- mutexes -------------------------------------------------------------------------

int mutex_exists(const char *name) {
    zp::os_handle h = zp::mutex_open(name);
    if (!h) return 0;
    zp::close_handle(h);
    return 1;
}

char g_redirect_text[8191 + 8 + 8191 + 1];
long g_timer_start = 0;
long g_timer_end = 0;

}  // namespace

// ---- exports ---------------------------------------------------------------------------

ZU_API int ZU_CALL ZuCreateProcess(const char *command_line) {
    return zu_export([&] { return start_program(command_line, SHOW_NOACTIVATE, false, 0, nullptr, false); });
}

ZU_API int ZU_CALL ZuCreateProcessShow(const char *command_line, int show_mode, int wait) {
    return zu_export([&] { return start_program(command_line, show_mode, wait != 0, 0, nullptr, false); });
}

ZU_API int ZU_CALL WaitCreateProcess(const char *command_line) {
    return zu_export([&] { return start_program(command_line, SHOW_NOACTIVATE, true, 0, nullptr, false); });
}

ZU_API int ZU_CALL WaitCreateProcessReturnProc(const char *command_line, unsigned interval_ms,
                                               ZuWaitCallback callback) {
    return zu_export(
        [&] { return start_program(command_line, SHOW_NOACTIVATE, true, interval_ms, callback, false); });
}

ZU_API int ZU_CALL WaitCreateProcess16(const char *command_line) {
    return zu_export([&] { return start_program(command_line, SHOW_NOACTIVATE, true, 0, nullptr, true); });
}

ZU_API int ZU_CALL ZuSystem(const char *command) {
    return zu_export([&] { return zp::run_shell(command); });
}

ZU_API int ZuSystemLastError(void) { return errno; }

ZU_API const char *ZU_CALL ZuCommandRedirect(const char *command_line) {
    return zu_export([&]() -> const char * {
        constexpr unsigned PART = 8191;
        static char out[PART], error[PART];
        unsigned out_len = 0, error_len = 0;
        g_redirect_text[0] = '\0';
        if (!zp::run_redirected(command_line ? command_line : "", out, PART, &out_len, error, PART, &error_len))
            return g_redirect_text;
        std::memcpy(g_redirect_text, out, out_len);
        std::size_t at = out_len;
        if (error_len > 0) {
            std::memcpy(g_redirect_text + at, "[STDERR]", 8);
            at += 8;
            std::memcpy(g_redirect_text + at, error, error_len);
            at += error_len;
        }
        g_redirect_text[at] = '\0';
        return g_redirect_text;
    });
}

ZU_API int ZU_CALL ZuExecuteExt(const char *file, int hidden) {
    return zu_export([&] {
        int r = zp::shell_open(file, hidden ? SHOW_HIDE : SHOW_SHOW);
        return r == 31 || r == 2 ? 1 : 0;
    });
}

ZU_API int ZU_CALL WaitProcessQuit(const char *class_name) {
    return zu_export([&] {
        // No class name would match any window and never end.
        if (!class_name) return 0;
        while (zp::find_window_class(class_name)) pumping_sleep(200, nullptr);
        return 0;
    });
}

ZU_API int ZU_CALL IsExistMutex(const char *name) {
    return zu_export([&] { return mutex_exists(name); });
}

ZU_API void *ZU_CALL ZuCheckDupProcessStart(const char *name) {
    return zu_export([&]() -> void * {
        if (mutex_exists(name)) return nullptr;
        zp::os_handle h = zp::mutex_create(name, false);
        if (h && zp::last_error() == zp::E_ALREADY_EXISTS) {
            // Another instance made it since the test above.
            zp::close_handle(h);
            return nullptr;
        }
        return h;
    });
}

ZU_API int ZU_CALL ZuCheckDupProcessEnd(void *handle) {
    return zu_export([&] {
        if (!handle) {
            err(9, "%s", "Error ZuCheckDupProcessEnd");
            return 0;
        }
        zp::mutex_release(handle);
        zp::close_handle(handle);
        return 0;
    });
}

ZU_API void *ZU_CALL MutexLockStart(const char *name, int unused) {
    return zu_export([&]() -> void * {
        zp::os_handle h = zp::mutex_create(name, false);
        if (!h) return nullptr;
        while (zp::wait_handle(h, MUTEX_SLICE_MS) == zp::WAIT_TIMED_OUT) process_messages(false);
        return h;
    });
}

ZU_API int ZU_CALL MutexLockEnd(void *handle) {
    return zu_export([&] { return zp::mutex_release(handle) ? 1 : 0; });
}

ZU_API int ZU_CALL WaitMutexQuit(const char *name, int wait_for_absence, ZuWaitCallback callback,
                                 unsigned interval_ms, int unused) {
    return zu_export([&] {
        for (;;) {
            process_messages(false);
            bool exists = mutex_exists(name) != 0;
            if (wait_for_absence ? !exists : exists) return 0;
            pumping_sleep(interval_ms, nullptr);
            if (callback) callback();
        }
    });
}

ZU_API int ZU_CALL zuSleep(unsigned ms, const char *trace) {
    return zu_export([&] {
        pumping_sleep(ms, trace);
        return 0;
    });
}

ZU_API int ZU_CALL zuApplicationProcessMessages(int trace) {
    return zu_export([&] {
        process_messages(trace != 0);
        return 0;
    });
}

ZU_API int MSecTimerStart(void) {
    g_timer_start = zp::clock_ms();
    return 0;
}

ZU_API int MSecTimerEnd(void) {
    g_timer_end = zp::clock_ms();
    return static_cast<int>(g_timer_end - g_timer_start);
}

ZU_API int ZU_CALL SetAbsoluteForegroundWindow2(void *window) {
    return zu_export([&] { return zp::force_foreground_window(window); });
}
