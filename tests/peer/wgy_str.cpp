// Runs string conversions for the pattern peer test.  Input file: records of
// a kind byte ('P' a pattern text, loaded into a new handle; 'T' a text,
// converted with the current handle), a 4-byte little-endian length and the
// bytes.  Output file: for every 'T' a length and the result, or the length
// 0xFFFFFFFF for a null result, or 0xFFFFFFFE, a length and a report.
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/report.h"
#include "zuwgy.h"

namespace {
std::string read_all(const char *name) {
    std::string s;
    if (FILE *f = std::fopen(name, "rb")) {
        char b[65536];
        for (std::size_t n; (n = std::fread(b, 1, sizeof b, f)) > 0;) s.append(b, n);
        std::fclose(f);
    }
    return s;
}

void put_length(std::string &out, std::uint32_t n) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>(n >> (8 * i));
}

void put_report(std::string &out, const char *m) {
    put_length(out, 0xFFFFFFFEu);
    put_length(out, static_cast<std::uint32_t>(std::string(m).size()));
    out += m;
}
}  // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: wgy_str CASES RESULTS\n");
        return 2;
    }
    std::string in = read_all(argv[1]), out;
    void *h = nullptr;
    std::string load_report;
    for (std::size_t i = 0; i + 5 <= in.size();) {
        char kind = in[i];
        std::uint32_t n = 0;
        for (int k = 0; k < 4; ++k) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(in[i + 1 + k])) << (8 * k);
        std::string text = in.substr(i + 5, n);
        i += 5 + n;
        try {
            if (kind == 'P') {
                if (h) zu_call([&] { return ZuWGYTerm(h); });
                h = nullptr;
                load_report.clear();
                h = zu_call([&] { return ZuWGYInitStr(text.c_str(), 200); });
            } else if (!h) {
                put_report(out, load_report.empty() ? "no handle" : load_report.c_str());
            } else {
                const char *r = zu_call([&] { return ZuWGYStr(h, text.c_str()); });
                if (!r) {
                    put_length(out, 0xFFFFFFFFu);
                } else {
                    put_length(out, static_cast<std::uint32_t>(std::string(r).size()));
                    out += r;
                }
            }
        } catch (char *m) {
            if (kind == 'P')
                load_report = m;
            else
                put_report(out, m);
        }
    }
    if (h) zu_call([&] { return ZuWGYTerm(h); });
    FILE *f = std::fopen(argv[2], "wb");
    if (!f) return 2;
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
    return 0;
}
