// What the POSIX files of the operating-system layer share: the translation
// of errno values, the clock and naps of the waits, and the table of handles.
#pragma once

#include "platform/platform.h"

#include <sys/types.h>

#include <mutex>

namespace zp {
namespace posix {

// The Windows code for an errno value.  `path` (may be null) tells a missing
// file (2) from a missing folder on the way to it (3).
unsigned win_code(int e, const char *path = nullptr);
// Sets last_error() to `code`; false, for returning at once.
bool fail(unsigned code);

// Milliseconds of a monotonic clock.
long now_ms();
// Sleeps `ms` milliseconds, also across signals.
void nap(unsigned ms);

// Polls `ready` until it holds or `ms` have passed (WAIT_FOREVER: no
// limit), with naps of 1 ms growing to 10 ms.
template <class F>
bool poll_until(unsigned ms, F &&ready) {
    long start = now_ms();
    unsigned step = 1;
    for (;;) {
        if (ready()) return true;
        long passed = now_ms() - start;
        if (ms != WAIT_FOREVER && passed >= static_cast<long>(ms)) return false;
        unsigned pause = step;
        if (ms != WAIT_FOREVER && static_cast<long>(pause) > static_cast<long>(ms) - passed)
            pause = static_cast<unsigned>(static_cast<long>(ms) - passed);
        nap(pause ? pause : 1);
        if (step < 10) step *= 2;
    }
}

// A handle is one of these objects, kept in one table (posix_process.cpp)
// so that a stale or made-up handle gives E_INVALID_HANDLE instead of a
// crash.
struct named_mutex;
struct object {
    enum kind_t { PROCESS, THREAD, MUTEX } kind;
    pid_t pid = 0;           // PROCESS
    bool ended = false;      // PROCESS: reaped
    int status = 0;          // PROCESS: wait status once reaped
    named_mutex *mutex = nullptr;  // MUTEX
};

// Guards the table of handles and the mutex names.
extern std::mutex g_lock;
// The object of a handle; null when the handle is not in the table.
object *find_object(os_handle h);
os_handle add_object(object *o);

// The mutex side of the handle calls (posix_mutex.cpp), under g_lock: take
// one level of ownership without waiting; let go of one handle.
bool try_own(named_mutex *m);
void drop_mutex_handle(named_mutex *m);

}  // namespace posix
}  // namespace zp
