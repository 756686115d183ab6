// Games added to Steam by hand ("non-Steam games"), run with Proton: every account's
// <root>/userdata/<account id>/config/shortcuts.vdf. A shortcut whose executable is the game's,
// or whose prefix's registry names the game (the player ran the game's installer in it), runs
// in Proton's prefix compatdata/<shortcut id>/pfx; the game folder may be outside that prefix or
// inside it.

#include "discovery/BinaryKeyValues.h"
#include "discovery/Folders.h"
#include "discovery/Launcher.h"
#include "discovery/SteamLibraries.h"
#include "discovery/ValveKeyValues.h"
#include "discovery/WinePrefix.h"
#include "platform/CaseInsensitivePath.h"

#include <array>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

// A few hundred shortcuts take some tens of kilobytes.
constexpr std::size_t kMaxShortcutsFileBytes = 16u * 1024u * 1024u;

std::string textOf(const BinaryKeyValue& shortcut, std::string_view key) {
    const BinaryKeyValue* field = shortcut.find(key);
    return field && field->type == BinaryKeyValue::Type::String ? field->text : std::string();
}

// Steam stores Exe and StartDir in double quotes.
std::string unquoted(std::string text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        return text.substr(1, text.size() - 2);
    return text;
}

} // namespace

std::uint32_t crc32(std::string_view bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> entries{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            entries[i] = c;
        }
        return entries;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : bytes)
        crc = table[(crc ^ static_cast<std::uint8_t>(c)) & 0xFFu] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::optional<std::uint32_t> shortcutId(const BinaryKeyValue& shortcut) {
    if (const BinaryKeyValue* appId = shortcut.find("appid")) {
        if (appId->type != BinaryKeyValue::Type::Int32)
            return std::nullopt;
        // Stored as a signed 32-bit number; the prefix is named by its unsigned value.
        return static_cast<std::uint32_t>(appId->bits & 0xFFFFFFFFu);
    }
    // Older files have no appid: Steam derives it from Exe exactly as stored and the name.
    const std::string exe = textOf(shortcut, "Exe");
    if (exe.empty())
        return std::nullopt;
    return crc32(exe + textOf(shortcut, "AppName")) | 0x80000000u;
}

std::vector<std::filesystem::path> shortcutFiles(const fs::path& root) {
    std::vector<fs::path> files;
    for (const fs::path& account : entriesOf(root / "userdata")) {
        if (!isAllDigits(account.filename().string()))
            continue;
        const fs::path file = account / "config/shortcuts.vdf";
        if (isRegularFile(file))
            files.push_back(file);
    }
    return files;
}

LauncherReport findSteamShortcuts(const Environment& environment) {
    LauncherReport report;
    const std::vector<fs::path> libraries = steamLibraries(environment);
    for (const fs::path& root : steamRoots(environment)) {
        for (const fs::path& file : shortcutFiles(root)) {
            const auto data = readSmallFile(file, kMaxShortcutsFileBytes);
            const auto parsed = data ? parseBinaryKeyValues(*data) : std::nullopt;
            const BinaryKeyValue* shortcuts = parsed ? parsed->find("shortcuts") : nullptr;
            if (!shortcuts || shortcuts->type != BinaryKeyValue::Type::Map)
                continue;
            for (const BinaryKeyValue& shortcut : shortcuts->children) {
                if (shortcut.type != BinaryKeyValue::Type::Map)
                    continue;
                const auto id = shortcutId(shortcut);
                if (!id)
                    continue;
                const std::string appId = std::to_string(*id);
                const fs::path exe(unquoted(textOf(shortcut, "Exe")));
                if (exe.is_absolute() &&
                    equalsIgnoringAsciiCase(exe.filename().string(), "Draskel3.exe")) {
                    const fs::path folder =
                        platform::resolveCaseInsensitive("/", exe.parent_path().relative_path());
                    report.games.push_back({folder, protonPrefix(libraries, root, appId),
                                            Source::SteamShortcut, appId});
                    continue;
                }
                // Another executable (a launcher, the installer): the game counts when the
                // shortcut's prefix was made and its registry names the game.
                const fs::path prefix = protonPrefix(libraries, root, appId);
                if (!isPrefix(prefix))
                    continue;
                report.prefixes.push_back(prefix);
                for (fs::path& folder : registeredGameFolders(prefix))
                    report.games.push_back(
                        {std::move(folder), prefix, Source::SteamShortcut, appId});
            }
        }
    }
    return report;
}

} // namespace dk3::discovery
