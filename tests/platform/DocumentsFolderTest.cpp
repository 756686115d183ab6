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

} // namespace
} // namespace dk3::platform
