#pragma once

// What the advanced settings dialog tells the player when a file is in the way, in the player's
// language, naming the file and the reason.

#include "advanced_dialog/AdvancedSettings.h"
#include "advanced_dialog/BloomShaderPatch.h"

#include <QString>
#include <QStringList>

#include <string_view>
#include <vector>

namespace dk3::advanced {

// One sentence per file that could not be written, with the reason of its first failure.
QStringList writeFailureTexts(std::string_view languageName,
                              const std::vector<SettingWriteFailure>& failures);

// One sentence about a shader result that is not Done; empty for Done.
QString bloomFailureText(std::string_view languageName, const BloomFileResult& result);

// The first line of a save that did not write everything.
QString notEverythingSavedText(std::string_view languageName);

} // namespace dk3::advanced
