// Lutris's game files, read with yaml-cpp (records module only).

#include "discovery/LutrisConfig.h"
#include "discovery/records/YamlLimits.h"

#include <yaml-cpp/yaml.h>

namespace dk3::discovery {

namespace {

std::string scalar(const YAML::Node& section, const char* key) {
    const YAML::Node node = section[key];
    if (!node || !node.IsScalar())
        return {};
    return node.Scalar();
}

} // namespace

std::optional<LutrisGameConfig> parseLutrisGameConfig(std::string_view yaml) {
    if (yaml.size() > kMaxLutrisFileBytes || yaml.find('\0') != std::string_view::npos ||
        !records::nestingIsModest(yaml))
        return std::nullopt;
    try {
        const YAML::Node root = YAML::Load(std::string(yaml));
        if (!root.IsMap())
            return std::nullopt;
        const YAML::Node game = root["game"];
        if (!game || !game.IsMap())
            return std::nullopt;
        LutrisGameConfig config;
        config.exe = scalar(game, "exe");
        config.prefix = scalar(game, "prefix");
        config.workingDir = scalar(game, "working_dir");
        return config;
    } catch (const std::exception&) {
        // YAML::Exception for text that is not YAML, and anything the reader throws besides.
        return std::nullopt;
    }
}

} // namespace dk3::discovery
