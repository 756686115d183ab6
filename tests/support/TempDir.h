#pragma once

// Scratch folders and files for tests, removed when the test ends.

#include <QByteArray>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dk3::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const {
        return path_ / relative;
    }

    // Writes bytes to a file below the folder, creating its parent folders.
    std::filesystem::path write(const std::filesystem::path& relative,
                                std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

// Whole content of a file as bytes; nothing when it cannot be read.
std::optional<std::string> readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, std::string_view bytes);

// Sets an environment variable for the lifetime of the object and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray name_;
    std::optional<QByteArray> previous_;
};

// Copies the demo game installation shipped with the project into folder.
void copyDemoInstallation(const std::filesystem::path& folder);
// Copies the demo documents folder (draskel3/UserOptions.ini) into folder.
void copyDemoDocuments(const std::filesystem::path& folder);

} // namespace dk3::test
