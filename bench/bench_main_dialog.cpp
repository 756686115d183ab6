// The main dialog's own operations as the player meets them: loading the settings (every
// language change and backup load), saving them (the save button) and a whole language change
// (every list, caption and tooltip rebuilt, then the settings loaded again). Runs on the
// offscreen platform against a scratch copy of the demo installation.

#include "bench_support.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "main_dialog/SettingsTable.h"
#include "platform/DisplayModes.h"
#include "platform/KeyValueStore.h"
#include "ui/DialogTemplate.h"
#include "ui/Prompter.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include <benchmark/benchmark.h>
#include <clocale>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>

namespace {
namespace fs = std::filesystem;
using namespace dk3;

// Answers every message with OK and every question with Yes; file choosers are cancelled.
class OkPrompter final : public ui::Prompter {
public:
    void showMessage(QWidget*, const QString&, const QString&, ui::MessageIcon) override {
        ++messages;
    }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return true; }
    std::optional<QString> chooseExistingFile(QWidget*, const ui::FileRequest&) override {
        return std::nullopt;
    }
    std::optional<QString> chooseSaveFile(QWidget*, const ui::FileRequest&) override {
        return std::nullopt;
    }
    ui::SaveChoice askSaveDiscardCancel(QWidget*, const QString&, const QString&) override {
        return ui::SaveChoice::Discard;
    }
    int messages = 0;
};

class FixedModes final : public platform::DisplayModeSource {
public:
    std::vector<platform::DisplayMode> modes() override {
        return {{640, 480, 60},   {800, 600, 60},   {1024, 768, 60},  {1024, 768, 75},
                {1280, 720, 60},  {1280, 1024, 60}, {1280, 1024, 75}, {1680, 1050, 60},
                {1920, 1080, 60}, {1920, 1080, 144}};
    }
};

// One main dialog, started once on a scratch copy of the demo installation and shown.
struct Installation {
    Installation()
        : folder(bench::scratchFolder("dk3-bench-main-dialog")), store(folder / "registry.ini") {
        fs::copy(fs::path(DK3_DEMO_DIR) / "game", folder / "game", fs::copy_options::recursive);
        fs::copy(fs::path(DK3_DEMO_DIR) / "documents", folder / "documents",
                 fs::copy_options::recursive);
        fs::create_directory(folder / "tmp");
        ::chmod((folder / "tmp").c_str(), 0700);
        if (store.setValue(platform::KeyValueStore::kGameKey, platform::KeyValueStore::kInstallDir,
                           (folder / "game").string()) ||
            store.setValue(platform::KeyValueStore::kGameKey, platform::KeyValueStore::kLanguage,
                           "english"))
            throw std::runtime_error("cannot write the scratch key-value store");

        main_dialog::MainDialogServices services;
        services.prompter = &prompter;
        services.store = &store;
        services.displayModes = &modes;
        services.documentsFolder = folder / "documents";
        services.tempFolder = folder / "tmp";
        dialog = std::make_unique<main_dialog::MainSettingsDialog>(services);
        if (dialog->startUp() != main_dialog::MainSettingsDialog::StartupOutcome::Run)
            throw std::runtime_error("the main dialog did not start");
        dialog->show();
        QApplication::processEvents();
    }
    ~Installation() {
        dialog.reset();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    QComboBox* combo(int id) const { return ui::controlAs<QComboBox>(*dialog, id); }

    fs::path folder;
    platform::KeyValueStore store;
    OkPrompter prompter;
    FixedModes modes;
    std::unique_ptr<main_dialog::MainSettingsDialog> dialog;
};

// Made on first use and destroyed before the application object.
std::unique_ptr<Installation> demoInstallation;

Installation& installation() {
    if (!demoInstallation)
        demoInstallation = std::make_unique<Installation>();
    return *demoInstallation;
}

void BM_LoadSettings(benchmark::State& state) {
    Installation& demo = installation();
    for (auto _ : state)
        demo.dialog->loadSettings();
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMillisecond);

// Saving what was loaded: every key is compared with the file and nothing needs writing.
void BM_SaveSettingsUnchanged(benchmark::State& state) {
    Installation& demo = installation();
    demo.dialog->loadSettings();
    for (auto _ : state)
        demo.dialog->saveSettings();
    if (demo.prompter.messages == 0)
        state.SkipWithError("no confirmation was shown");
}
BENCHMARK(BM_SaveSettingsUnchanged)->Unit(benchmark::kMillisecond);

// The usual save: one setting changed, so one key of the user options file is written (a new
// file beside it, flushed to the disk and renamed over it).
void BM_SaveSettingsOneChange(benchmark::State& state) {
    Installation& demo = installation();
    demo.dialog->loadSettings();
    QComboBox* shadows = demo.combo(main_dialog::id::kShadowQuality);
    int level = 0;
    for (auto _ : state) {
        shadows->setCurrentIndex(1 + (level++ % 3));
        demo.dialog->saveSettings();
    }
    demo.dialog->loadSettings();
}
BENCHMARK(BM_SaveSettingsOneChange)->Unit(benchmark::kMillisecond);

// The worst case: every list and field changed, so each of the two files takes one durable write
// per key.
void BM_SaveSettingsAllChanged(benchmark::State& state) {
    Installation& demo = installation();
    demo.dialog->loadSettings();
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (const main_dialog::SettingRow& row : main_dialog::settingsTable()) {
            if (QComboBox* list = demo.combo(row.control);
                list && row.control != main_dialog::id::kResolution)
                list->setCurrentIndex(round % list->count());
            else if (auto* field = ui::controlAs<QLineEdit>(*demo.dialog, row.control))
                field->setText(QString::number(1000 + round));
        }
        demo.dialog->saveSettings();
    }
    demo.dialog->loadSettings();
}
BENCHMARK(BM_SaveSettingsAllChanged)->Unit(benchmark::kMillisecond);

// Picking another language, up to the repainted window: English and German in turn.
void BM_LanguageSwitch(benchmark::State& state) {
    Installation& demo = installation();
    QComboBox* languages = demo.combo(main_dialog::id::kLanguage);
    int language = 0;
    for (auto _ : state) {
        languages->setCurrentIndex(language++ % 2);
        demo.dialog->onLanguageChanged();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_LanguageSwitch)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const fs::path runtime = bench::scratchFolder("dk3-bench-runtime");
    ::chmod(runtime.c_str(), 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
    {
        QApplication application(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 1;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        demoInstallation.reset();
    }
    std::error_code ignored;
    fs::remove_all(runtime, ignored);
    return 0;
}
