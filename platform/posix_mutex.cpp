// Named mutexes on POSIX systems: open file description locks on one file
// per name (see "Named mutexes on POSIX" in ARCHITECTURE.md).
#include "platform/posix_internal.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace zp {
namespace posix {

// The state of one mutex name in this process, shared by all its handles.
struct named_mutex {
    std::string name;
    std::string path;        // empty for an unnamed mutex
    int fd = -1;             // holder lock on HOLD_BYTE; OWN_BYTE while owned
    unsigned handles = 0;
    unsigned recursion = 0;  // ownership count of `owner`
    pthread_t owner{};
};

namespace {

constexpr off_t OWN_BYTE = 0;
constexpr off_t HOLD_BYTE = 1;

// The mutexes of this process by name (under g_lock).  Never destroyed, as
// the table of handles.
std::map<std::string, named_mutex *> &g_names = *new std::map<std::string, named_mutex *>;

// A lock request on the one byte at `at`.
struct flock one_byte(short type, off_t at) {
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = at;
    fl.l_len = 1;
    return fl;
}

bool byte_lock(int fd, short type, off_t at, bool wait) {
    struct flock fl = one_byte(type, at);
    for (;;) {
        if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return true;
        if (errno != EINTR) return false;
    }
}

// Another open description (of any process) holds the name.
bool other_holder(int fd) {
    struct flock fl = one_byte(F_WRLCK, HOLD_BYTE);
    if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return true;  // cannot tell: assume held
    return fl.l_type != F_UNLCK;
}

// The folder of the lock files: on a memory file system that is not aged
// by the temporary-file cleaners, one per user.
bool mutex_folder(std::string *dir) {
    struct stat st;
    const char *base = (::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode)) ? "/dev/shm" : "/tmp";
    *dir = std::string(base) + "/zumutex-" + std::to_string(static_cast<unsigned long>(::getuid()));
    if (::mkdir(dir->c_str(), 0700) != 0 && errno != EEXIST) return fail(win_code(errno));
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
            fail(win_code(errno));
            return -1;
        }
        if (!byte_lock(fd, F_RDLCK, HOLD_BYTE, true)) {
            fail(win_code(errno));
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

}  // namespace

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

}  // namespace posix

using namespace posix;

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

}  // namespace zp
