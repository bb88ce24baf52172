// Record files of arbitrary bytes read through the Zuio calls, and pieces
// written back.  First byte: bit 0 the error routine's choice, bit 1 read
// through ZuioReadRecord2 instead of splitting into fields; the second byte
// chooses the fixed-width lengths; the rest is the file.  Every field must
// fit the longest record, and FileToBuffer must give back the file's bytes.
#include "fuzz_support.h"
#include "zustd.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2) return 0;
    zf::error_routine(data[0]);
    const bool whole_lines = data[0] & 2;
    const int fix = static_cast<int>(data[1]) * 37 - 64;  // negative and over-long lengths too
    const char *in = "FUZZ_REC.TXT", *out = "FUZZ_OUT.TXT";
    if (!zf::write_file(in, data + 2, size - 2)) return 0;
    std::vector<char> field(8192 + 16);
    try {
        if (ZuioReadOpen(in)) {
            for (int records = 0; records < 10000; ++records) {
                if (whole_lines) {
                    char *line = ZuioReadRecord2();
                    if (!line) break;
                    zf::check(std::strlen(line) < 8192);
                    continue;
                }
                if (!ZuioReadRecord()) break;
                int n = 0, fields = 0;
                while ((n = ZuioReadField(field.data())) > 0) {
                    zf::check(n == ++fields && fields <= 256 && std::strlen(field.data()) < 8192);
                }
            }
            ZuioClose();
        }
    } catch (char *) {
        ZuioClose();
    }
    try {
        if (ZuioWriteOpen(out)) {
            std::vector<char> t = zf::text(data + 2, size - 2);
            ZuioWriteFix(t.data(), fix);
            ZuioWriteFieldDelimiter();
            ZuioWrite(t.data());
            ZuioWriteRecordDelimiter();
            ZuioClose();
        }
    } catch (char *) {
        ZuioClose();
    }
    try {
        unsigned len = RtvFLen(in);
        zf::check(len == size - 2);
        std::vector<char> buf(len + 1);
        char *b = FileToBuffer(in, buf.data());
        zf::check(b == buf.data() && std::memcmp(b, data + 2, len) == 0 && b[len] == '\0');
        zf::check(BufferToFileB(b, out, len) == 0 || len == 0);
    } catch (char *) {
    }
    return 0;
}
