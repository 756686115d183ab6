// What the start-logo and backup buttons say when a file is in the way, in each language.

#include "main_dialog/MaintenanceMessages.h"

#include <gtest/gtest.h>
#include <set>

namespace dk3::main_dialog {
namespace {

using maintenance::BackupFileRole;
using maintenance::BackupOperation;
using maintenance::BackupProblem;
using maintenance::BackupResult;

constexpr const char* kLanguages[] = {"deutsch", "english", "italiano"};

BackupResult failure(BackupOperation operation, BackupFileRole role, BackupProblem problem,
                     std::error_code error = {}) {
    BackupResult result;
    result.operation = operation;
    result.role = role;
    result.file = "/games/Ini/Engine.ini";
    result.problem = problem;
    result.error = error;
    return result;
}

TEST(MaintenanceMessages, ReadAndWriteFailuresNameTheFileItsPartAndTheReason) {
    const auto denied = std::make_error_code(std::errc::permission_denied);
    // Creating reads the game files and writes the backup; loading the other way round.
    EXPECT_EQ(
        backupFailureText("english", failure(BackupOperation::Create, BackupFileRole::EngineFile,
                                             BackupProblem::None, denied)),
        QStringLiteral("Could not read the engine configuration file "
                       "\"/games/Ini/Engine.ini\": permission denied. No backup was written."));
    EXPECT_EQ(
        backupFailureText("deutsch", failure(BackupOperation::Load, BackupFileRole::ShaderFile,
                                             BackupProblem::None, denied)),
        QStringLiteral("Die Shader-Datei „/games/Ini/Engine.ini“ konnte nicht geschrieben "
                       "werden: Zugriff verweigert. Die Spieldateien blieben unverändert."));
    EXPECT_EQ(
        backupFailureText("italiano", failure(BackupOperation::Create, BackupFileRole::Target,
                                              BackupProblem::None,
                                              std::make_error_code(std::errc::no_space_on_device))),
        QStringLiteral("Impossibile scrivere il backup \"/games/Ini/Engine.ini\": spazio "
                       "esaurito sul disco. Non è stato scritto alcun backup."));
    EXPECT_EQ(
        backupFailureText("italiano", failure(BackupOperation::Load, BackupFileRole::Backup,
                                              BackupProblem::None,
                                              std::make_error_code(std::errc::is_a_directory))),
        QStringLiteral("Impossibile leggere il backup \"/games/Ini/Engine.ini\": al posto del "
                       "file c'è una cartella. I file del gioco sono rimasti invariati."));
}

TEST(MaintenanceMessages, EveryRefusedBackupHasItsOwnSentenceInEachLanguage) {
    const BackupResult refusals[] = {
        failure(BackupOperation::Load, BackupFileRole::Backup, BackupProblem::TooShort),
        failure(BackupOperation::Load, BackupFileRole::Backup, BackupProblem::Truncated),
        failure(BackupOperation::Load, BackupFileRole::Backup, BackupProblem::Padded),
        failure(BackupOperation::Load, BackupFileRole::Backup, BackupProblem::TooLarge),
        failure(BackupOperation::Load, BackupFileRole::Backup, BackupProblem::WrongExtension),
        failure(BackupOperation::Create, BackupFileRole::EngineFile, BackupProblem::TooLarge),
        failure(BackupOperation::Create, BackupFileRole::Target, BackupProblem::TargetIsGameFile),
    };
    for (const char* language : kLanguages) {
        std::set<QString> seen;
        for (const BackupResult& result : refusals) {
            const QString text = backupFailureText(language, result);
            EXPECT_TRUE(text.contains(QStringLiteral("/games/Ini/Engine.ini")))
                << text.toStdString();
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << text.toStdString();
            EXPECT_TRUE(seen.insert(text).second) << text.toStdString();
        }
    }
    // Too large to back up as a whole: no single file to name.
    const QString whole =
        backupFailureText("deutsch", failure(BackupOperation::Create, BackupFileRole::Target,
                                             BackupProblem::TooLarge));
    EXPECT_EQ(whole, QStringLiteral("Die Spieldateien sind zusammen zu groß für eine Sicherung. Es "
                                    "wurde keine Sicherung geschrieben."));
}

TEST(MaintenanceMessages, LogoListFailureInEachLanguage) {
    const auto readOnly = std::make_error_code(std::errc::read_only_file_system);
    EXPECT_EQ(logoListFailureText("english", "/g/Ini/logo.ini", readOnly),
              QStringLiteral("Could not write the start-logo list \"/g/Ini/logo.ini\": the file "
                             "system is read-only."));
    EXPECT_EQ(logoListFailureText("deutsch", "/g/Ini/logo.ini", readOnly),
              QStringLiteral("Die Liste der Startlogos „/g/Ini/logo.ini“ konnte nicht geschrieben "
                             "werden: das Dateisystem ist schreibgeschützt."));
    EXPECT_EQ(
        logoListFailureText("italiano", "/g/Ini/logo.ini", readOnly),
        QStringLiteral("Impossibile scrivere l'elenco dei loghi iniziali \"/g/Ini/logo.ini\": "
                       "il file system è di sola lettura."));
}

} // namespace
} // namespace dk3::main_dialog
