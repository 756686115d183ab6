#pragma once

// Conversions between the byte texts of the game's files and the texts Qt shows.
//
// The translation file and the game's INI files are Windows-1252. Bytes stay bytes in files; they
// are converted only where a text is shown. Windows-1252 differs from Latin-1 in 0x80-0x9F
// (euro sign, curly quotes, dashes ...), so Qt's Latin-1 conversion is not used.

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace dk3::platform {

QString fromWindows1252(std::string_view bytes);

// Characters that Windows-1252 cannot hold become '?', as the Windows conversion does.
std::string toWindows1252(const QString& text);

// File names are bytes on Linux; Qt decodes them with the locale's encoding.
QString pathToQString(const std::filesystem::path& path);
std::filesystem::path pathFromQString(const QString& path);

} // namespace dk3::platform
