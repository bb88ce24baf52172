// Whole-file operations, drives and file times on POSIX systems: the
// counterparts of CopyFileA, SHFileOperationA, GetLogicalDriveStringsA and
// the file-time calls.
#include "platform/posix_internal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace zp {

namespace {
using posix::fail;
using posix::win_code;

constexpr std::uint64_t EPOCH_DIFF = 11644473600ULL;   // 1601-01-01 to 1970-01-01, seconds

bool fail_errno(int e, const char *path = nullptr) { return fail(win_code(e, path)); }

struct fd_guard {
    int fd;
    ~fd_guard() {
        if (fd >= 0) ::close(fd);
    }
};

bool copy_one(const char *from, const char *to, bool fail_if_exists) {
    struct stat st;
    if (::stat(from, &st) != 0) return fail_errno(errno, from);
    if (S_ISDIR(st.st_mode)) return fail(E_ACCESS_DENIED);
    fd_guard in{::open(from, O_RDONLY | O_CLOEXEC)};
    if (in.fd < 0) return fail_errno(errno, from);
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (fail_if_exists ? O_EXCL : O_TRUNC);
    fd_guard out{::open(to, flags, st.st_mode & 0777)};
    if (out.fd < 0) return fail_errno(errno, to);
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in.fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail_errno(errno);
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out.fd, buf + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) return fail_errno(errno);
            done += w;
        }
    }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out.fd, times);
    int fd = out.fd;
    out.fd = -1;
    if (::close(fd) != 0) return fail_errno(errno);
    return true;
}

bool is_dir(const std::string &path, bool follow = true) {
    struct stat st;
    return (follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string base_name(const std::string &path) {
    auto pos = path.find_last_of('/');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

// The names of a folder, "." and ".." left out.
bool list_folder(const std::string &dir, std::vector<std::string> *names) {
    DIR *d = ::opendir(dir.c_str());
    if (!d) return fail_errno(errno, dir.c_str());
    while (struct dirent *e = ::readdir(d))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names->push_back(e->d_name);
    ::closedir(d);
    return true;
}

// The sources a shell operation names: the matches of a wildcard in the
// last component, or the name itself, which must exist.
bool expand_sources(const std::string &from, std::vector<std::string> *out, bool *wild) {
    auto pos = from.find_last_of('/');
    std::string dir = pos == std::string::npos ? "" : from.substr(0, pos + 1);
    std::string last = pos == std::string::npos ? from : from.substr(pos + 1);
    *wild = last.find_first_of("*?") != std::string::npos;
    if (!*wild) {
        if (!exists(from)) return fail(E_FILE_NOT_FOUND);
        out->push_back(from);
        return true;
    }
    std::vector<std::string> names;
    if (!list_folder(dir.empty() ? "." : dir, &names)) return false;
    for (auto &n : names)
        if (wildcard_match(last.c_str(), n.c_str())) out->push_back(dir + n);
    return true;
}

bool copy_tree(const std::string &from, const std::string &to) {
    if (!is_dir(from, false)) return copy_one(from.c_str(), to.c_str(), false);
    if (::mkdir(to.c_str(), 0777) != 0 && !(errno == EEXIST && is_dir(to))) return fail_errno(errno, to.c_str());
    std::vector<std::string> names;
    if (!list_folder(from, &names)) return false;
    for (auto &n : names)
        if (!copy_tree(from + "/" + n, to + "/" + n)) return false;
    return true;
}

bool delete_tree(const std::string &path) {
    if (is_dir(path, false)) {
        std::vector<std::string> names;
        if (!list_folder(path, &names)) return false;
        for (auto &n : names)
            if (!delete_tree(path + "/" + n)) return false;
        if (::rmdir(path.c_str()) != 0) return fail_errno(errno, path.c_str());
        return true;
    }
    if (::unlink(path.c_str()) != 0) return fail_errno(errno, path.c_str());
    return true;
}

// A copy into its own tree would never end.
bool inside(const std::string &path, const std::string &dir) {
    char a[PATH_MAX], b[PATH_MAX];
    std::string parent = path.substr(0, path.find_last_of('/') + 1);
    if (!::realpath(dir.c_str(), a) || !::realpath(parent.empty() ? "." : parent.c_str(), b)) return false;
    std::string d(a), p = std::string(b) + "/" + base_name(path);
    return p == d || p.compare(0, d.size() + 1, d + "/") == 0;
}

bool shell_copy(const std::string &from, const std::string &to) {
    std::vector<std::string> sources;
    bool wild = false;
    if (!expand_sources(from, &sources, &wild)) return false;
    bool into = is_dir(to);
    if (wild && !into) {
        if (::mkdir(to.c_str(), 0777) != 0) return fail_errno(errno, to.c_str());
        into = true;
    }
    for (auto &s : sources) {
        std::string dest = into ? to + "/" + base_name(s) : to;
        if (is_dir(s, false) && inside(dest, s)) return fail(E_INVALID_PARAMETER);
        if (!copy_tree(s, dest)) return false;
    }
    return true;
}

bool shell_delete(const std::string &from) {
    std::vector<std::string> sources;
    bool wild = false;
    if (!expand_sources(from, &sources, &wild)) return false;
    for (auto &s : sources)
        if (!delete_tree(s)) return false;
    return true;
}
}  // namespace

bool copy_file(const char *from, const char *to, bool fail_if_exists) {
    if (!copy_one(from, to, fail_if_exists)) return false;
    return true;
}

bool replace_file(const char *from, const char *to) {
    if (!exists(from)) return fail(E_FILE_NOT_FOUND);
    if (is_dir(to, false)) return fail(E_ACCESS_DENIED);
    if (::rename(from, to) != 0) return fail_errno(errno, to);
    return true;
}

int shell_file_operation(unsigned operation, const char *from, const char *to, unsigned, bool *aborted) {
    if (aborted) *aborted = false;
    bool ok = false;
    switch (operation) {
    case SHELL_COPY: ok = from && to && shell_copy(from, to); break;
    case SHELL_DELETE: ok = from && shell_delete(from); break;
    case SHELL_RENAME:
        if (!from || !to) break;
        if (!exists(from)) {
            fail(E_FILE_NOT_FOUND);
        } else if (exists(to)) {
            fail(E_ALREADY_EXISTS);
        } else if (::rename(from, to) != 0) {
            fail_errno(errno, to);
        } else {
            ok = true;
        }
        break;
    default: fail(E_INVALID_PARAMETER); break;
    }
    if (!ok && (!from || (operation != SHELL_DELETE && !to))) fail(E_INVALID_PARAMETER);
    return ok ? 0 : static_cast<int>(last_error());
}

unsigned logical_drive_strings(char *buf, unsigned size) {
    if (!buf || size < 3) return 3;
    std::memcpy(buf, "/\0", 3);
    return 2;
}

bool get_file_times(const char *name, std::uint64_t *creation, std::uint64_t *write) {
    fd_guard f{::open(name, O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0) return fail_errno(errno, name);
    struct stat st;
    if (::fstat(f.fd, &st) != 0) return fail_errno(errno);
    auto ft = [](const struct timespec &ts) {
        return (static_cast<std::uint64_t>(ts.tv_sec) + EPOCH_DIFF) * 10000000ULL +
               static_cast<std::uint64_t>(ts.tv_nsec) / 100;
    };
    if (creation) *creation = ft(st.st_ctim);
    if (write) *write = ft(st.st_mtim);
    return true;
}

bool set_file_write_time(const char *name, std::uint64_t write, bool *opened) {
    fd_guard f{::open(name, O_RDONLY | O_CLOEXEC)};
    if (opened) *opened = f.fd >= 0;
    if (f.fd < 0) return fail_errno(errno, name);
    if (write < EPOCH_DIFF * 10000000ULL) return fail(E_INVALID_PARAMETER);
    std::uint64_t since = write - EPOCH_DIFF * 10000000ULL;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(since / 10000000ULL);
    times[1].tv_nsec = static_cast<long>(since % 10000000ULL) * 100;
    if (::futimens(f.fd, times) != 0) return fail_errno(errno);
    return true;
}

bool filetime_to_local(std::uint64_t filetime, system_time *t) {
    if (filetime < EPOCH_DIFF * 10000000ULL) return fail(E_INVALID_PARAMETER);
    std::uint64_t since = filetime - EPOCH_DIFF * 10000000ULL;
    time_t secs = static_cast<time_t>(since / 10000000ULL);
    struct tm tm;
    if (!::localtime_r(&secs, &tm)) return fail(E_INVALID_PARAMETER);
    t->year = static_cast<std::uint16_t>(tm.tm_year + 1900);
    t->month = static_cast<std::uint16_t>(tm.tm_mon + 1);
    t->day_of_week = static_cast<std::uint16_t>(tm.tm_wday);
    t->day = static_cast<std::uint16_t>(tm.tm_mday);
    t->hour = static_cast<std::uint16_t>(tm.tm_hour);
    t->minute = static_cast<std::uint16_t>(tm.tm_min);
    t->second = static_cast<std::uint16_t>(tm.tm_sec);
    t->milliseconds = static_cast<std::uint16_t>(since / 10000ULL % 1000);
    return true;
}

bool local_to_filetime(const system_time *t, std::uint64_t *filetime) {
    if (t->year < 1970 || t->year > 30827 || t->month < 1 || t->month > 12 || t->day < 1 || t->day > 31 ||
        t->hour > 23 || t->minute > 59 || t->second > 59 || t->milliseconds > 999)
        return fail(E_INVALID_PARAMETER);
    struct tm tm {};
    tm.tm_year = t->year - 1900;
    tm.tm_mon = t->month - 1;
    tm.tm_mday = t->day;
    tm.tm_hour = t->hour;
    tm.tm_min = t->minute;
    tm.tm_sec = t->second;
    tm.tm_isdst = -1;
    time_t secs = ::mktime(&tm);
    if (secs == static_cast<time_t>(-1) || tm.tm_mday != t->day) return fail(E_INVALID_PARAMETER);
    *filetime = (static_cast<std::uint64_t>(secs) + EPOCH_DIFF) * 10000000ULL + t->milliseconds * 10000ULL;
    return true;
}

}  // namespace zp
