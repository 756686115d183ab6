#pragma once

// The readers of launchers' YAML files and SQLite databases live in a module of their own
// (draskel3-tuning-records.so, beside the program in the build tree, installed under
// <libdir>/draskel3-tuning), so that yaml-cpp and SQLite are loaded only when a Lutris or Bottles
// file is read, never at a start that does not need them.

#include "discovery/BottlesConfig.h"
#include "discovery/LutrisConfig.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace dk3::discovery {

inline constexpr const char* kRecordsModuleFileName = "draskel3-tuning-records.so";
inline constexpr const char* kRecordsModuleEntry = "dk3_record_readers";
// Raised whenever RecordReaders changes, so that a module of another build is refused.
inline constexpr int kRecordReadersVersion = 1;

// What the module's entry, const RecordReaders* <kRecordsModuleEntry>(), returns.
struct RecordReaders {
    int version = kRecordReadersVersion;
    std::optional<LutrisGameConfig> (*lutrisGameConfig)(std::string_view yaml) = nullptr;
    std::optional<std::vector<LutrisGameRecord>> (*lutrisDatabase)(std::string_view bytes) =
        nullptr;
    std::optional<BottleConfig> (*bottleConfig)(std::string_view yaml) = nullptr;
};

// The module's readers, loaded at the first call (later calls return the same); null when no
// candidate loads, which the callers take as "this file cannot be read".
const RecordReaders* recordReaders();

// A launcher's file read through the module: nothing when the file is missing, not a regular
// file, larger than its kind's limit, or not readable as one. The module is loaded only once
// such a file has been read.
std::optional<LutrisGameConfig> readLutrisGameConfig(const std::filesystem::path& file);
std::optional<std::vector<LutrisGameRecord>> readLutrisDatabase(const std::filesystem::path& file);
std::optional<BottleConfig> readBottleConfig(const std::filesystem::path& file);

// Where the module is looked for, first that loads wins: beside the program, then
// ../<libdir>/draskel3-tuning/ from it. Tests and benchmarks name the built module instead; a
// call after the first recordReaders() changes nothing.
void setRecordsModuleCandidates(std::vector<std::filesystem::path> candidates);

} // namespace dk3::discovery
