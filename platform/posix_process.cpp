// Handles, processes and waits on POSIX systems.
//
// Handles are objects of this layer, kept in one table so that a stale or
// made-up handle gives E_INVALID_HANDLE instead of a crash.  Processes are
// started with posix_spawnp from a command line split as the Windows C
// runtime splits it.  The named mutexes are in posix_mutex.cpp.
#include "platform/posix_internal.h"

#include "base/codepage.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <vector>

extern char **environ;

namespace zp {

namespace posix {

std::mutex g_lock;

namespace {
// Never destroyed: handles stay valid while other modules' static
// destructors still close them at exit.
std::set<object *> &g_objects = *new std::set<object *>;
}  // namespace

object *find_object(os_handle h) {
    auto *o = static_cast<object *>(h);
    return g_objects.count(o) ? o : nullptr;
}

os_handle add_object(object *o) {
    g_objects.insert(o);
    return o;
}

long now_ms() {
    struct timespec ts;
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void nap(unsigned ms) {
    struct timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace posix

using namespace posix;

namespace {

std::vector<pid_t> g_orphans;  // ended handles closed before their process was reaped

// Reap the processes whose handles were closed while they ran.
void sweep_orphans() {
    for (auto it = g_orphans.begin(); it != g_orphans.end();) {
        int st;
        pid_t r = ::waitpid(*it, &st, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD))
            it = g_orphans.erase(it);
        else
            ++it;
    }
}

// Reap a process when it has ended; true when it has.
bool poll_process(object *o) {
    if (o->ended) return true;
    int st = 0;
    pid_t r = ::waitpid(o->pid, &st, WNOHANG);
    if (r == o->pid) {
        o->ended = true;
        o->status = st;
    } else if (r < 0 && errno == ECHILD) {
        o->ended = true;  // reaped elsewhere: the code is lost
        o->status = 0;
    }
    return o->ended;
}

// A command line split into arguments as the Windows C runtime does it: the
// program name ends at a blank or is quoted (no escapes); in the arguments,
// 2n backslashes before a quote give n backslashes and the quote opens or
// closes a quoted run, 2n+1 give n and a literal quote, other backslashes
// are literal, and "" inside a quoted run is a literal quote.  Double-byte
// characters are taken whole.
std::vector<std::string> split_command_line(const char *s) {
    std::vector<std::string> args;
    const char *p = s;
    while (*p == ' ' || *p == '\t') ++p;
    std::string name;
    bool quoted = false;
    while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
        if (*p == '"') {
            quoted = !quoted;
            ++p;
        } else {
            name += *p++;
        }
    }
    args.push_back(name);
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) break;
        std::string arg;
        quoted = false;
        for (;;) {
            std::size_t backslashes = 0;
            while (*p == '\\') {
                ++backslashes;
                ++p;
            }
            if (*p == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    arg += '"';
                    ++p;
                } else if (quoted && p[1] == '"') {
                    arg += '"';
                    p += 2;
                } else {
                    quoted = !quoted;
                    ++p;
                }
                continue;
            }
            arg.append(backslashes, '\\');
            if (!*p || (!quoted && (*p == ' ' || *p == '\t'))) break;
            if (zu_lead_byte(static_cast<unsigned char>(*p)) && p[1]) arg += *p++;
            arg += *p++;
        }
        args.push_back(arg);
    }
    return args;
}

// Start a program; the file actions connect its standard handles.
bool spawn(const char *command_line, posix_spawn_file_actions_t *actions, pid_t *pid) {
    std::vector<std::string> args = split_command_line(command_line ? command_line : "");
    if (args.empty() || args[0].empty()) return fail(E_FILE_NOT_FOUND);
    std::vector<char *> argv;
    for (auto &a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    posix_spawnattr_t attr;
    ::posix_spawnattr_init(&attr);
    sigset_t none, dflt;
    sigemptyset(&none);
    sigemptyset(&dflt);
    sigaddset(&dflt, SIGPIPE);
    ::posix_spawnattr_setsigmask(&attr, &none);
    ::posix_spawnattr_setsigdefault(&attr, &dflt);
    ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    int rc = ::posix_spawnp(pid, argv[0], actions, &attr, argv.data(), environ);
    ::posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        return fail(win_code(rc, argv[0]));
    }
    return true;
}

unsigned status_code(int st) {
    if (WIFEXITED(st)) return static_cast<unsigned>(WEXITSTATUS(st));
    if (WIFSIGNALED(st)) {
        switch (WTERMSIG(st)) {
        case SIGSEGV: case SIGBUS: return 0xC0000005u;   // access violation
        case SIGILL: return 0xC000001Du;                 // illegal instruction
        case SIGFPE: return 0xC0000094u;                 // integer division by zero
        case SIGABRT: return 3;                          // abort()
        default: return 128u + static_cast<unsigned>(WTERMSIG(st));
        }
    }
    return 0;
}

}  // namespace

// ---- handles ------------------------------------------------------------------

bool close_handle(os_handle h) {
    std::lock_guard<std::mutex> guard(g_lock);
    object *o = find_object(h);
    if (!o) return fail(E_INVALID_HANDLE);
    g_objects.erase(o);
    if (o->kind == object::PROCESS && !poll_process(o)) g_orphans.push_back(o->pid);
    if (o->kind == object::MUTEX) drop_mutex_handle(o->mutex);
    delete o;
    return true;
}

unsigned wait_handle(os_handle h, unsigned ms) {
    {
        std::lock_guard<std::mutex> guard(g_lock);
        object *o = find_object(h);
        if (!o || o->kind == object::THREAD) {
            fail(E_INVALID_HANDLE);
            return WAIT_FAILURE;
        }
    }
    // The table lock is taken for each try only: a handle closed by another
    // thread meanwhile ends the wait as failed.
    bool gone = false;
    bool done = poll_until(ms, [&] {
        std::lock_guard<std::mutex> guard(g_lock);
        object *o = find_object(h);
        if (!o) return gone = true;
        return o->kind == object::PROCESS ? poll_process(o) : try_own(o->mutex);
    });
    if (gone) {
        fail(E_INVALID_HANDLE);
        return WAIT_FAILURE;
    }
    return done ? WAIT_SIGNALED : WAIT_TIMED_OUT;
}

// ---- processes ------------------------------------------------------------------

bool create_process(const char *command_line, int show_mode, process_info *info) {
    (void)show_mode;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        sweep_orphans();
    }
    pid_t pid;
    if (!spawn(command_line, nullptr, &pid)) return false;
    std::lock_guard<std::mutex> guard(g_lock);
    auto *p = new object{object::PROCESS};
    p->pid = pid;
    info->process = add_object(p);
    info->thread = add_object(new object{object::THREAD});
    return true;
}

bool exit_code(os_handle process, unsigned *code) {
    std::lock_guard<std::mutex> guard(g_lock);
    object *o = find_object(process);
    if (!o || o->kind != object::PROCESS) return fail(E_INVALID_HANDLE);
    *code = poll_process(o) ? status_code(o->status) : 259;  // STILL_ACTIVE
    return true;
}

bool terminate_process(os_handle process, unsigned code) {
    (void)code;
    std::lock_guard<std::mutex> guard(g_lock);
    object *o = find_object(process);
    if (!o || o->kind != object::PROCESS) return fail(E_INVALID_HANDLE);
    if (poll_process(o)) return fail(E_ACCESS_DENIED);
    if (::kill(o->pid, SIGKILL) != 0) return fail(win_code(errno));
    return true;
}

bool run_redirected(const char *command_line, char *out, unsigned out_size, unsigned *out_len, char *err,
                    unsigned err_size, unsigned *err_len) {
    *out_len = *err_len = 0;
    int in[2], o[2], e[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return fail(win_code(errno));
    if (::pipe2(o, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return fail(win_code(errno));
    }
    if (::pipe2(e, O_CLOEXEC) != 0) {
        for (int fd : {in[0], in[1], o[0], o[1]}) ::close(fd);
        return fail(win_code(errno));
    }
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    ::posix_spawn_file_actions_adddup2(&actions, o[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, e[1], 2);
    pid_t pid;
    bool started = spawn(command_line, &actions, &pid);
    unsigned code = last_error();
    ::posix_spawn_file_actions_destroy(&actions);
    // The child's ends, and the input: the program sees the end of its input.
    for (int fd : {in[0], o[1], e[1], in[1]}) ::close(fd);
    if (!started) {
        ::close(o[0]);
        ::close(e[0]);
        return fail(code);
    }
    ::fcntl(o[0], F_SETFL, O_NONBLOCK);
    ::fcntl(e[0], F_SETFL, O_NONBLOCK);

    struct stream {
        int fd;
        char *buf;
        unsigned size;
        unsigned *len;
    } streams[2] = {{o[0], out, out_size, out_len}, {e[0], err, err_size, err_len}};
    // Read what is there; false at the end of the stream.
    auto take = [](stream &s) {
        char chunk[4096];
        for (;;) {
            ssize_t n = ::read(s.fd, chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return n < 0 && errno == EAGAIN;
            unsigned keep = *s.len < s.size ? s.size - *s.len : 0;
            if (keep > static_cast<unsigned>(n)) keep = static_cast<unsigned>(n);
            std::memcpy(s.buf + *s.len, chunk, keep);
            *s.len += keep;
        }
    };
    bool open_[2] = {true, true};
    bool ended = false;
    int status = 0;
    while (!ended) {
        struct pollfd pf[2];
        nfds_t n = 0;
        for (int i = 0; i < 2; ++i)
            if (open_[i]) pf[n++] = {streams[i].fd, POLLIN, 0};
        if (n > 0) {
            ::poll(pf, n, 20);
            for (int i = 0; i < 2; ++i)
                if (open_[i]) open_[i] = take(streams[i]);
            pid_t r = ::waitpid(pid, &status, WNOHANG);
            ended = r == pid || (r < 0 && errno != EINTR);
        } else {
            // Both outputs closed: wait for the end itself.
            ended = ::waitpid(pid, &status, 0) == pid || errno != EINTR;
        }
    }
    // What it wrote before it ended is in the pipes now.  Programs it left
    // running may hold the pipes open: read what is there, do not wait.
    for (int i = 0; i < 2; ++i)
        if (open_[i]) take(streams[i]);
    ::close(o[0]);
    ::close(e[0]);
    return true;
}

int run_shell(const char *command) {
    std::fflush(nullptr);
    int r = std::system(command);
    if (!command || r == -1) return r;
    if (WIFEXITED(r)) return WEXITSTATUS(r);
    return static_cast<int>(status_code(r));
}

int shell_open(const char *file, int show_mode) {
    (void)show_mode;
    if (!file || !*file) return 2;
    struct stat st;
    if (!std::strstr(file, "://") && ::stat(file, &st) != 0) return 2;
    // The desktop's opener, when this system has one.
    bool found = false;
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    for (std::size_t at = 0; at <= dirs.size() && !found;) {
        std::size_t end = dirs.find(':', at);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(at, end - at) + "/xdg-open";
        found = end > at && ::access(candidate.c_str(), X_OK) == 0;
        at = end + 1;
    }
    if (!found) return 31;
    // Quoted for the splitting above: backslashes before a quote doubled.
    std::string quoted = "xdg-open \"";
    std::size_t backslashes = 0;
    for (const char *p = file; *p; ++p) {
        if (*p == '\\') {
            ++backslashes;
        } else {
            if (*p == '"') quoted.append(backslashes + 1, '\\');
            backslashes = 0;
        }
        quoted += *p;
    }
    quoted.append(backslashes, '\\');
    quoted += '"';
    process_info pi;
    if (!create_process(quoted.c_str(), show_mode, &pi)) return 31;
    close_handle(pi.thread);
    // The opener answers quickly unless the program it starts keeps it:
    // then the document is open.
    int result = 42;
    if (wait_handle(pi.process, 3000) == WAIT_SIGNALED) {
        unsigned code = 0;
        exit_code(pi.process, &code);
        result = code == 0 ? 42 : code == 2 ? 2 : 31;
    }
    close_handle(pi.process);
    return result;
}

// ---- no message queue on POSIX ---------------------------------------------------

bool peek_message(message *) { return false; }
int get_message(message *) { return fail(E_INVALID_FUNCTION) ? 0 : -1; }
void dispatch_message(const message *) {}
std::uintptr_t set_thread_timer(unsigned, timer_routine) { return fail(E_INVALID_FUNCTION) ? 1 : 0; }
bool kill_thread_timer(std::uintptr_t) { return fail(E_INVALID_FUNCTION); }
bool post_timer_message(std::uintptr_t) { return fail(E_INVALID_FUNCTION); }
void sleep_ms(unsigned ms) { nap(ms); }
long clock_ms() { return now_ms(); }
bool find_window_class(const char *) { return false; }
int force_foreground_window(void *) { return 0; }

}  // namespace zp
