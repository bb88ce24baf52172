// The process that the crash tests kill (Linux only):
//   zdbcrash ops TABLE LOG SEED K   appends, updates and deletes records of TABLE
//                                   at random until it is killed, reopening the
//                                   table (which flushes it) after every K of them
//   zdbcrash pack TABLE LOG         one zdbPack
//   zdbcrash sort TABLE LOG         one zdbSort in the order of the NAME index
//   zdbcrash wgy FILE PATTERNS LOG  one ZuWGY converting FILE in place
// The table has the fields CODE, NAME and QTY.  LOG gets "R" when the work
// begins.  In ops mode every operation is written to it before it is made
// ("A code name qty", "U rno code name qty", "D rno"), its result after it
// ("=r"), and "F" after every reopen, each "F" written through to the disk:
// the operations before the last "F" are in the table file.
// With ZU_CRASH_AT=n in the environment the process kills itself (SIGKILL)
// just before its n-th call that changes a file's name or size (rename,
// unlink, ftruncate), wherever the libraries make it.
// Exit code 0 when the work is done, 1 after a report, 2 on bad use.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "base/report.h"
#include "zudbtool.h"
#include "zuwgy.h"

namespace {

long g_crash_at = 0;
long g_calls = 0;

template <class F>
F *next_definition(const char *name) {
    return reinterpret_cast<F *>(::dlsym(RTLD_NEXT, name));
}

void crash_point() {
    if (g_crash_at > 0 && ++g_calls == g_crash_at) ::kill(::getpid(), SIGKILL);
}

}  // namespace

// These take the place of the C library's functions for the libraries too.
extern "C" __attribute__((visibility("default"))) int rename(const char *from, const char *to) noexcept {
    static auto *real = next_definition<int(const char *, const char *)>("rename");
    crash_point();
    return real(from, to);
}
extern "C" __attribute__((visibility("default"))) int unlink(const char *name) noexcept {
    static auto *real = next_definition<int(const char *)>("unlink");
    crash_point();
    return real(name);
}
extern "C" __attribute__((visibility("default"))) int ftruncate(int fd, off_t size) noexcept {
    static auto *real = next_definition<int(int, off_t)>("ftruncate");
    crash_point();
    return real(fd, size);
}

namespace {

int g_log = -1;

void log_line(const std::string &line, bool sync = false) {
    std::string l = line + "\n";
    if (::write(g_log, l.data(), l.size()) != static_cast<ssize_t>(l.size())) std::exit(1);
    if (sync && ::fsync(g_log) != 0) std::exit(1);
}

std::string field(void *h, const char *name) { return zu_call([&] { return zdbGS(h, name); }); }

void fill(void *h, const std::string &code, const std::string &name, int qty) {
    zu_call([&] { return zdbClearBuf(h); });
    zu_call([&] { return zdbSS(h, "CODE", code.c_str()); });
    zu_call([&] { return zdbSS(h, "NAME", name.c_str()); });
    zu_call([&] { return zdbSI(h, "QTY", qty); });
}

[[noreturn]] void operations(void *h, unsigned seed, int k) {
    std::mt19937 rng(seed);
    auto rnd = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    zu_call([&] { return zdbChgIndexByNo(h, 0); });
    log_line("R", true);
    for (int done = 1;; ++done) {
        int n = zu_call([&] { return zdbRecordCount(h); });
        int what = rnd(100);
        int appends = n < 100 ? 70 : n > 300 ? 30 : 45;
        char line[128];
        int result;
        std::string code = "K" + std::to_string(rnd(100000)), name = "N" + std::to_string(rnd(20));
        int qty = rnd(1000000);
        if (n == 0 || what < appends) {
            if (n > 0 && rnd(10) == 0) {  // a code that is taken: refused
                zu_call([&] { return zdbSetRecordNo(h, 1 + rnd(n)); });
                code = field(h, "CODE");
            }
            std::snprintf(line, sizeof line, "A %s %s %d", code.c_str(), name.c_str(), qty);
            log_line(line);
            fill(h, code, name, qty);
            result = zu_call([&] { return zdbAppend(h); });
        } else if (what < appends + (100 - appends) * 3 / 5) {
            int r = 1 + rnd(n);
            zu_call([&] { return zdbSetRecordNo(h, r); });
            // One field changes, the others stay.
            int which = rnd(3);
            if (which != 0) code = field(h, "CODE");
            if (which != 1) name = field(h, "NAME");
            if (which != 2) qty = std::atoi(field(h, "QTY").c_str());
            std::snprintf(line, sizeof line, "U %d %s %s %d", r, code.c_str(), name.c_str(), qty);
            log_line(line);
            fill(h, code, name, qty);
            result = zu_call([&] { return zdbUpdate(h); });
        } else {
            int r = 1 + rnd(n);
            std::snprintf(line, sizeof line, "D %d", r);
            log_line(line);
            zu_call([&] { return zdbSetRecordNo(h, r); });
            result = zu_call([&] { return zdbDeleteRecord(h, 1); });
        }
        log_line("=" + std::to_string(result));
        if (done % k == 0) {
            zu_call([&] { return zdbReOpen(h); });
            zu_call([&] { return zdbChgIndexByNo(h, 0); });
            log_line("F", true);
        }
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 4) return 2;
    std::string mode = argv[1];
    const char *log = argv[mode == "wgy" ? 4 : 3];
    if ((mode == "ops" && argc != 6) || (mode == "wgy" && argc != 5) || ((mode == "pack" || mode == "sort") && argc != 4))
        return 2;
    if (const char *at = std::getenv("ZU_CRASH_AT")) g_crash_at = std::atol(at);
    g_log = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (g_log < 0) return 2;
    try {
        if (mode == "wgy") {
            std::string command = std::string(argv[2]) + " " + argv[3];
            log_line("R", true);
            zu_call([&] { return ZuWGY(command.c_str(), nullptr); });
            return 0;
        }
        void *h = zu_call([&] { return zdbOpenTable(argv[2], nullptr); });
        if (!h) return 1;
        if (mode == "ops") operations(h, static_cast<unsigned>(std::atoi(argv[4])), std::atoi(argv[5]));
        if (mode == "sort") zu_call([&] { return zdbChgIndex(h, "NAME"); });
        log_line("R", true);
        if (mode == "pack")
            zu_call([&] { return zdbPack(h); });
        else
            zu_call([&] { return zdbSort(h, nullptr); });
        zu_call([&] { return zdbClose(h); });
        return 0;
    } catch (char *m) {
        std::fprintf(stderr, "%s\n", m);
        return 1;
    }
}
