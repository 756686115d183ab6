#include "main_dialog/StartupRecovery.h"

#include "app/OwnTexts.h"
#include "maintenance/StartLogos.h"
#include "platform/FileIO.h"
#include "platform/TextCodec.h"

#include <vector>

namespace dk3::main_dialog {
namespace fs = std::filesystem;

namespace {

constexpr app::OwnText kRestoreCompleted{
    "Das Laden einer Sicherung wurde unterbrochen und ist jetzt abgeschlossen.",
    "Loading a backup was interrupted and has now been completed.",
    "Il caricamento di un backup era stato interrotto ed è ora completato."};
constexpr app::OwnText kRestoreFailed{
    "Das Laden einer Sicherung wurde unterbrochen und kann nicht abgeschlossen werden:\n"
    "%1: %2.\n\nDie Spieldateien können noch Teile zweier Sicherungen enthalten. Laden Sie die "
    "Sicherung erneut, sobald die Datei wieder beschreibbar ist.",
    "Loading a backup was interrupted and cannot be completed:\n%1: %2.\n\nThe game files may "
    "still hold parts of two backups. Load the backup again once the file can be written.",
    "Il caricamento di un backup era stato interrotto e non può essere completato:\n%1: %2.\n\n"
    "I file del gioco possono contenere ancora parti di due backup. Caricate di nuovo il backup "
    "quando il file sarà di nuovo scrivibile."};
constexpr app::OwnText kRestoreJournalDamaged{
    "Das Laden einer Sicherung wurde unterbrochen; seine Aufzeichnung %1 ist beschädigt und "
    "wurde beiseitegelegt. Laden Sie die Sicherung erneut.",
    "Loading a backup was interrupted; its record %1 is damaged and was set aside. Load the "
    "backup again.",
    "Il caricamento di un backup era stato interrotto; la sua registrazione %1 è danneggiata ed "
    "è stata messa da parte. Caricate di nuovo il backup."};
constexpr app::OwnText kLockUnavailable{
    "Die Sperrdatei %1 kann nicht angelegt werden: %2.\n\nDas Programm läuft trotzdem, erkennt "
    "aber eine zweite gestartete Kopie nicht.",
    "The lock file %1 cannot be made: %2.\n\nThe program runs all the same, but it cannot tell "
    "when a second copy is started.",
    "Il file di blocco %1 non può essere creato: %2.\n\nIl programma funziona comunque, ma non "
    "riconosce una seconda copia avviata."};

} // namespace

StartupRecovery recoverAfterInterruptedRun(const app::GamePaths& paths, const fs::path& storeFile,
                                           const fs::path& journal) {
    StartupRecovery result;
    result.restore = maintenance::recoverInterruptedRestore(
        paths.engineIniPath, paths.userOptionsPath, paths.shaderPath, journal);
    std::vector<fs::path> written{paths.engineIniPath, paths.debugIniPath, paths.userOptionsPath,
                                  paths.shaderPath};
    if (!paths.engineIniPath.empty())
        written.push_back(maintenance::logoListPath(paths.engineIniPath));
    if (!storeFile.empty())
        written.push_back(storeFile);
    std::erase_if(written, [](const fs::path& file) { return file.empty(); });
    result.removedTemporaries = platform::removeStaleTemporaries(written);
    return result;
}

QString restoreRecoveryMessage(std::string_view languageName,
                               const maintenance::RestoreRecovery& recovery) {
    using Outcome = maintenance::RestoreRecovery::Outcome;
    const QString file =
        QLatin1Char('"') + platform::pathToQString(recovery.file) + QLatin1Char('"');
    switch (recovery.outcome) {
    case Outcome::Nothing:
    case Outcome::Busy:
        return {};
    case Outcome::Completed:
        return app::ownText(languageName, kRestoreCompleted);
    case Outcome::Failed:
        return app::ownText(languageName, kRestoreFailed)
            .arg(file, app::describeError(languageName, recovery.error));
    case Outcome::Damaged:
        return app::ownText(languageName, kRestoreJournalDamaged).arg(file);
    }
    return {};
}

QString lockUnavailableMessage(std::string_view languageName,
                               const platform::SingleInstance& instance) {
    if (instance.state() != platform::SingleInstance::State::Unavailable)
        return {};
    return app::ownText(languageName, kLockUnavailable)
        .arg(QLatin1Char('"') + platform::pathToQString(instance.lockFile()) + QLatin1Char('"'),
             app::describeError(languageName, instance.error()));
}

} // namespace dk3::main_dialog
