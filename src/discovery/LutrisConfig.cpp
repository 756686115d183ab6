#include "discovery/LutrisConfig.h"

#include <yaml-cpp/yaml.h>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

// The YAML reader descends once per level of nesting; a file that nests deeper than any of
// Lutris's ever would is refused before it can exhaust the stack.
bool nestingIsModest(std::string_view yaml) {
    constexpr int kMaxFlowDepth = 32;
    constexpr int kMaxIndicatorsPerLine = 16;
    constexpr std::size_t kMaxIndent = 256;
    int flowDepth = 0;
    std::size_t pos = 0;
    while (pos < yaml.size()) {
        std::size_t end = yaml.find('\n', pos);
        if (end == std::string_view::npos)
            end = yaml.size();
        const std::string_view line = yaml.substr(pos, end - pos);
        std::size_t i = 0;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i > kMaxIndent)
            return false;
        // "- - - x" and "? ? x" open one block per indicator on a single line.
        int indicators = 0;
        while (i + 1 < line.size() && (line[i] == '-' || line[i] == '?' || line[i] == ':') &&
               (line[i + 1] == ' ' || line[i + 1] == '\t')) {
            if (++indicators > kMaxIndicatorsPerLine)
                return false;
            i += 2;
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
        }
        for (const char c : line) {
            if (c == '[' || c == '{') {
                if (++flowDepth > kMaxFlowDepth)
                    return false;
            } else if ((c == ']' || c == '}') && flowDepth > 0) {
                --flowDepth;
            }
        }
        pos = end + 1;
    }
    return true;
}

std::string scalar(const YAML::Node& section, const char* key) {
    const YAML::Node node = section[key];
    if (!node || !node.IsScalar())
        return {};
    return node.Scalar();
}

} // namespace

std::optional<LutrisGameConfig> parseLutrisGameConfig(std::string_view yaml) {
    if (yaml.size() > kMaxLutrisFileBytes || yaml.find('\0') != std::string_view::npos ||
        !nestingIsModest(yaml))
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

std::optional<fs::path> lutrisPath(const std::string& text, const fs::path& home) {
    if (text.empty())
        return std::nullopt;
    fs::path path;
    if (text == "~")
        path = home;
    else if (text.starts_with("~/"))
        path = home / text.substr(2);
    else
        path = text;
    if (!path.is_absolute())
        return std::nullopt;
    return path.lexically_normal();
}

std::vector<fs::path> lutrisExeCandidates(const LutrisGameConfig& config, const fs::path& home) {
    std::vector<fs::path> candidates;
    if (config.exe.empty())
        return candidates;
    if (const auto absolute = lutrisPath(config.exe, home)) {
        candidates.push_back(*absolute);
        return candidates;
    }
    if (config.exe.starts_with("~"))
        return candidates;
    const fs::path relative = fs::path(config.exe).lexically_normal();
    if (relative.empty() || *relative.begin() == "..")
        return candidates;
    if (const auto workingDir = lutrisPath(config.workingDir, home))
        candidates.push_back(*workingDir / relative);
    if (const auto prefix = lutrisPath(config.prefix, home)) {
        candidates.push_back(*prefix / relative);
        candidates.push_back(*prefix / "drive_c" / relative);
    }
    return candidates;
}

} // namespace dk3::discovery
