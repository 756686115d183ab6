// Bottles' bottle.yml, read with yaml-cpp (records module only).

#include "discovery/BottlesConfig.h"
#include "discovery/records/YamlLimits.h"

#include <yaml-cpp/yaml.h>

namespace dk3::discovery {

namespace {

std::string scalar(const YAML::Node& map, const char* key) {
    const YAML::Node node = map[key];
    if (!node || !node.IsScalar())
        return {};
    return node.Scalar();
}

} // namespace

std::optional<BottleConfig> parseBottleConfig(std::string_view yaml) {
    if (yaml.size() > kMaxBottleFileBytes || yaml.find('\0') != std::string_view::npos ||
        !records::nestingIsModest(yaml))
        return std::nullopt;
    try {
        const YAML::Node root = YAML::Load(std::string(yaml));
        if (!root.IsMap())
            return std::nullopt;
        BottleConfig config;
        config.name = scalar(root, "Name");
        const YAML::Node programs = root["External_Programs"];
        if (!programs || !programs.IsMap())
            return config; // none added, or written as an empty value
        for (const auto& entry : programs) {
            if (config.externalPrograms.size() >= kMaxBottlePrograms)
                break;
            const YAML::Node& program = entry.second;
            if (!program.IsMap())
                continue;
            BottleProgram added;
            added.name = scalar(program, "name");
            added.path = scalar(program, "path");
            added.folder = scalar(program, "folder");
            config.externalPrograms.push_back(std::move(added));
        }
        return config;
    } catch (const std::exception&) {
        // YAML::Exception for text that is not YAML, and anything the reader throws besides.
        return std::nullopt;
    }
}

} // namespace dk3::discovery
