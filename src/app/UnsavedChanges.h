#pragma once

// The question every dialog asks before it ends, or reloads its values, over changes that are not
// saved yet.

#include <functional>
#include <string_view>

class QWidget;

namespace dk3::ui {
class Prompter;
} // namespace dk3::ui

namespace dk3::app {

// Asks Save / Discard / Cancel in languageName when unsaved is true. True when the caller may go
// on: nothing was unsaved, the player discarded the changes, or save returned true after saving.
bool settleUnsavedChanges(ui::Prompter& prompter, QWidget* parent, std::string_view languageName,
                          bool unsaved, const std::function<bool()>& save);

} // namespace dk3::app
