// Runs the cipher for the peer script: each line of standard input is
// "E KEY DATA" or "D KEY DATA" (key and data in hexadecimal, the data a
// multiple of 8 bytes); each answer line is the result in hexadecimal.
// Keys may hold any byte, zero included.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "zustd/blowfish.h"

namespace {
std::vector<unsigned char> bytes_of(const std::string &hex) {
    std::vector<unsigned char> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<unsigned char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    return out;
}
}  // namespace

int main() {
    std::string op, key, data;
    while (std::cin >> op >> key >> data) {
        std::vector<unsigned char> k = bytes_of(key), d = bytes_of(data);
        zu_blowfish bf;
        zu_blowfish_key(bf, k.data(), k.size());
        zu_blowfish_ecb(bf, d.data(), d.data(), d.size(), op == "D");
        for (unsigned char b : d) std::printf("%02X", b);
        std::printf("\n");
    }
    return 0;
}
