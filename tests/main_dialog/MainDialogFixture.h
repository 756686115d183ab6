#pragma once

// A main dialog started headless on a scratch copy of the demo installation, with a scripted
// prompter and a fake list of display modes.

#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "platform/DisplayModes.h"
#include "platform/KeyValueStore.h"
#include "support/FakeMusicAndLinks.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "ui/DialogTemplate.h"

#include <QComboBox>
#include <QLineEdit>

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

namespace dk3::test {

class FakeDisplayModes final : public platform::DisplayModeSource {
public:
    std::vector<platform::DisplayMode> list = {
        {640, 480, 60},   {800, 600, 60},   {1024, 768, 60},  {1024, 768, 75},  {1280, 720, 60},
        {1280, 1024, 60}, {1280, 1024, 75}, {1680, 1050, 60}, {1920, 1080, 60}, {320, 240, 60}};
    std::optional<platform::DisplayMode> current;
    std::vector<platform::DisplayMode> modes() override { return list; }
    std::optional<platform::DisplayMode> currentMode() override { return current; }
};

struct MainDialogFixture : ::testing::Test {
    TempDir dir;
    std::filesystem::path game = dir / "game";
    std::filesystem::path documents = dir / "documents";
    std::filesystem::path temp = dir / "tmp";
    platform::KeyValueStore store{dir / "config/registry.ini"};
    ScriptedPrompter prompter;
    FakeDisplayModes modes;
    MusicLog music;
    RecordingLinkOpener links;

    MainDialogFixture();

    std::filesystem::path engineIni() const { return game / "Ini/dk3e.ini"; }
    std::filesystem::path userOptions() const { return documents / "draskel3/UserOptions.ini"; }
    std::filesystem::path translationFile() const { return temp / "vorlix_translation.ini"; }
    std::filesystem::path bannerPicture() const { return temp / "vorlix_logo.jpg"; }

    main_dialog::MainDialogServices services();
    void storeLanguage(const std::string& language);

    // A dialog whose start-up ran to the end; the test fails when it did not.
    std::unique_ptr<main_dialog::MainSettingsDialog> startDialog(const std::string& language);

    template <typename T> static T* control(const QWidget& dialog, int id) {
        T* widget = ui::controlAs<T>(dialog, id);
        EXPECT_NE(widget, nullptr) << "no control " << id;
        return widget;
    }
    static QComboBox* combo(const QWidget& dialog, int id) {
        return control<QComboBox>(dialog, id);
    }
    static QLineEdit* edit(const QWidget& dialog, int id) { return control<QLineEdit>(dialog, id); }
};

} // namespace dk3::test
