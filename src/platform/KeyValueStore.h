#pragma once

// Stands in for the registry key that the game's installer and this program share. The values
// live in an INI file under $XDG_CONFIG_HOME, written through the INI engine, with the registry
// key path as its section name.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace dk3::platform {

class KeyValueStore {
public:
    // The key of the game's installation and the two values this program uses.
    static constexpr std::string_view kGameKey =
        "SOFTWARE\\Brannholt Productions Software AG\\Draskel III";
    static constexpr std::string_view kInstallDir = "INSTALL_DIR";
    static constexpr std::string_view kLanguage = "VORLIX_LANGUAGE";

    // This program's own record of the installation in use, beside INSTALL_DIR: enough for a
    // later start to find the same prefix and documents folder again.
    static constexpr std::string_view kInstallationKey = "draskel3-tuning\\Installation";
    static constexpr std::string_view kGameFolder = "GameFolder";
    static constexpr std::string_view kPrefix = "Prefix";
    static constexpr std::string_view kSource = "Source";
    static constexpr std::string_view kAppId = "AppId";
    static constexpr std::string_view kPrefixMade = "PrefixMade"; // "0": Proton had not made it

    explicit KeyValueStore(std::filesystem::path file);

    // The store's file in the user's configuration folder ($XDG_CONFIG_HOME, default ~/.config).
    static std::filesystem::path defaultLocation();

    // A missing or unreadable store, key or value reads as the empty text. Values are cut to 255
    // bytes, as the registry reads of the game's tools are.
    std::string value(std::string_view key, std::string_view name) const;
    // The same, never cut short: for this program's own values (a path may be long).
    std::string fullValue(std::string_view key, std::string_view name) const;

    // Creates the store's folder and file when missing. Returns an empty error code on success.
    [[nodiscard]] std::error_code setValue(std::string_view key, std::string_view name,
                                           std::string_view value);

    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
};

} // namespace dk3::platform
