#pragma once

// The game was made for Windows, whose file names ignore letter case. Under Wine an installation
// may hold "ini/DK3E.INI" where the game's own code asks for "Ini\dk3e.ini", and Wine finds it.
// We find it the same way.

#include <filesystem>

namespace dk3::platform {

// base / relative, where each component of relative that does not exist with exactly that
// spelling is replaced by an existing entry whose name differs only in ASCII letter case (the
// alphabetically first when several do). From the first component that exists in no spelling on,
// the rest is kept as given, so a file that is yet to be created gets the given spelling.
std::filesystem::path resolveCaseInsensitive(const std::filesystem::path& base,
                                             const std::filesystem::path& relative);

} // namespace dk3::platform
