#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/base.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#ifdef _WIN32
#include <atomic>
#include <mutex>
#include <set>

namespace {
std::mutex g_box_mutex;
std::vector<std::string> g_boxes;
std::set<HWND> g_boxes_pressed;

BOOL CALLBACK press_ok(HWND w, LPARAM) {
    char cls[32] = "";
    GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) != "#32770" || !IsWindowVisible(w)) return TRUE;
    std::lock_guard<std::mutex> lock(g_box_mutex);
    if (g_boxes_pressed.insert(w).second) {
        char text[1100] = "";
        GetDlgItemTextA(w, 0xFFFF, text, sizeof text);  // the box's message
        g_boxes.push_back(text);
    }
    PostMessageA(w, WM_COMMAND, IDOK, 0);
    return TRUE;
}

std::atomic<bool> g_box_watcher_stop{false};

DWORD WINAPI box_watcher(void *) {
    while (!g_box_watcher_stop) {
        EnumWindows(press_ok, 0);
        Sleep(50);
    }
    return 0;
}

// The watcher ends before the process does: a thread still talking to the
// system while the process exits makes Wine's exit fail now and then.
struct start_box_watcher {
    HANDLE thread = CreateThread(nullptr, 0, box_watcher, nullptr, 0, nullptr);
    ~start_box_watcher() {
        g_box_watcher_stop = true;
        if (thread) {
            WaitForSingleObject(thread, 2000);
            CloseHandle(thread);
        }
    }
} g_box_watcher;
}  // namespace

std::vector<std::string> zt::boxes_seen() {
    std::lock_guard<std::mutex> lock(g_box_mutex);
    return g_boxes;
}
#else
std::vector<std::string> zt::boxes_seen() { return {}; }
#endif

namespace {
// Tests never wait for a message box: the base library in a test program
// reports without one unless a test turns it on.
struct quiet_reports {
    quiet_reports() { err_show_box = 0; }
} g_quiet;
}  // namespace

namespace zt {

std::string work_dir() {
    const char *w = std::getenv("ZU_TEST_WORK");
    if (w && *w) {
#ifdef _WIN32
        // The build tree is reached through drive Z: under Wine.
        std::string s = std::string("Z:") + w;
        for (char &c : s)
            if (c == '/') c = '\\';
        return s;
#else
        return w;
#endif
    }
    return ".";
}

std::string bin_dir() {
    char path[1024];
    unsigned n = zp::module_file_name(path, sizeof path);
    std::string s(path, n);
    return s.substr(0, s.find_last_of(zp::SEP));
}

std::string join(const std::string &dir, const std::string &name) {
    if (dir.empty() || dir.back() == zp::SEP) return dir + name;
    return dir + zp::SEP + name;
}

void remove_tree(const std::string &dir) {
    zp::find_data fd;
    if (zp::find_handle h = zp::find_first(join(dir, "*").c_str(), &fd)) {
        do {
            std::string n = fd.name;
            if (n == "." || n == "..") continue;
            std::string p = join(dir, n);
            if (fd.attributes & zp::ATTR_DIRECTORY) {
                remove_tree(p);
            } else {
                zp::delete_file(p.c_str());
            }
        } while (zp::find_next(h, &fd));
        zp::find_close(h);
    }
#ifdef _WIN32
    RemoveDirectoryA(dir.c_str());
#else
    rmdir(dir.c_str());
#endif
}

std::string fresh_dir(const std::string &name) {
    std::string d = join(work_dir(), name);
    remove_tree(d);
    zp::create_directory(d.c_str());
    return d;
}

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool exists(const std::string &path) {
    std::uint64_t size;
    return zp::file_size(path.c_str(), &size);
}

void remove_file(const std::string &path) { zp::delete_file(path.c_str()); }

std::string copy_program(const std::string &program, const std::string &dir) {
#ifdef _WIN32
    std::string exe = program + ".exe";
    for (const char *dll : {"ZUSTD.dll", "ZUDBTOOL.dll", "ZUWGY.dll", "ZUGDI32.dll", "Wintrail.dll"})
        CopyFileA(join(bin_dir(), dll).c_str(), join(dir, dll).c_str(), FALSE);
#else
    std::string exe = program;
#endif
    std::string to = join(dir, exe);
    write_file(to, read_file(join(bin_dir(), exe)));
#ifndef _WIN32
    chmod(to.c_str(), 0755);
#endif
    return to;
}

void set_env(const char *name, const char *value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value);
    std::string s = std::string(name) + "=" + (value ? value : "");
    _putenv(s.c_str());
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

int run(const std::string &command, const char *var, const char *value) {
    std::string saved;
    const char *old = var ? std::getenv(var) : nullptr;
    bool had = old != nullptr;
    if (had) saved = old;
    if (var) set_env(var, value);
    std::fflush(nullptr);
#ifdef _WIN32
    // cmd /c drops the first and the last quote of the line: wrap it once
    // more so that quoted program paths and redirections survive.
    int rc = std::system(("\"" + command + "\"").c_str());
#else
    int rc = std::system(command.c_str());
#endif
    if (var) set_env(var, had ? saved.c_str() : nullptr);
#ifndef _WIN32
    if (rc != -1 && WIFEXITED(rc)) rc = WEXITSTATUS(rc);
#endif
    return rc;
}

}  // namespace zt
