// Host record conversion under load: 1 000 000 records of 200 bytes, a
// customer master in host encodings (codes, EBCDIC katakana, host kanji,
// amounts as digits to pack), converted by ZuFConversion.  Prints
// records/s and MB/s of input.
//   hostrec_bench [RECORDS]   (in the current folder; the files are removed)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "base/report.h"
#include "zustd.h"

namespace {

// 10 @ + 30 E + 40 F + 9 p + 20 E + 40 F + 8 p + 20 @ + 23 E = 200 bytes.
const char DEFINITION[] = "10 @\r\n30 E\r\n40 F\r\n9 p\r\n20 E\r\n40 F\r\n8 p\r\n20 @\r\n23 E\r\n";
constexpr unsigned RECORD = 200;

// EBCDIC bytes of half-width katakana, digits and letters, and the blank.
const unsigned char EBCDIC[] = {0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8C, 0x8D, 0x8E,
                                0x8F, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9D, 0x9E,
                                0x9F, 0xA2, 0xA3, 0xA4, 0xA5, 0xBE, 0xF0, 0xF5, 0xC1, 0xC5, 0x40, 0x40, 0x40};

void ebcdic(std::string &r, unsigned n, std::mt19937 &rng) {
    unsigned used = 6 + rng() % (n - 6);  // a name, then blanks
    for (unsigned i = 0; i < n; ++i) r += static_cast<char>(i < used ? EBCDIC[rng() % sizeof EBCDIC] : 0x40);
}

void kanji(std::string &r, unsigned n, std::mt19937 &rng) {
    unsigned used = 2 + rng() % (n / 2 - 2);
    for (unsigned i = 0; i < n / 2; ++i) {
        if (i < used) {
            r += static_cast<char>(0xB0 + rng() % 0x1F);  // rows 0x30-0x4E
            r += static_cast<char>(0xA1 + rng() % 94);
        } else {
            r += "\x40\x40";
        }
    }
}

void digits(std::string &r, unsigned n, std::mt19937 &rng) {
    for (unsigned i = 0; i < n; ++i) r += static_cast<char>('0' + rng() % 10);
}

}  // namespace

int main(int argc, char **argv) {
    unsigned long records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    std::mt19937 rng(17);
    FILE *f = std::fopen("HOSTREC.DEF", "wb");
    if (!f) return 1;
    std::fputs(DEFINITION, f);
    std::fclose(f);
    f = std::fopen("HOSTREC.DAT", "wb");
    if (!f) return 1;
    std::string r;
    char code[16];
    for (unsigned long n = 0; n < records; ++n) {
        r.clear();
        std::snprintf(code, sizeof code, "C%09lu", n);
        r += code;
        ebcdic(r, 30, rng);
        kanji(r, 40, rng);
        digits(r, 9, rng);
        ebcdic(r, 20, rng);
        kanji(r, 40, rng);
        digits(r, 8, rng);
        r += "TEL 03-1234-5678    ";
        ebcdic(r, 23, rng);
        if (r.size() != RECORD) return 1;
        std::fwrite(r.data(), 1, r.size(), f);
    }
    std::fclose(f);
    auto t0 = std::chrono::steady_clock::now();
    int result;
    try {
        result = zu_call([] { return ZuFConversion("HOSTREC.DAT", "HOSTREC.DEF", "HOSTREC.CSV", RECORD); });
    } catch (char *m) {
        std::fprintf(stderr, "hostrec_bench: %s\n", m ? m : "");
        return 1;
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::printf("ZuFConversion: %lu records of %u bytes in %.2f s (result %d): %.0f records/s, %.1f MB/s\n", records,
                RECORD, s, result, records / s, records * double(RECORD) / s / 1e6);
    std::remove("HOSTREC.DAT");
    std::remove("HOSTREC.CSV");
    std::remove("HOSTREC.DEF");
    return 0;
}
