#include "discovery/records/YamlLimits.h"

#include <cstddef>

namespace dk3::discovery::records {

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

} // namespace dk3::discovery::records

namespace dk3::discovery::records {

std::optional<YAML::Node> loadTopLevelMap(std::string_view yaml, std::size_t maxBytes) {
    if (yaml.size() > maxBytes || yaml.find('\0') != std::string_view::npos ||
        !nestingIsModest(yaml))
        return std::nullopt;
    try {
        YAML::Node root = YAML::Load(std::string(yaml));
        if (!root.IsMap())
            return std::nullopt;
        return root;
    } catch (const std::exception&) {
        // YAML::Exception for text that is not YAML, and anything the reader throws besides.
        return std::nullopt;
    }
}

std::string scalar(const YAML::Node& map, const char* key) {
    const YAML::Node node = map[key];
    if (!node || !node.IsScalar())
        return {};
    return node.Scalar();
}

} // namespace dk3::discovery::records
