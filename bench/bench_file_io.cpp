// Every atomic write looks through its target's folder for temporaries that killed writes left
// there, and loading a backup writes a journal before its renames. These measure what that adds:
// a single write of a 50 KB file in a folder of few and of many other files, and a journalled
// group write of three files as loading a backup does, against the same write without journal.

#include "bench_support.h"
#include "platform/FileIO.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {
namespace fs = std::filesystem;
using namespace dk3;

const std::string kContent(50 * 1024, 'x');

// A folder holding the target and `others` unrelated files (the game's Ini folder has about 20).
fs::path folderWith(int others) {
    const fs::path folder = bench::scratchFolder("dk3-bench-fileio");
    for (int i = 0; i < others; ++i)
        std::ofstream(folder / ("other" + std::to_string(i) + ".ini")) << "x";
    std::ofstream(folder / "dk3e.ini") << kContent;
    return folder;
}

void BM_AtomicWrite(benchmark::State& state) {
    const fs::path folder = folderWith(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::writeFileAtomically(folder / "dk3e.ini", kContent));
    fs::remove_all(folder);
}
BENCHMARK(BM_AtomicWrite)->Arg(20)->Arg(2000)->Unit(benchmark::kMicrosecond);

std::vector<std::pair<fs::path, std::string>> threeFiles(const fs::path& folder) {
    return {{folder / "dk3e.ini", kContent},
            {folder / "UserOptions.ini", kContent.substr(0, 2000)},
            {folder / "IP_DOF.fx", kContent.substr(0, 8000)}};
}

void BM_GroupWrite(benchmark::State& state) {
    const fs::path folder = folderWith(20);
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::writeFilesAtomically(threeFiles(folder)));
    fs::remove_all(folder);
}
BENCHMARK(BM_GroupWrite)->Unit(benchmark::kMicrosecond);

void BM_JournalledGroupWrite(benchmark::State& state) {
    const fs::path folder = folderWith(20);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            platform::writeFilesWithJournal(threeFiles(folder), folder / "restore.journal"));
    fs::remove_all(folder);
}
BENCHMARK(BM_JournalledGroupWrite)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
