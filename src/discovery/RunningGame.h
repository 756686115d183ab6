#pragma once

// Whether the game is running: the game keeps its options in memory and writes them back when it
// quits, so the program asks before it writes while the game runs.

#include <filesystem>
#include <vector>

namespace dk3::discovery {

// The ids of running processes whose command line names Draskel3.exe in any letter case, read
// from procRoot (normally /proc). Our own process is never among them.
std::vector<int> runningGameProcesses(const std::filesystem::path& procRoot = "/proc");

} // namespace dk3::discovery
