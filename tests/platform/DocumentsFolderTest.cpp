#include "platform/SpecialFolders.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

TEST(DocumentsFolder, EnvironmentBeforeUserDirsFileBeforeHomeDocuments) {
    TempDir dir;
    const ScopedEnv home("HOME", (dir / "home").string());
    const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
    fs::create_directories(dir / "home/Documents");
    dir.write("config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
    fs::create_directories(dir / "home/Dokumente");
    {
        const ScopedEnv documents("XDG_DOCUMENTS_DIR", (dir / "pfx/Documents/").string());
        EXPECT_EQ(documentsFolder(), dir / "pfx/Documents");
    }
    {
        const ScopedEnv documents("XDG_DOCUMENTS_DIR", "$HOME/Eigene");
        EXPECT_EQ(documentsFolder(), dir / "home/Eigene");
    }
    {
        // Relative values are not to be used; the file counts then.
        const ScopedEnv documents("XDG_DOCUMENTS_DIR", "Documents");
        EXPECT_EQ(documentsFolder(), dir / "home/Dokumente");
    }
    const ScopedEnv documents("XDG_DOCUMENTS_DIR", "");
    fs::remove(dir / "config/user-dirs.dirs");
    EXPECT_EQ(documentsFolder(), dir / "home/Documents");
}

TEST(DocumentsFolder, UserDirsFileIsReadTheWayTheShellSourcesIt) {
    const char* file = "# written by xdg-user-dirs-update\n"
                       "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                       "XDG_DOCUMENTS_DIR=\"$HOME/Old\"\n"
                       "XDG_DOCUMENTS_DIRS=\"/not/this\"\n"
                       "  XDG_DOCUMENTS_DIR=\"/data/My \\\"Docs\\\" \\$1\"\r\n"
                       "XDG_MUSIC_DIR=\"$HOME/Music\"\n";
    EXPECT_EQ(userDirsValue(file, "XDG_DOCUMENTS_DIR"), "/data/My \"Docs\" $1");
    EXPECT_EQ(userDirsValue(file, "XDG_DESKTOP_DIR"), "$HOME/Desktop");
    EXPECT_EQ(userDirsValue(file, "XDG_VIDEOS_DIR"), std::nullopt);
    EXPECT_EQ(userDirsValue("XDG_DOCUMENTS_DIR=/plain/path # note", "XDG_DOCUMENTS_DIR"),
              "/plain/path");
    // A quote that is never closed makes the line count for nothing.
    EXPECT_EQ(
        userDirsValue("XDG_DOCUMENTS_DIR=\"/a\"\nXDG_DOCUMENTS_DIR=\"/b\n", "XDG_DOCUMENTS_DIR"),
        "/a");

    TempDir dir;
    const ScopedEnv home("HOME", (dir / "home").string());
    const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
    const ScopedEnv documents("XDG_DOCUMENTS_DIR", "");
    dir.write("config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente/\"\n");
    EXPECT_EQ(documentsFolder(), dir / "home/Dokumente");
    // A relative value in the file is not used either.
    dir.write("config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"Dokumente\"\n");
    EXPECT_EQ(documentsFolder(), dir / "home/Documents");
    // Without XDG_CONFIG_HOME the file is looked for in ~/.config.
    const ScopedEnv noConfig("XDG_CONFIG_HOME", "");
    dir.write("home/.config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n");
    EXPECT_EQ(documentsFolder(), fs::path("/srv/docs"));
}

} // namespace
} // namespace dk3::platform
