// Lutris's game files, read with yaml-cpp (records module only).

#include "discovery/LutrisConfig.h"
#include "discovery/records/YamlLimits.h"

namespace dk3::discovery {

using records::scalar;

std::optional<LutrisGameConfig> parseLutrisGameConfig(std::string_view yaml) {
    const auto root = records::loadTopLevelMap(yaml, kMaxLutrisFileBytes);
    if (!root)
        return std::nullopt;
    try {
        const YAML::Node game = (*root)["game"];
        if (!game || !game.IsMap())
            return std::nullopt;
        LutrisGameConfig config;
        config.exe = scalar(game, "exe");
        config.prefix = scalar(game, "prefix");
        config.workingDir = scalar(game, "working_dir");
        return config;
    } catch (const std::exception&) {
        // yaml-cpp throws for a node it cannot hand out as asked.
        return std::nullopt;
    }
}

} // namespace dk3::discovery
