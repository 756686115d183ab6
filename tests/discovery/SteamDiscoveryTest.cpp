#include "FakeHome.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;
using test::FakeHome;
using test::writeFile;

fs::path real(const fs::path& path) {
    return fs::weakly_canonical(path);
}

TEST(SteamDiscovery, FindsGameInSecondLibraryByItsFilesWithProtonPrefixAndDocuments) {
    FakeHome fake;
    const fs::path root = fake.home() / ".local/share/Steam";
    const fs::path second = fake.scratch() / "games/SteamLibrary";
    fake.writeLibraryFolders(root, {root, second});
    fake.addSteamApp(root, "228980", "Steamworks Shared"); // a manifest of another app
    fs::create_directories(root / "steamapps/common/Steamworks Shared");
    // Steam's installdir and the folder on disk differ in letter case, and so does the exe.
    fake.addSteamApp(second, "4711", "draskel 3");
    const fs::path game = fake.makeGame(second / "steamapps/common/Draskel 3", "DRASKEL3.exe");
    const fs::path pfx = second / "steamapps/compatdata/4711/pfx";
    fake.makePrefix(pfx, "", true, "steamuser");
    fs::create_directories(pfx / "drive_c/users/steamuser/Documents");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].source, Source::Steam);
    EXPECT_EQ(found[0].appId, "4711");
    EXPECT_EQ(found[0].gameFolder, real(game));
    EXPECT_EQ(found[0].prefix, real(pfx));
    EXPECT_EQ(found[0].documentsFolder, real(pfx / "drive_c/users/steamuser/Documents"));
    EXPECT_EQ(sourceName(found[0].source), "steam");
}

TEST(SteamDiscovery, BeforeFirstStartTheDocumentsFolderIsWhereProtonWillMakeIt) {
    FakeHome fake;
    const fs::path root = fake.home() / ".local/share/Steam";
    fake.addSteamApp(root, "4711", "Draskel 3");
    fake.makeGame(root / "steamapps/common/Draskel 3");
    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    const fs::path pfx = real(root) / "steamapps/compatdata/4711/pfx";
    EXPECT_EQ(found[0].prefix, pfx);
    EXPECT_EQ(found[0].documentsFolder, pfx / "drive_c/users/steamuser/Documents");
}

TEST(SteamDiscovery, FlatpakRootWithOlderLayoutAndLinkedRootsCountOnce) {
    FakeHome fake;
    const fs::path native = fake.home() / ".local/share/Steam";
    fs::create_directories(fake.home() / ".steam");
    fs::create_directories(native);
    fs::create_directory_symlink(native, fake.home() / ".steam/steam");
    fs::create_directory_symlink(native, fake.home() / ".steam/root");
    fake.addSteamApp(native, "1", "Draskel 3");
    fake.makeGame(native / "steamapps/common/Draskel 3");

    const fs::path flatpak = fake.home() / ".var/app/com.valvesoftware.Steam/.local/share/Steam";
    const fs::path external = fake.scratch() / "ext";
    fake.writeLibraryFolders(flatpak, {external, native}, /*nested=*/false);
    fake.addSteamApp(external, "2", "Draskel3 Copy");
    fake.makeGame(external / "steamapps/common/Draskel3 Copy");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].gameFolder, real(native / "steamapps/common/Draskel 3"));
    EXPECT_EQ(found[1].gameFolder, real(external / "steamapps/common/Draskel3 Copy"));
    EXPECT_EQ(found[1].appId, "2");
}

TEST(SteamDiscovery, DataHomeRootIsRead) {
    FakeHome fake;
    fake.environment().dataHome = fake.scratch() / "xdg-data";
    const fs::path root = fake.environment().dataHome / "Steam";
    fake.addSteamApp(root, "3", "D3");
    fake.makeGame(root / "steamapps/common/D3");
    ASSERT_EQ(discoverInstallations(fake.environment()).size(), 1u);
}

TEST(SteamDiscovery, DamagedBinaryAndHostileFilesAreSkippedWithoutHanging) {
    FakeHome fake;
    const fs::path root = fake.home() / ".local/share/Steam";
    fs::create_directories(root / "steamapps/common");
    // Binary key-value data where the text library list should be: the root's own library
    // still counts.
    writeFile(root / "steamapps/libraryfolders.vdf", std::string("\0libraryfolders\0\x01", 17));
    fake.addSteamApp(root, "10", "Draskel 3");
    fake.makeGame(root / "steamapps/common/Draskel 3");
    writeFile(root / "steamapps/appmanifest_11.acf", "\"AppState\" { \"appid\" \"11\"");
    // Manifests trying to leave common, or with an id that is no number.
    fake.addSteamApp(root, "12", "../../../..");
    fake.addSteamApp(root, "13", "a/b");
    writeFile(root / "steamapps/appmanifest_14.acf",
              "\"AppState\" { \"appid\" \"../14\" \"installdir\" \"Draskel 3\" }");
    // A pipe and a folder where manifests should be files: refused at once, no waiting.
    ASSERT_EQ(::mkfifo((root / "steamapps/appmanifest_15.acf").c_str(), 0600), 0);
    fs::create_directories(root / "steamapps/appmanifest_16.acf");

    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].appId, "10");
}

TEST(SteamDiscovery, ManifestWithoutIdUsesItsFileNameAndFolderMustHoldTheGame) {
    FakeHome fake;
    const fs::path root = fake.home() / ".local/share/Steam";
    fs::create_directories(root / "steamapps/common");
    writeFile(root / "steamapps/appmanifest_77.acf", "AppState { installdir Draskel }");
    fake.makeGame(root / "steamapps/common/Draskel");
    fake.addSteamApp(root, "78", "NoIni");
    fs::create_directories(root / "steamapps/common/NoIni");
    writeFile(root / "steamapps/common/NoIni/Draskel3.exe", "MZ");
    const auto found = discoverInstallations(fake.environment());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].appId, "77");
}

TEST(SteamDiscovery, ChosenFolderInLibraryGetsProtonPrefixOfItsManifest) {
    FakeHome fake;
    const fs::path library = fake.scratch() / "lib";
    fake.addSteamApp(library, "555", "DRASKEL 3");
    const fs::path game = fake.makeGame(library / "steamapps/common/Draskel 3");
    const fs::path pfx = library / "steamapps/compatdata/555/pfx";
    fake.makePrefix(pfx, "", true, "steamuser");
    fs::create_directories(pfx / "drive_c/users/steamuser/My Documents");

    const Installation chosen = installationAt(game, fake.environment());
    EXPECT_EQ(chosen.source, Source::ChosenByHand);
    EXPECT_EQ(chosen.appId, "555");
    EXPECT_EQ(chosen.prefix, real(pfx));
    EXPECT_EQ(chosen.documentsFolder, real(pfx / "drive_c/users/steamuser/My Documents"));
}

} // namespace
} // namespace dk3::discovery
