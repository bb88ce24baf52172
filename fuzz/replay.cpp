// Runs a fuzz target's LLVMFuzzerTestOneInput on every file of the folders
// (or the files) named on the command line, without libFuzzer: the corpus
// as a regression test of a normal build.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv) {
    namespace fs = std::filesystem;
    unsigned count = 0;
    auto run = [&](const fs::path &p) {
        std::ifstream in(p, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
        ++count;
    };
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto &e : fs::directory_iterator(argv[i]))
                if (e.is_regular_file()) run(e.path());
        } else {
            run(argv[i]);
        }
    }
    std::printf("replayed %u inputs\n", count);
    return count ? 0 : 1;  // nothing found: the corpus is not where it should be
}
