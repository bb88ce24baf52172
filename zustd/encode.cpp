// Strings and files enciphered with Blowfish under a key text, and bytes to
// and from hexadecimal text.
//
// The encoded file: a 64-byte header (all integers little-endian)
//    0  "ZUCPRS", two zero bytes
//    8  format version, a 32-bit float, 1.0
//   12  header length, 64
//   16  length of the plain file
//   20  the plain file's name extension, NUL-terminated (at most 7 bytes)
//   28  its last-write time in local time, eight 16-bit fields
//   44  zeros
// and behind it the plain bytes padded with zeros to the next multiple of 8
// (a whole block of zeros when the length is one already), enciphered.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "base/bytes.h"
#include "zustd.h"
#include "zustd/blowfish.h"

namespace {

constexpr int STR_SIZE = 600;
constexpr int BIN_MAX = 7999;     // bytes to Bin2Txt_str / Bin2Txt
constexpr int TXT_MAX = 15999;    // characters to Txt2Bin_str / Txt2Bin
constexpr unsigned HEADER = 64;
constexpr unsigned EXT_AT = 20, EXT_FIELD = 8, TIME_AT = 28;
constexpr std::uint32_t VERSION_1 = 0x3F800000;  // 1.0f
const char MAGIC[] = "ZUCPRS";

zu_blowfish g_cipher;
unsigned char g_encoded[STR_SIZE];
unsigned char g_decoded[STR_SIZE];
char g_text[2 * BIN_MAX + 2];
unsigned char g_bytes[TXT_MAX / 2 + 1];
unsigned g_name_counter = 0;
char g_encode_name[260];
char g_decode_name[260];

// Keys the cipher with the key text; an empty or missing key is reported.
bool rekey(const char *key, const char *caller) {
    if (!key || !*key) {
        err(9, "暗号キーを指定してください。%s", caller);
        return false;
    }
    zu_blowfish_key(g_cipher, reinterpret_cast<const unsigned char *>(key), std::strlen(key));
    return true;
}

unsigned char *str_code(const void *data, int length, const char *key, bool decrypt) {
    unsigned char *out = decrypt ? g_decoded : g_encoded;
    const char *name = decrypt ? "StrDecode" : "StrEncode";
    if (length < 0 || length > STR_SIZE) {
        err(9, "length over %s", name);
        return out;
    }
    if (length % 8) {
        err(9, "%s", decrypt ? "Error div 8 StrDecode" : "Error div 8 StrEncode_01");
        return out;
    }
    if (!rekey(key, name)) return out;
    std::memset(out, 0, static_cast<std::size_t>(length));
    if (data) zu_blowfish_ecb(g_cipher, static_cast<const unsigned char *>(data), out, length, decrypt);
    return out;
}

// The position of the dot that starts the extension of a path's file name,
// or null.
const char *extension_dot(const char *path) { return std::strrchr(zp::file_name_part(path), '.'); }

// The path cut at the dot of its extension (the whole path when it has none).
std::string without_extension(const std::string &path) {
    const char *dot = extension_dot(path.c_str());
    return dot ? path.substr(0, static_cast<std::size_t>(dot - path.c_str())) : path;
}

// Copies `name` into a result buffer; false (after a report) when it does
// not fit.
bool set_name(char (&buffer)[260], const std::string &name, const char *caller) {
    if (name.size() >= sizeof buffer) {
        err(9, "ファイル名が長すぎます %s %s", name.c_str(), caller);
        return false;
    }
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return true;
}

// A buffer of the block allocator that is released on every way out.
struct block {
    unsigned char *p;
    explicit block(unsigned size) : p(static_cast<unsigned char *>(ZUALC(size))) {}
    ~block() {
        if (p) ZUFRE(p);
    }
};

// Reads `size` bytes of the file (at most) into a buffer of size + 1 bytes;
// false after a report.
bool read_whole(const char *name, unsigned char *buffer, unsigned size) {
    char one[2];
    if (size == 0) return fil2buf(name, "b", one, 1) != nullptr;  // still reports a missing file
    return fil2buf(name, "b", reinterpret_cast<char *>(buffer), size) != nullptr;
}

const char *encode_file(const char *plain, const char *encoded, const char *key) {
    const char *caller = "StrEncodeFile";
    if (!plain) {
        err(9, "%s", "作成するファイル名を指定してください。StrEncodeFile");
        return "";
    }
    if (!rekey(key, caller)) return "";
    ZuSystemTime time{};
    zu_call([&] { return ZuGetFileDate(&time, plain); });
    std::uint64_t size = 0;
    if (!zp::file_size(plain, &size)) size = 0;
    if (size > 0xFFFFFFF0u) {
        err(9, "ファイルが大きすぎます %s StrEncodeFile", plain);
        return "";
    }
    const unsigned length = static_cast<unsigned>(size);
    const unsigned padded = length / 8 * 8 + 8;

    unsigned char header[HEADER] = {};
    std::memcpy(header, MAGIC, 6);
    zu_put_le32(header + 8, VERSION_1);
    zu_put_le32(header + 12, HEADER);
    zu_put_le32(header + 16, length);
    if (const char *dot = extension_dot(plain))
        zu_copy(reinterpret_cast<char *>(header + EXT_AT), EXT_FIELD, dot + 1);  // cut to 7 bytes
    const unsigned short fields[8] = {time.year, time.month,  time.day_of_week, time.day,
                                      time.hour, time.minute, time.second,      time.milliseconds};
    for (int i = 0; i < 8; ++i) zu_put_le16(header + TIME_AT + 2 * i, fields[i]);

    block data(padded + 1);
    if (!data.p) return "";
    std::memset(data.p, 0, padded + 1);
    if (!read_whole(plain, data.p, padded)) return "";
    std::memset(data.p + length, 0, padded + 1 - length);  // in case the file grew since
    if (std::memcmp(data.p, MAGIC, 6) == 0) {
        err(9, "ファイルエラー %s StrEncodeFile", plain);
        return "";
    }

    const char *result = "";
    if (!encoded) {
        std::string base = without_extension(plain);
        std::string name;
        do {
            char number[16];
            zu_format(number, sizeof number, ".%.4u", ++g_name_counter);
            name = base + number + ".cpress";
        } while (zu_exist(name.c_str()));
        if (!set_name(g_encode_name, name, caller)) return "";
        encoded = result = g_encode_name;
    }
    zu_blowfish_ecb(g_cipher, data.p, data.p, padded, false);
    if (zu_call([&] { return BufferToFileB(reinterpret_cast<char *>(header), encoded, HEADER); }) == 0)
        zu_call([&] { return BufferToFileBAppend(reinterpret_cast<char *>(data.p), encoded, padded); });
    return result;
}

const char *decode_file(const char *encoded, const char *output, const char *key, int check_only) {
    const char *caller = "StrDecodeFile";
    if (!encoded) {
        err(9, "%s", "作成するファイル名を指定してください。StrDecodeFile");
        return "";
    }
    if (!rekey(key, caller)) return "";
    std::uint64_t size64 = 0;
    if (!zp::file_size(encoded, &size64)) size64 = 0;
    if (size64 > 0xFFFFFFF0u) {
        err(9, "ファイルエラー %s StrDecodeFile", encoded);
        return "";
    }
    const unsigned size = static_cast<unsigned>(size64);
    block data(size + 1);
    if (!data.p) return "";
    if (!read_whole(encoded, data.p, size)) return "";

    const unsigned char *h = data.p;
    if (size >= 12 && std::memcmp(h, MAGIC, 6) == 0 && zu_get_le32(h + 8) != VERSION_1) {
        err(9, "バージョンエラー %s StrDecodeFile", encoded);
        return "";
    }
    // The header must be whole and the stored length must lie inside the
    // enciphered blocks.  The extension becomes part of a file name: it may
    // name no other folder.
    char ext[EXT_FIELD] = {};
    bool sound = size >= HEADER && std::memcmp(h, MAGIC, 6) == 0 && zu_get_le32(h + 12) == HEADER &&
                 zu_get_le32(h + 16) <= (size - HEADER) / 8 * 8;
    if (sound) {
        std::memcpy(ext, h + EXT_AT, EXT_FIELD - 1);
        for (const char *c = ext; *c; ++c)
            if (static_cast<unsigned char>(*c) < 0x20 || *c == '/' || *c == '\\' || *c == ':') sound = false;
    }
    if (!sound) {
        err(9, "ファイルエラー %s StrDecodeFile", encoded);
        return "";
    }
    const unsigned length = zu_get_le32(h + 16);
    ZuSystemTime time;
    unsigned short *fields[8] = {&time.year, &time.month,  &time.day_of_week, &time.day,
                                 &time.hour, &time.minute, &time.second,      &time.milliseconds};
    for (int i = 0; i < 8; ++i) *fields[i] = zu_get_le16(h + TIME_AT + 2 * i);

    if (!output) {
        std::string name = without_extension(without_extension(encoded));
        if (*ext) name += std::string(".") + ext;
        if (!set_name(g_decode_name, name, caller)) return "";
        output = g_decode_name;
    }
    if (check_only) return output;
    unsigned char *plain = data.p + HEADER;
    zu_blowfish_ecb(g_cipher, plain, plain, size - HEADER, true);
    int failed = zu_call([&] {
        return length ? BufferToFileB(reinterpret_cast<char *>(plain), output, length) : BufferToFileB("", output, 0);
    });
    if (failed == 0) zu_call([&] { return ZuSetFileDate(output, time); });
    return output;
}

const char *bin2txt(const void *data, int length, const char *caller) {
    if (length < 0 || length > BIN_MAX) {
        err(9, "バッファフル %s", caller);
        length = length < 0 ? 0 : BIN_MAX;
    }
    static const char digits[] = "0123456789ABCDEF";
    const unsigned char *p = static_cast<const unsigned char *>(data);
    for (int i = 0; i < length && p; ++i) {
        g_text[2 * i] = digits[p[i] >> 4];
        g_text[2 * i + 1] = digits[p[i] & 15];
    }
    g_text[p ? 2 * length : 0] = '\0';
    return g_text;
}

unsigned nibble(unsigned char c) { return c >= '0' && c <= '9' ? c - '0' : (c - 0x37u) & 15; }

const unsigned char *txt2bin(const char *text, int length, const char *caller) {
    if (length < 0 || length > TXT_MAX) {
        err(9, "バッファフル %s", caller);
        length = length < 0 ? 0 : TXT_MAX;
    }
    int n = text ? length / 2 : 0;
    for (int i = 0; i < n; ++i)
        g_bytes[i] = static_cast<unsigned char>(nibble(text[2 * i]) << 4 | nibble(text[2 * i + 1]));
    g_bytes[n] = 0;
    return g_bytes;
}

// Reads a whole small file for Bin2Txt and Txt2Bin: false when it cannot be
// read; a file longer than `limit` is reported and cut to it.
bool read_small(const char *name, unsigned limit, std::vector<char> &buffer, const char *caller) {
    std::uint64_t size = 0;
    if (!name || !zp::file_size(name, &size)) return false;
    if (size > limit) {
        err(9, "バッファフル %s", caller);
        size = limit;
    }
    buffer.assign(static_cast<std::size_t>(size) + 1, '\0');
    if (!read_whole(name, reinterpret_cast<unsigned char *>(buffer.data()), static_cast<unsigned>(size))) return false;
    buffer.back() = '\0';
    return true;
}

int write_out(const void *data, unsigned length, const char *name) {
    const char *p = static_cast<const char *>(data);
    return zu_call([&] { return length ? BufferToFileB(p, name, length) : BufferToFileB("", name, 0); });
}

}  // namespace

ZU_API unsigned char *ZU_CALL StrEncode(const void *data, int length, const char *key) {
    return zu_export([&] { return str_code(data, length, key, false); });
}

ZU_API unsigned char *ZU_CALL StrDecode(const void *data, int length, const char *key) {
    return zu_export([&] { return str_code(data, length, key, true); });
}

ZU_API const char *ZU_CALL StrEncodeFile(const char *plain, const char *encoded, const char *key) {
    return zu_export([&] { return encode_file(plain, encoded, key); });
}

ZU_API const char *ZU_CALL StrDecodeFile(const char *encoded, const char *output, const char *key, int check_only) {
    return zu_export([&] { return decode_file(encoded, output, key, check_only); });
}

ZU_API const char *ZU_CALL Bin2Txt_str(const void *data, int length) {
    return zu_export([&] { return bin2txt(data, length, "Bin2Txt_str()"); });
}

ZU_API const unsigned char *ZU_CALL Txt2Bin_str(const char *text, int length) {
    return zu_export([&] { return txt2bin(text, length, "Txt2Bin_str()"); });
}

ZU_API int ZU_CALL Bin2Txt(const char *input, const char *output) {
    return zu_export([&] {
        std::vector<char> in;
        if (!read_small(input, BIN_MAX, in, "Bin2Txt()")) return 1;
        int length = static_cast<int>(in.size() - 1);
        return write_out(bin2txt(in.data(), length, "Bin2Txt()"), 2u * length, output);
    });
}

ZU_API int ZU_CALL Txt2Bin(const char *input, const char *output) {
    return zu_export([&] {
        std::vector<char> in;
        if (!read_small(input, TXT_MAX, in, "Txt2Bin()")) return 1;
        int length = static_cast<int>(in.size() - 1);
        return write_out(txt2bin(in.data(), length, "Txt2Bin()"), length / 2u, output);
    });
}
