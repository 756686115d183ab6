#pragma once

// Limits the launchers' YAML files are held to before yaml-cpp sees them.

#include <string_view>

namespace dk3::discovery::records {

// yaml-cpp descends once per level of nesting; a text that nests deeper than any launcher's
// file ever would is refused before it can exhaust the stack.
bool nestingIsModest(std::string_view yaml);

} // namespace dk3::discovery::records
