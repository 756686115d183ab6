// libFuzzer target for the readers of Lutris's game files and Bottles' bottle.yml (yaml-cpp):
// any bytes must be read or refused without a crash, an out-of-bounds read, runaway recursion or
// an allocation out of proportion to the input.
// clang-format off
// fuzz-sources: src/discovery/records/LutrisConfigYaml.cpp src/discovery/records/BottlesConfigYaml.cpp src/discovery/records/YamlLimits.cpp
// fuzz-pkg-config: yaml-cpp
// clang-format on

#include "discovery/BottlesConfig.h"
#include "discovery/LutrisConfig.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dk3::discovery;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    (void)parseLutrisGameConfig(input);
    if (const auto bottle = parseBottleConfig(input)) {
        if (bottle->externalPrograms.size() > kMaxBottlePrograms)
            std::abort();
    }
    return 0;
}
