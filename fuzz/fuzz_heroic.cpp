// libFuzzer target for the readers of Heroic's JSON files (installed games of each store, the
// per-game and default Wine settings): any bytes must be read or refused without a crash, an
// out-of-bounds read, runaway recursion or an allocation out of proportion to the input.
// fuzz-sources: src/discovery/HeroicRecords.cpp
// fuzz-pkg-config: Qt6Core

#include "discovery/HeroicRecords.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

void check(const std::optional<std::vector<dk3::discovery::HeroicGame>>& games) {
    if (!games)
        return;
    if (games->size() > dk3::discovery::kMaxHeroicGames)
        std::abort();
    // Every game the readers give has a name to look its settings up by, and a place.
    for (const auto& game : *games) {
        if (game.appName.empty() || (game.installPath.empty() && game.executable.empty()))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dk3::discovery;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    check(parseHeroicGogInstalled(input));
    check(parseHeroicEpicInstalled(input));
    check(parseHeroicAmazonLibrary(input));
    check(parseHeroicSideloadLibrary(input));
    (void)parseHeroicGameConfig(input, "1207658924");
    (void)parseHeroicGameConfig(input, "");
    (void)parseHeroicDefaults(input);
    return 0;
}
