#include "discovery/LutrisConfig.h"

namespace dk3::discovery {
namespace fs = std::filesystem;

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

std::vector<fs::path> lutrisExeCandidates(const LutrisGameConfig& config, const fs::path& home,
                                          const std::string& gameDirectory) {
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
    if (const auto directory = lutrisPath(gameDirectory, home))
        candidates.push_back(*directory / relative);
    if (const auto workingDir = lutrisPath(config.workingDir, home))
        candidates.push_back(*workingDir / relative);
    if (const auto prefix = lutrisPath(config.prefix, home)) {
        candidates.push_back(*prefix / relative);
        candidates.push_back(*prefix / "drive_c" / relative);
    }
    return candidates;
}

} // namespace dk3::discovery
