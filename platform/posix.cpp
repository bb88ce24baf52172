// The operating-system layer on POSIX systems.  Each call maps to its
// natural POSIX counterpart; failures are translated into the Windows error
// code that Windows gives for the same failure.
#include "platform/posix_internal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <limits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace zp {

namespace {
thread_local unsigned g_last_error = 0;
}  // namespace

namespace posix {

unsigned win_code(int e, const char *path) {
    switch (e) {
    case 0: return E_SUCCESS;
    case ENOENT:
        if (const char *sep = path ? last_separator(path) : nullptr) {
            if (sep > path) {
                std::string dir(path, static_cast<std::size_t>(sep - path));
                struct stat st;
                if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return E_PATH_NOT_FOUND;
            }
        }
        return E_FILE_NOT_FOUND;
    case ENOTDIR: return E_PATH_NOT_FOUND;
    case EACCES: case EPERM: case EISDIR: return E_ACCESS_DENIED;
    case EMFILE: case ENFILE: return E_TOO_MANY_OPEN_FILES;
    case EBADF: return E_INVALID_HANDLE;
    case ENOMEM: case EAGAIN: return E_NOT_ENOUGH_MEMORY;
    case ENOEXEC: return E_BAD_EXE_FORMAT;
    case EXDEV: return E_NOT_SAME_DEVICE;
    case EROFS: return E_WRITE_PROTECT;
    case EBUSY: case ETXTBSY: return E_SHARING_VIOLATION;
    case EEXIST: return E_FILE_EXISTS;
    case EINVAL: return E_INVALID_PARAMETER;
    case EPIPE: return E_BROKEN_PIPE;
    case EIO: return E_IO_DEVICE;
    case ENOSPC: case EFBIG: case EDQUOT: return E_DISK_FULL;
    case EILSEQ: return E_INVALID_NAME;
    case ENAMETOOLONG: return E_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return E_DIR_NOT_EMPTY;
    default: return E_INVALID_FUNCTION;
    }
}

bool fail(unsigned code) {
    g_last_error = code;
    return false;
}

}  // namespace posix

namespace {
using posix::win_code;

void fail_errno(int e, const char *path = nullptr) { g_last_error = win_code(e, path); }

std::uint64_t to_filetime(const struct timespec &ts) {
    // 100 ns units since 1601-01-01.
    return (static_cast<std::uint64_t>(ts.tv_sec) + 11644473600ULL) * 10000000ULL +
           static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

bool fill_find(const std::string &dir, const char *name, find_data *fd) {
    std::string full = dir + name;
    struct stat st;
    if (::stat(full.c_str(), &st) != 0) return false;
    std::memset(fd, 0, sizeof *fd);
    fd->attributes = S_ISDIR(st.st_mode) ? ATTR_DIRECTORY : ATTR_ARCHIVE;
    if (access(full.c_str(), W_OK) != 0 && errno == EACCES) fd->attributes |= ATTR_READONLY;
    struct stat lst;
    if (::lstat(full.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) fd->attributes |= ATTR_REPARSE_POINT;
    if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
        fd->attributes |= ATTR_HIDDEN;
    fd->creation_time = to_filetime(st.st_ctim);
    fd->access_time = to_filetime(st.st_atim);
    fd->write_time = to_filetime(st.st_mtim);
    fd->size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    std::snprintf(fd->name, sizeof fd->name, "%s", name);
    return true;
}

struct search {
    DIR *dir;
    std::string folder;   // with its trailing separator, or empty
    std::string pattern;  // the last component
};

bool has_wildcard(const std::string &s) { return s.find_first_of("*?") != std::string::npos; }

}  // namespace

fhandle lopen(const char *name, int access) {
    if (fault(FAULT_OPEN)) return HFILE_ERR;
    int flags = access == OPEN_READWRITE ? O_RDWR : access == OPEN_WRITE ? O_WRONLY : O_RDONLY;
    int fd = ::open(name, flags | O_CLOEXEC);
    if (fd < 0) {
        fail_errno(errno, name);
        return HFILE_ERR;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        g_last_error = E_ACCESS_DENIED;
        return HFILE_ERR;
    }
    return fd;
}

fhandle lcreat(const char *name) {
    if (fault(FAULT_OPEN)) return HFILE_ERR;
    int fd = ::open(name, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        fail_errno(errno, name);
        return HFILE_ERR;
    }
    return fd;
}

unsigned lread(fhandle h, void *buf, unsigned count) {
    if (fault(FAULT_READ)) return static_cast<unsigned>(-1);
    unsigned got = 0;
    while (got < count) {
        ssize_t n = ::read(h, static_cast<char *>(buf) + got, count - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail_errno(errno);
            return got ? got : static_cast<unsigned>(-1);
        }
        if (n == 0) break;
        got += static_cast<unsigned>(n);
    }
    return got;
}

unsigned lwrite(fhandle h, const void *buf, unsigned count) {
    if (fault(FAULT_WRITE)) return static_cast<unsigned>(-1);
    unsigned done = 0;
    while (done < count) {
        ssize_t n = ::write(h, static_cast<const char *>(buf) + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail_errno(errno);
            return done ? done : static_cast<unsigned>(-1);
        }
        done += static_cast<unsigned>(n);
    }
    return done;
}

unsigned read_at(fhandle h, std::uint64_t offset, void *buf, unsigned count) {
    if (fault(FAULT_READ)) return static_cast<unsigned>(-1);
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()) - count) {
        g_last_error = E_INVALID_PARAMETER;
        return static_cast<unsigned>(-1);
    }
    // One call, as ReadFile makes it: a file gives what it holds there.
    for (;;) {
        ssize_t n = ::pread(h, buf, count, static_cast<off_t>(offset));
        if (n >= 0) return static_cast<unsigned>(n);
        if (errno != EINTR) {
            fail_errno(errno);
            return static_cast<unsigned>(-1);
        }
    }
}

bool identify_file(fhandle h, file_id *id) {
    struct stat st;
    if (::fstat(h, &st) != 0) {
        fail_errno(errno);
        return false;
    }
    id->volume = static_cast<std::uint64_t>(st.st_dev);
    id->index = static_cast<std::uint64_t>(st.st_ino);
    return true;
}

long llseek(fhandle h, long offset, int origin) {
    if (fault(FAULT_SEEK)) return -1;
    int whence = origin == SEEK_FROM_START ? SEEK_SET : origin == SEEK_FROM_CURRENT ? SEEK_CUR : SEEK_END;
    off_t r = ::lseek(h, offset, whence);
    if (r < 0) {
        fail_errno(errno);
        return -1;
    }
    return static_cast<long>(r);
}

int lclose(fhandle h) {
    if (::close(h) != 0) {
        fail_errno(errno);
        return HFILE_ERR;
    }
    // A close that fails (the data could not be written) still gives back the handle.
    return fault(FAULT_FLUSH) ? HFILE_ERR : 0;
}

bool file_size(const char *name, std::uint64_t *size) {
    struct stat st;
    if (::stat(name, &st) != 0 || S_ISDIR(st.st_mode)) {
        fail_errno(errno, name);
        return false;
    }
    *size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool handle_size(fhandle h, std::uint64_t *size) {
    struct stat st;
    if (::fstat(h, &st) != 0) {
        fail_errno(errno);
        return false;
    }
    *size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool flush_file(fhandle h) {
    if (fault(FAULT_FLUSH)) return false;
    if (::fsync(h) != 0 && errno != EINVAL) {
        fail_errno(errno);
        return false;
    }
    return true;
}

bool set_file_size(fhandle h, std::uint64_t size) {
    if (fault(FAULT_WRITE)) return false;
    if (::ftruncate(h, static_cast<off_t>(size)) != 0) {
        fail_errno(errno);
        return false;
    }
    return true;
}

bool delete_file(const char *name) {
    struct stat st;
    if (::stat(name, &st) == 0 && S_ISDIR(st.st_mode)) {
        g_last_error = E_ACCESS_DENIED;
        return false;
    }
    if (::unlink(name) != 0) {
        fail_errno(errno, name);
        return false;
    }
    return true;
}

bool move_file(const char *from, const char *to) {
    // MoveFile does not replace an existing target.
    struct stat st;
    if (::lstat(to, &st) == 0) {
        g_last_error = E_ALREADY_EXISTS;
        return false;
    }
    if (::lstat(from, &st) != 0) {
        fail_errno(errno, from);
        return false;
    }
    if (::rename(from, to) != 0) {
        fail_errno(errno, to);
        return false;
    }
    return true;
}

bool create_directory(const char *path) {
    if (::mkdir(path, 0777) != 0) {
        int e = errno;
        if (e == EEXIST)
            g_last_error = E_ALREADY_EXISTS;
        else
            fail_errno(e == ENOENT ? ENOTDIR : e, path);
        return false;
    }
    return true;
}

find_handle find_first(const char *pattern, find_data *fd) {
    std::string pat(pattern);
    auto *s = new search{nullptr, "", pat};
    auto pos = pat.find_last_of('/');
    if (pos != std::string::npos) {
        s->folder = pat.substr(0, pos + 1);
        s->pattern = pat.substr(pos + 1);
    }
    if (s->pattern.empty()) {
        delete s;
        g_last_error = E_FILE_NOT_FOUND;
        return nullptr;
    }
    if (!has_wildcard(s->pattern)) {
        // A plain name: one stat, no directory walk.
        if (fill_find(s->folder, s->pattern.c_str(), fd)) {
            s->dir = nullptr;
            return s;
        }
        fail_errno(errno, pattern);
        delete s;
        return nullptr;
    }
    s->dir = ::opendir(s->folder.empty() ? "." : s->folder.c_str());
    if (!s->dir) {
        fail_errno(errno == ENOENT ? ENOTDIR : errno);
        delete s;
        return nullptr;
    }
    if (find_next(s, fd)) return s;
    ::closedir(s->dir);
    delete s;
    g_last_error = E_FILE_NOT_FOUND;
    return nullptr;
}

bool find_next(find_handle h, find_data *fd) {
    auto *s = static_cast<search *>(h);
    if (!s || !s->dir) {
        g_last_error = E_NO_MORE_FILES;
        return false;
    }
    while (struct dirent *e = ::readdir(s->dir)) {
        if (!wildcard_match(s->pattern.c_str(), e->d_name)) continue;
        if (fill_find(s->folder, e->d_name, fd)) return true;
    }
    g_last_error = E_NO_MORE_FILES;
    return false;
}

bool find_close(find_handle h) {
    auto *s = static_cast<search *>(h);
    if (!s) {
        g_last_error = E_INVALID_HANDLE;
        return false;
    }
    if (s->dir) ::closedir(s->dir);
    delete s;
    return true;
}

unsigned module_file_name(char *buf, unsigned size) {
    if (!buf || size == 0) return 0;
    char path[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        fail_errno(errno);
        return 0;
    }
    path[n] = '\0';
    unsigned len = static_cast<unsigned>(n);
    if (len >= size) {
        // Truncated like GetModuleFileNameA: size - 1 bytes and the terminator.
        std::memcpy(buf, path, size - 1);
        buf[size - 1] = '\0';
        g_last_error = 122;  // ERROR_INSUFFICIENT_BUFFER
        return size;
    }
    std::memcpy(buf, path, len + 1);
    return len;
}

unsigned last_error() { return g_last_error; }
void set_last_error(unsigned code) { g_last_error = code; }

unsigned format_message(unsigned code, char *buf, unsigned size) {
    // The texts a Japanese Windows gives for the codes this layer produces.
    static const struct { unsigned code; const char *text; } texts[] = {
        {0, "この操作を正しく終了しました。"},
        {1, "ファンクションが間違っています。"},
        {2, "指定されたファイルが見つかりません。"},
        {3, "指定されたパスが見つかりません。"},
        {4, "システムはファイルを開くことができません。"},
        {5, "アクセスが拒否されました。"},
        {6, "ハンドルが無効です。"},
        {8, "このコマンドを実行するのに十分な記憶域がありません。"},
        {17, "システムはファイルを別のディスク ドライブに移動できません。"},
        {18, "ファイルがもうありません。"},
        {19, "メディアは書き込み禁止になっています。"},
        {32, "プロセスはファイルにアクセスできません。別のプロセスが使用中です。"},
        {33, "プロセスはファイルにアクセスできません。別のプロセスがファイルの一部をロックしています。"},
        {38, "ファイルの終わりに到達しました。"},
        {80, "ファイルが存在します。"},
        {87, "パラメーターが間違っています。"},
        {109, "パイプは終了しました。"},
        {112, "ディスクに十分な空き領域がありません。"},
        {122, "システム コールに渡されるデータ領域が小さすぎます。"},
        {123, "ファイル名、ディレクトリ名、またはボリューム ラベルの構文が間違っています。"},
        {145, "ディレクトリが空ではありません。"},
        {183, "既に存在するファイルを作成することはできません。"},
        {206, "ファイル名または拡張子が長すぎます。"},
        {1117, "I/O デバイス エラーのため、要求を実行できませんでした。"},
    };
    for (const auto &t : texts) {
        if (t.code != code) continue;
        int n = std::snprintf(buf, size, "%s\r\n", t.text);
        if (n < 0) return 0;
        return static_cast<unsigned>(n) < size ? static_cast<unsigned>(n) : size - 1;
    }
    g_last_error = 317;  // ERROR_MR_MID_NOT_FOUND
    return 0;
}

void local_time(system_time *t) {
    struct timeval tv;
    ::gettimeofday(&tv, nullptr);
    filetime_to_local(to_filetime({tv.tv_sec, static_cast<long>(tv.tv_usec) * 1000}), t);
}

const char *get_env(const char *name) { return std::getenv(name); }

void message_beep() {}

int message_box(const char *text, const char *caption) {
    // One line on standard error; nobody is there to press OK.
    std::string line = "[MessageBox]";
    if (caption && *caption) {
        line += ' ';
        line += caption;
        line += ':';
    }
    line += ' ';
    for (const char *p = text ? text : ""; *p; ++p) line += (*p == '\r' || *p == '\n') ? ' ' : *p;
    line += '\n';
    ssize_t r = ::write(2, line.data(), line.size());
    (void)r;
    return 1;
}

void raise_report(char *message) { throw message; }
void arm_report_trap() {}
char *disarm_report_trap() { return nullptr; }

}  // namespace zp

#include <iconv.h>

namespace zp {
namespace {
std::size_t convert(const char *from_code, const char *to_code, const char *in, char *out, std::size_t size,
                    bool *lossless) {
    if (lossless) *lossless = true;
    if (!out || size == 0) return 0;
    iconv_t cd = iconv_open(to_code, from_code);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::snprintf(out, size, "%s", in);
        return std::strlen(out);
    }
    char *src = const_cast<char *>(in);
    std::size_t src_left = std::strlen(in);
    char *dst = out;
    std::size_t dst_left = size - 1;
    while (src_left > 0 && dst_left > 0) {
        if (iconv(cd, &src, &src_left, &dst, &dst_left) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) break;
        if (lossless) *lossless = false;
        ++src;  // skip the byte that does not convert
        --src_left;
        *dst++ = '?';
        --dst_left;
    }
    iconv_close(cd);
    *dst = '\0';
    return static_cast<std::size_t>(dst - out);
}
}  // namespace

std::size_t sjis_to_utf8(const char *sjis, char *out, std::size_t size) {
    return convert("CP932", "UTF-8", sjis ? sjis : "", out, size, nullptr);
}

bool utf8_to_sjis(const char *utf8, char *out, std::size_t size) {
    bool ok = true;
    convert("UTF-8", "CP932", utf8 ? utf8 : "", out, size, &ok);
    return ok;
}
}  // namespace zp

#include <langinfo.h>

#include <clocale>

namespace zp {
bool use_user_locale() {
    std::setlocale(LC_CTYPE, "");
    return locale_is_utf8();
}

bool locale_is_utf8() {
    const char *set = nl_langinfo(CODESET);
    return set && (std::strcmp(set, "UTF-8") == 0 || std::strcmp(set, "utf8") == 0);
}

void set_locale_utf8(bool utf8) { std::setlocale(LC_CTYPE, utf8 ? "C.UTF-8" : "C"); }

// ---- the process command line ----------------------------------------------

const char *command_line() {
    static std::string line;
    static bool read = false;
    if (read) return line.c_str();
    read = true;
    std::string raw;
    int fd = ::open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0) raw.append(buf, static_cast<std::size_t>(n));
        ::close(fd);
    }
    // The arguments end in a NUL each.
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos) end = raw.size();
        std::string arg = raw.substr(start, end - start);
        if (!line.empty()) line += ' ';
        if (arg.empty() || arg.find(' ') != std::string::npos)
            line += '"' + arg + '"';
        else
            line += arg;
        start = end + 1;
    }
    return line.c_str();
}
}  // namespace zp

#include <termios.h>

namespace zp {
bool set_input_echo(bool on) {
    termios t;
    if (!isatty(0) || tcgetattr(0, &t) != 0) return false;
    if (on)
        t.c_lflag |= ECHO;
    else
        t.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    return tcsetattr(0, TCSANOW, &t) == 0;
}
}  // namespace zp
