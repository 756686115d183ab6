#include "maintenance/BackupFile.h"

#include "platform/FileIO.h"

#include <array>
#include <limits>
#include <utility>
#include <vector>

namespace dk3::maintenance {
namespace fs = std::filesystem;

namespace {

void appendLength(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((value >> shift) & 0xFFu));
}

std::uint32_t lengthAt(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]))
                 << (8 * i);
    return value;
}

BackupResult failure(BackupOperation operation, BackupFileRole role, const fs::path& file,
                     std::error_code error, BackupProblem problem = BackupProblem::None) {
    return {operation, role, file, error, problem};
}

struct GameFile {
    BackupFileRole role;
    const fs::path& path;
};

BackupFileRole roleOf(const fs::path& file, const fs::path& engineFile,
                      const fs::path& userOptionsFile, const fs::path& shaderFile,
                      const fs::path& journal) {
    return file == engineFile        ? BackupFileRole::EngineFile
           : file == userOptionsFile ? BackupFileRole::UserOptionsFile
           : file == shaderFile      ? BackupFileRole::ShaderFile
           : file.parent_path() == journal.parent_path() &&
                   file.filename().string().starts_with(journal.filename().string())
               ? BackupFileRole::RestoreJournal
               : BackupFileRole::None;
}

// An interrupted restore must be finished before the game files are read or written again;
// nothing else may run while they can still be a mix of two backups.
std::optional<BackupResult> finishEarlierRestore(BackupOperation op, const fs::path& engineFile,
                                                 const fs::path& userOptionsFile,
                                                 const fs::path& shaderFile,
                                                 const fs::path& journal) {
    const RestoreRecovery recovery =
        recoverInterruptedRestore(engineFile, userOptionsFile, shaderFile, journal);
    // A running copy's restore is waited for by the write itself. A journal set aside was not
    // ours: it tells nothing about the game files.
    using Outcome = RestoreRecovery::Outcome;
    if (recovery.ok() || recovery.outcome == Outcome::Busy || recovery.outcome == Outcome::SetAside)
        return std::nullopt;
    if (recovery.outcome == Outcome::Unusable)
        return failure(op, BackupFileRole::RestoreJournal, recovery.file, recovery.error,
                       BackupProblem::JournalUnusable);
    return failure(op, roleOf(recovery.file, engineFile, userOptionsFile, shaderFile, journal),
                   recovery.file, recovery.error, BackupProblem::UnfinishedRestore);
}

} // namespace

RestoreRecovery recoverInterruptedRestore(const fs::path& engineFile,
                                          const fs::path& userOptionsFile,
                                          const fs::path& shaderFile, const fs::path& journal) {
    using Outcome = platform::FileGroupRecovery::Outcome;
    const auto group =
        platform::recoverFileGroup(journal, {engineFile, userOptionsFile, shaderFile});
    RestoreRecovery result;
    result.file = group.file;
    result.setAsideAs = group.setAsideAs;
    result.error = group.error;
    switch (group.outcome) {
    case Outcome::Nothing:
        result.outcome = RestoreRecovery::Outcome::Nothing;
        break;
    case Outcome::Completed:
        result.outcome = RestoreRecovery::Outcome::Completed;
        break;
    case Outcome::Busy:
        result.outcome = RestoreRecovery::Outcome::Busy;
        break;
    case Outcome::Failed:
        result.outcome = RestoreRecovery::Outcome::Failed;
        break;
    case Outcome::SetAside:
        result.outcome = RestoreRecovery::Outcome::SetAside;
        break;
    case Outcome::Unusable:
        result.outcome = RestoreRecovery::Outcome::Unusable;
        break;
    }
    return result;
}

std::optional<std::string> encodeBackup(const BackupContents& contents) {
    const std::array<const std::string*, 3> parts{&contents.engine, &contents.userOptions,
                                                  &contents.shader};
    std::string out;
    std::size_t total = kBackupHeaderBytes;
    for (const std::string* part : parts) {
        if (part->size() > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
        total += part->size();
    }
    out.reserve(total);
    for (const std::string* part : parts)
        appendLength(out, static_cast<std::uint32_t>(part->size()));
    for (const std::string* part : parts)
        out += *part;
    return out;
}

DecodedBackup decodeBackup(std::string_view bytes) {
    if (bytes.size() < kBackupHeaderBytes)
        return {BackupProblem::TooShort, {}};
    const std::uint64_t engine = lengthAt(bytes, 0);
    const std::uint64_t userOptions = lengthAt(bytes, 4);
    const std::uint64_t shader = lengthAt(bytes, 8);
    // Three 32-bit lengths cannot overflow 64 bits, so the sum is exact.
    const std::uint64_t expected = kBackupHeaderBytes + engine + userOptions + shader;
    const std::uint64_t actual = bytes.size();
    if (actual < expected)
        return {BackupProblem::Truncated, {}};
    if (actual > expected)
        return {BackupProblem::Padded, {}};

    // From here every length is known to lie inside bytes.
    DecodedBackup decoded;
    std::size_t offset = kBackupHeaderBytes;
    decoded.contents.engine = bytes.substr(offset, static_cast<std::size_t>(engine));
    offset += static_cast<std::size_t>(engine);
    decoded.contents.userOptions = bytes.substr(offset, static_cast<std::size_t>(userOptions));
    offset += static_cast<std::size_t>(userOptions);
    decoded.contents.shader = bytes.substr(offset, static_cast<std::size_t>(shader));
    return decoded;
}

std::string extensionOf(const fs::path& path) {
    const std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size())
        return {};
    return name.substr(dot + 1);
}

fs::path backupTargetPath(const fs::path& chosen) {
    const fs::path name = chosen.filename();
    // A path that names a folder stays as it is, so that writing to it fails with a clear
    // reason instead of creating a hidden ".dkb" inside it.
    if (name.empty() || name == "." || name == ".." || !extensionOf(chosen).empty())
        return chosen;
    std::string target = chosen.string();
    target += (!target.empty() && target.back() == '.') ? "dkb" : ".dkb";
    return target;
}

bool hasBackupExtension(const fs::path& path) {
    return extensionOf(path) == "dkb";
}

BackupResult createBackup(const fs::path& engineFile, const fs::path& userOptionsFile,
                          const fs::path& shaderFile, const fs::path& target,
                          const fs::path& journal) {
    constexpr auto op = BackupOperation::Create;
    // A backup of a half-restored installation would keep the mix for ever.
    if (auto unfinished =
            finishEarlierRestore(op, engineFile, userOptionsFile, shaderFile, journal))
        return *unfinished;
    const std::array<GameFile, 3> gameFiles{{{BackupFileRole::EngineFile, engineFile},
                                             {BackupFileRole::UserOptionsFile, userOptionsFile},
                                             {BackupFileRole::ShaderFile, shaderFile}}};
    std::array<std::string, 3> contents;
    std::size_t total = kBackupHeaderBytes;
    for (std::size_t i = 0; i < gameFiles.size(); ++i) {
        std::error_code ec;
        auto bytes = platform::readWholeFile(gameFiles[i].path, ec, kMaxBackupBytes);
        if (!bytes)
            return failure(op, gameFiles[i].role, gameFiles[i].path, ec);
        if (bytes->size() > std::numeric_limits<std::uint32_t>::max())
            return failure(op, gameFiles[i].role, gameFiles[i].path, {}, BackupProblem::TooLarge);
        total += bytes->size();
        contents[i] = std::move(*bytes);
    }
    if (total > kMaxBackupBytes)
        return failure(op, BackupFileRole::Target, target, {}, BackupProblem::TooLarge);

    // A backup written over the game file it is made of would destroy that file.
    for (const GameFile& game : gameFiles) {
        std::error_code ec;
        if (fs::equivalent(target, game.path, ec))
            return failure(op, BackupFileRole::Target, target, {}, BackupProblem::TargetIsGameFile);
    }

    const auto bytes =
        encodeBackup({std::move(contents[0]), std::move(contents[1]), std::move(contents[2])});
    if (!bytes) // cannot happen after the checks above; kept so a change there stays safe
        return failure(op, BackupFileRole::Target, target, {}, BackupProblem::TooLarge);
    if (const auto ec = platform::writeFileAtomically(target, *bytes))
        return failure(op, BackupFileRole::Target, target, ec);
    return {op, BackupFileRole::None, target, {}, BackupProblem::None};
}

BackupResult loadBackup(const fs::path& backupFile, const fs::path& engineFile,
                        const fs::path& userOptionsFile, const fs::path& shaderFile,
                        const fs::path& journal) {
    constexpr auto op = BackupOperation::Load;
    const auto refuse = [&](std::error_code error, BackupProblem problem = BackupProblem::None) {
        return failure(op, BackupFileRole::Backup, backupFile, error, problem);
    };
    if (!hasBackupExtension(backupFile))
        return refuse({}, BackupProblem::WrongExtension);

    // Ask for the size first: a huge file is refused without reading it, and a directory or a
    // pipe fails here instead of blocking the read.
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(backupFile, ec);
    if (ec)
        return refuse(ec);
    if (size > kMaxBackupBytes)
        return refuse({}, BackupProblem::TooLarge);
    const auto bytes = platform::readWholeFile(backupFile, ec, kMaxBackupBytes);
    if (!bytes)
        return refuse(ec);
    DecodedBackup decoded = decodeBackup(*bytes);
    if (decoded.problem != BackupProblem::None)
        return refuse({}, decoded.problem);

    if (auto unfinished =
            finishEarlierRestore(op, engineFile, userOptionsFile, shaderFile, journal))
        return *unfinished;

    std::vector<std::pair<fs::path, std::string>> writes;
    writes.emplace_back(engineFile, std::move(decoded.contents.engine));
    writes.emplace_back(userOptionsFile, std::move(decoded.contents.userOptions));
    writes.emplace_back(shaderFile, std::move(decoded.contents.shader));
    fs::path failed;
    bool unfinished = false;
    if (const auto writeError =
            platform::writeFilesWithJournal(writes, journal, &failed, &unfinished))
        return failure(op, roleOf(failed, engineFile, userOptionsFile, shaderFile, journal), failed,
                       writeError,
                       unfinished ? BackupProblem::UnfinishedRestore : BackupProblem::None);
    return {op, BackupFileRole::None, backupFile, {}, BackupProblem::None};
}

std::string describeBackupResult(const BackupResult& result) {
    const std::string file = "\"" + result.file.string() + "\"";
    const bool creating = result.operation == BackupOperation::Create;
    if (result.ok())
        return creating ? "The backup " + file + " was written."
                        : "The game files were restored from " + file + ".";

    std::string what;
    switch (result.role) {
    case BackupFileRole::EngineFile:
        what = "the engine configuration file " + file;
        break;
    case BackupFileRole::UserOptionsFile:
        what = "the user options file " + file;
        break;
    case BackupFileRole::ShaderFile:
        what = "the shader file " + file;
        break;
    case BackupFileRole::None:
        what = file;
        break;
    case BackupFileRole::RestoreJournal:
        what = "the restore journal " + file + " in the program's configuration folder";
        break;
    case BackupFileRole::Backup:
    case BackupFileRole::Target:
        what = "the backup " + file;
        break;
    }
    const std::string outcome =
        creating ? " No backup was written." : " The game files were left as they were.";
    const bool gameFile =
        result.role != BackupFileRole::Backup && result.role != BackupFileRole::Target;
    const bool reading = creating ? gameFile : !gameFile;

    std::string sentence;
    switch (result.problem) {
    case BackupProblem::None:
        sentence = std::string(reading ? "Could not read " : "Could not write ") + what + ": " +
                   platform::describeError(result.error) + ".";
        break;
    case BackupProblem::TooShort:
        sentence = file + " is not a backup: it is shorter than a backup's header.";
        break;
    case BackupProblem::Truncated:
        sentence = "The backup " + file + " is damaged: it is shorter than its header says.";
        break;
    case BackupProblem::Padded:
        sentence = "The backup " + file +
                   " is damaged or not a backup: it is longer than its "
                   "header says.";
        break;
    case BackupProblem::TooLarge:
        sentence = creating && gameFile ? "The file " + file + " is too large for a backup."
                   : creating           ? "The game files are too large for one backup."
                                        : file + " is too large to be a backup.";
        break;
    case BackupProblem::WrongExtension:
        sentence = file + " is not a backup: backups are named *.dkb.";
        break;
    case BackupProblem::TargetIsGameFile:
        sentence = file + " is one of the game files being backed up; choose another name.";
        break;
    case BackupProblem::JournalUnusable:
        sentence = "The restore journal " + file +
                   " can be neither used nor set aside: " + platform::describeError(result.error) +
                   ". Backups can be neither created nor loaded until it can.";
        break;
    case BackupProblem::UnfinishedRestore:
        sentence = "Loading a backup was interrupted and can be neither completed nor undone: " +
                   (result.error ? "could not write " + what + ": " +
                                       platform::describeError(result.error) + "."
                                 : what + " is damaged.");
        return sentence + (creating ? " No backup was written."
                                    : " The game files may hold parts of two backups until "
                                      "the next start or backup action completes the loading.");
    }
    return sentence + outcome;
}

} // namespace dk3::maintenance
