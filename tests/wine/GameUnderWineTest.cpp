// The game installed into prefixes made by Wine, as its installer does (a 32-bit registry value
// written with Wine's own "reg add ... /reg:32"), and a stand-in of the game that finds its files
// through Wine (the registry's INSTALL_DIR, SHGetFolderPathA(CSIDL_PERSONAL)) and reads them with
// Wine's profile functions. The program must find the same game folder and documents folder at
// its first and its next start, and after its saves the stand-in must read exactly what each
// dialog showed.

#include "WineHarness.h"
#include "advanced_dialog/AdvancedSettings.h"
#include "advanced_dialog/OtherSettingsDialog.h"
#include "cache_dialog/CacheDialogTemplate.h"
#include "cache_dialog/CacheSettingsDialog.h"
#include "main_dialog/MainDialogTemplate.h"
#include "main_dialog/MainSettingsDialog.h"
#include "platform/DisplayModes.h"
#include "platform/KeyValueStore.h"
#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"
#include "ui/DialogTemplate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>

namespace dk3::test::wine {
namespace {
namespace fs = std::filesystem;
namespace mid = main_dialog::id;

const std::string kGameKey = "HKLM\\Software\\Brannholt Productions Software AG\\Draskel III";
const std::string kShellFolders =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
            out.push_back(
                static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// What the stand-in found and read.
struct GameView {
    std::string install, documents;          // as Windows paths
    fs::path installFolder, documentsFolder; // the same on Linux
    struct Value {
        std::string text;
        int integer = 0;
    };
    std::map<std::string, Value> values; // by "file|section|key"
    std::string raw;
};

GameView parse(const std::string& output) {
    GameView view;
    view.raw = output;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const auto rest = [&](std::string_view label) {
            return unescaped(line.substr(label.size()));
        };
        if (line.rfind("install ", 0) == 0) {
            view.install = rest("install ");
        } else if (line.rfind("documents ", 0) == 0) {
            view.documents = rest("documents ");
        } else if (line.rfind("install-unix ", 0) == 0) {
            view.installFolder = rest("install-unix ");
        } else if (line.rfind("documents-unix ", 0) == 0) {
            view.documentsFolder = rest("documents-unix ");
        } else if (line.rfind("value\t", 0) == 0) {
            std::vector<std::string> fields;
            std::istringstream parts(line);
            std::string field;
            while (std::getline(parts, field, '\t'))
                fields.push_back(field);
            if (fields.size() == 6)
                view.values[fields[1] + "|" + fields[2] + "|" + fields[3]] = {unescaped(fields[4]),
                                                                              std::stoi(fields[5])};
        }
    }
    return view;
}

// The folder with every link followed (Wine's Documents is one), or the path as it is.
fs::path resolved(const fs::path& path) {
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real;
}

class ListedModes final : public platform::DisplayModeSource {
public:
    std::vector<platform::DisplayMode> modes() override {
        return {
            {800, 600, 60}, {1024, 768, 60}, {1280, 1024, 60}, {1280, 1024, 75}, {1920, 1080, 60}};
    }
};

struct GameUnderWine : ::testing::Test {
    Wine& wine = Wine::instance();
    Prefix prefix;
    fs::path config;
    std::unique_ptr<platform::KeyValueStore> store;
    ScriptedPrompter prompter;
    ListedModes modes;

    void SetUp() override {
        ASSERT_EQ(wine.problem(), "");
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        prefix = wine.copyPrefix(name);
        ASSERT_EQ(wine.problem(), "");
        config = prefix.root / "config";
        store = std::make_unique<platform::KeyValueStore>(config / "draskel3-tuning/registry.ini");
    }

    fs::path drive(char letter) const {
        return prefix.prefix() / "dosdevices" / (std::string(1, letter) + ":");
    }

    void wineRun(const std::vector<std::string>& command) {
        const RunResult result = wine.run(prefix, command);
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    }

    // The game's files in folder, and its folder in the registry as its installer writes it.
    void install(const std::string& windowsFolder, const fs::path& folder) {
        copyDemoInstallation(folder);
        wine.handOver(folder);
        wineRun({"wine", "reg", "add", kGameKey, "/v", "INSTALL_DIR", "/t", "REG_SZ", "/d",
                 windowsFolder, "/reg:32", "/f"});
    }

    GameView runGame() {
        wine.handOver(prefix.root);
        const RunResult result = wine.run(prefix, {"wine", Wine::zPath(wine.standIn())});
        EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
        return parse(result.out);
    }

    main_dialog::MainDialogServices services() {
        main_dialog::MainDialogServices result;
        result.prompter = &prompter;
        result.store = store.get();
        result.displayModes = &modes;
        result.documentsFolder = prefix.home() / "Documents";
        result.environment.home = prefix.home();
        result.environment.dataHome = prefix.home() / ".local/share";
        result.environment.configHome = config;
        result.environment.documentsFolder = prefix.home() / "Documents";
        result.environment.winePrefix = prefix.prefix();
        const fs::path temp = prefix.root / "runtime";
        fs::create_directories(temp);
        ::chmod(temp.c_str(), 0700);
        result.tempFolder = temp;
        return result;
    }

    // A start of the program; the first finds the game in the prefix, later ones take the
    // stored folder.
    std::unique_ptr<main_dialog::MainSettingsDialog> start() {
        EXPECT_FALSE(store->setValue(platform::KeyValueStore::kGameKey,
                                     platform::KeyValueStore::kLanguage, "english"));
        auto dialog = std::make_unique<main_dialog::MainSettingsDialog>(services());
        EXPECT_EQ(dialog->startUp(), main_dialog::MainSettingsDialog::StartupOutcome::Run);
        return dialog;
    }

    // The game folder and documents folder of a start of the program.
    std::pair<fs::path, fs::path> foldersOfAStart() {
        const auto dialog = start();
        const app::GamePaths& paths = dialog->paths();
        return {paths.engineIniPath.parent_path().parent_path(),
                paths.userOptionsPath.parent_path().parent_path()};
    }

    // The program's first start finds the game folder and the documents folder that Wine gives the
    // game, and so does its next start. The first start comes before the game ever ran: Wine
    // copies "User Shell Folders" into "Shell Folders" only when a program asks for a folder.
    GameView expectSameFoldersAsTheGame() {
        const auto [firstGame, firstDocuments] = foldersOfAStart();
        const GameView game = runGame();
        EXPECT_FALSE(game.installFolder.empty()) << game.raw;
        EXPECT_FALSE(game.documentsFolder.empty()) << game.raw;
        const auto [secondGame, secondDocuments] = foldersOfAStart();
        for (const auto& [which, folders] :
             {std::pair("first start", std::pair(firstGame, firstDocuments)),
              std::pair("second start", std::pair(secondGame, secondDocuments))}) {
            EXPECT_EQ(resolved(folders.first), resolved(game.installFolder))
                << which << ": the game's INSTALL_DIR is " << game.install;
            EXPECT_EQ(resolved(folders.second), resolved(game.documentsFolder))
                << which << ": the game's documents folder is " << game.documents;
        }
        return game;
    }
};

template <typename T> T* control(const QWidget& dialog, int id) {
    T* widget = ui::controlAs<T>(dialog, id);
    EXPECT_NE(widget, nullptr) << "no control " << id;
    return widget;
}

// Sets every setting of the three dialogs to a value other than the demo's, saves each dialog,
// and returns what each dialog showed, by "file|section|key", in the form the game stores it.
std::map<std::string, std::string> saveEverything(main_dialog::MainSettingsDialog& dialog,
                                                  ScriptedPrompter& prompter) {
    std::map<std::string, std::string> shown;
    const auto combo = [&](int id) {
        return control<QComboBox>(dialog, id);
    };
    const auto word = [&](int id) {
        return dialog.vocabulary().iniWordForText(
            platform::toWindows1252(combo(id)->currentText()));
    };
    const auto index = [&](int id, int plus = 0) {
        return std::to_string(combo(id)->currentIndex() + plus);
    };
    const auto edit = [&](int id) {
        return control<QLineEdit>(dialog, id);
    };

    // The main dialog: the last item of every list, new numbers in the fields.
    for (const int id :
         {mid::kPreset, mid::kDistanceHigh, mid::kDistanceLow, mid::kResourceCache,
          mid::kObjectDetails, mid::kShaderQuality, mid::kTextureQuality, mid::kTextureFilter,
          mid::kVegetationQuality, mid::kShadowQuality, mid::kPostProcessing,
          mid::kVegetationDetails, mid::kMeshQuality, mid::kAnimationQuality, mid::kImageQuality})
        combo(id)->setCurrentIndex(combo(id)->count() - 1);
    for (const int id :
         {mid::kTreeShadows, mid::kStaticShadows, mid::kDetailedShadows, mid::kLowPolygons})
        combo(id)->setCurrentIndex(combo(id)->currentIndex() == 0 ? 1 : 0);
    combo(mid::kPreset)->setCurrentIndex(1);            // "medium", stored as "medium"
    combo(mid::kVegetationDetails)->setCurrentIndex(1); // stored as "med"
    const int resolution = combo(mid::kResolution)->findText(QStringLiteral("1280x1024@75Hz"));
    EXPECT_GE(resolution, 0);
    combo(mid::kResolution)->setCurrentIndex(resolution);
    edit(mid::kVegetationViewRange)->setText(QStringLiteral("4321"));
    edit(mid::kPhysicsViewRange)->setText(QStringLiteral("1234"));
    edit(mid::kMaxRagdolls)->setText(QStringLiteral("17"));
    edit(mid::kRoiViewRange)->setText(QStringLiteral("2345"));

    const std::string user = "user|Options.Custom|";
    const std::string setup = "engine|Engine.Setup|";
    shown["user|Options.Video|Resolution.Width"] = "1280";
    shown["user|Options.Video|Resolution.Height"] = "1024";
    shown["user|Options.Video|Resolution.RefreshRate"] = "75";
    shown["user|Options.Details|Performance"] =
        word(mid::kPreset) == "med" ? "medium" : word(mid::kPreset);
    shown[user + "DistanceHigh"] = index(mid::kDistanceHigh, 1);
    shown[user + "DistanceLow"] = index(mid::kDistanceLow);
    shown[user + "ResourceCache"] = index(mid::kResourceCache, 1);
    shown[user + "ObjectDetails"] = index(mid::kObjectDetails, 1);
    std::string shader = combo(mid::kShaderQuality)->currentText().toStdString();
    for (char& c : shader)
        if (c == '.')
            c = '_';
    shown[user + "ShaderQuality"] = shader;
    shown[user + "TextureQuality"] = index(mid::kTextureQuality, 1);
    shown[user + "TextureFilter"] = index(mid::kTextureFilter);
    shown[user + "VegetationQuality"] = index(mid::kVegetationQuality);
    shown[user + "ShadowQuality"] = index(mid::kShadowQuality);
    shown[user + "PostProcessing"] = index(mid::kPostProcessing);
    shown[setup + "Render.EnableVegetationRendering"] =
        combo(mid::kVegetationQuality)->currentIndex() == 0 ? "false" : "true";
    shown[setup + "VegetationAdmin.Quality"] = word(mid::kVegetationDetails);
    shown[setup + "VegetationAdmin.ViewRange"] = "4321.0";
    shown[setup + "Shader.EnableTreeShadows"] = word(mid::kTreeShadows);
    shown[setup + "Shader.EnableStaticShadows"] = word(mid::kStaticShadows);
    shown[setup + "Shader.EnableDetailShadows"] = word(mid::kDetailedShadows);
    shown[setup + "AnimationBlending.PhysicControllerDistance"] = "1234.0";
    shown[setup + "Animation.MaxRagDolls"] = "17";
    shown[setup + "Entity.ROI"] = "2345.0";
    shown[setup + "Render.EnableLowpolyRendering"] = word(mid::kLowPolygons);
    shown[setup + "Render.MeshLoDQuality"] = word(mid::kMeshQuality);
    shown[setup + "Render.AnimationLoDQuality"] = word(mid::kAnimationQuality);
    shown[setup + "Render.ImageLoDQuality"] = word(mid::kImageQuality);
    control<QPushButton>(dialog, mid::kSave)->click();
    EXPECT_EQ(prompter.messageTexts(), QStringList{QStringLiteral("Settings saved!")});
    prompter.clear();

    // The cache dialog: a new budget in every field.
    {
        cache::CacheSettingsDialog cacheDialog(dialog.paths().engineIniPath, dialog.languageName(),
                                               dialog.catalogue(), prompter);
        static constexpr const char* kCategories[] = {
            "Image", "Mesh", "Sound", "Material", "CollisionMesh", "Animation", "SpeedTree"};
        static constexpr const char* kLevels[] = {"", "Low", "Medium", "High"};
        int budget = 1000003;
        for (std::size_t column = 0; column < cache::kColumnCount; ++column) {
            for (std::size_t row = 0; row < cache::kCategoryCount; ++row) {
                const std::string text = std::to_string(budget += 7919);
                control<QLineEdit>(cacheDialog, cache::kColumnControls[column].values[row])
                    ->setText(QString::fromStdString(text));
                const std::string key =
                    column == 0 ? std::string("engine|Engine.Setup|Cache.Size") + kCategories[row]
                                : std::string("engine|Option.Sliders|ResourceCache.u32") +
                                      kCategories[row] + "MaxMemUsage_" + kLevels[column];
                shown[key] = text;
            }
        }
        control<QLineEdit>(cacheDialog, cache::id::kTextureHigh)
            ->setText(QStringLiteral("351000000"));
        shown["engine|Option.Sliders|ResourceCache.u32ImageMaxMemUsage_TextureQualityHigh"] =
            "351000000";
        EXPECT_TRUE(cacheDialog.save());
    }

    // The advanced dialog: a new number in every field, the other word in both switches.
    {
        advanced::OtherSettingsDialog advancedDialog(dialog.paths(), dialog.languageName(),
                                                     dialog.catalogue(), dialog.vocabulary(),
                                                     prompter);
        int number = 101;
        for (const advanced::AdvancedSetting& setting : advanced::advancedSettings()) {
            if (setting.file == advanced::SettingFile::Shader)
                continue;
            const std::string key =
                std::string(setting.file == advanced::SettingFile::Debug ? "debug|" : "engine|") +
                setting.section + "|" + setting.key;
            if (setting.form == advanced::StoredForm::Word) {
                QComboBox* list = control<QComboBox>(advancedDialog, setting.control);
                list->setCurrentIndex(list->currentIndex() == 0 ? 1 : 0);
                shown[key] = dialog.vocabulary().iniWordForText(
                    platform::toWindows1252(list->currentText()));
                continue;
            }
            QLineEdit* field = control<QLineEdit>(advancedDialog, setting.control);
            if (setting.form == advanced::StoredForm::TwoDecimals) {
                field->setText(QStringLiteral("0.25"));
                shown[key] = "0.25";
                continue;
            }
            number += 211;
            const std::string text = std::to_string(
                setting.key == std::string_view("ObjectDetails.fRangedBaseLoDOffset_Low") ? -number
                                                                                          : number);
            field->setText(QString::fromStdString(text));
            shown[key] = setting.form == advanced::StoredForm::OneDecimal ? text + ".0" : text;
        }
        EXPECT_TRUE(advancedDialog.save());
    }
    return shown;
}

// Every key the saves wrote reads in the game as the dialogs showed it, through both Wine's text
// and integer reads.
void expectTheGameReads(const GameView& game, const std::map<std::string, std::string>& shown,
                        const app::GamePaths& paths) {
    EXPECT_EQ(shown.size(), 27u + 29u + 19u);
    for (const auto& [where, text] : shown) {
        const auto found = game.values.find(where);
        ASSERT_NE(found, game.values.end()) << "the stand-in does not read " << where;
        EXPECT_EQ(found->second.text, text) << where;
        // The game's integer reading of the same value is ours too.
        const auto first = where.find('|');
        const auto second = where.find('|', first + 1);
        const std::string file = where.substr(0, first);
        const fs::path path = file == "user"    ? paths.userOptionsPath
                              : file == "debug" ? paths.debugIniPath
                                                : paths.engineIniPath;
        EXPECT_EQ(found->second.integer,
                  profile::readInt(path, where.substr(first + 1, second - first - 1),
                                   where.substr(second + 1), -77777))
            << where;
    }
}

TEST_F(GameUnderWine, WinesDocumentsLinkAndFilesThatExisted) {
    // Wine links the prefix's Documents to the home's; the player's options are already there.
    copyDemoDocuments(prefix.home() / "Documents");
    ASSERT_TRUE(fs::is_symlink(prefix.userFolder() / "Documents"));
    install("C:\\Games\\Draskel 3", prefix.prefix() / "drive_c/Games/Draskel 3");
    const GameView before = expectSameFoldersAsTheGame();
    EXPECT_EQ(resolved(before.documentsFolder), resolved(prefix.home() / "Documents"));

    const auto dialog = start();
    ASSERT_TRUE(fs::is_regular_file(dialog->paths().debugIniPath));
    const auto shown = saveEverything(*dialog, prompter);
    expectTheGameReads(runGame(), shown, dialog->paths());
}

TEST_F(GameUnderWine, RealDocumentsFolderAndFilesTheSavesCreate) {
    // A prefix whose Documents is a folder of its own, without the game's options yet, and a game
    // without a debug file.
    fs::remove(prefix.userFolder() / "Documents");
    fs::create_directory(prefix.userFolder() / "Documents");
    install("C:\\Program Files (x86)\\Draskel 3",
            prefix.prefix() / "drive_c/Program Files (x86)/Draskel 3");
    fs::remove(prefix.prefix() / "drive_c/Program Files (x86)/Draskel 3/Ini/debug.ini");
    const GameView before = expectSameFoldersAsTheGame();
    EXPECT_EQ(resolved(before.documentsFolder), resolved(prefix.userFolder() / "Documents"));
    EXPECT_EQ(before.values.at("user|Options.Video|Resolution.Width").text, "<missing>");

    const auto dialog = start();
    ASSERT_FALSE(fs::exists(dialog->paths().userOptionsPath));
    ASSERT_FALSE(fs::exists(dialog->paths().debugIniPath));
    const auto shown = saveEverything(*dialog, prompter);
    ASSERT_TRUE(fs::is_regular_file(dialog->paths().userOptionsPath));
    ASSERT_TRUE(fs::is_regular_file(dialog->paths().debugIniPath));
    expectTheGameReads(runGame(), shown, dialog->paths());
}

TEST_F(GameUnderWine, PersonalMovedInUserShellFoldersOnly) {
    // A player (or a tool) moved "My Documents" where Wine takes it from first; Shell Folders
    // still names the old place until a program asks.
    fs::create_directories(prefix.userFolder() / "Eigene Dateien");
    wine.handOver(prefix.userFolder());
    wineRun({"wine", "reg", "add", kShellFolders, "/v", "Personal", "/t", "REG_EXPAND_SZ", "/d",
             "%USERPROFILE%\\Eigene Dateien", "/f"});
    install("C:\\Games\\Draskel 3", prefix.prefix() / "drive_c/Games/Draskel 3");
    const GameView game = expectSameFoldersAsTheGame();
    EXPECT_EQ(resolved(game.documentsFolder), resolved(prefix.userFolder() / "Eigene Dateien"));
}

TEST_F(GameUnderWine, GameOnDriveDOutsideThePrefix) {
    // Documents is a folder of the prefix, so that the home's documents folder, where a game in
    // no prefix keeps its options, is not the game's.
    fs::remove(prefix.userFolder() / "Documents");
    fs::create_directory(prefix.userFolder() / "Documents");
    const fs::path disk = prefix.root / "games-disk";
    fs::create_directories(disk);
    wine.handOver(disk);
    fs::create_directory_symlink(disk, drive('d'));
    install("D:\\Games\\Draskel 3", disk / "Games/Draskel 3");
    const GameView game = expectSameFoldersAsTheGame();
    EXPECT_EQ(resolved(game.installFolder), resolved(disk / "Games/Draskel 3"));
    EXPECT_EQ(resolved(game.documentsFolder), resolved(prefix.userFolder() / "Documents"));
}

TEST_F(GameUnderWine, FolderNamesOutsideAscii) {
    // Windows-1252 letters in the game folder and in the documents folder: Wine's registry keeps
    // them as \x escapes, Linux as UTF-8.
    const std::string documents = "Eigene Dokumente \xC3\xA4\xC3\x9F";
    fs::create_directories(prefix.userFolder() / documents);
    wine.handOver(prefix.userFolder());
    wineRun({"wine", "reg", "add", kShellFolders, "/v", "Personal", "/t", "REG_EXPAND_SZ", "/d",
             "%USERPROFILE%\\" + documents, "/f"});
    install("C:\\Spiele\\Dr\xC3\xA4skel \xC3\x9C",
            prefix.prefix() / "drive_c/Spiele/Dr\xC3\xA4skel \xC3\x9C");
    const GameView game = expectSameFoldersAsTheGame();
    EXPECT_EQ(game.install, "C:\\Spiele\\Dr\xE4skel \xDC"); // what the game's A calls see
    EXPECT_EQ(resolved(game.documentsFolder), resolved(prefix.userFolder() / documents));

    const auto dialog = start();
    const auto shown = saveEverything(*dialog, prompter);
    expectTheGameReads(runGame(), shown, dialog->paths());
}

} // namespace
} // namespace dk3::test::wine
