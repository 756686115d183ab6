#include "FakeHome.h"

#include <chrono>
#include <sqlite3.h>
#include <stdexcept>

namespace dk3::test {
namespace fs = std::filesystem;

FakeHome::FakeHome() {
    environment_.home = dir_ / "home";
    environment_.dataHome = environment_.home / ".local/share";
    environment_.configHome = environment_.home / ".config";
    environment_.documentsFolder = environment_.home / "Documents";
    fs::create_directories(environment_.documentsFolder);
}

fs::path FakeHome::makeGame(const fs::path& folder, const std::string& exeName) const {
    fs::create_directories(folder / "Ini");
    writeFile(folder / exeName, "MZ");
    writeFile(folder / "Ini/dk3e.ini", "[Engine.Setup]\n");
    return folder;
}

fs::path FakeHome::makePrefix(const fs::path& prefix, const std::string& installDir, bool win64,
                              const std::string& user, const std::string& userReg) const {
    fs::create_directories(prefix / "drive_c/users" / user);
    fs::create_directories(prefix / "dosdevices");
    std::error_code ec;
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices/c:", ec);
    fs::create_directory_symlink("/", prefix / "dosdevices/z:", ec);
    std::string system = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";
    system += win64 ? "#arch=win64\n\n" : "#arch=win32\n\n";
    system += "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1700000000\n"
              "\"ProductName\"=\"Microsoft Windows 10\"\n\n";
    if (!installDir.empty()) {
        system += win64 ? "[Software\\\\Wow6432Node\\\\Brannholt Productions Software "
                          "AG\\\\Draskel III] 1700000001\n"
                        : "[Software\\\\Brannholt Productions Software AG\\\\Draskel III] "
                          "1700000001\n";
        system += "#time=1d9c0a8b2e4f6a0\n\"INSTALL_DIR\"=\"" + regEscaped(installDir) + "\"\n";
    }
    writeFile(prefix / "system.reg", system);
    writeFile(prefix / "user.reg", "WINE REGISTRY Version 2\n;; All keys relative to "
                                   "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n" +
                                       userReg);
    return prefix;
}

void FakeHome::addSteamApp(const fs::path& library, const std::string& appId,
                           const std::string& installDir) const {
    fs::create_directories(library / "steamapps/common");
    writeFile(library / "steamapps" / ("appmanifest_" + appId + ".acf"),
              "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appId +
                  "\"\n\t\"Universe\"\t\t\"1\"\n\t\"name\"\t\t\"App " + appId +
                  "\"\n\t\"installdir\"\t\t\"" + installDir + "\"\n}\n");
}

void FakeHome::writeLibraryFolders(const fs::path& root, const std::vector<fs::path>& libraries,
                                   bool nested) const {
    std::string text = nested ? "\"libraryfolders\"\n{\n"
                              : "\"LibraryFolders\"\n{\n"
                                "\t\"TimeNextStatsReport\"\t\"1\"\n";
    for (std::size_t i = 0; i < libraries.size(); ++i) {
        const std::string index = std::to_string(i);
        if (nested)
            text += "\t\"" + index + "\"\n\t{\n\t\t\"path\"\t\t\"" + libraries[i].string() +
                    "\"\n\t\t\"apps\"\n\t\t{\n\t\t}\n\t}\n";
        else
            text += "\t\"" + std::to_string(i + 1) + "\"\t\t\"" + libraries[i].string() + "\"\n";
    }
    text += "}\n";
    fs::create_directories(root / "steamapps");
    writeFile(root / "steamapps/libraryfolders.vdf", text);
}

void FakeHome::writeLutrisDatabase(const fs::path& file,
                                   const std::vector<LutrisRow>& games) const {
    fs::create_directories(file.parent_path());
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot make " + file.string());
    const auto run = [&](const char* sql) {
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db));
    };
    run("CREATE TABLE games (id INTEGER PRIMARY KEY, name TEXT, sortname TEXT, slug TEXT, "
        "installer_slug TEXT, parent_slug TEXT, platform TEXT, runner TEXT, executable TEXT, "
        "directory TEXT, updated DATETIME, lastplayed INTEGER, installed INTEGER, "
        "installed_at INTEGER, year INTEGER, configpath TEXT, has_custom_banner INTEGER, "
        "has_custom_icon INTEGER, has_custom_coverart_big INTEGER, playtime REAL, "
        "hidden INTEGER, service TEXT, service_id TEXT, discord_id TEXT)");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO games (name, slug, runner, executable, directory, installed, "
                       "configpath, platform) VALUES (?, ?, ?, ?, ?, ?, ?, 'Windows')",
                       -1, &insert, nullptr);
    for (const LutrisRow& game : games) {
        const auto text = [&](int column, const std::string& value) {
            if (value.empty())
                sqlite3_bind_null(insert, column);
            else
                sqlite3_bind_text(insert, column, value.c_str(), static_cast<int>(value.size()),
                                  SQLITE_TRANSIENT);
        };
        text(1, game.name);
        text(2, game.configpath);
        text(3, game.runner);
        text(4, game.executable);
        text(5, game.directory);
        sqlite3_bind_int(insert, 6, game.installed);
        text(7, game.configpath);
        if (sqlite3_step(insert) != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
}

fs::path FakeHome::makeProtonPrefix(const fs::path& library, const std::string& appId,
                                    int ageSeconds) const {
    const fs::path compat = library / "steamapps/compatdata" / appId;
    const fs::path pfx = makePrefix(compat / "pfx", "", true, "steamuser");
    fs::create_directories(pfx / "drive_c/users/steamuser/Documents");
    writeFile(compat / "pfx.lock", "");
    fs::last_write_time(compat / "pfx.lock",
                        fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
    return pfx;
}

std::string shortcutsVdf(const std::vector<FakeHome::Shortcut>& shortcuts) {
    std::string out;
    const auto key = [&](char type, const std::string& name) {
        out.push_back(type);
        out += name;
        out.push_back('\0');
    };
    const auto text = [&](const std::string& name, const std::string& value) {
        key('\x01', name);
        out += value;
        out.push_back('\0');
    };
    const auto int32 = [&](const std::string& name, std::int32_t value) {
        key('\x02', name);
        const auto bits = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    };
    key('\x00', "shortcuts");
    for (std::size_t i = 0; i < shortcuts.size(); ++i) {
        key('\x00', std::to_string(i));
        if (shortcuts[i].appId)
            int32("appid", *shortcuts[i].appId);
        text("AppName", shortcuts[i].appName);
        text("Exe", shortcuts[i].exe);
        text("StartDir", "\"/\"");
        int32("IsHidden", 0);
        int32("LastPlayTime", 1700000000);
        key('\x00', "tags");
        text("0", "favorite");
        out.push_back('\x08');
        out.push_back('\x08');
    }
    out += "\x08\x08";
    return out;
}

void FakeHome::writeShortcuts(const fs::path& root, const std::string& account,
                              const std::vector<Shortcut>& shortcuts) const {
    fs::create_directories(root / "userdata" / account / "config");
    writeFile(root / "userdata" / account / "config/shortcuts.vdf", shortcutsVdf(shortcuts));
}

std::string regEscaped(const std::string& windowsPath) {
    std::string out;
    for (const char c : windowsPath) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

std::string onDriveZ(const fs::path& linuxPath) {
    std::string out = "Z:";
    for (const char c : linuxPath.string())
        out.push_back(c == '/' ? '\\' : c);
    return out;
}

} // namespace dk3::test
