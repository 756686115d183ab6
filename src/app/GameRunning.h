#pragma once

// The game keeps its options in memory while it runs and writes them back when it quits, so a
// change written while it runs may be overwritten. Every action that writes the game's files asks
// first when the game is running.

#include <functional>
#include <string_view>

class QWidget;

namespace dk3::ui {
class Prompter;
} // namespace dk3::ui

namespace dk3::app {

// Tells whether the game runs. The program looks at the processes of the system; tests put a
// probe of their own in place (an empty function restores the real one).
using GameRunningProbe = std::function<bool()>;
void setGameRunningProbe(GameRunningProbe probe);
bool gameIsRunning();

// Before a write of the game's files: when the game runs, warns that it may overwrite its options
// when it quits and asks whether to write anyway. True when the write may go ahead.
bool confirmWriteWhileGameRuns(ui::Prompter& prompter, QWidget* parent,
                               std::string_view languageName);

} // namespace dk3::app
