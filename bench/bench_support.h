#pragma once

// Helpers shared by the benchmark programs.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace dk3::bench {

// A scratch folder that lives as long as the benchmark program.
inline std::filesystem::path scratchFolder(const char* name) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a scratch folder");
    return pattern;
}

} // namespace dk3::bench
