#include "app/GamePaths.h"

#include "discovery/Installation.h"
#include "platform/CaseInsensitivePath.h"

namespace dk3::app {
namespace fs = std::filesystem;

void GamePaths::setInstallation(const fs::path& installationFolder) {
    using platform::resolveCaseInsensitive;
    engineIniPath = resolveCaseInsensitive(installationFolder, "Ini/dk3e.ini");
    debugIniPath = resolveCaseInsensitive(installationFolder, "Ini/debug.ini");
    shaderPath = resolveCaseInsensitive(installationFolder,
                                        "Data/Materials/Effects/ImageProcessing/IP_DOF.fx");
}

fs::path GamePaths::userFolderIn(const fs::path& documentsFolder) {
    return platform::resolveCaseInsensitive(documentsFolder, "draskel3");
}

void GamePaths::setDocuments(const fs::path& documentsFolder) {
    userOptionsPath =
        platform::resolveCaseInsensitive(userFolderIn(documentsFolder), "UserOptions.ini");
}

void GamePaths::setInstallation(const discovery::Installation& installation) {
    setInstallation(installation.gameFolder);
    setDocuments(installation.documentsFolder);
}

} // namespace dk3::app
