#pragma once

// The game's list of start-up videos, Ini/logo.ini. Despite its name it is no INI file but a plain
// list of Bink video names; the game plays them in order when it starts. We switch the logos off
// by leaving only the first name in the list (one logo stays: the game shows display glitches
// without any) and back on by writing all five. The video files themselves are never touched.

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace dk3::maintenance {

enum class StartLogoState {
    Removed,  // only "DK3_Logo_01.bik"
    Restored, // all five videos
};

inline constexpr std::string_view kLogoListFileName = "logo.ini";

// Exactly the bytes the game's own installation ships: names separated by CR LF, no line end
// after the last one.
inline constexpr std::string_view kRestoredLogoList = "DK3_Logo_01.bik\r\n"
                                                      "DK3_Logo_02.bik\r\n"
                                                      "DK3_Logo_03.bik\r\n"
                                                      "DK3_Logo_04.bik\r\n"
                                                      "DK3_Logo_05.bik";
inline constexpr std::string_view kRemovedLogoList = "DK3_Logo_01.bik";

std::string_view logoListContent(StartLogoState state);

// The list file beside the engine configuration file. When the folder already holds the list
// under another letter case ("Logo.ini", "LOGO.INI"), that file is the one the game reads under
// Wine, so it is the one returned; otherwise <folder>/logo.ini.
std::filesystem::path logoListPath(const std::filesystem::path& engineIniPath);

// Replaces the whole list with the content of state, atomically. A missing list is created; a
// missing Ini folder is not (the write fails). On failure the old list stays as it was.
// Returns an empty error code on success.
[[nodiscard]] std::error_code writeLogoList(const std::filesystem::path& engineIniPath,
                                            StartLogoState state);

// One sentence for the user, naming the list file, such as
// Could not write the start-logo list "/games/dk3/Ini/logo.ini": permission denied.
std::string describeLogoListError(const std::filesystem::path& logoList,
                                  const std::error_code& error);

} // namespace dk3::maintenance
