#pragma once

// Shared by the maintenance messages; not part of the folder's interface.

#include "platform/FileIO.h"

#include <string>
#include <system_error>

namespace dk3::maintenance::detail {

// The system's reasons start with a capital letter ("Permission denied"); ours stand in the
// middle of a sentence.
inline std::string reasonText(const std::error_code& error) {
    std::string text = platform::describeError(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

} // namespace dk3::maintenance::detail
