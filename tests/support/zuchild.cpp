// A child program for the process and mutex tests.  Marker files tell the
// test how far it got; each is written under a temporary name and renamed,
// so a reader never sees it half written.
//
//   zuchild exit N                 ends with exit code N
//   zuchild sleep MS               sleeps, ends with 0
//   zuchild args A...              writes "[A]" for each argument to stdout
//   zuchild streams OUT ERR        writes OUT to stdout and ERR to stderr
//   zuchild flood N M              writes N 'x' to stdout and M 'y' to stderr
//   zuchild lock NAME MARK MS [W]  MutexLockStart; MARK.locked ("after" when
//                                  file W exists, "before" when not, else
//                                  "locked"); holds MS; MARK.releasing;
//                                  MutexLockEnd
//   zuchild reenter NAME MARK      locks twice in one thread; MARK.result
//   zuchild count NAME FILE N      N times under the lock: reads the number
//                                  in FILE and writes it back plus one
//   zuchild dup NAME MARK MS       ZuCheckDupProcessStart; MARK.result
//                                  ("null" / "handle"); holds MS;
//                                  MARK.closing; ZuCheckDupProcessEnd
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/base.h"
#include "zustd.h"

namespace {
void mark(const std::string &path, const std::string &text) {
    std::string tmp = path + ".tmp";
    if (FILE *f = std::fopen(tmp.c_str(), "wb")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        std::rename(tmp.c_str(), path.c_str());
    }
}

bool exists(const std::string &path) {
    std::uint64_t size;
    return zp::file_size(path.c_str(), &size);
}

void write_n(FILE *f, char c, long n) {
    char chunk[4096];
    std::memset(chunk, c, sizeof chunk);
    while (n > 0) {
        long k = n < static_cast<long>(sizeof chunk) ? n : static_cast<long>(sizeof chunk);
        std::fwrite(chunk, 1, static_cast<std::size_t>(k), f);
        std::fflush(f);
        n -= k;
    }
}
}  // namespace

int main(int argc, char **argv) {
    err_show_box = 0;
    if (argc < 2) return 100;
    std::string mode = argv[1];
    if (mode == "exit" && argc == 3) return std::atoi(argv[2]);
    if (mode == "sleep" && argc == 3) {
        zp::sleep_ms(static_cast<unsigned>(std::atoi(argv[2])));
        return 0;
    }
    if (mode == "args") {
        for (int i = 2; i < argc; ++i) std::printf("[%s]", argv[i]);
        return 0;
    }
    if (mode == "streams" && argc == 4) {
        std::fputs(argv[2], stdout);
        std::fflush(stdout);
        std::fputs(argv[3], stderr);
        return 0;
    }
    if (mode == "flood" && argc == 4) {
        // Both streams in turns, so that a reader of one pipe only stalls.
        long out = std::atol(argv[2]), err = std::atol(argv[3]);
        while (out > 0 || err > 0) {
            long a = out < 16384 ? out : 16384, b = err < 16384 ? err : 16384;
            write_n(stdout, 'x', a);
            write_n(stderr, 'y', b);
            out -= a;
            err -= b;
        }
        return 0;
    }
    if (mode == "lock" && (argc == 5 || argc == 6)) {
        std::string m = argv[3];
        void *h = MutexLockStart(argv[2], 0);
        if (!h) return 101;
        mark(m + ".locked", argc == 6 ? (exists(argv[5]) ? "after" : "before") : "locked");
        zp::sleep_ms(static_cast<unsigned>(std::atoi(argv[4])));
        mark(m + ".releasing", "releasing");
        int released = MutexLockEnd(h);
        ZuCheckDupProcessEnd(h);  // closes the handle
        return released == 1 ? 0 : 102;
    }
    if (mode == "reenter" && argc == 4) {
        void *h1 = MutexLockStart(argv[2], 0);
        void *h2 = MutexLockStart(argv[2], 0);
        int end2 = MutexLockEnd(h2);
        int end1 = MutexLockEnd(h1);
        int again = MutexLockEnd(h1);
        char text[128];
        std::snprintf(text, sizeof text, "distinct=%d end2=%d end1=%d end_again=%d", h1 && h2 && h1 != h2, end2,
                      end1, again);
        mark(std::string(argv[3]) + ".result", text);
        ZuCheckDupProcessEnd(h1);
        ZuCheckDupProcessEnd(h2);
        return 0;
    }
    if (mode == "count" && argc == 5) {
        for (int i = std::atoi(argv[4]); i > 0; --i) {
            void *h = MutexLockStart(argv[2], 0);
            long n = 0;
            if (FILE *f = std::fopen(argv[3], "rb")) {
                if (std::fscanf(f, "%ld", &n) != 1) n = -1000000;
                std::fclose(f);
            }
            if (FILE *f = std::fopen(argv[3], "wb")) {
                std::fprintf(f, "%ld", n + 1);
                std::fclose(f);
            }
            MutexLockEnd(h);
            ZuCheckDupProcessEnd(h);  // closes the handle
        }
        return 0;
    }
    if (mode == "dup" && argc == 5) {
        std::string m = argv[3];
        void *h = ZuCheckDupProcessStart(argv[2]);
        mark(m + ".result", h ? "handle" : "null");
        if (!h) return 0;
        zp::sleep_ms(static_cast<unsigned>(std::atoi(argv[4])));
        mark(m + ".closing", "closing");
        ZuCheckDupProcessEnd(h);
        return 0;
    }
    return 100;
}
