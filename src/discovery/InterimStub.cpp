// Stand-in until the discovery library lands: nothing is found, no prefix is known.
#include "discovery/Installation.h"

#include <cstdlib>

namespace dk3::discovery {

std::string_view sourceName(Source) {
    return "hand";
}

Environment Environment::fromProcess() {
    Environment environment;
    if (const char* home = std::getenv("HOME"))
        environment.home = home;
    environment.documentsFolder = environment.home / "Documents";
    return environment;
}

bool looksLikeGame(const std::filesystem::path&) {
    return false;
}

std::vector<Installation> discoverInstallations(const Environment&) {
    return {};
}

Installation installationAt(const std::filesystem::path& gameFolder, const Environment& environment,
                            Source source) {
    return {gameFolder, std::nullopt, environment.documentsFolder, source, {}};
}

std::optional<std::filesystem::path> prefixDocumentsFolder(const std::filesystem::path&) {
    return std::nullopt;
}

std::optional<std::filesystem::path> windowsToLinuxPath(const std::filesystem::path&,
                                                        std::string_view) {
    return std::nullopt;
}

std::vector<std::filesystem::path> likelyGameFolders(const Environment&) {
    return {};
}

std::vector<int> runningGameProcesses(const std::filesystem::path&) {
    return {};
}

} // namespace dk3::discovery
