#include "app/GameLocator.h"

#include "platform/TextCodec.h"

#include <fcntl.h>
#include <unistd.h>

namespace dk3::app {
namespace fs = std::filesystem;
using platform::KeyValueStore;

namespace {

bool opensForReading(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

void showGeneralMessage(const TranslationCatalogue& catalogue, ui::Prompter& prompter,
                        QWidget* parent, std::string_view key) {
    prompter.showMessage(parent, QString(),
                         catalogue.message(TranslationCatalogue::kGeneralSection, key));
}

} // namespace

LocateOutcome locateInstallation(GamePaths& paths, KeyValueStore& store,
                                 const TranslationCatalogue& catalogue, ui::Prompter& prompter,
                                 QWidget* parent) {
    const std::string stored = store.value(KeyValueStore::kGameKey, KeyValueStore::kInstallDir);
    if (!stored.empty()) {
        paths.setInstallation(stored);
        return LocateOutcome::Found;
    }

    showGeneralMessage(catalogue, prompter, parent, "MESSAGE_NOINSTALLATIONFOUND");
    ui::FileRequest request;
    request.title = QStringLiteral("\"Draskel3.exe\"");
    request.filter = QStringLiteral("*.exe (*.exe)");
    request.initialName = QStringLiteral("draskel3.exe");
    const auto chosen = prompter.chooseExistingFile(parent, request);
    if (!chosen)
        return LocateOutcome::Cancelled;

    // The folder of the chosen executable, without a trailing separator.
    fs::path folder = platform::pathFromQString(*chosen).lexically_normal().parent_path();
    if (folder.empty())
        folder = platform::pathFromQString(*chosen);
    paths.setInstallation(folder);
    if (!opensForReading(paths.engineIniPath)) {
        showGeneralMessage(catalogue, prompter, parent, "MESSAGE_INVALIDPATH");
        return LocateOutcome::Invalid;
    }
    // When the store cannot be written the folder serves this run only; the next start asks
    // again, which tells the user more than a message could.
    (void)store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir, folder.string());
    return LocateOutcome::Found;
}

std::string restoreLanguage(KeyValueStore& store) {
    std::string language = store.value(KeyValueStore::kGameKey, KeyValueStore::kLanguage);
    if (language.empty()) {
        language = "deutsch";
        (void)store.setValue(KeyValueStore::kGameKey, KeyValueStore::kLanguage, language);
    }
    return language;
}

} // namespace dk3::app
