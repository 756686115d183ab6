#include "FakeHome.h"

#include <gtest/gtest.h>

namespace dk3::discovery {
namespace {
namespace fs = std::filesystem;
using test::FakeHome;
using test::writeFile;

fs::path real(const fs::path& path) {
    return fs::weakly_canonical(path);
}

TEST(DrivePaths, WindowsPathsMapThroughDriveLinksIgnoringLetterCase) {
    FakeHome fake;
    const fs::path prefix = fake.makePrefix(fake.scratch() / "pfx", "");
    fs::create_directories(prefix / "drive_c/Program Files/Draskel 3/Ini");
    const fs::path data = fake.scratch() / "data";
    fs::create_directories(data / "Spiele");
    fs::create_directory_symlink(data, prefix / "dosdevices/e:");

    EXPECT_EQ(windowsToLinuxPath(prefix, "C:\\PROGRAM FILES\\draskel 3\\INI"),
              real(prefix / "drive_c/Program Files/Draskel 3/Ini"));
    EXPECT_EQ(windowsToLinuxPath(prefix, "c:/Program Files/./x/../Draskel 3/"),
              real(prefix / "drive_c/Program Files/Draskel 3"));
    EXPECT_EQ(windowsToLinuxPath(prefix, "C:\\..\\..\\windows"), real(prefix / "drive_c/windows"));
    EXPECT_EQ(windowsToLinuxPath(prefix, "e:\\spiele\\New"), real(data / "Spiele/New"));
    EXPECT_EQ(windowsToLinuxPath(prefix, std::string("C:\\\0", 4)), real(prefix / "drive_c"));
    EXPECT_EQ(windowsToLinuxPath(prefix, test::onDriveZ(data / "Spiele")), real(data / "Spiele"));
    EXPECT_EQ(windowsToLinuxPath(prefix, "Q:\\nothing"), std::nullopt); // no link for q:
    EXPECT_EQ(windowsToLinuxPath(prefix, "\\\\server\\share"), std::nullopt);
    EXPECT_EQ(windowsToLinuxPath(prefix, "relative\\path"), std::nullopt);
    EXPECT_EQ(windowsToLinuxPath(prefix, ""), std::nullopt);
    // Before Wine has made dosdevices, c: is drive_c all the same.
    fs::remove_all(prefix / "dosdevices");
    EXPECT_EQ(windowsToLinuxPath(prefix, "C:\\Program Files"),
              real(prefix / "drive_c/Program Files"));
}

TEST(PrefixDocuments, PersonalFromShellFoldersOrExpandedUserShellFolders) {
    FakeHome fake;
    const fs::path elsewhere = fake.home() / "docs on d";
    fs::create_directories(elsewhere / "Eigene Dateien");
    const fs::path prefix = fake.makePrefix(
        fake.scratch() / "pfx", "", true, "player",
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1\n"
        "\"Personal\"=\"D:\\\\EIGENE DATEIEN\"\n");
    fs::create_directory_symlink(elsewhere, prefix / "dosdevices/d:");
    fs::create_directories(prefix / "drive_c/users/player/Documents"); // not the one in use
    EXPECT_EQ(prefixDocumentsFolder(prefix, fake.home()), real(elsewhere / "Eigene Dateien"));

    const fs::path expanded = fake.makePrefix(
        fake.scratch() / "pfx2", "", true, "player",
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\User Shell Folders] "
        "1\n\"Personal\"=str(2):\"%UserProfile%\\\\Meine Dokumente\"\n");
    fs::create_directories(expanded / "drive_c/users/player/Meine Dokumente");
    EXPECT_EQ(prefixDocumentsFolder(expanded, fake.home()),
              real(expanded / "drive_c/users/player/Meine Dokumente"));
}

TEST(PrefixDocuments, LinkToXdgFolderIsFollowedAndMissingFoldersFallBack) {
    FakeHome fake;
    // Wine links a new prefix's Documents to the XDG documents folder.
    const fs::path linked = fake.makePrefix(fake.scratch() / "linked", "");
    fs::create_directory_symlink(fake.environment().documentsFolder,
                                 linked / "drive_c/users/player/Documents");
    EXPECT_EQ(prefixDocumentsFolder(linked, fake.home()), real(fake.environment().documentsFolder));

    // Personal names a folder that is gone; damaged user.reg: the users folder decides.
    const fs::path stale = fake.makePrefix(
        fake.scratch() / "stale", "", true, "player",
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders]\n"
        "\"Personal\"=\"C:\\\\gone\"\n");
    fs::create_directories(stale / "drive_c/users/player/My Documents");
    EXPECT_EQ(prefixDocumentsFolder(stale, fake.home()),
              real(stale / "drive_c/users/player/My Documents"));
    writeFile(stale / "user.reg", "WINE REGISTRY Version 2\n\"no key\"=\"x\"\n");
    EXPECT_EQ(prefixDocumentsFolder(stale, fake.home()),
              real(stale / "drive_c/users/player/My Documents"));

    const fs::path bare = fake.makePrefix(fake.scratch() / "bare", "");
    EXPECT_EQ(prefixDocumentsFolder(bare, fake.home()), std::nullopt);
    // Nor does discovery fall back to the XDG folder for a prefix: the game would not use it.
    const fs::path game = fake.makeGame(bare / "drive_c/Game");
    EXPECT_EQ(installationAt(game, fake.environment()).documentsFolder,
              real(bare) / "drive_c/users/player/Documents");
}

TEST(PrefixDocuments, ProtonUserIsSteamuserEvenBesideOtherUsers) {
    FakeHome fake;
    const fs::path pfx =
        fake.makePrefix(fake.scratch() / "compatdata/1/pfx", "", true, "steamuser");
    fs::create_directories(pfx / "drive_c/users/Public/Documents");
    fs::create_directories(pfx / "drive_c/users/steamuser/Documents");
    EXPECT_EQ(prefixDocumentsFolder(pfx, fake.home()),
              real(pfx / "drive_c/users/steamuser/Documents"));
}

} // namespace
} // namespace dk3::discovery

namespace dk3::discovery {
namespace {

TEST(ProcessEnvironment, RelativeXdgValuesAndPrefixAreIgnored) {
    using test::ScopedEnv;
    const ScopedEnv home("HOME", "/home/someone");
    const ScopedEnv data("XDG_DATA_HOME", "relative/data");
    const ScopedEnv config("XDG_CONFIG_HOME", "/elsewhere/config");
    const ScopedEnv documents("XDG_DOCUMENTS_DIR", "/pfx/drive_c/users/steamuser/Documents");
    {
        const ScopedEnv prefix("WINEPREFIX", "games/prefix");
        const Environment environment = Environment::fromProcess();
        EXPECT_EQ(environment.home, "/home/someone");
        EXPECT_EQ(environment.dataHome, "/home/someone/.local/share");
        EXPECT_EQ(environment.configHome, "/elsewhere/config");
        EXPECT_EQ(environment.documentsFolder, "/pfx/drive_c/users/steamuser/Documents");
        EXPECT_EQ(environment.winePrefix, std::nullopt);
    }
    const ScopedEnv prefix("WINEPREFIX", "/games/prefix");
    EXPECT_EQ(Environment::fromProcess().winePrefix, "/games/prefix");
}

} // namespace
} // namespace dk3::discovery
