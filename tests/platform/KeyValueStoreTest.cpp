#include "platform/KeyValueStore.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;
using test::readFile;
using test::ScopedEnv;
using test::TempDir;

constexpr auto kKey = KeyValueStore::kGameKey;

TEST(KeyValueStore, DefaultLocationFollowsXdgConfigHome) {
    TempDir dir;
    const ScopedEnv home("HOME", (dir / "home").string());
    {
        const ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
        EXPECT_EQ(KeyValueStore::defaultLocation(), dir / "config/draskel3-tuning/registry.ini");
    }
    // Empty or relative values are not valid configuration folders.
    for (const std::string value : {"", "relative/config"}) {
        const ScopedEnv config("XDG_CONFIG_HOME", value);
        EXPECT_EQ(KeyValueStore::defaultLocation(),
                  dir / "home/.config/draskel3-tuning/registry.ini")
            << value;
    }
}

TEST(KeyValueStore, MissingStoreReadsEmptyAndFirstWriteCreatesIt) {
    TempDir dir;
    KeyValueStore store(dir / "config/draskel3-tuning/registry.ini");
    EXPECT_EQ(store.value(kKey, KeyValueStore::kInstallDir), "");
    EXPECT_FALSE(fs::exists(dir / "config"));

    ASSERT_FALSE(store.setValue(kKey, KeyValueStore::kLanguage, "deutsch"));
    ASSERT_FALSE(store.setValue(kKey, KeyValueStore::kInstallDir, "/games/Draskel III"));
    EXPECT_EQ(store.value(kKey, KeyValueStore::kLanguage), "deutsch");
    EXPECT_EQ(store.value(kKey, "vorlix_language"), "deutsch");
    EXPECT_EQ(store.value(kKey, KeyValueStore::kInstallDir), "/games/Draskel III");
    EXPECT_EQ(store.value("SOFTWARE\\Other", KeyValueStore::kLanguage), "");
    EXPECT_EQ(readFile(store.file()),
              "[SOFTWARE\\Brannholt Productions Software AG\\Draskel III]\r\n"
              "VORLIX_LANGUAGE=\"deutsch\"\r\n"
              "INSTALL_DIR=\"/games/Draskel III\"\r\n");

    ASSERT_FALSE(store.setValue(kKey, KeyValueStore::kLanguage, "english"));
    EXPECT_EQ(store.value(kKey, KeyValueStore::kLanguage), "english");
    EXPECT_EQ(store.value(kKey, KeyValueStore::kInstallDir), "/games/Draskel III");
}

TEST(KeyValueStore, ValuesSurviveTheRoundTripWhole) {
    TempDir dir;
    KeyValueStore store(dir / "registry.ini");
    for (const std::string value : {"  blanks around\t ", "", "\"quoted\"", "'single", "a=b ; c",
                                    "Gr\xf6\xdf"
                                    "e"}) {
        ASSERT_FALSE(store.setValue(kKey, "v", value)) << value;
        EXPECT_EQ(store.value(kKey, "v"), value);
    }
    // Reads are cut like the 256-byte registry buffers of the game's tools.
    ASSERT_FALSE(store.setValue(kKey, "long", std::string(300, 'x')));
    EXPECT_EQ(store.value(kKey, "long"), std::string(255, 'x'));
}

TEST(KeyValueStore, RefusesValuesThatCannotBeOneLineAndReportsFailures) {
    TempDir dir;
    KeyValueStore store(dir / "registry.ini");
    ASSERT_FALSE(store.setValue(kKey, KeyValueStore::kLanguage, "deutsch"));
    const auto before = readFile(store.file());
    using namespace std::string_literals;
    for (const std::string& value : {"a\r\nINSTALL_DIR=/x"s, "a\nb"s, "a\rb"s, "a\0b"s})
        EXPECT_EQ(store.setValue(kKey, KeyValueStore::kLanguage, value),
                  std::errc::invalid_argument);
    EXPECT_EQ(readFile(store.file()), before);

    // A file where the store's folder should be.
    test::writeFile(dir / "blocked", "");
    KeyValueStore blocked(dir / "blocked/registry.ini");
    EXPECT_TRUE(blocked.setValue(kKey, KeyValueStore::kLanguage, "deutsch"));
    EXPECT_EQ(blocked.value(kKey, KeyValueStore::kLanguage), "");
    // A directory where the store's file should be.
    fs::create_directory(dir / "dir.ini");
    KeyValueStore directory(dir / "dir.ini");
    EXPECT_TRUE(directory.setValue(kKey, KeyValueStore::kLanguage, "deutsch"));
    EXPECT_EQ(directory.value(kKey, KeyValueStore::kLanguage), "");
}

} // namespace
} // namespace dk3::platform
