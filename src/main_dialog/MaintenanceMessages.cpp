#include "main_dialog/MaintenanceMessages.h"

#include "app/OwnTexts.h"
#include "platform/TextCodec.h"

namespace dk3::main_dialog {
namespace {

using app::OwnText;
using maintenance::BackupFileRole;
using maintenance::BackupOperation;
using maintenance::BackupProblem;
using maintenance::BackupResult;

// The file's part in a sentence: German at the sentence's start, English and Italian inside it.
OwnText roleName(BackupFileRole role) {
    switch (role) {
    case BackupFileRole::EngineFile:
        return {"Die Engine-Konfigurationsdatei", "the engine configuration file",
                "il file di configurazione del motore"};
    case BackupFileRole::UserOptionsFile:
        return {"Die Datei der Benutzeroptionen", "the user options file",
                "il file delle opzioni utente"};
    case BackupFileRole::ShaderFile:
        return {"Die Shader-Datei", "the shader file", "il file dello shader"};
    case BackupFileRole::Backup:
    case BackupFileRole::Target:
        return {"Die Sicherung", "the backup", "il backup"};
    case BackupFileRole::RestoreJournal:
        return {"Das Wiederherstellungsprotokoll im Konfigurationsordner des Programms",
                "the restore journal in the program's configuration folder",
                "il registro di ripristino nella cartella di configurazione del programma"};
    case BackupFileRole::None:
        break;
    }
    return {"Die Datei", "the file", "il file"};
}

constexpr OwnText kCouldNotRead{"%1 „%2“ konnte nicht gelesen werden: %3.",
                                "Could not read %1 \"%2\": %3.",
                                "Impossibile leggere %1 \"%2\": %3."};
constexpr OwnText kCouldNotWrite{"%1 „%2“ konnte nicht geschrieben werden: %3.",
                                 "Could not write %1 \"%2\": %3.",
                                 "Impossibile scrivere %1 \"%2\": %3."};

OwnText problemSentence(const BackupResult& result, bool gameFile) {
    const bool creating = result.operation == BackupOperation::Create;
    switch (result.problem) {
    case BackupProblem::TooShort:
        return {"„%1“ ist keine Sicherung: Die Datei ist kürzer als der Kopf einer Sicherung.",
                "\"%1\" is not a backup: it is shorter than a backup's header.",
                "\"%1\" non è un backup: è più corto dell'intestazione di un backup."};
    case BackupProblem::Truncated:
        return {"Die Sicherung „%1“ ist beschädigt: Sie ist kürzer, als ihr Kopf angibt.",
                "The backup \"%1\" is damaged: it is shorter than its header says.",
                "Il backup \"%1\" è danneggiato: è più corto di quanto indica la sua "
                "intestazione."};
    case BackupProblem::Padded:
        return {"„%1“ ist beschädigt oder keine Sicherung: Die Datei ist länger, als ihr Kopf "
                "angibt.",
                "The backup \"%1\" is damaged or not a backup: it is longer than its header says.",
                "\"%1\" è danneggiato o non è un backup: è più lungo di quanto indica la sua "
                "intestazione."};
    case BackupProblem::TooLarge:
        if (creating && gameFile)
            return {"Die Datei „%1“ ist zu groß für eine Sicherung.",
                    "The file \"%1\" is too large for a backup.",
                    "Il file \"%1\" è troppo grande per un backup."};
        if (creating)
            return {"Die Spieldateien sind zusammen zu groß für eine Sicherung.",
                    "The game files are too large for one backup.",
                    "I file del gioco sono troppo grandi per un unico backup."};
        return {"„%1“ ist zu groß, um eine Sicherung zu sein.",
                "\"%1\" is too large to be a backup.",
                "\"%1\" è troppo grande per essere un backup."};
    case BackupProblem::WrongExtension:
        return {"„%1“ ist keine Sicherung: Sicherungen enden auf .dkb.",
                "\"%1\" is not a backup: backups are named *.dkb.",
                "\"%1\" non è un backup: i backup terminano con .dkb."};
    case BackupProblem::TargetIsGameFile:
        return {"„%1“ ist eine der Spieldateien, die gesichert werden; bitte einen anderen Namen "
                "wählen.",
                "\"%1\" is one of the game files being backed up; choose another name.",
                "\"%1\" è uno dei file del gioco da salvare; scegli un altro nome."};
    case BackupProblem::JournalUnusable:
        return {"Im Konfigurationsordner des Programms kann „%1“ weder verwendet noch "
                "beiseitegelegt werden: %2. Solange das so ist, können keine Sicherungen erstellt "
                "oder geladen werden.",
                "In the program's configuration folder, \"%1\" can be neither used nor set aside: "
                "%2. Until this is mended, backups can be neither created nor loaded.",
                "Nella cartella di configurazione del programma, \"%1\" non può essere né usato "
                "né messo da parte: %2. Finché è così, i backup non possono essere né creati né "
                "caricati."};
    case BackupProblem::UnfinishedRestore: // worded by backupFailureText itself
    case BackupProblem::None:
        break;
    }
    return {"%1", "%1", "%1"};
}

constexpr OwnText kNoBackupWritten{"Es wurde keine Sicherung geschrieben.",
                                   "No backup was written.", "Non è stato scritto alcun backup."};
constexpr OwnText kGameFilesUnchanged{"Die Spieldateien blieben unverändert.",
                                      "The game files were left as they were.",
                                      "I file del gioco sono rimasti invariati."};

} // namespace

QString logoListFailureText(std::string_view languageName, const std::filesystem::path& logoList,
                            const std::error_code& error) {
    constexpr OwnText kSentence{
        "Die Liste der Startlogos „%1“ konnte nicht geschrieben werden: %2.",
        "Could not write the start-logo list \"%1\": %2.",
        "Impossibile scrivere l'elenco dei loghi iniziali \"%1\": %2."};
    return app::ownText(languageName, kSentence)
        .arg(platform::pathToQString(logoList), app::describeError(languageName, error));
}

QString backupFailureText(std::string_view languageName, const BackupResult& result) {
    const bool creating = result.operation == BackupOperation::Create;
    const bool gameFile =
        result.role != BackupFileRole::Backup && result.role != BackupFileRole::Target;
    const QString file = platform::pathToQString(result.file);

    if (result.problem == BackupProblem::UnfinishedRestore) {
        constexpr OwnText kUnfinished{
            "Das Laden einer Sicherung wurde unterbrochen und kann weder abgeschlossen noch "
            "rückgängig gemacht werden: %1",
            "Loading a backup was interrupted and can be neither completed nor undone: %1",
            "Il caricamento di un backup è stato interrotto e non può essere né completato né "
            "annullato: %1"};
        constexpr OwnText kDamaged{"„%1“ ist beschädigt.", "\"%1\" is damaged.",
                                   "\"%1\" è danneggiato."};
        constexpr OwnText kUntilNext{
            "Die Spieldateien können Teile zweier Sicherungen enthalten, bis der nächste Start "
            "oder die nächste Sicherungsaktion das Laden abschließt.",
            "The game files may hold parts of two backups until the next start or backup "
            "action completes the loading.",
            "I file del gioco possono contenere parti di due backup finché il prossimo avvio o "
            "la prossima operazione di backup non completa il caricamento."};
        const QString reason = result.error
                                   ? app::ownText(languageName, kCouldNotWrite)
                                         .arg(app::ownText(languageName, roleName(result.role)),
                                              file, app::describeError(languageName, result.error))
                                   : app::ownText(languageName, kDamaged).arg(file);
        return app::ownText(languageName, kUnfinished).arg(reason) + QLatin1Char(' ') +
               app::ownText(languageName, creating ? kNoBackupWritten : kUntilNext);
    }

    QString sentence;
    if (result.problem == BackupProblem::None) {
        // Creating reads the game files and writes the backup; loading does the reverse.
        const bool reading = creating ? gameFile : !gameFile;
        sentence = app::ownText(languageName, reading ? kCouldNotRead : kCouldNotWrite)
                       .arg(app::ownText(languageName, roleName(result.role)), file,
                            app::describeError(languageName, result.error));
    } else {
        sentence = app::ownText(languageName, problemSentence(result, gameFile));
        if (result.problem == BackupProblem::JournalUnusable)
            sentence = sentence.arg(file, app::describeError(languageName, result.error));
        else if (sentence.contains(QLatin1String("%1")))
            sentence = sentence.arg(file);
    }
    return sentence + QLatin1Char(' ') +
           app::ownText(languageName, creating ? kNoBackupWritten : kGameFilesUnchanged);
}

} // namespace dk3::main_dialog
