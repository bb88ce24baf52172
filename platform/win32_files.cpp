// Whole-file operations, drives and file times on Windows: CopyFileA,
// SHFileOperationA, GetLogicalDriveStringsA and the file-time calls.
#include "platform/platform.h"
#include "platform/win32_internal.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace zp {

namespace {
FILETIME to_ft(std::uint64_t v) {
    FILETIME f;
    f.dwLowDateTime = static_cast<DWORD>(v & 0xFFFFFFFFu);
    f.dwHighDateTime = static_cast<DWORD>(v >> 32);
    return f;
}
std::uint64_t from_ft(const FILETIME &f) {
    return (static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
}
// A list of one name for the shell: the name and two terminators.
std::string one_name(const char *name) { return std::string(name) + '\0'; }
}  // namespace

bool copy_file(const char *from, const char *to, bool fail_if_exists) {
    return ::CopyFileA(from, to, fail_if_exists ? TRUE : FALSE) != 0;
}

bool replace_file(const char *from, const char *to) {
    return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0;
}

int shell_file_operation(unsigned operation, const char *from, const char *to, unsigned flags, bool *aborted) {
    std::string source = one_name(from ? from : ""), target = one_name(to ? to : "");
    SHFILEOPSTRUCTA op{};
    op.hwnd = nullptr;
    op.wFunc = operation;
    op.pFrom = source.c_str();
    op.pTo = to ? target.c_str() : nullptr;
    op.fFlags = static_cast<FILEOP_FLAGS>(flags);
    int r = ::SHFileOperationA(&op);
    if (aborted) *aborted = op.fAnyOperationsAborted != FALSE;
    return r;
}

unsigned logical_drive_strings(char *buf, unsigned size) { return ::GetLogicalDriveStringsA(size, buf); }

bool get_file_times(const char *name, std::uint64_t *creation, std::uint64_t *write) {
    HANDLE h = ::CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME c, w;
    BOOL ok = ::GetFileTime(h, &c, nullptr, &w);
    DWORD code = ::GetLastError();
    ::CloseHandle(h);
    if (!ok) {
        ::SetLastError(code);
        return false;
    }
    if (creation) *creation = from_ft(c);
    if (write) *write = from_ft(w);
    return true;
}

bool set_file_write_time(const char *name, std::uint64_t write, bool *opened) {
    HANDLE h = ::CreateFileA(name, GENERIC_READ | FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened) *opened = h != INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME w = to_ft(write);
    BOOL ok = ::SetFileTime(h, nullptr, nullptr, &w);
    DWORD code = ::GetLastError();
    ::CloseHandle(h);
    if (!ok) ::SetLastError(code);
    return ok != FALSE;
}

bool filetime_to_local(std::uint64_t filetime, system_time *t) {
    FILETIME utc = to_ft(filetime), local;
    SYSTEMTIME s;
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &s)) return false;
    win::from_systemtime(s, t);
    return true;
}

bool local_to_filetime(const system_time *t, std::uint64_t *filetime) {
    SYSTEMTIME s = win::to_systemtime(t);
    FILETIME local, utc;
    if (!::SystemTimeToFileTime(&s, &local) || !::LocalFileTimeToFileTime(&local, &utc)) return false;
    *filetime = from_ft(utc);
    return true;
}

}  // namespace zp
