// libFuzzer target for the reader of Wine's registry files (system.reg, user.reg): any bytes must
// be read or refused without a crash, an out-of-bounds read or an allocation out of proportion
// to the input, and reading only some keys must agree with reading all.
// fuzz-sources: src/discovery/WineRegistry.cpp

#include "discovery/WineRegistry.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dk3::discovery;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view kKey = "Software\\Brannholt Productions Software AG\\Draskel III";

    const auto all = WineRegistry::parse(input);
    const auto some = WineRegistry::parse(input, {std::string(kKey), "A"});
    // The filtered read looks at less, so it may accept more, never less.
    if (all && !some)
        std::abort();
    if (!all)
        return 0;
    if (some->keyCount() > 2 || some->keyCount() > all->keyCount())
        std::abort();
    for (const std::string_view key : {kKey, std::string_view("A")}) {
        for (const std::string_view name : {"INSTALL_DIR", "", "a"}) {
            const auto fromAll = all->text(key, name);
            if (fromAll != some->text(key, name))
                std::abort();
            // Every text handed out is UTF-8 made from at most the input's bytes, so never longer
            // than three bytes per input byte.
            if (fromAll && fromAll->size() > 3 * size)
                std::abort();
        }
    }
    return 0;
}
