#include "app/GameRunning.h"

#include "app/OwnTexts.h"
#include "discovery/RunningGame.h"
#include "ui/Prompter.h"

namespace dk3::app {
namespace {

GameRunningProbe& probe() {
    static GameRunningProbe current;
    return current;
}

constexpr OwnText kGameRunning{
    "Draskel 3 läuft gerade. Das Spiel kann seine Einstellungen beim Beenden wieder "
    "überschreiben.\n\nTrotzdem speichern?",
    "Draskel 3 is running. The game may overwrite its settings when it quits.\n\nSave anyway?",
    "Draskel 3 è in esecuzione. Il gioco potrebbe sovrascrivere le sue impostazioni quando "
    "termina.\n\nSalvare comunque?"};

} // namespace

void setGameRunningProbe(GameRunningProbe replacement) {
    probe() = std::move(replacement);
}

bool gameIsRunning() {
    if (probe())
        return probe()();
    return !discovery::runningGameProcesses().empty();
}

bool confirmWriteWhileGameRuns(ui::Prompter& prompter, QWidget* parent,
                               std::string_view languageName) {
    if (!gameIsRunning())
        return true;
    return prompter.askYesNo(parent, QString(), ownText(languageName, kGameRunning));
}

} // namespace dk3::app
