// The option parser on arbitrary argument lists: the first byte chooses
// the error routine (bit 0) and whether the first argument is the program
// (bit 1); the rest, split at null bytes, are the arguments, each in a
// buffer of its own.  After a parse that ends, the tables must describe
// the arguments: entries point into them and the lengths are theirs.
#include <memory>

#include "base/avparm.h"
#include "fuzz_support.h"

namespace {
bool inside(const char *p, const std::vector<std::unique_ptr<char[]>> &args,
            const std::vector<std::size_t> &sizes) {
    for (std::size_t i = 0; i < args.size(); ++i)
        if (p >= args[i].get() && p < args[i].get() + sizes[i]) return true;
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    zf::error_routine(data[0]);
    bool program_first = data[0] & 2;
    std::vector<std::unique_ptr<char[]>> args;
    std::vector<std::size_t> sizes;
    for (std::size_t i = 1; i < size;) {
        const std::uint8_t *end = static_cast<const std::uint8_t *>(std::memchr(data + i, 0, size - i));
        std::size_t n = (end ? end - data : size) - i;
        args.emplace_back(new char[n + 1]);
        std::memcpy(args.back().get(), data + i, n);
        args.back()[n] = '\0';
        sizes.push_back(n + 1);
        i += n + 1;
    }
    std::vector<char *> list;
    for (auto &a : args) list.push_back(a.get());
    list.push_back(nullptr);

    avtable t;
    try {
        avparm(list.data(), &t, program_first);
    } catch (char *) {
        return 0;  // a report: an option that is no letter, too many arguments
    }
    zf::check(t.last >= -1 && t.last < AV_MAX);
    zf::check(t.options >= 0 && static_cast<std::size_t>(t.options) <= args.size());
    for (int i = 0; i <= t.last; ++i)
        zf::check(t.arg[i] && inside(t.arg[i], args, sizes) && t.len[i] == std::strlen(t.arg[i]));
    if (program_first && !args.empty()) zf::check(t.arg[0] && t.arg[0] - args[0].get() <= 1);  // past a \/
    for (int i = 0; i < AV_MAX; ++i) {
        zf::check(t.flag[i] <= 1 && (!t.value[i] || (t.flag[i] && inside(t.value[i], args, sizes))));
        if (i > t.last) zf::check(!t.arg[i]);
    }
    return 0;
}
