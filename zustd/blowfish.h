// Blowfish, 16 rounds, with the published key schedule.  Blocks of 8 bytes
// are read as two 32-bit halves (left, then right), each least significant
// byte first, and written back the same way.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int ZU_BLOWFISH_WORDS = 18 + 4 * 256;
extern const std::uint32_t zu_blowfish_initial[ZU_BLOWFISH_WORDS];

struct zu_blowfish {
    std::uint32_t p[18];
    std::uint32_t s[4][256];
};

// Makes the state from the initial tables and the key's bytes, taken
// cyclically (only the first 72 bytes count); an empty key leaves the
// P-array unkeyed.
void zu_blowfish_key(zu_blowfish &bf, const unsigned char *key, std::size_t length);
void zu_blowfish_encrypt(const zu_blowfish &bf, std::uint32_t &left, std::uint32_t &right);
void zu_blowfish_decrypt(const zu_blowfish &bf, std::uint32_t &left, std::uint32_t &right);
// Enciphers or deciphers the whole blocks of `length` bytes from `in` to
// `out` (which may be `in`); a rest of fewer than 8 bytes is left alone.
void zu_blowfish_ecb(const zu_blowfish &bf, const unsigned char *in, unsigned char *out, std::size_t length,
                     bool decrypt);
