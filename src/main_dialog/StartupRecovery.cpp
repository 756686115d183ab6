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
// A journal that was not ours says nothing about any load: the player learns that it was found,
// that nothing of it ran, and where it now lies.
constexpr app::OwnText kUnknownJournalSetAside{
    "Im Konfigurationsordner „%1“ lag ein unbekanntes Wiederherstellungsprotokoll. Es wurde "
    "nicht ausgeführt und als „%2“ beiseitegelegt; keine Spieldatei wurde verändert.",
    "An unknown restore journal was found in the configuration folder \"%1\". It was not "
    "carried out and was set aside as \"%2\"; no game file was changed.",
    "Nella cartella di configurazione \"%1\" è stato trovato un registro di ripristino "
    "sconosciuto. Non è stato eseguito ed è stato messo da parte come \"%2\"; nessun file del "
    "gioco è stato modificato."};
constexpr app::OwnText kJournalUnusable{
    "Im Konfigurationsordner „%1“ kann „%2“ weder verwendet noch beiseitegelegt werden: %3.\n\n"
    "Keine Spieldatei wurde verändert. Sicherungen können erst wieder erstellt und geladen "
    "werden, wenn das behoben ist.",
    "In the configuration folder \"%1\", \"%2\" can be neither used nor set aside: %3.\n\n"
    "No game file was changed. Backups can be created and loaded again once this is mended.",
    "Nella cartella di configurazione \"%1\", \"%2\" non può essere né usato né messo da "
    "parte: %3.\n\nNessun file del gioco è stato modificato. I backup potranno essere creati e "
    "caricati di nuovo quando il problema sarà risolto."};
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
    case Outcome::SetAside:
        return app::ownText(languageName, kUnknownJournalSetAside)
            .arg(platform::pathToQString(recovery.file.parent_path()),
                 platform::pathToQString(recovery.setAsideAs.filename()));
    case Outcome::Unusable:
        return app::ownText(languageName, kJournalUnusable)
            .arg(platform::pathToQString(recovery.file.parent_path()),
                 platform::pathToQString(recovery.file.filename()),
                 app::describeError(languageName, recovery.error));
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
