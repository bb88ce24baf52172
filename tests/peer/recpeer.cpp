// Record files through ZUSTD's Zuio calls, for the Python csv peer test.
//   recpeer read FILE       each record as one line: the fields in hexadecimal,
//                           separated by blanks ("-" for an empty field)
//   recpeer write IN OUT    writes the records of IN (lines in that form) to OUT
#include <cstdio>
#include <cstring>
#include <string>

#include "zustd.h"

namespace {

std::string hex(const char *s) {
    if (!*s) return "-";
    std::string out;
    char b[3];
    for (; *s; ++s) {
        std::snprintf(b, sizeof b, "%02x", static_cast<unsigned char>(*s));
        out += b;
    }
    return out;
}

std::string unhex(const std::string &h) {
    std::string out;
    if (h == "-") return out;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2) out += static_cast<char>(std::stoi(h.substr(i, 2), nullptr, 16));
    return out;
}

int read_file(const char *name) {
    if (!ZuioReadOpen(name)) return 1;
    static char field[8192];
    while (ZuioReadRecord()) {
        bool first = true;
        while (ZuioReadField(field)) {
            std::printf("%s%s", first ? "" : " ", hex(field).c_str());
            first = false;
        }
        std::printf("\n");
    }
    ZuioClose();
    return 0;
}

int write_file(const char *in, const char *out) {
    FILE *f = std::fopen(in, "r");
    if (!f || !ZuioWriteOpen(out)) return 1;
    char line[65536];
    while (std::fgets(line, sizeof line, f)) {
        line[std::strcspn(line, "\n")] = '\0';
        bool first = true;
        for (char *tok = std::strtok(line, " "); tok; tok = std::strtok(nullptr, " ")) {
            if (!first) ZuioWriteFieldDelimiter();
            ZuioWrite(unhex(tok).c_str());
            first = false;
        }
        ZuioWriteRecordDelimiter();
    }
    std::fclose(f);
    ZuioClose();
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    try {
        if (argc == 3 && std::strcmp(argv[1], "read") == 0) return read_file(argv[2]);
        if (argc == 4 && std::strcmp(argv[1], "write") == 0) return write_file(argv[2], argv[3]);
    } catch (char *m) {
        std::fprintf(stderr, "report: %s\n", m);
        return 2;
    }
    std::fprintf(stderr, "usage: recpeer read FILE | recpeer write IN OUT\n");
    return 2;
}
