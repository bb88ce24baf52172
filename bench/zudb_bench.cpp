// The table engine under load: a customer table of 100 000 records with a
// unique index on the customer code and an index on name and code.
// Measures the appends (every index kept up), random seeks by code, a full
// scan in record order and a full walk in name order (each reading one field
// of every record; first on the table as any process opens it, then held
// under a named mutex), the same file read in 64 KB blocks (the limit a scan
// can approach), a rebuild of both indexes, a sort by the name index and a
// pack after a third of the records were marked deleted.
//
// Built for i386 with ZU_BENCH_XBASE, the same work is done by libxbase64 on
// the same records in the same process, each workload right after ours, so
// that the two can be compared (bench/compare.sh prints the ratios).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "base/report.h"
#include "zudbtool.h"

#include <cstring>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef ZU_BENCH_XBASE
#include <sys/wait.h>
#include <xbase64/xbase64.h>
#endif

namespace {

// ZU_BENCH_RECORDS in the environment sets another table size.
const int RECORDS = [] {
    const char *v = std::getenv("ZU_BENCH_RECORDS");
    int n = v ? std::atoi(v) : 0;
    return n > 0 ? n : 100000;
}();
constexpr int SEEKS = 20000;
// The customer record: deletion flag, CODE 8, NAME 20, KANA 20, PREF 8,
// TEL 14, AMOUNT 8.
constexpr int RECORD_LENGTH = 79;

struct Customer {
    std::string code, name, kana, pref, tel, amount;
};

// One set of customers for every side: codes in a shuffled order, names
// drawn from a small pool so that the name index has long runs of equals.
const std::vector<Customer> &customers() {
    static const std::vector<Customer> all = [] {
        static const char *family[] = {"YAMADA", "SUZUKI", "TANAKA", "SATO", "ITO", "WATANABE", "KOBAYASHI", "KATO"};
        static const char *given[] = {"TARO", "HANAKO", "ICHIRO", "YUKI", "KEN", "AOI", "SORA", "MIKI", "JUN"};
        static const char *prefs[] = {"TOKYO", "OSAKA", "AICHI", "HOKKAIDO", "FUKUOKA", "KYOTO"};
        std::mt19937 rng(7);
        std::vector<int> order(RECORDS);
        for (int i = 0; i < RECORDS; ++i) order[i] = i + 1;
        std::shuffle(order.begin(), order.end(), rng);
        std::vector<Customer> v(RECORDS);
        char b[32];
        for (int i = 0; i < RECORDS; ++i) {
            Customer &c = v[i];
            std::snprintf(b, sizeof b, "C%07d", order[i]);
            c.code = b;
            c.name = std::string(family[rng() % 8]) + " " + given[rng() % 9];
            c.kana = c.name;
            c.pref = prefs[rng() % 6];
            std::snprintf(b, sizeof b, "03-%04u-%04u", static_cast<unsigned>(rng() % 10000),
                          static_cast<unsigned>(rng() % 10000));
            c.tel = b;
            std::snprintf(b, sizeof b, "%u", static_cast<unsigned>(rng() % 100000));
            c.amount = b;
        }
        return v;
    }();
    return all;
}

// The codes looked up by the seek benchmarks, the same for every side.
const std::vector<std::string> &seek_codes() {
    static const std::vector<std::string> all = [] {
        std::mt19937 rng(11);
        std::vector<std::string> v(SEEKS);
        char b[16];
        for (auto &s : v) {
            std::snprintf(b, sizeof b, "C%07d", 1 + static_cast<int>(rng() % RECORDS));
            s = b;
        }
        return v;
    }();
    return all;
}

template <class F>
auto call(F &&f) {
    return zu_call(f);
}

// --- this engine ---------------------------------------------------------

void *g_table = nullptr;
const char *g_mutex = nullptr;  // the mutex the table is held under, once it is
std::vector<double> g_append_clock;  // seconds after each append of the last run

void BM_Append(benchmark::State &state) {
    const auto &data = customers();
    for (auto _ : state) {
        state.PauseTiming();
        if (g_table) call([] { return zdbClose(g_table); });
        if (FILE *f = std::fopen("CUST.FIELD", "wb")) {
            std::fputs("* customers\r\ncode,A,8\r\nname,A,20\r\nkana,A,20\r\npref,A,8\r\ntel,A,14\r\n"
                       "amount,N\r\nCODE,P\r\nNAME;CODE,I\r\n",
                       f);
            std::fclose(f);
        }
        g_append_clock.clear();
        g_append_clock.reserve(data.size());
        state.ResumeTiming();
        auto t0 = std::chrono::steady_clock::now();
        g_table = call([] { return zdbCreateTable("CUST.DBF"); });
        for (const Customer &c : data) {
            call([&] { return zdbClearBuf(g_table); });
            call([&] { return zdbSS(g_table, "CODE", c.code.c_str()); });
            call([&] { return zdbSS(g_table, "NAME", c.name.c_str()); });
            call([&] { return zdbSS(g_table, "KANA", c.kana.c_str()); });
            call([&] { return zdbSS(g_table, "PREF", c.pref.c_str()); });
            call([&] { return zdbSS(g_table, "TEL", c.tel.c_str()); });
            call([&] { return zdbSS(g_table, "AMOUNT", c.amount.c_str()); });
            if (call([&] { return zdbAppend(g_table); }) != 0) state.SkipWithError("append refused");
            g_append_clock.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        }
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
}

void BM_Seek(benchmark::State &state) {
    if (!g_table) return state.SkipWithError("no table");
    const auto &codes = seek_codes();
    call([] { return zdbChgIndex(g_table, "CODE"); });
    size_t i = 0;
    for (auto _ : state) {
        const std::string &code = codes[i++ % codes.size()];
        zdbSeekReset();
        call([&] { return zdbSSKey(g_table, code.c_str()); });
        if (!call([] { return zdbSeek(g_table); })) state.SkipWithError("key not found");
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
}

// Every record once, in record order (index 0) or in the order of the
// index `expr`, reading one field of each.
void visit_all(benchmark::State &state, const char *expr) {
    if (!g_table) return state.SkipWithError("no table");
    if (expr)
        call([&] { return zdbChgIndex(g_table, expr); });
    else
        call([] { return zdbChgIndexByNo(g_table, 0); });
    for (auto _ : state) {
        int n = 0;
        call([] { return zdbTop(g_table); });
        while (!call([] { return zdbEof(g_table); })) {
            benchmark::DoNotOptimize(call([] { return zdbGS(g_table, "NAME"); }));
            ++n;
            if (!call([] { return zdbSkip(g_table, 1); })) break;
        }
        if (n != RECORDS) state.SkipWithError("visit count");
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * RECORDS * RECORD_LENGTH);
}

void BM_Scan(benchmark::State &state) { visit_all(state, nullptr); }
void BM_WalkByName(benchmark::State &state) { visit_all(state, "NAME;CODE"); }

// The held workloads run on the table reopened under a named mutex, as a
// program that has the table to itself for a batch job opens it; it stays
// held for the workloads after them.
bool hold_table() {
    if (g_mutex) return g_table != nullptr;
    if (g_table) call([] { return zdbClose(g_table); });
    g_mutex = "zudb_bench_cust";
    g_table = call([] { return zdbOpenTable("CUST.DBF", g_mutex); });
    return g_table != nullptr;
}

void BM_HeldScan(benchmark::State &state) {
    if (!hold_table()) return state.SkipWithError("cannot hold the table");
    visit_all(state, nullptr);
}

void BM_HeldWalkByName(benchmark::State &state) {
    if (!hold_table()) return state.SkipWithError("cannot hold the table");
    visit_all(state, "NAME;CODE");
}

// The table file read from start to end in 64 KB blocks, unbuffered: what a
// scan would reach if fields cost nothing.
void BM_BlockRead(benchmark::State &state) {
    std::vector<char> block(65536);
    long long bytes = 0;
    for (auto _ : state) {
        std::FILE *f = std::fopen("CUST.DBF", "rb");
        if (!f) return state.SkipWithError("cannot open CUST.DBF");
        std::setvbuf(f, nullptr, _IONBF, 0);
        size_t n;
        while ((n = std::fread(block.data(), 1, block.size(), f)) > 0) bytes += static_cast<long long>(n);
        std::fclose(f);
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(bytes / RECORD_LENGTH);
}

#ifndef _WIN32
// The record numbers of a walk in name order, taken once from the engine.
const std::vector<int> &name_order() {
    static std::vector<int> order;
    if (order.empty() && g_table) {
        call([] { return zdbChgIndex(g_table, "NAME;CODE"); });
        call([] { return zdbTop(g_table); });
        while (!call([] { return zdbEof(g_table); })) {
            order.push_back(call([] { return zdbRecordNo(g_table); }));
            if (!call([] { return zdbSkip(g_table, 1); })) break;
        }
    }
    return order;
}

// The records of a walk in name order read straight from the file, without
// any engine: one positioned read per record (the least a walk costs when
// only a fixed window is kept), or copied out of a mapping of the whole file
// (what it would cost with the file mapped).
void walk_floor(benchmark::State &state, bool mapped) {
    const std::vector<int> &order = name_order();
    if (order.size() != static_cast<size_t>(RECORDS)) return state.SkipWithError("no name order");
    int fd = open("CUST.DBF", O_RDONLY);
    if (fd < 0) return state.SkipWithError("cannot open CUST.DBF");
    struct stat st;
    fstat(fd, &st);
    const char *map = nullptr;
    if (mapped) {
        void *m = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (m == MAP_FAILED) {
            close(fd);
            return state.SkipWithError("cannot map CUST.DBF");
        }
        map = static_cast<const char *>(m);
    }
    long long header = static_cast<long long>(st.st_size) - 1 - static_cast<long long>(RECORDS) * RECORD_LENGTH;
    char record[RECORD_LENGTH];
    for (auto _ : state) {
        for (int rno : order) {
            long long at = header + static_cast<long long>(rno - 1) * RECORD_LENGTH;
            if (map)
                std::memcpy(record, map + at, RECORD_LENGTH);
            else if (pread(fd, record, RECORD_LENGTH, at) != RECORD_LENGTH)
                return state.SkipWithError("short read");
            benchmark::DoNotOptimize(record);
        }
    }
    if (map) munmap(const_cast<char *>(map), static_cast<size_t>(st.st_size));
    close(fd);
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * RECORDS * RECORD_LENGTH);
}
void BM_WalkReads(benchmark::State &state) { walk_floor(state, false); }
void BM_WalkMapped(benchmark::State &state) { walk_floor(state, true); }
#endif

void BM_Reindex(benchmark::State &state) {
    if (!g_table) return state.SkipWithError("no table");
    for (auto _ : state) call([] { return zdbReIndex(g_table); });
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
}

void BM_SortByName(benchmark::State &state) {
    if (!g_table) return state.SkipWithError("no table");
    for (auto _ : state) {
        call([] { return zdbChgIndex(g_table, "NAME;CODE"); });
        call([] { return zdbSort(g_table, nullptr); });
    }
    if (call([] { return zdbRecordCount(g_table); }) != RECORDS) state.SkipWithError("sort count");
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
}

// Every third record gets the deletion flag '*' (as other programs mark
// them), written into the closed table file.
bool mark_third_deleted() {
    call([] { return zdbClose(g_table); });
    g_table = nullptr;
    FILE *f = std::fopen("CUST.DBF", "r+b");
    if (!f) return false;
    unsigned char h[12];
    bool ok = std::fread(h, 1, sizeof h, f) == sizeof h;
    long hlen = h[8] | (h[9] << 8), rlen = h[10] | (h[11] << 8);
    for (long i = 0; ok && i < RECORDS; i += 3)
        ok = std::fseek(f, hlen + rlen * i, SEEK_SET) == 0 && std::fputc('*', f) == '*';
    if (std::fclose(f) != 0) ok = false;
    g_table = call([] { return zdbOpenTable("CUST.DBF", g_mutex); });
    return ok && g_table;
}

void BM_PackThird(benchmark::State &state) {
    if (!g_table) return state.SkipWithError("no table");
    for (auto _ : state) {
        state.PauseTiming();
        if (!mark_third_deleted()) return state.SkipWithError("cannot mark records deleted");
        state.ResumeTiming();
        call([] { return zdbPack(g_table); });
    }
    if (call([] { return zdbRecordCount(g_table); }) != RECORDS - (RECORDS + 2) / 3) state.SkipWithError("pack count");
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
}

#ifdef ZU_BENCH_XBASE
// --- libxbase64, the same work -------------------------------------------
//
// libxbase64 3.1 (i386) crashes in its page memory pool after some hundreds
// to thousands of keys inserted out of order, so its appends and its rebuild
// run in a child process that reports how far it got and how long that
// took; its rate is taken over the records it managed.  Its seeks and walk
// run here, on copies of the table and index files this engine made (the
// same pages; only the key expression is written in libxbase64's syntax).

xbSchema g_schema[] = {
    {"CODE", XB_CHAR_FLD, 8, 0},     {"NAME", XB_CHAR_FLD, 20, 0}, {"KANA", XB_CHAR_FLD, 20, 0},
    {"PREF", XB_CHAR_FLD, 8, 0},     {"TEL", XB_CHAR_FLD, 14, 0},  {"AMOUNT", XB_NUMERIC_FLD, 8, 0},
    {"", 0, 0, 0},
};

// libxbase64's table with its two indexes.
struct XbTable {
    xbXBase xb;
    xbDbf dbf{&xb};
    xbNdx code{&dbf}, name{&dbf};

    // New index files (prefix + CODE.NDX / NAME.NDX) on the open table.
    bool create_indexes(const std::string &prefix) {
        return code.CreateIndex((prefix + "CODE.NDX").c_str(), "CODE", XB_UNIQUE, XB_OVERLAY) == XB_NO_ERROR &&
               name.CreateIndex((prefix + "NAME.NDX").c_str(), "NAME+CODE", XB_NOT_UNIQUE, XB_OVERLAY) ==
                   XB_NO_ERROR;
    }
    void close() {
        code.CloseIndex();
        name.CloseIndex();
        dbf.CloseDatabase();
    }
};

// What a child shares with the benchmark: records done and seconds taken,
// stored together every few records and at the end.
struct Progress {
    long done;
    double seconds;
};

double seconds_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Runs work(progress) in a child; gives the last progress stored and the
// signal that ended the child (0 when it finished).
template <class W>
int run_in_child(W work, Progress &result) {
    void *m = mmap(nullptr, sizeof(Progress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) return -1;
    auto *shared = static_cast<Progress *>(m);
    *shared = Progress{0, 0};
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        work(*shared);
        _exit(0);
    }
    int status = 0;
    if (pid > 0) waitpid(pid, &status, 0);
    result = *shared;
    munmap(m, sizeof(Progress));
    if (pid < 0) return -1;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

void report_child(benchmark::State &state, int sig, const Progress &p, long total) {
    state.SetIterationTime(p.seconds > 0 ? p.seconds : 1e-9);
    state.SetItemsProcessed(p.done);
    state.counters["records"] = static_cast<double>(p.done);
    if (sig > 0)
        state.SetLabel("crashed (signal " + std::to_string(sig) + ") after " + std::to_string(p.done) + " of " +
                       std::to_string(total) + " records");
    else if (sig < 0)
        state.SkipWithError("cannot start a child process");
}

void BM_XbAppend(benchmark::State &state) {
    const auto &data = customers();
    for (auto _ : state) {
        Progress p{};
        int sig = run_in_child(
            [&](Progress &out) {
                auto t0 = std::chrono::steady_clock::now();
                XbTable t;
                xbDbf &dbf = t.dbf;
                if (dbf.CreateDatabase("XCUST.DBF", g_schema, XB_OVERLAY) != XB_NO_ERROR || !t.create_indexes("X"))
                    return;
                long n = 0;
                for (const Customer &c : data) {
                    dbf.BlankRecord();
                    dbf.PutField("CODE", c.code.c_str());
                    dbf.PutField("NAME", c.name.c_str());
                    dbf.PutField("KANA", c.kana.c_str());
                    dbf.PutField("PREF", c.pref.c_str());
                    dbf.PutField("TEL", c.tel.c_str());
                    dbf.PutField("AMOUNT", c.amount.c_str());
                    if (dbf.AppendRecord() != XB_NO_ERROR) break;
                    if (++n % 16 == 0) out = Progress{n, seconds_since(t0)};
                }
                t.close();
                out = Progress{n, seconds_since(t0)};
            },
            p);
        report_child(state, sig, p, RECORDS);
        // This engine's rate over the same first records, for a fair ratio
        // when libxbase64 stopped early (a smaller tree is cheaper).
        if (p.done > 0 && static_cast<size_t>(p.done) <= g_append_clock.size())
            state.counters["engine_rate_same_records"] = p.done / g_append_clock[p.done - 1];
    }
}

bool copy_file(const char *from, const char *to) {
    std::FILE *in = std::fopen(from, "rb");
    if (!in) return false;
    std::FILE *out = std::fopen(to, "wb");
    bool ok = out != nullptr;
    char buf[65536];
    size_t n;
    while (ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0) ok = std::fwrite(buf, 1, n, out) == n;
    std::fclose(in);
    if (out) ok = std::fclose(out) == 0 && ok;
    return ok;
}

// The key expression of an NDX header (offset 24) in libxbase64's syntax.
bool set_expression(const char *ndx, const char *expr) {
    std::FILE *f = std::fopen(ndx, "r+b");
    if (!f) return false;
    char field[488] = {};
    std::strncpy(field, expr, sizeof field - 1);
    bool ok = std::fseek(f, 24, SEEK_SET) == 0 && std::fwrite(field, 1, sizeof field, f) == sizeof field;
    return std::fclose(f) == 0 && ok;
}

// libxbase64's handles on copies of this engine's files, made once.
struct XbCopies : XbTable {
    bool ok = false;
};

XbCopies *xb_copies() {
    static XbCopies *c = [] {
        auto *x = new XbCopies;
        if (!g_table) return x;
        call([] { return zdbReOpen(g_table); });  // every page and the header on disk
        auto path_of = [](const char *expr) -> std::string {
            call([&] { return zdbChgIndex(g_table, expr); });
            const char *p = call([] { return zdbGetIndexPathFileName(g_table); });
            return p ? p : "";
        };
        std::string code_ndx = path_of("CODE"), name_ndx = path_of("NAME;CODE");
        x->ok = copy_file("CUST.DBF", "YCUST.DBF") && copy_file(code_ndx.c_str(), "YCODE.NDX") &&
                copy_file(name_ndx.c_str(), "YNAME.NDX") && set_expression("YNAME.NDX", "NAME+CODE") &&
                x->dbf.OpenDatabase("YCUST.DBF") == XB_NO_ERROR && x->code.OpenIndex("YCODE.NDX") == XB_NO_ERROR &&
                x->name.OpenIndex("YNAME.NDX") == XB_NO_ERROR;
        return x;
    }();
    return c;
}

void BM_XbSeek(benchmark::State &state) {
    XbCopies *x = xb_copies();
    if (!x->ok) return state.SkipWithError("libxbase64 cannot open the copies");
    const auto &codes = seek_codes();
    size_t i = 0;
    for (auto _ : state) {
        const std::string &code = codes[i++ % codes.size()];
        if (x->code.FindKey(code.c_str()) != XB_FOUND) state.SkipWithError("key not found");
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
}

void BM_XbWalkByName(benchmark::State &state) {
    XbCopies *x = xb_copies();
    if (!x->ok) return state.SkipWithError("libxbase64 cannot open the copies");
    char buf[32];
    for (auto _ : state) {
        int n = 0;
        for (xbShort rc = x->name.GetFirstKey(); rc == XB_NO_ERROR; rc = x->name.GetNextKey()) {
            x->dbf.GetField("NAME", buf);
            benchmark::DoNotOptimize(buf);
            ++n;
        }
        if (n != RECORDS) state.SkipWithError("walk count");
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
}

// Both indexes built anew from the copied table.
void BM_XbReindex(benchmark::State &state) {
    if (!xb_copies()->ok) return state.SkipWithError("libxbase64 cannot open the copies");
    for (auto _ : state) {
        Progress p{};
        int sig = run_in_child(
            [&](Progress &out) {
                auto t0 = std::chrono::steady_clock::now();
                XbTable t;
                if (t.dbf.OpenDatabase("YCUST.DBF") != XB_NO_ERROR || !t.create_indexes("Z")) return;
                static Progress *shared;
                static std::chrono::steady_clock::time_point start;
                static long base;
                shared = &out;
                start = t0;
                auto status = [](xbLong item, xbLong) {
                    if (item % 16 == 0) *shared = Progress{base + item, seconds_since(start)};
                };
                base = 0;
                if (t.code.ReIndex(status) != XB_NO_ERROR) return;
                base = RECORDS;
                if (t.name.ReIndex(status) != XB_NO_ERROR) return;
                t.close();
                out = Progress{2L * RECORDS, seconds_since(t0)};
            },
            p);
        // Items are records indexed once per index, as in this engine's rebuild.
        p.done /= 2;
        report_child(state, sig, p, RECORDS);
    }
}
#endif

}  // namespace

int main(int argc, char **argv) {
    customers();
    seek_codes();
    // Registered by hand so that each of libxbase64's runs follows ours.
    using benchmark::RegisterBenchmark;
    const auto ms = benchmark::kMillisecond;
    RegisterBenchmark("Append", BM_Append)->Iterations(1)->Unit(ms);
#ifdef ZU_BENCH_XBASE
    RegisterBenchmark("xbase/Append", BM_XbAppend)->Iterations(1)->UseManualTime()->Unit(ms);
#endif
    RegisterBenchmark("Seek", BM_Seek)->Iterations(SEEKS)->Unit(benchmark::kMicrosecond);
#ifdef ZU_BENCH_XBASE
    RegisterBenchmark("xbase/Seek", BM_XbSeek)->Iterations(SEEKS)->Unit(benchmark::kMicrosecond);
#endif
    RegisterBenchmark("Scan", BM_Scan)->Iterations(5)->Unit(ms);
    RegisterBenchmark("WalkByName", BM_WalkByName)->Iterations(3)->Unit(ms);
#ifdef ZU_BENCH_XBASE
    RegisterBenchmark("xbase/WalkByName", BM_XbWalkByName)->Iterations(3)->Unit(ms);
#endif
    RegisterBenchmark("held/Scan", BM_HeldScan)->Iterations(20)->Unit(ms);
    RegisterBenchmark("held/WalkByName", BM_HeldWalkByName)->Iterations(3)->Unit(ms);
    RegisterBenchmark("BlockRead64K", BM_BlockRead)->Iterations(100)->Unit(ms);
#ifndef _WIN32
    RegisterBenchmark("floor/WalkReads", BM_WalkReads)->Iterations(3)->Unit(ms);
    RegisterBenchmark("floor/WalkMapped", BM_WalkMapped)->Iterations(10)->Unit(ms);
#endif
    RegisterBenchmark("Reindex", BM_Reindex)->Iterations(3)->Unit(ms);
#ifdef ZU_BENCH_XBASE
    RegisterBenchmark("xbase/Reindex", BM_XbReindex)->Iterations(1)->UseManualTime()->Unit(ms);
#endif
    // The pack leaves a smaller table: it runs last, once.
    RegisterBenchmark("SortByName", BM_SortByName)->Iterations(1)->Unit(ms);
    RegisterBenchmark("PackThird", BM_PackThird)->Iterations(1)->Unit(ms);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_table) call([] { return zdbClose(g_table); });
    return 0;
}
