// The operating-system layer on Windows: the real APIs.
#include "platform/platform.h"
#include "platform/win32_internal.h"

#include <windows.h>

#include <cstring>

namespace zp {

fhandle lopen(const char *name, int access) {
    if (fault(FAULT_OPEN)) return HFILE_ERR;
    return ::_lopen(name, access);
}

fhandle lcreat(const char *name) {
    if (fault(FAULT_OPEN)) return HFILE_ERR;
    return ::_lcreat(name, 0);
}

unsigned lread(fhandle h, void *buf, unsigned count) {
    if (fault(FAULT_READ)) return static_cast<unsigned>(-1);
    return ::_lread(h, buf, count);
}

unsigned lwrite(fhandle h, const void *buf, unsigned count) {
    if (fault(FAULT_WRITE)) return static_cast<unsigned>(-1);
    return ::_lwrite(h, static_cast<LPCCH>(buf), count);
}

long llseek(fhandle h, long offset, int origin) {
    if (fault(FAULT_SEEK)) return -1;
    return ::_llseek(h, offset, origin);
}

unsigned read_at(fhandle h, std::uint64_t offset, void *buf, unsigned count) {
    if (fault(FAULT_READ)) return static_cast<unsigned>(-1);
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!::ReadFile(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(h)), buf, count, &got, &at)) {
        // A synchronous read given an offset reports the end of the file.
        if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
        return static_cast<unsigned>(-1);
    }
    return got;
}

bool identify_file(fhandle h, file_id *id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(h)), &info)) return false;
    id->volume = info.dwVolumeSerialNumber;
    id->index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

int lclose(fhandle h) {
    // A close that fails (the data could not be written) still gives back the handle.
    int r = ::_lclose(h);
    return fault(FAULT_FLUSH) ? HFILE_ERR : r;
}

bool file_size(const char *name, std::uint64_t *size) {
    WIN32_FILE_ATTRIBUTE_DATA fad;
    if (!::GetFileAttributesExA(name, GetFileExInfoStandard, &fad)) return false;
    if (fad.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    *size = (static_cast<std::uint64_t>(fad.nFileSizeHigh) << 32) | fad.nFileSizeLow;
    return true;
}

bool handle_size(fhandle h, std::uint64_t *size) {
    DWORD high = 0;
    DWORD low = ::GetFileSize(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(h)), &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return false;
    *size = (static_cast<std::uint64_t>(high) << 32) | low;
    return true;
}

bool flush_file(fhandle h) {
    if (fault(FAULT_FLUSH)) return false;
    return ::FlushFileBuffers(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(h))) != 0;
}

bool set_file_size(fhandle h, std::uint64_t size) {
    if (fault(FAULT_WRITE)) return false;
    HANDLE fh = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(h));
    LONG high = static_cast<LONG>(size >> 32);
    if (::SetFilePointer(fh, static_cast<LONG>(size & 0xFFFFFFFFu), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        ::GetLastError() != NO_ERROR)
        return false;
    return ::SetEndOfFile(fh) != 0;
}

bool delete_file(const char *name) {
    OFSTRUCT of;
    return ::OpenFile(name, &of, OF_DELETE) != HFILE_ERROR;
}

bool move_file(const char *from, const char *to) { return ::MoveFileA(from, to) != 0; }

bool create_directory(const char *path) { return ::CreateDirectoryA(path, nullptr) != 0; }

namespace {
std::uint64_t ft(const FILETIME &t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}
void convert(const WIN32_FIND_DATAA &w, find_data *fd) {
    fd->attributes = w.dwFileAttributes;
    fd->creation_time = ft(w.ftCreationTime);
    fd->access_time = ft(w.ftLastAccessTime);
    fd->write_time = ft(w.ftLastWriteTime);
    fd->size = (static_cast<std::uint64_t>(w.nFileSizeHigh) << 32) | w.nFileSizeLow;
    std::memcpy(fd->name, w.cFileName, sizeof fd->name);
    fd->name[sizeof fd->name - 1] = '\0';
}
}  // namespace

find_handle find_first(const char *pattern, find_data *fd) {
    WIN32_FIND_DATAA w;
    HANDLE h = ::FindFirstFileA(pattern, &w);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    convert(w, fd);
    return h;
}

bool find_next(find_handle h, find_data *fd) {
    WIN32_FIND_DATAA w;
    if (!::FindNextFileA(static_cast<HANDLE>(h), &w)) return false;
    convert(w, fd);
    return true;
}

bool find_close(find_handle h) { return ::FindClose(static_cast<HANDLE>(h)) != 0; }

unsigned module_file_name(char *buf, unsigned size) {
    return ::GetModuleFileNameA(nullptr, buf, size);
}

unsigned last_error() { return ::GetLastError(); }
void set_last_error(unsigned code) { ::SetLastError(code); }

unsigned format_message(unsigned code, char *buf, unsigned size) {
    return ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                            MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buf, size, nullptr);
}

void local_time(system_time *t) {
    SYSTEMTIME s;
    ::GetLocalTime(&s);
    win::from_systemtime(s, t);
}

const char *get_env(const char *name) {
    static char value[1024];
    DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    if (n == 0 || n >= sizeof value) {
        if (n == 0) return nullptr;
        // Longer than our buffer: hand a cut copy, its length tells callers it
        // is too long for any use here.
        value[sizeof value - 1] = '\0';
    }
    return value;
}

void message_beep() { ::MessageBeep(0); }

int message_box(const char *text, const char *caption) {
    return ::MessageBoxA(::GetActiveWindow(), text, caption, MB_OK);
}

// ---- reports as Microsoft C++ exceptions --------------------------------
//
// The layout a Microsoft x86 compiler emits for `throw (char *)p`: the
// exception code 0xE06D7363 ('msc' | 0xE0000000) with three parameters, the
// magic number 0x19930520, the address of the thrown object (here the
// pointer) and its ThrowInfo, whose catchable types are `char *` (".PAD")
// and `void *` (".PAX").  Type descriptors are matched by name, so the
// v-table pointer only has to be non-null.
namespace {
constexpr DWORD MSVC_EXCEPTION = 0xE06D7363;
constexpr ULONG_PTR MSVC_MAGIC = 0x19930520;

struct TypeDescriptor {
    const void *vftable;
    void *spare;
    char name[8];
};
struct PMD {
    int mdisp, pdisp, vdisp;
};

const int g_vftable_stand_in = 0;

#ifdef _WIN64
// On x86-64 the records refer to each other by offsets from the image base,
// which travels as the fourth parameter.
extern "C" IMAGE_DOS_HEADER __ImageBase;
struct CatchableType {
    unsigned properties;
    int type;
    PMD this_displacement;
    int size_or_offset;
    int copy_function;
};
struct CatchableTypeArray {
    int count;
    int types[2];
};
struct ThrowInfo {
    unsigned attributes;
    int unwind;
    int forward_compat;
    int catchable;
};
constexpr DWORD REPORT_PARAMS = 4;
TypeDescriptor g_td_char_ptr = {&g_vftable_stand_in, nullptr, ".PEAD"};
TypeDescriptor g_td_void_ptr = {&g_vftable_stand_in, nullptr, ".PEAX"};
CatchableType g_ct_char_ptr = {1, 0, {0, -1, 0}, 8, 0};
CatchableType g_ct_void_ptr = {1, 0, {0, -1, 0}, 8, 0};
CatchableTypeArray g_catchable = {2, {0, 0}};
ThrowInfo g_throw_info = {0, 0, 0, 0};

int rva(const void *p) {
    return static_cast<int>(reinterpret_cast<const char *>(p) - reinterpret_cast<const char *>(&__ImageBase));
}
template <class T>
const T *at(ULONG_PTR base, int offset) {
    return reinterpret_cast<const T *>(base + static_cast<ULONG_PTR>(static_cast<unsigned>(offset)));
}
void prepare_throw_info() {
    if (g_throw_info.catchable) return;
    g_ct_char_ptr.type = rva(&g_td_char_ptr);
    g_ct_void_ptr.type = rva(&g_td_void_ptr);
    g_catchable.types[0] = rva(&g_ct_char_ptr);
    g_catchable.types[1] = rva(&g_ct_void_ptr);
    g_throw_info.catchable = rva(&g_catchable);
}
const char *first_type_name(const EXCEPTION_RECORD *r) {
    ULONG_PTR base = r->ExceptionInformation[3];
    auto *ti = reinterpret_cast<const ThrowInfo *>(r->ExceptionInformation[2]);
    if (!ti || !base || !ti->catchable) return nullptr;
    auto *cta = at<CatchableTypeArray>(base, ti->catchable);
    if (cta->count < 1) return nullptr;
    auto *ct = at<CatchableType>(base, cta->types[0]);
    return at<TypeDescriptor>(base, ct->type)->name;
}
const char *const CHAR_PTR_NAME = ".PEAD";
#else
struct CatchableType {
    unsigned properties;
    TypeDescriptor *type;
    PMD this_displacement;
    int size_or_offset;
    void *copy_function;
};
struct CatchableTypeArray {
    int count;
    CatchableType *types[2];
};
struct ThrowInfo {
    unsigned attributes;
    void *unwind;
    void *forward_compat;
    CatchableTypeArray *catchable;
};
constexpr DWORD REPORT_PARAMS = 3;
TypeDescriptor g_td_char_ptr = {&g_vftable_stand_in, nullptr, ".PAD"};
TypeDescriptor g_td_void_ptr = {&g_vftable_stand_in, nullptr, ".PAX"};
CatchableType g_ct_char_ptr = {1, &g_td_char_ptr, {0, -1, 0}, 4, nullptr};
CatchableType g_ct_void_ptr = {1, &g_td_void_ptr, {0, -1, 0}, 4, nullptr};
CatchableTypeArray g_catchable = {2, {&g_ct_char_ptr, &g_ct_void_ptr}};
ThrowInfo g_throw_info = {0, nullptr, nullptr, &g_catchable};

void prepare_throw_info() {}
const char *first_type_name(const EXCEPTION_RECORD *r) {
    auto *ti = reinterpret_cast<const ThrowInfo *>(r->ExceptionInformation[2]);
    if (!ti || !ti->catchable || ti->catchable->count < 1) return nullptr;
    const CatchableType *ct = ti->catchable->types[0];
    return ct && ct->type ? ct->type->name : nullptr;
}
const char *const CHAR_PTR_NAME = ".PAD";
#endif

// The thrown object: the pointer itself.  Reports are per thread.
thread_local char *g_thrown = nullptr;

thread_local int g_trap_depth = 0;
thread_local char *g_trapped = nullptr;

bool is_char_ptr_report(const EXCEPTION_RECORD *r) {
    if (r->ExceptionCode != MSVC_EXCEPTION || r->NumberParameters < REPORT_PARAMS) return false;
    if (r->ExceptionInformation[0] != MSVC_MAGIC || r->ExceptionInformation[1] == 0) return false;
    const char *name = first_type_name(r);
    return name && std::strcmp(name, CHAR_PTR_NAME) == 0;
}

LONG CALLBACK trap_handler(EXCEPTION_POINTERS *ep) {
    const EXCEPTION_RECORD *r = ep->ExceptionRecord;
    if (g_trap_depth <= 0 || (r->ExceptionFlags & EXCEPTION_NONCONTINUABLE) || !is_char_ptr_report(r))
        return EXCEPTION_CONTINUE_SEARCH;
    g_trapped = *reinterpret_cast<char **>(r->ExceptionInformation[1]);
    return EXCEPTION_CONTINUE_EXECUTION;
}
}  // namespace

void raise_report(char *message) {
    prepare_throw_info();
    g_thrown = message;
    ULONG_PTR args[4] = {MSVC_MAGIC, reinterpret_cast<ULONG_PTR>(&g_thrown),
                         reinterpret_cast<ULONG_PTR>(&g_throw_info), 0};
#ifdef _WIN64
    args[3] = reinterpret_cast<ULONG_PTR>(&__ImageBase);
#endif
    ::RaiseException(MSVC_EXCEPTION, 0, REPORT_PARAMS, args);
}

void arm_report_trap() {
    static PVOID handler = ::AddVectoredExceptionHandler(1, trap_handler);
    (void)handler;
    if (g_trap_depth++ == 0) g_trapped = nullptr;
}

char *disarm_report_trap() {
    char *m = g_trapped;
    g_trapped = nullptr;
    if (g_trap_depth > 0) --g_trap_depth;
    return m;
}

}  // namespace zp

namespace zp {
namespace {
std::size_t recode(UINT from, UINT to, const char *in, char *out, std::size_t size, bool *lossless) {
    if (lossless) *lossless = true;
    if (!out || size == 0) return 0;
    out[0] = '\0';
    int wlen = ::MultiByteToWideChar(from, 0, in, -1, nullptr, 0);
    if (wlen <= 0) return 0;
    wchar_t *wide = new wchar_t[static_cast<std::size_t>(wlen)];
    ::MultiByteToWideChar(from, 0, in, -1, wide, wlen);
    BOOL used_default = FALSE;
    int n = ::WideCharToMultiByte(to, 0, wide, -1, out, static_cast<int>(size), nullptr,
                                  to == CP_UTF8 ? nullptr : &used_default);
    if (n <= 0) {
        // Does not fit: convert into a scratch buffer and cut.
        int need = ::WideCharToMultiByte(to, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        char *tmp = new char[static_cast<std::size_t>(need > 0 ? need : 1)];
        ::WideCharToMultiByte(to, 0, wide, -1, tmp, need, nullptr, nullptr);
        std::size_t len = std::strlen(tmp);
        if (len >= size) len = size - 1;
        std::memcpy(out, tmp, len);
        out[len] = '\0';
        delete[] tmp;
        n = static_cast<int>(len) + 1;
    }
    delete[] wide;
    if (lossless && used_default) *lossless = false;
    return std::strlen(out);
}
}  // namespace

std::size_t sjis_to_utf8(const char *sjis, char *out, std::size_t size) {
    return recode(932, CP_UTF8, sjis ? sjis : "", out, size, nullptr);
}

bool utf8_to_sjis(const char *utf8, char *out, std::size_t size) {
    bool ok = true;
    recode(CP_UTF8, 932, utf8 ? utf8 : "", out, size, &ok);
    return ok;
}
}  // namespace zp

namespace zp {
bool use_user_locale() { return false; }
bool locale_is_utf8() { return false; }
void set_locale_utf8(bool) {}

// ---- the process command line ----------------------------------------------

const char *command_line() { return GetCommandLineA(); }
}  // namespace zp

namespace zp {
bool set_input_echo(bool on) {
    HANDLE in = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (in == INVALID_HANDLE_VALUE || !::GetConsoleMode(in, &mode)) return false;
    mode = on ? (mode | ENABLE_ECHO_INPUT) : (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    return ::SetConsoleMode(in, mode) != 0;
}
}  // namespace zp
