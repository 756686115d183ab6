#pragma once

// Whether the game is running: the game keeps its options in memory and writes them back when it
// quits, so the program asks before it writes while the game runs.

#include <filesystem>
#include <string_view>
#include <vector>

namespace dk3::discovery {

// Whether a process with this command line (its arguments, each ended by a zero byte, as
// /proc/<pid>/cmdline holds them) and this program file (the target of /proc/<pid>/exe; empty
// when unknown) runs the game: its own program is Draskel3.exe (the first argument, as Wine
// shows a Windows program it runs: "C:\...\Draskel3.exe" or the Unix path it was started with),
// or it is Wine's loader (wine, wine64, wine-preloader, wine64-preloader) and its next argument
// is Draskel3.exe. Names compare in any letter case. An editor or any other program that merely
// has the file among its arguments is not the game.
bool runsTheGame(std::string_view commandLine, const std::filesystem::path& programFile = {});

// The ids of the running processes of this user (the same real user id) that run the game (see
// runsTheGame), read from procRoot (normally /proc). Our own process is never among them.
std::vector<int> runningGameProcesses(const std::filesystem::path& procRoot = "/proc");

} // namespace dk3::discovery
