// Processes, named mutexes and waits on POSIX systems.
//
// Handles are objects of this layer, kept in one table so that a stale or
// made-up handle gives E_INVALID_HANDLE instead of a crash.  Processes are
// started with posix_spawnp from a command line split as the Windows C
// runtime splits it.  Named mutexes are open file description locks on one
// file per name (see "Named mutexes on POSIX" in ARCHITECTURE.md).
#include "platform/platform.h"

#include "base/codepage.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
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
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

extern char **environ;

namespace zp {

namespace {

unsigned errno_code(int e) {
    switch (e) {
    case ENOENT: return E_FILE_NOT_FOUND;
    case ENOTDIR: return E_PATH_NOT_FOUND;
    case EACCES: case EPERM: case EISDIR: return E_ACCESS_DENIED;
    case EMFILE: case ENFILE: return E_TOO_MANY_OPEN_FILES;
    case ENOMEM: case EAGAIN: return E_NOT_ENOUGH_MEMORY;
    case ENOEXEC: return 193;  // ERROR_BAD_EXE_FORMAT
    case ENAMETOOLONG: return E_FILENAME_EXCED_RANGE;
    case EINVAL: return E_INVALID_PARAMETER;
    default: return E_INVALID_FUNCTION;
    }
}

bool fail(unsigned code) {
    set_last_error(code);
    return false;
}

struct named_mutex;

struct object {
    enum kind_t { PROCESS, THREAD, MUTEX } kind;
    pid_t pid = 0;           // PROCESS
    bool ended = false;      // PROCESS: reaped
    int status = 0;          // PROCESS: wait status once reaped
    named_mutex *mutex = nullptr;  // MUTEX
};

// The state of one mutex name in this process, shared by all its handles.
struct named_mutex {
    std::string name;
    std::string path;        // empty for an unnamed mutex
    int fd = -1;             // holder lock on HOLD_BYTE; OWN_BYTE while owned
    unsigned handles = 0;
    unsigned recursion = 0;  // ownership count of `owner`
    pthread_t owner{};
};

constexpr off_t OWN_BYTE = 0;
constexpr off_t HOLD_BYTE = 1;

std::mutex g_lock;  // guards everything below
// Never destroyed: handles stay valid while other modules' static
// destructors still close them at exit.
std::set<object *> &g_objects = *new std::set<object *>;
std::map<std::string, named_mutex *> &g_names = *new std::map<std::string, named_mutex *>;
std::vector<pid_t> g_orphans;  // ended handles closed before their process was reaped

object *find_object(os_handle h) {
    auto *o = static_cast<object *>(h);
    return g_objects.count(o) ? o : nullptr;
}

os_handle add_object(object *o) {
    g_objects.insert(o);
    return o;
}

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

// Poll `ready` until it holds or `ms` have passed, with short naps.
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
        unsigned code = errno_code(rc);
        if (rc == ENOENT && std::strchr(argv[0], '/')) {
            // A missing folder on the way is "path not found".
            std::string dir(argv[0]);
            dir.resize(dir.find_last_of('/') + 1);
            struct stat st;
            if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) code = E_PATH_NOT_FOUND;
        }
        return fail(code);
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

// ---- named mutexes ---------------------------------------------------------

bool byte_lock(int fd, short type, off_t at, bool wait) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = at;
    fl.l_len = 1;
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
        if (errno != EINTR) return false;
    }
}

// Another open description (of any process) holds the name.
bool other_holder(int fd) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = HOLD_BYTE;
    fl.l_len = 1;
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return true;  // cannot tell: assume held
    return fl.l_type != F_UNLCK;
}

// The folder of the lock files: on a memory file system that is not aged
// by the temporary-file cleaners, one per user.
bool mutex_folder(std::string *dir) {
    struct stat st;
    const char *base = (::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode)) ? "/dev/shm" : "/tmp";
    *dir = std::string(base) + "/zumutex-" + std::to_string(static_cast<unsigned long>(::getuid()));
    if (::mkdir(dir->c_str(), 0700) != 0 && errno != EEXIST) return fail(errno_code(errno));
    // Only a folder of our own, not a link someone else planted.
    if (::lstat(dir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 022))
        return fail(E_ACCESS_DENIED);
    return true;
}

// The file of a name: letters, digits, '-' and '_' as they are, every other
// byte as %XX; a long name is cut and completed by a hash of the whole name.
std::string mutex_file(const char *name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string s;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p) {
        if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9') || *p == '-' ||
            *p == '_') {
            s += static_cast<char>(*p);
        } else {
            s += '%';
            s += hex[*p >> 4];
            s += hex[*p & 15];
        }
    }
    if (s.size() > 200) {
        std::uint64_t h = 14695981039346656037ULL;
        for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p)
            h = (h ^ *p) * 1099511628211ULL;
        char tail[24];
        std::snprintf(tail, sizeof tail, "~%016llX", static_cast<unsigned long long>(h));
        s.resize(160);
        s += tail;
    }
    return s + ".lock";
}

bool same_file(int fd, const std::string &path) {
    struct stat a, b;
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Let go of a name's file; the last holder of all removes it.  Closing the
// description drops its ownership and holder locks.
void detach_file(int fd, const std::string &path) {
    if (byte_lock(fd, F_WRLCK, HOLD_BYTE, false) && same_file(fd, path)) ::unlink(path.c_str());
    ::close(fd);
}

// Open the file of a name and take a holder lock on it.  The lock is taken
// before the file is checked to still be the one the name stands for, so a
// file removed by its last holder meanwhile is never used.  -1 on failure.
int attach_file(const std::string &path, bool create, bool *existed) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
        if (fd < 0) {
            fail(errno_code(errno));
            return -1;
        }
        if (!byte_lock(fd, F_RDLCK, HOLD_BYTE, true)) {
            fail(errno_code(errno));
            ::close(fd);
            return -1;
        }
        if (same_file(fd, path)) {
            *existed = other_holder(fd);
            return fd;
        }
        ::close(fd);
    }
    fail(E_ACCESS_DENIED);
    return -1;
}

os_handle new_mutex_handle(named_mutex *m) {
    ++m->handles;
    auto *o = new object{object::MUTEX};
    o->mutex = m;
    return add_object(o);
}

bool try_own(named_mutex *m) {
    pthread_t self = ::pthread_self();
    if (m->recursion > 0) {
        if (!::pthread_equal(m->owner, self)) return false;
        ++m->recursion;
        return true;
    }
    if (m->fd >= 0 && !byte_lock(m->fd, F_WRLCK, OWN_BYTE, false)) return false;
    m->owner = self;
    m->recursion = 1;
    return true;
}

void drop_mutex_handle(named_mutex *m) {
    if (--m->handles > 0) return;
    if (!m->path.empty()) {
        g_names.erase(m->name);
        detach_file(m->fd, m->path);
    }
    delete m;
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
    if (::kill(o->pid, SIGKILL) != 0) return fail(errno_code(errno));
    return true;
}

bool run_redirected(const char *command_line, char *out, unsigned out_size, unsigned *out_len, char *err,
                    unsigned err_size, unsigned *err_len) {
    *out_len = *err_len = 0;
    int in[2], o[2], e[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return fail(errno_code(errno));
    if (::pipe2(o, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return fail(errno_code(errno));
    }
    if (::pipe2(e, O_CLOEXEC) != 0) {
        for (int fd : {in[0], in[1], o[0], o[1]}) ::close(fd);
        return fail(errno_code(errno));
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

// ---- named mutexes ----------------------------------------------------------------

os_handle mutex_create(const char *name, bool initial_owner) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!name || !*name) {
        // An unnamed mutex: only its own handles reach it.
        auto *m = new named_mutex;
        os_handle h = new_mutex_handle(m);
        if (initial_owner) try_own(m);
        set_last_error(E_SUCCESS);
        return h;
    }
    auto it = g_names.find(name);
    if (it != g_names.end()) {
        os_handle h = new_mutex_handle(it->second);
        set_last_error(E_ALREADY_EXISTS);
        return h;
    }
    std::string dir;
    if (!mutex_folder(&dir)) return nullptr;
    auto *m = new named_mutex;
    m->name = name;
    m->path = dir + "/" + mutex_file(name);
    bool existed = false;
    m->fd = attach_file(m->path, true, &existed);
    if (m->fd < 0) {
        delete m;
        return nullptr;
    }
    g_names[m->name] = m;
    os_handle h = new_mutex_handle(m);
    if (initial_owner && !existed) try_own(m);
    set_last_error(existed ? E_ALREADY_EXISTS : E_SUCCESS);
    return h;
}

os_handle mutex_open(const char *name) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!name || !*name) {
        fail(E_INVALID_PARAMETER);
        return nullptr;
    }
    auto it = g_names.find(name);
    if (it != g_names.end()) return new_mutex_handle(it->second);
    std::string dir;
    if (!mutex_folder(&dir)) return nullptr;
    std::string path = dir + "/" + mutex_file(name);
    bool existed = false;
    int fd = attach_file(path, false, &existed);
    if (fd < 0) {
        if (last_error() == E_PATH_NOT_FOUND) set_last_error(E_FILE_NOT_FOUND);
        return nullptr;
    }
    if (!existed) {
        // Left behind by a process that ended without removing it.
        detach_file(fd, path);
        fail(E_FILE_NOT_FOUND);
        return nullptr;
    }
    auto *m = new named_mutex;
    m->name = name;
    m->path = path;
    m->fd = fd;
    g_names[m->name] = m;
    return new_mutex_handle(m);
}

bool mutex_release(os_handle h) {
    std::lock_guard<std::mutex> guard(g_lock);
    object *o = find_object(h);
    if (!o || o->kind != object::MUTEX) return fail(E_INVALID_HANDLE);
    named_mutex *m = o->mutex;
    if (m->recursion == 0 || !::pthread_equal(m->owner, ::pthread_self())) return fail(E_NOT_OWNER);
    if (--m->recursion == 0 && m->fd >= 0) byte_lock(m->fd, F_UNLCK, OWN_BYTE, false);
    return true;
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
