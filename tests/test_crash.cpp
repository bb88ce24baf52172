// Crash tests (Linux): the helper zdbcrash works on an indexed table, packs
// or sorts it, or converts a file in place, and is killed with SIGKILL at
// random moments.  After every kill the files hold whole what was flushed:
// the table opens, its records are those of the last flush (plus whole
// records of the operations after it), a reindex gives indexes that follow
// it, and a replaced file is either the old or the new one.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>

#include "zdb_support.h"

extern char **environ;

namespace {

using zt::call;
using zt::pad;

// The work folder: on a memory file system where there is one, so that the
// kills land in the engine's work and not in its waits for the disk (what a
// killed process leaves behind does not depend on the file system).
struct Folder {
    std::string dir;
    explicit Folder(const std::string &name) {
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) {
            dir = "/dev/shm/zucrash-" + std::to_string(::getpid()) + "-" + name;
            std::filesystem::remove_all(dir, ec);
            std::filesystem::create_directories(dir, ec);
        } else {
            dir = zt::fresh_dir("crash-" + name);
        }
    }
    ~Folder() {
        std::error_code ec;
        if (dir.rfind("/dev/shm/", 0) == 0) std::filesystem::remove_all(dir, ec);
    }
    std::string path(const std::string &name) const { return zt::join(dir, name); }
};

// Starts zdbcrash in `cwd` (standard output to /dev/null, ZU_CRASH_AT set
// to `crash_at` when it is not 0) and waits until it has written "R" to
// `log`, that is until its work begins; -1 when it ended before.
pid_t start(const std::vector<std::string> &args, const std::string &log, const std::string &cwd = "",
            long crash_at = 0) {
    // A copy of its own, whose error log (beside it) no other test reads.
    static const std::string prog = zt::copy_program("zdbcrash", zt::fresh_dir("crash-bin"));
    std::vector<std::string> all = {prog}, env;
    all.insert(all.end(), args.begin(), args.end());
    for (char **e = environ; *e; ++e)
        if (std::strncmp(*e, "ZU_CRASH_AT=", 12) != 0) env.push_back(*e);
    if (crash_at) env.push_back("ZU_CRASH_AT=" + std::to_string(crash_at));
    auto pointers = [](std::vector<std::string> &v) {
        std::vector<char *> p;
        for (auto &a : v) p.push_back(const_cast<char *>(a.c_str()));
        p.push_back(nullptr);
        return p;
    };
    std::vector<char *> argv = pointers(all), envp = pointers(env);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (!cwd.empty()) posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = -1;
    int rc = posix_spawn(&pid, prog.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    auto began = [&] { return zt::read_file(log).rfind("R\n", 0) == 0; };
    for (;;) {
        if (began()) return pid;
        // Ended (it may have begun and died at once): left for the caller to reap.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid) {
            if (began()) return pid;
            ::waitpid(pid, nullptr, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Kills the child after `delay` and reaps it; true when the kill ended it,
// false when it had finished (exit code 0) before.
bool kill_after(pid_t pid, std::chrono::microseconds delay) {
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << status;
    return WIFSIGNALED(status);
}

struct rec {
    std::string code, name, qty;
    bool operator==(const rec &o) const { return code == o.code && name == o.name && qty == o.qty; }
    bool operator<(const rec &o) const {
        return std::tie(code, name, qty) < std::tie(o.code, o.name, o.qty);
    }
};
std::ostream &operator<<(std::ostream &os, const rec &r) { return os << r.code << "/" << r.name << "/" << r.qty; }

// Makes T.DBF with a unique index on CODE (8 bytes) and an index on NAME
// (4 bytes), holding `rows`.
void make_table(const Folder &f, const std::vector<rec> &rows) {
    zt::write_file(f.path("T.FIELD"), "code,A,8\r\nname,A,4\r\nqty,N\r\nCODE,P\r\nNAME,I\r\n");
    void *h = call([&] { return zdbCreateTable(f.path("T.DBF").c_str()); });
    ASSERT_NE(h, nullptr);
    for (const rec &r : rows) {
        call([&] { return zdbClearBuf(h); });
        call([&] { return zdbSS(h, "CODE", r.code.c_str()); });
        call([&] { return zdbSS(h, "NAME", r.name.c_str()); });
        call([&] { return zdbSS(h, "QTY", r.qty.c_str()); });
        ASSERT_EQ(call([&] { return zdbAppend(h); }), 0);
    }
    call([&] { return zdbClose(h); });
}

// Opens the table as an application does after the crash, reads every
// record in record-number order, rebuilds the indexes and checks them
// against the records.
void open_and_check(const std::string &table, const std::string &where, std::vector<rec> *out) {
    void *h = nullptr;
    std::string report = zt::report_of([&] { h = zdbOpenTable(table.c_str(), nullptr); });
    ASSERT_EQ(report, "(none)") << where;
    ASSERT_NE(h, nullptr) << where;
    std::vector<rec> recs;
    call([&] { return zdbChgIndexByNo(h, 0); });
    call([&] { return zdbTop(h); });
    while (!call([&] { return zdbEof(h); })) {
        recs.push_back({call([&] { return zdbGS(h, "CODE"); }), call([&] { return zdbGS(h, "NAME"); }),
                        call([&] { return zdbGS(h, "QTY"); })});
        if (!call([&] { return zdbSkip(h, 1); })) break;
    }
    call([&] { return zdbReIndex(h); });
    std::vector<zt::index_check> defs = {{"CODE", true, [&](int r) { return pad(recs[r - 1].code, 8); }},
                                         {"NAME", false, [&](int r) { return pad(recs[r - 1].name, 4); }}};
    zt::check_indexes(h, static_cast<int>(recs.size()), defs, "CODE", [&](int r) { return recs[r - 1].code; },
                      where);
    call([&] { return zdbClose(h); });
    *out = recs;
}

// One operation of the log of `zdbcrash ops`; result -1 when the kill came
// before it was written.
struct op {
    char kind;
    int rno = 0;
    rec r;
    int result = -1;
};

// The log: every operation, and how many of them the last "F" covers.
std::vector<op> read_log(const std::string &file, std::size_t *flushed) {
    std::vector<op> ops;
    *flushed = 0;
    std::string text = zt::read_file(file);
    text.resize(text.rfind('\n') + 1);  // a line cut by the kill is not taken
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        op o;
        l >> o.kind;
        if (o.kind == 'F') *flushed = ops.size();
        if (o.kind == '=' && !ops.empty()) l >> ops.back().result;
        if (o.kind == 'U' || o.kind == 'D') l >> o.rno;
        if (o.kind == 'A' || o.kind == 'U') l >> o.r.code >> o.r.name >> o.r.qty;
        if (o.kind == 'A' || o.kind == 'U' || o.kind == 'D') ops.push_back(o);
    }
    return ops;
}

// The table after `o`, as the engine makes it (a removed record's place
// takes the last record).
void replay(std::vector<rec> &t, const op &o) {
    if (o.kind == 'A' && o.result == 0) t.push_back(o.r);
    if (o.kind == 'U' && o.result == 0) t[static_cast<std::size_t>(o.rno - 1)] = o.r;
    if (o.kind == 'D') {
        t[static_cast<std::size_t>(o.rno - 1)] = t.back();
        t.pop_back();
    }
}

// Appends, updates and deletes, the table reopened (flushed) after every k
// of them, killed at random moments.
TEST(Crash, KilledWhileWritingKeepsWhatWasFlushed) {
    Folder f("ops");
    make_table(f, {});
    std::string table = f.path("T.DBF"), log = f.path("ops.log");
    std::vector<rec> flushed_table;  // the table at the last flush the parent knows of
    std::mt19937 rng(20261219);
    int killed = 0;
    for (int round = 0; round < 220; ++round) {
        std::string where = "round " + std::to_string(round);
        zt::remove_file(log);
        unsigned k = 1 + rng() % 8;
        pid_t pid = start({"ops", table, log, std::to_string(rng()), std::to_string(k)}, log);
        ASSERT_GT(pid, 0) << where;
        killed += kill_after(pid, std::chrono::microseconds(rng() % 15000));

        std::size_t flushed;
        std::vector<op> ops = read_log(log, &flushed);
        for (std::size_t i = 0; i < flushed; ++i) replay(flushed_table, ops[i]);
        // What the operations after the last flush may have changed: the
        // codes they touched and the records they wrote.
        std::set<std::string> touched;
        std::set<rec> known(flushed_table.begin(), flushed_table.end());
        std::vector<rec> t = flushed_table;
        int appends = 0, deletes = 0;
        for (std::size_t i = flushed; i < ops.size(); ++i) {
            const op &o = ops[i];
            ASSERT_TRUE(o.kind == 'A' || (o.rno >= 1 && o.rno <= static_cast<int>(t.size()))) << where;
            if (o.kind != 'A') touched.insert(t[static_cast<std::size_t>(o.rno - 1)].code);
            if (o.kind != 'D') {
                touched.insert(o.r.code);
                known.insert(o.r);
            }
            appends += o.kind == 'A';
            deletes += o.kind == 'D';
            replay(t, o);
        }
        std::vector<rec> now;
        open_and_check(table, where, &now);
        if (HasFatalFailure()) return;
        // The count is the last flush's, or one the later operations made
        // on the way; every record is whole and one that was written.
        int n = static_cast<int>(now.size()), was = static_cast<int>(flushed_table.size());
        EXPECT_TRUE(n >= was - deletes && n <= was + appends) << where << ": " << n << " records, " << was
                                                               << " flushed";
        for (const rec &r : now) EXPECT_TRUE(known.count(r)) << where << ": never written: " << r;
        // Every flushed record that no later operation touched is there as it was.
        std::multiset<rec> present(now.begin(), now.end());
        for (const rec &r : flushed_table)
            if (!touched.count(r.code)) {
                EXPECT_TRUE(present.count(r)) << where << ": lost " << r;
            }
        if (HasFailure()) return;
        flushed_table = now;
    }
    EXPECT_GE(killed, 200);
}

// Runs the child to its end; how long its work took (from "R" to the end).
std::chrono::microseconds calibrate(const std::vector<std::string> &args, const std::string &log,
                                    const std::string &cwd = "") {
    zt::remove_file(log);
    pid_t pid = start(args, log, cwd);
    EXPECT_GT(pid, 0);
    auto t0 = std::chrono::steady_clock::now();
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
}

// Kills the child `args` at `timed` moments spread over `span` (the time
// its work takes), then just before each of its calls that change a file's
// name or size, until it finishes before the call.  `reset` puts the files
// back before each run; `check` looks at what the run left.
void kill_everywhere(const std::vector<std::string> &args, const std::string &log, const std::string &cwd,
                     std::chrono::microseconds span, int timed, const std::function<void()> &reset,
                     const std::function<void(const std::string &)> &check) {
    for (int i = 0; i < timed; ++i) {
        std::string where = args[0] + " after " + std::to_string(i) + "/" + std::to_string(timed);
        reset();
        zt::remove_file(log);
        pid_t pid = start(args, log, cwd);
        ASSERT_GT(pid, 0) << where;
        kill_after(pid, span * (2 * i + 1) / (2 * timed));
        check(where);
        if (::testing::Test::HasFailure()) return;
    }
    for (long at = 1; at < 1000; ++at) {
        std::string where = args[0] + " before call " + std::to_string(at);
        reset();
        zt::remove_file(log);
        pid_t pid = start(args, log, cwd, at);
        ASSERT_GT(pid, 0) << where;
        int status = 0;
        ::waitpid(pid, &status, 0);
        check(where);
        if (::testing::Test::HasFailure()) return;
        if (!WIFSIGNALED(status)) break;
    }
}

// Pack and sort write the new table beside the old one: killed at any
// moment, the table is the old one or the new one, whole, and opens.
TEST(Crash, KilledPackOrSortLeavesTheOldOrTheNewTable) {
    for (std::string what : {"pack", "sort"}) {
        Folder f(what);
        std::vector<rec> rows;
        for (int i = 1; i <= 1500; ++i)
            rows.push_back({"C" + std::to_string(100000 + i), "N" + std::to_string(i * 7 % 50), std::to_string(i)});
        make_table(f, rows);
        std::string table = f.path("T.DBF"), log = f.path(what + ".log");
        if (what == "pack") {  // every third record marked deleted
            std::vector<int> marked;
            for (int r = 3; r <= 1500; r += 3) marked.push_back(r);
            zt::mark_deleted(table, marked);
        }
        std::vector<std::string> names = {"T.DBF", "T.CODE.IDEX", "T.NAME.IDEX", "T.INAME"};
        std::vector<std::string> saved;
        for (auto &n : names) saved.push_back(zt::read_file(f.path(n)));
        // Work files that a kill left behind stay for the next run.
        auto reset = [&] {
            for (std::size_t i = 0; i < names.size(); ++i) zt::write_file(f.path(names[i]), saved[i]);
        };
        std::vector<rec> before, after;
        open_and_check(table, what + " before", &before);
        reset();
        auto span = calibrate({what, table, log}, log);
        open_and_check(table, what + " after", &after);
        ASSERT_TRUE(before != after);
        kill_everywhere({what, table, log}, log, "", span, 30, reset, [&](const std::string &where) {
            std::vector<rec> now;
            open_and_check(table, where, &now);
            EXPECT_TRUE(now == before || now == after) << where << ": " << now.size() << " records";
        });
    }
}

// ZuWGY converting a file in place, one pass (and one replacement of the
// file) for each of 20 groups of patterns: killed at any moment, the file
// holds the text before or after some pass, whole.
TEST(Crash, KilledConversionLeavesTheFileWhole) {
    Folder f("wgy");
    const int passes = 20;
    auto text = [](int pass) {
        std::string line = "0123" + std::string(1, static_cast<char>('a' + pass)) + "456789\r\n", all;
        for (int i = 0; i < 2000; ++i) all += line;
        return all;
    };
    std::string patterns;
    for (int p = 0; p < passes; ++p) {
        if (p) patterns += "{CHGPTN} {CNT}\r\n";
        patterns += std::string(1, static_cast<char>('a' + p)) + "_" + std::string(1, static_cast<char>('b' + p)) + "\r\n";
    }
    // Names relative to the folder the child runs in: a path that begins
    // with '/' would read as an option.
    std::string file = f.path("in.txt"), log = f.path("wgy.log");
    std::vector<std::string> args = {"wgy", "in.txt", "p.gy", log};
    zt::write_file(f.path("p.gy"), patterns);
    auto reset = [&] { zt::write_file(file, text(0)); };
    reset();
    auto span = calibrate(args, log, f.dir);
    ASSERT_TRUE(zt::read_file(file) == text(passes));
    kill_everywhere(args, log, f.dir, span, 40, reset, [&](const std::string &where) {
        ASSERT_TRUE(zt::exists(file)) << where;
        std::string now = zt::read_file(file);
        bool whole = false;
        for (int p = 0; p <= passes && !whole; ++p) whole = now == text(p);
        EXPECT_TRUE(whole) << where << ": " << now.size() << " bytes";
    });
}

}  // namespace
