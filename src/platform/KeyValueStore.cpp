#include "platform/KeyValueStore.h"

#include "platform/ProfileFile.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <utility>

namespace dk3::platform {
namespace fs = std::filesystem;

namespace {

// The registry reads of the game's tools go into 256-byte buffers.
constexpr std::size_t kValueBuffer = 256;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

fs::path homeFolder() {
    if (const std::string home = environment("HOME"); !home.empty())
        return home;
    // A session without HOME (some service managers) still has a home in the user database.
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return {};
}

} // namespace

KeyValueStore::KeyValueStore(fs::path file) : file_(std::move(file)) {}

fs::path KeyValueStore::defaultLocation() {
    // The XDG rules say a relative XDG_CONFIG_HOME is invalid and must be ignored.
    fs::path config = environment("XDG_CONFIG_HOME");
    if (config.empty() || !config.is_absolute())
        config = homeFolder() / ".config";
    return config / "draskel3-tuning" / "registry.ini";
}

std::string KeyValueStore::value(std::string_view key, std::string_view name) const {
    return profile::readText(file_, key, name, "", kValueBuffer);
}

std::string KeyValueStore::fullValue(std::string_view key, std::string_view name) const {
    // Bounded only by the store's file, which the INI engine reads whole; a quoted value loses
    // its closing quote only when cut, so one byte more than the file keeps it whole.
    std::error_code ec;
    const auto size = std::filesystem::file_size(file_, ec);
    if (ec)
        return {};
    return profile::readText(file_, key, name, "", static_cast<std::size_t>(size) + 2);
}

std::error_code KeyValueStore::setValue(std::string_view key, std::string_view name,
                                        std::string_view value) {
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return std::make_error_code(std::errc::invalid_argument);
    if (const fs::path folder = file_.parent_path(); !folder.empty()) {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error)
            return error;
    }
    // The quotes keep leading and trailing blanks, which the INI reads would drop; the reads
    // remove exactly one pair of outer quotes again.
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.append("\"").append(value).append("\"");
    return profile::writeText(file_, key, name, quoted);
}

} // namespace dk3::platform
