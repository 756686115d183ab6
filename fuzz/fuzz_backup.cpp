// libFuzzer target for the backup decoder: any file a user may pick as a backup must be refused
// or accepted without a crash, an out-of-bounds read or an allocation sized by a damaged header.
// fuzz-sources: src/maintenance/BackupFile.cpp src/platform/FileIO.cpp
// Built and run by scripts/fuzz.sh; seeds by fuzz/seeds_backup.py.

#include "maintenance/BackupFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace dk3::maintenance;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const DecodedBackup decoded = decodeBackup(input);
    if (decoded.problem == BackupProblem::None) {
        // An accepted file is exactly its header plus the three files: it must encode back.
        const auto encoded = encodeBackup(decoded.contents);
        if (!encoded || *encoded != input)
            std::abort();
    } else if (decoded.problem != BackupProblem::TooShort &&
               decoded.problem != BackupProblem::Truncated &&
               decoded.problem != BackupProblem::Padded) {
        std::abort();
    }

    // The same bytes as a chosen file name: the name for a new backup keeps any extension and
    // otherwise gains one the load check accepts; only folder names stay without one.
    const std::filesystem::path chosen(std::string(input.substr(0, 256)));
    const std::filesystem::path target = backupTargetPath(chosen);
    const auto name = chosen.filename();
    const bool folder = name.empty() || name == "." || name == "..";
    if (target == chosen ? !folder && extensionOf(chosen).empty() : !hasBackupExtension(target))
        std::abort();
    return 0;
}
