#include "discovery/RecordsModule.h"

#include "discovery/Folders.h"

#include <dlfcn.h>
#include <mutex>
#include <system_error>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

struct ModuleState {
    std::mutex mutex;
    bool tried = false;
    bool candidatesSet = false;
    std::vector<fs::path> candidates;
    const RecordReaders* readers = nullptr;
};

ModuleState& state() {
    static ModuleState instance;
    return instance;
}

std::vector<fs::path> defaultCandidates() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec || !program.is_absolute())
        return {};
    const fs::path folder = program.parent_path();
    return {folder / kRecordsModuleFileName,
            (folder / ".." / DK3_INSTALL_LIBDIR / "draskel3-tuning" / kRecordsModuleFileName)
                .lexically_normal()};
}

using Entry = const RecordReaders* (*)();

// The module stays loaded for the rest of the run once its entry answers; one that does not,
// or answers for another build, is let go.
const RecordReaders* load(const std::vector<fs::path>& candidates) {
    for (const fs::path& path : candidates) {
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module)
            continue;
        const auto entry = reinterpret_cast<Entry>(::dlsym(module, kRecordsModuleEntry));
        const RecordReaders* readers = entry ? entry() : nullptr;
        if (readers && readers->version == kRecordReadersVersion && readers->lutrisGameConfig &&
            readers->lutrisDatabase && readers->bottleConfig)
            return readers;
        ::dlclose(module);
    }
    return nullptr;
}

} // namespace

const RecordReaders* recordReaders() {
    ModuleState& module = state();
    const std::lock_guard lock(module.mutex);
    if (!module.tried) {
        module.tried = true;
        module.readers = load(module.candidatesSet ? module.candidates : defaultCandidates());
    }
    return module.readers;
}

std::optional<LutrisGameConfig> readLutrisGameConfig(const fs::path& file) {
    const auto text = readSmallFile(file, kMaxLutrisFileBytes);
    const RecordReaders* readers = text ? recordReaders() : nullptr;
    return readers ? readers->lutrisGameConfig(*text) : std::nullopt;
}

std::optional<std::vector<LutrisGameRecord>> readLutrisDatabase(const fs::path& file) {
    const auto bytes = readSmallFile(file, kMaxLutrisDatabaseBytes);
    const RecordReaders* readers = bytes ? recordReaders() : nullptr;
    return readers ? readers->lutrisDatabase(*bytes) : std::nullopt;
}

std::optional<BottleConfig> readBottleConfig(const fs::path& file) {
    const auto text = readSmallFile(file, kMaxBottleFileBytes);
    const RecordReaders* readers = text ? recordReaders() : nullptr;
    return readers ? readers->bottleConfig(*text) : std::nullopt;
}

void setRecordsModuleCandidates(std::vector<fs::path> candidates) {
    ModuleState& module = state();
    const std::lock_guard lock(module.mutex);
    if (module.tried)
        return;
    module.candidates = std::move(candidates);
    module.candidatesSet = true;
}

} // namespace dk3::discovery
