// The cipher alone: enciphers and deciphers 64 MiB in memory with a 16-byte
// key and prints the rate of each in MB/s (10^6 bytes), to set beside
// `openssl speed -evp bf-ecb` (bench/bf_bench.sh).  Not part of the tests.
#include <chrono>
#include <cstdio>
#include <vector>

#include "zustd/blowfish.h"

int main() {
    const std::size_t size = std::size_t{64} << 20;
    std::vector<unsigned char> data(size, 0x5A);
    const unsigned char key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    zu_blowfish bf;
    zu_blowfish_key(bf, key, sizeof key);
    for (int decipher = 0; decipher < 2; ++decipher) {
        auto start = std::chrono::steady_clock::now();
        zu_blowfish_ecb(bf, data.data(), data.data(), data.size(), decipher == 1);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s %.1f\n", decipher ? "decipher" : "encipher", size / seconds / 1e6);
    }
    return 0;
}
