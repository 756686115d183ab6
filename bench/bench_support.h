#pragma once

// Helpers shared by the benchmark programs.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace dk3::bench {

namespace detail {

// The scratch folders made so far; they go, with everything in them, when the program ends.
class ScratchFolders {
public:
    ScratchFolders() = default;
    ScratchFolders(const ScratchFolders&) = delete;
    ScratchFolders& operator=(const ScratchFolders&) = delete;
    ~ScratchFolders() {
        for (const auto& folder : folders_) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
        }
    }
    void add(const std::filesystem::path& folder) { folders_.push_back(folder); }

private:
    std::vector<std::filesystem::path> folders_;
};

inline ScratchFolders& scratchFolders() {
    static ScratchFolders folders;
    return folders;
}

} // namespace detail

// A scratch folder that lives as long as the benchmark program and is deleted when it ends.
inline std::filesystem::path scratchFolder(const char* name) {
    auto& folders = detail::scratchFolders();
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch folder");
    folders.add(pattern);
    return pattern;
}

} // namespace dk3::bench
