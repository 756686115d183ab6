#include "MainDialogFixture.h"

#include <sys/stat.h>

namespace dk3::test {
namespace fs = std::filesystem;
using main_dialog::MainSettingsDialog;
using platform::KeyValueStore;

MainDialogFixture::MainDialogFixture() {
    copyDemoInstallation(game);
    copyDemoDocuments(documents);
    fs::create_directories(temp);
    ::chmod(temp.c_str(), 0700);
    EXPECT_FALSE(
        store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir, game.string()));
}

main_dialog::MainDialogServices MainDialogFixture::services() {
    main_dialog::MainDialogServices result;
    result.prompter = &prompter;
    result.store = &store;
    result.displayModes = &modes;
    result.documentsFolder = documents;
    result.tempFolder = temp;
    result.musicPlayers = fakeMusicPlayers(music);
    result.linkOpener = &links;
    return result;
}

void MainDialogFixture::storeLanguage(const std::string& language) {
    EXPECT_FALSE(store.setValue(KeyValueStore::kGameKey, KeyValueStore::kLanguage, language));
}

std::unique_ptr<MainSettingsDialog> MainDialogFixture::startDialog(const std::string& language) {
    storeLanguage(language);
    auto dialog = std::make_unique<MainSettingsDialog>(services());
    EXPECT_EQ(dialog->startUp(), MainSettingsDialog::StartupOutcome::Run);
    return dialog;
}

} // namespace dk3::test
