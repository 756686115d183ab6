#pragma once

// How the launchers' YAML files are read: held to limits before yaml-cpp sees them, and their
// values taken only where they have the expected form.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <yaml-cpp/yaml.h>

namespace dk3::discovery::records {

// yaml-cpp descends once per level of nesting; a text that nests deeper than any launcher's
// file ever would is refused before it can exhaust the stack.
bool nestingIsModest(std::string_view yaml);

// The document's top-level map, or nothing for a text over maxBytes, one holding a NUL byte or
// nesting too deep, one that is not YAML, or one whose top level is not a map.
std::optional<YAML::Node> loadTopLevelMap(std::string_view yaml, std::size_t maxBytes);

// The text of map[key] when it is a scalar, else the empty text.
std::string scalar(const YAML::Node& map, const char* key);

} // namespace dk3::discovery::records
