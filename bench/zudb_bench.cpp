// The table engine under load: a customer table of 100 000 records with a
// unique index on the customer code and an index on name and code.
// Measures the appends (every index kept up), random seeks by code, a full
// walk in name order and a rebuild of both indexes.  The benchmarks run in
// this order and share the table the first one fills.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "base/report.h"
#include "zudbtool.h"

namespace {

constexpr int RECORDS = 100000;
const char TABLE[] = "CUST.DBF";
void *g_table = nullptr;
std::vector<int> g_codes;  // code numbers in append order

template <class F>
auto call(F &&f) {
    return zu_call(f);
}

std::string code_of(int n) {
    char b[16];
    std::snprintf(b, sizeof b, "C%07d", n);
    return b;
}

void create_table() {
    if (FILE *f = std::fopen("CUST.FIELD", "wb")) {
        std::fputs("* customers\r\ncode,A,8\r\nname,A,20\r\nkana,A,20\r\npref,A,8\r\ntel,A,14\r\n"
                   "amount,N\r\nCODE,P\r\nNAME;CODE,I\r\n",
                   f);
        std::fclose(f);
    }
    g_table = call([] { return zdbCreateTable(TABLE); });
}

void BM_Append(benchmark::State &state) {
    static const char *family[] = {"YAMADA", "SUZUKI", "TANAKA", "SATO", "ITO", "WATANABE", "KOBAYASHI", "KATO"};
    static const char *given[] = {"TARO", "HANAKO", "ICHIRO", "YUKI", "KEN", "AOI", "SORA", "MIKI", "JUN"};
    static const char *prefs[] = {"TOKYO", "OSAKA", "AICHI", "HOKKAIDO", "FUKUOKA", "KYOTO"};
    std::mt19937 rng(7);
    g_codes.resize(RECORDS);
    for (int i = 0; i < RECORDS; ++i) g_codes[i] = i + 1;
    std::shuffle(g_codes.begin(), g_codes.end(), rng);
    for (auto _ : state) {
        create_table();
        for (int i = 0; i < RECORDS; ++i) {
            std::string code = code_of(g_codes[i]);
            std::string name = std::string(family[rng() % 8]) + " " + given[rng() % 9];
            call([&] { return zdbClearBuf(g_table); });
            call([&] { return zdbSS(g_table, "CODE", code.c_str()); });
            call([&] { return zdbSS(g_table, "NAME", name.c_str()); });
            call([&] { return zdbSS(g_table, "KANA", name.c_str()); });
            call([&] { return zdbSS(g_table, "PREF", prefs[rng() % 6]); });
            call([&] { return zdbSS(g_table, "TEL", "03-1234-5678"); });
            call([&] { return zdbSI(g_table, "AMOUNT", static_cast<int>(rng() % 100000)); });
            if (call([&] { return zdbAppend(g_table); }) != 0) state.SkipWithError("append refused");
        }
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
}
BENCHMARK(BM_Append)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Seek(benchmark::State &state) {
    if (!g_table) {
        state.SkipWithError("no table");
        return;
    }
    call([] { return zdbChgIndex(g_table, "CODE"); });
    std::mt19937 rng(11);
    for (auto _ : state) {
        std::string code = code_of(1 + static_cast<int>(rng() % RECORDS));
        zdbSeekReset();
        call([&] { return zdbSSKey(g_table, code.c_str()); });
        if (!call([] { return zdbSeek(g_table); })) state.SkipWithError("key not found");
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()));
}
BENCHMARK(BM_Seek)->Unit(benchmark::kMicrosecond);

void BM_WalkByName(benchmark::State &state) {
    if (!g_table) {
        state.SkipWithError("no table");
        return;
    }
    call([] { return zdbChgIndex(g_table, "NAME;CODE"); });
    for (auto _ : state) {
        int n = 0;
        call([] { return zdbTop(g_table); });
        while (!call([] { return zdbEof(g_table); })) {
            benchmark::DoNotOptimize(call([] { return zdbGS(g_table, "NAME"); }));
            ++n;
            if (!call([] { return zdbSkip(g_table, 1); })) break;
        }
        if (n != RECORDS) state.SkipWithError("walk count");
    }
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
}
BENCHMARK(BM_WalkByName)->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_Reindex(benchmark::State &state) {
    if (!g_table) {
        state.SkipWithError("no table");
        return;
    }
    for (auto _ : state) call([] { return zdbReIndex(g_table); });
    state.SetItemsProcessed(static_cast<long long>(state.iterations()) * RECORDS);
}
BENCHMARK(BM_Reindex)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_table) call([] { return zdbClose(g_table); });
    return 0;
}
