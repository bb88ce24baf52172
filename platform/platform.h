// The operating-system layer: the only code of the tree that calls the
// operating system.  One interface, two implementations (win32.cpp calls the
// Windows APIs, posix.cpp maps each call to its POSIX counterpart).
//
// Error codes are Windows error codes on both; paths are byte strings
// (Shift-JIS on Windows) and use the native separator, which is `\` on
// Windows and `/` on POSIX.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zp {

// ---- paths: separators and file names -------------------------------------
#ifdef _WIN32
constexpr char SEP = '\\';
constexpr const char *SEP_STR = "\\";
#else
constexpr char SEP = '/';
constexpr const char *SEP_STR = "/";
#endif

// Path separators: `\`, `/` and the drive colon on Windows, `/` on POSIX.
// Paths are scanned byte by byte, as the system's own path routines do, so
// on Windows a second byte 0x5C of a double-byte character counts too.
constexpr bool is_separator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/' || c == ':';
#else
    return c == '/';
#endif
}
// The last separator of `path`, or null when it has none.
const char *last_separator(const char *path);
// The file-name part of `path`: what follows its last separator, or the
// whole path.
const char *file_name_part(const char *path);

// ---- Windows error codes, also those of the POSIX mapping -----------------
enum : unsigned {
    E_SUCCESS = 0,
    E_INVALID_FUNCTION = 1,
    E_FILE_NOT_FOUND = 2,
    E_PATH_NOT_FOUND = 3,
    E_TOO_MANY_OPEN_FILES = 4,
    E_ACCESS_DENIED = 5,
    E_INVALID_HANDLE = 6,
    E_NOT_ENOUGH_MEMORY = 8,
    E_NOT_SAME_DEVICE = 17,
    E_NO_MORE_FILES = 18,
    E_WRITE_PROTECT = 19,
    E_SHARING_VIOLATION = 32,
    E_LOCK_VIOLATION = 33,
    E_HANDLE_EOF = 38,
    E_FILE_EXISTS = 80,
    E_INVALID_PARAMETER = 87,
    E_BROKEN_PIPE = 109,
    E_DISK_FULL = 112,
    E_IO_DEVICE = 1117,
    E_INVALID_NAME = 123,
    E_DIR_NOT_EMPTY = 145,
    E_ALREADY_EXISTS = 183,
    E_BAD_EXE_FORMAT = 193,
    E_FILENAME_EXCED_RANGE = 206,
    E_NOT_OWNER = 288,
};

// ---- files: handle-based calls, deleting, moving, folders -----------------
// A handle is a 32-bit signed value; HFILE_ERROR (-1) is the error handle.
using fhandle = int;
constexpr fhandle HFILE_ERR = -1;

enum : int { OPEN_READ = 0, OPEN_WRITE = 1, OPEN_READWRITE = 2 };
enum : int { SEEK_FROM_START = 0, SEEK_FROM_CURRENT = 1, SEEK_FROM_END = 2 };

fhandle lopen(const char *name, int access);   // open an existing file
fhandle lcreat(const char *name);              // create or truncate, read/write
unsigned lread(fhandle h, void *buf, unsigned count);   // (unsigned)-1 on error
unsigned lwrite(fhandle h, const void *buf, unsigned count);  // (unsigned)-1 on error
// Failing file calls on purpose, in builds made with ZU_FAULT_INJECTION
// (without it the check is nothing).  A test starts the process with
// ZU_FAIL=<op>:<n>[:<code>] (op read, write, seek, open or flush; code a
// Windows error code, 1117 by default): the n-th call of that kind in the
// module fails with the code in last_error().  ZU_FAIL_WRITE=n is
// ZU_FAIL=write:n.  The file primitives begin with `if (fault(FAULT_...))`.
enum fault_op : int { FAULT_READ, FAULT_WRITE, FAULT_SEEK, FAULT_OPEN, FAULT_FLUSH };
#ifdef ZU_FAULT_INJECTION
bool fault(fault_op op);
#else
inline bool fault(fault_op) { return false; }
#endif
long llseek(fhandle h, long offset, int origin);        // -1 on error
int lclose(fhandle h);                                  // HFILE_ERR on error
// Size of a named file; false when it cannot be measured.
bool file_size(const char *name, std::uint64_t *size);
// Size of an open file; false on error.
bool handle_size(fhandle h, std::uint64_t *size);
// Push the file's data to the disk.
bool flush_file(fhandle h);
// Truncate or extend an open file to `size` bytes.
bool set_file_size(fhandle h, std::uint64_t size);

// Delete a file (OpenFile with OF_DELETE on Windows).  false on error,
// the code in last_error().
bool delete_file(const char *name);
// Rename or move a file.  false on error.
bool move_file(const char *from, const char *to);
// Create one directory level.  false on error (also when it exists).
bool create_directory(const char *path);
// Read up to `count` bytes at byte `offset` of the file in one call, without
// a separate seek; fewer at the end of the file.  (unsigned)-1 on error.
// The handle's file position afterwards is unspecified: a later lread or
// lwrite positions first.
unsigned read_at(fhandle h, std::uint64_t offset, void *buf, unsigned count);
// What names one file whatever path opened it (device and inode on POSIX,
// volume serial number and file index on Windows); false on error.
struct file_id {
    std::uint64_t volume;
    std::uint64_t index;
};
bool identify_file(fhandle h, file_id *id);

// ---- directory search -----------------------------------------------------
enum : std::uint32_t {
    ATTR_READONLY = 0x01,
    ATTR_HIDDEN = 0x02,
    ATTR_SYSTEM = 0x04,
    ATTR_DIRECTORY = 0x10,
    ATTR_ARCHIVE = 0x20,
    ATTR_NORMAL = 0x80,
};

// The find record: what WIN32_FIND_DATAA gives, in a layout of our own.
// Times are FILETIME values (100 ns units since 1601-01-01, UTC).
struct find_data {
    std::uint32_t attributes;
    std::uint64_t creation_time;
    std::uint64_t access_time;
    std::uint64_t write_time;
    std::uint64_t size;
    char name[260];
};

using find_handle = void *;
// Start a search on a pattern that may hold `*` and `?` in its last
// component.  Null when nothing matches (the code in last_error()).
find_handle find_first(const char *pattern, find_data *fd);
bool find_next(find_handle h, find_data *fd);
bool find_close(find_handle h);

// Wildcard match of one name as the Windows file search does it: `*` any
// run, `?` one character, case-insensitive for ASCII; "*.*" matches every
// name, also names without a dot.
bool wildcard_match(const char *pattern, const char *name);

// ---- the process: last error, system texts, time, environment, message box
// Full path of the executable; 0 when it cannot be read.  The result is
// truncated to size - 1 bytes like GetModuleFileNameA.
unsigned module_file_name(char *buf, unsigned size);
unsigned last_error();
void set_last_error(unsigned code);
// System text of a Windows error code, ending in CR LF as the system gives
// it; returns the length written, 0 when the system has no text (then `buf`
// is left as it is).
unsigned format_message(unsigned code, char *buf, unsigned size);

struct system_time {   // SYSTEMTIME
    std::uint16_t year, month, day_of_week, day, hour, minute, second, milliseconds;
};
void local_time(system_time *t);

// Environment variable; null when not set.  The pointer is valid until the
// next call.
const char *get_env(const char *name);

// Message box owned by the active window, with its beep before it.
// On POSIX: one line on standard error, no waiting; returns 1 (IDOK).
void message_beep();
int message_box(const char *text, const char *caption);

// ---- Shift-JIS and UTF-8 for terminals ------------------------------------
// Shift-JIS (code page 932) text as UTF-8, for tools that print to a
// terminal.  Bytes that do not convert are kept as '?'.
std::size_t sjis_to_utf8(const char *sjis, char *out, std::size_t size);
// UTF-8 text as Shift-JIS; false when a character has no Shift-JIS form.
bool utf8_to_sjis(const char *utf8, char *out, std::size_t size);

// ---- reports across module boundaries -------------------------------------
// Hand a report (the `char *` message) to the caller of an export.  On POSIX
// this is the C++ throw itself.  On Windows it is a Microsoft C++ exception
// (code 0xE06D7363) throwing a `char *`, which MSVC and Delphi hosts catch; it
// returns only when the host resumes execution (a vectored handler), and the
// export then returns its neutral result.
void raise_report(char *message);

// Arm / disarm the current thread's report trap (Windows): while armed, a
// report raised as above by any module is caught by a vectored handler, its
// text kept, and execution resumed.  disarm_report_trap gives the text of the
// report caught meanwhile, or null (always null on POSIX).
void arm_report_trap();
char *disarm_report_trap();

// ---- kernel handles: processes, named mutexes and waits -------------------
// A kernel object handle (process, thread, mutex).  Windows: the HANDLE.
// POSIX: an object of this layer, closed with close_handle.
using os_handle = void *;

// Wait results (WaitForSingleObject).
enum : unsigned {
    WAIT_SIGNALED = 0,
    WAIT_WAS_ABANDONED = 0x80,
    WAIT_TIMED_OUT = 258,
    WAIT_FAILURE = 0xFFFFFFFFu,
};
constexpr unsigned WAIT_FOREVER = 0xFFFFFFFFu;

bool close_handle(os_handle h);
// Wait for a process to end or for the ownership of a mutex, at most `ms`
// milliseconds (WAIT_FOREVER: no limit).
unsigned wait_handle(os_handle h, unsigned ms);

// Start a program from its command line without a command interpreter; the
// new process inherits the caller's inheritable (standard) handles and gets
// a window of 300 x 300 pixels shown with `show_mode` (SW_ codes; ignored on
// POSIX, which splits the command line as the Windows C runtime does).
// false on failure, the code in last_error().
struct process_info {
    os_handle process;
    os_handle thread;
};
bool create_process(const char *command_line, int show_mode, process_info *info);
// Exit code of an ended process; false when it cannot be read.  On POSIX a
// process ended by a signal gives the code Windows gives for the same end
// (0xC0000005 for SIGSEGV, 3 for SIGABRT) or 128 + the signal number.
bool exit_code(os_handle process, unsigned *code);
// End a process at once with that exit code (POSIX: SIGKILL).
bool terminate_process(os_handle process, unsigned code);

// Run a program hidden with its standard input, output and error connected
// to pipes: the input is closed (at once on POSIX, after the program became
// idle for input or 1000 ms on Windows), both outputs are read while it
// runs, and the call returns once it has ended and what it wrote is read.
// The first out_size / err_size bytes of each stream are kept (the rest is
// read and dropped, so a talkative program never blocks on a full pipe);
// the lengths go to *out_len / *err_len.  false when the pipes cannot be
// made or the program does not start.
bool run_redirected(const char *command_line, char *out, unsigned out_size, unsigned *out_len,
                    char *err, unsigned err_size, unsigned *err_len);

// The C library's command interpreter call; on POSIX the exit status of the
// shell (as on Windows), -1 when it cannot run.
int run_shell(const char *command);

// Open a file or document with the shell's default action.  Returns the
// shell's code: above 32 on success, 31 when no program is associated, 2
// when the file does not exist.  POSIX: through xdg-open when it exists.
int shell_open(const char *file, int show_mode);

// Named mutexes.  A name exists while any process holds a handle to it;
// ownership is per thread, exclusive between processes and recursive for
// the owning thread; a process that ends releases its ownership and handles.
// create: opens the existing one (last_error() then E_ALREADY_EXISTS) or
// makes a new one, owned by the calling thread when `initial_owner`.
// open: only an existing one (E_FILE_NOT_FOUND when there is none).
os_handle mutex_create(const char *name, bool initial_owner);
os_handle mutex_open(const char *name);
// Give up one level of ownership; false (E_NOT_OWNER) when the calling
// thread does not own it.
bool mutex_release(os_handle h);

// ---- the calling thread's message queue, timers and windows ---------------
// POSIX has no message queue: nothing is ever queued, no timer is made and
// no window is found.
enum : unsigned { MSG_QUIT = 0x0012, MSG_TIMER = 0x0113 };
struct message {
    void *window;
    unsigned id;
    std::uintptr_t wparam;
    std::intptr_t lparam;
    alignas(8) unsigned char raw[64];   // the system's own record
};
// Take one message without waiting; false when none is queued.
bool peek_message(message *m);
// Wait for the next message: 1, 0 for a quit message, -1 on failure (and
// at once on POSIX).
int get_message(message *m);
// Translate and dispatch (a timer message with a routine runs the routine).
void dispatch_message(const message *m);
// A thread timer that runs `routine` with its identifier each time its timer
// message is dispatched; 0 on failure (always on POSIX).
using timer_routine = void (*)(std::uintptr_t id);
std::uintptr_t set_thread_timer(unsigned ms, timer_routine routine);
bool kill_thread_timer(std::uintptr_t id);
// Post a timer message for `id` (no routine) to the calling thread.
bool post_timer_message(std::uintptr_t id);
void sleep_ms(unsigned ms);
// Milliseconds of the C library's clock (Windows: since the process
// started; POSIX: a monotonic clock).
long clock_ms();
// A top-level window of that class exists.
bool find_window_class(const char *class_name);
// Bring a window to the foreground even when another thread owns the
// foreground; non-zero on success.
int force_foreground_window(void *window);

// ---- the user's locale ------------------------------------------------------
// Takes the character type of the user's locale for the process
// (setlocale(LC_CTYPE, "")) and tells whether its text is UTF-8.  For
// programs only: a library never changes the process's locale.  Windows:
// false, nothing changes (the console keeps the ANSI code page).
bool use_user_locale();
// Whether the text of the process's current locale is UTF-8.  Windows: false.
bool locale_is_utf8();
// Sets the process's character type to UTF-8 or to plain bytes ("C"), so that
// what the libraries print follows a program's choice.  Windows: no effect.
void set_locale_utf8(bool utf8);

// ---- the process command line ---------------------------------------------
// The command line the process was started with.  Windows: as the system
// keeps it.  POSIX: the arguments joined by blanks, an argument that holds a
// blank or is empty enclosed in double quotes.  Valid for the process's life.
const char *command_line();

// ---- whole-file operations, drives and file times -------------------------
// Attribute of a reparse point (a junction or symbolic link; POSIX: a
// symbolic link), as the find record gives it.
constexpr std::uint32_t ATTR_REPARSE_POINT = 0x400;

// Copy a file (CopyFileA): the target is replaced unless `fail_if_exists`,
// the copy keeps the source's last-write time.  false on error.
bool copy_file(const char *from, const char *to, bool fail_if_exists);
// Put `from` in the place of `to`, replacing it in one step (MoveFileExA
// with MOVEFILE_REPLACE_EXISTING; POSIX rename).  false on error.
bool replace_file(const char *from, const char *to);

// The shell's file operation (SHFileOperationA) on one name (and one
// target; null for a delete).  `flags` are the FOF_ flags of the shell.
// Copy: a source folder is copied with its whole tree; into a target that
// is an existing folder the source goes below it under its own name.
// Delete: a folder goes with its whole tree.  Rename: one name to another,
// never over an existing one.  The last component of the source may hold
// wildcards (copy and delete).  Returns the shell's result, 0 on success;
// *aborted tells whether the user cancelled (never on POSIX, where the
// result is the Windows code of the first failure).
enum : unsigned { SHELL_COPY = 2, SHELL_DELETE = 3, SHELL_RENAME = 4 };
int shell_file_operation(unsigned operation, const char *from, const char *to, unsigned flags, bool *aborted);

// The roots of the logical drives as GetLogicalDriveStringsA gives them:
// "A:\", "C:\", ... each ended by a NUL and the list by a second NUL;
// POSIX: the one root "/".  Returns the length without the last NUL, or the
// size needed when `size` is too small (then nothing is written).
unsigned logical_drive_strings(char *buf, unsigned size);

// Times (FILETIME values, UTC) of a file opened for itself alone (no
// sharing on Windows); false when it cannot be opened.
bool get_file_times(const char *name, std::uint64_t *creation, std::uint64_t *write);
// Sets the last-write time.  *opened tells whether the file could be opened
// (for itself alone, for writing); false when either step failed.
bool set_file_write_time(const char *name, std::uint64_t write, bool *opened);
// A FILETIME as local time, and a local time as a FILETIME; false when the
// value cannot be converted.
bool filetime_to_local(std::uint64_t filetime, system_time *t);
bool local_to_filetime(const system_time *t, std::uint64_t *filetime);

// ---- system queries: mixer, network adapter, version, input method, clock --
// The step of a mixer call sequence that failed (MIXER_OK: none).  POSIX has
// no mixer: every call fails at its first step (MIXER_DEVCAPS for the
// volume, MIXER_OPEN for the mute).
enum mixer_step { MIXER_OK, MIXER_DEVCAPS, MIXER_OPEN, MIXER_LINEINFO, MIXER_CONTROLS, MIXER_DETAILS };
// Reads (set false) or sets the volume (0-65535, one uniform channel) of the
// volume control of the first destination line of mixer `index`.  *code is
// the failing call's result.
mixer_step master_volume(unsigned index, bool set, unsigned *volume, unsigned *code);
// Reads or sets the mute control of the speakers destination line.
mixer_step master_mute(unsigned index, bool set, bool *on);
// The hardware address of the first network adapter (Windows: NetBIOS
// adapter status; POSIX: the first interface that is not a loopback).
bool adapter_address(unsigned char mac[6]);
// The system's version: Windows' platform id, major, minor and build number
// and service-pack text; POSIX: platform 0, the kernel release's first three
// numbers and "<kernel name> <release>".  0, or the system's error code.
unsigned system_version(unsigned *platform, unsigned *major, unsigned *minor, unsigned *build, char *text,
                        unsigned size);
// The input method's last result string (flag 0x800) or its reading (0x200)
// for the active window: the byte count, or IMM_ERROR_NODATA (-1) /
// IMM_ERROR_GENERAL (-2).  *released is false when the input context could
// not be released.  Without a context (POSIX: always) 0.
int ime_result(unsigned flag, char *buf, unsigned size, bool *released);
// Sets the local time; the system's result (nonzero on success).
int set_local_time(const system_time *t);
}  // namespace zp

namespace zp {
// ---- terminal echo --------------------------------------------------------
// Turns the echo of what is typed on standard input off or back on (for
// reading a secret); false when standard input is no terminal or console.
bool set_input_echo(bool on);
}  // namespace zp

#ifdef _WIN32
namespace zp {
// ---- device contexts, drawing and measuring text (Windows only) -----------
// Window, device context and GDI object handles are the system's handles.
// A rectangle in the system's RECT layout.
struct rect {
    std::int32_t left, top, right, bottom;
};
// The parameters of CreateFontA, in its order.
struct font_spec {
    int height, width, escapement, orientation, weight;
    unsigned char italic, underline, strike_out, charset, out_precision, clip_precision, quality,
        pitch_and_family;
    const char *face;
};
void *window_dc(void *window);                      // GetDC
bool release_window_dc(void *window, void *dc);     // ReleaseDC
void set_text_colour(void *dc, std::uint32_t colour);
// SetBkMode(dc, TRANSPARENT); false when it fails.
bool set_transparent_background(void *dc);
void *create_solid_brush(std::uint32_t colour);     // null on failure
void *create_frame_pen(int width, std::uint32_t colour);  // PS_INSIDEFRAME
void *create_font(const font_spec &spec);
// Selects a GDI object; the object it replaced, null on failure.
void *select_object(void *dc, void *object);
bool delete_object(void *object);
// Rectangle over `r` with the selected pen and brush.
bool draw_rectangle(void *dc, const rect *r);
// TextOutA of `length` bytes at (x, y).
bool text_out(void *dc, int x, int y, const char *text, int length);
// DrawTextA with the text up to its terminator; the system's result.
int draw_text(void *dc, const char *text, rect *r, unsigned format);
// Width of `length` bytes of text in the selected font (GetTextExtentPoint32A);
// false when the system cannot measure it.
bool text_width(void *dc, const char *text, int length, int *width);

// ---- the window hook and windows of every process (Windows only) ----------
// The routine that the window-call hook runs for each call it sees, in
// whatever process the call happens: the hook code, the window and the
// message of the call.
using window_call_routine = void (*)(int code, void *window, unsigned message);
// Sets this process's routine for the hook procedure, and where its hook
// handle is kept (passed on to CallNextHookEx).  Every process that loads
// the module sets them when it is loaded.
void route_window_calls(window_call_routine routine, void *const *hook);
// Installs the window-call hook (WH_CALLWNDPROC) of module `instance` for
// every thread of the desktop; null on failure.
void *install_window_call_hook(void *instance);
// UnhookWindowsHookEx: the system's result, nonzero on success.
int remove_window_hook(void *hook);
// A top-level window of that class (any title), or null.
void *find_window(const char *class_name);
void *parent_window(void *window);   // GetParent
void *focus_window();                // GetFocus of the calling thread
// GetWindowTextA into `size` bytes; always terminated (empty on failure).
// The length copied.
int window_text(void *window, char *buf, int size);
}  // namespace zp
#endif
