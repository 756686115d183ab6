// Bottles' bottle.yml, read with yaml-cpp (records module only).

#include "discovery/BottlesConfig.h"
#include "discovery/records/YamlLimits.h"

namespace dk3::discovery {

using records::scalar;

std::optional<BottleConfig> parseBottleConfig(std::string_view yaml) {
    const auto root = records::loadTopLevelMap(yaml, kMaxBottleFileBytes);
    if (!root)
        return std::nullopt;
    try {
        BottleConfig config;
        config.name = scalar(*root, "Name");
        const YAML::Node programs = (*root)["External_Programs"];
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
        // yaml-cpp throws for a node it cannot hand out as asked.
        return std::nullopt;
    }
}

} // namespace dk3::discovery
