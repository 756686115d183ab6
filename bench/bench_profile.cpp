// The INI engine reads the whole file afresh on every call, as the Windows profile API does. The
// main dialog loads its settings with a few dozen such reads and saves with one write per key, so
// these two measure what a load and a single saved key cost on an engine file of realistic size.

#include "bench_support.h"
#include "platform/ProfileFile.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;
using namespace dk3;

constexpr int kSections = 8;
constexpr int kKeysPerSection = 55;

std::string sectionName(int section) {
    static const char* const names[kSections] = {"Engine.Setup",   "Option.Sliders", "Options.Low",
                                                 "Options.Medium", "Options.High",   "Camera",
                                                 "Game",           "Render"};
    return names[section];
}

std::string keyName(int section, int key) {
    return "ResourceCache.u32MaxMemUsage_" + std::to_string(section) + "_" + std::to_string(key);
}

// About 50 KB in the shape of the game's engine file: commented sections of dotted keys with
// decimal values, CR LF line ends, blank lines between sections. Removed when the program ends.
// With a mark, the same text as UTF-8 behind the UTF-8 byte-order mark, as an editor saves it.
struct EngineFile {
    explicit EngineFile(bool marked)
        : folder(bench::scratchFolder("dk3-bench-profile")), path(folder / "dk3e.ini") {
        std::string content = marked ? "\xEF\xBB\xBF" : "";
        content += "; Engine configuration. Values are read at start-up; edit with care.\r\n";
        for (int section = 0; section < kSections; ++section) {
            content += "\r\n[" + sectionName(section) + "]\r\n";
            for (int key = 0; key < kKeysPerSection; ++key) {
                if (key % 2 == 0)
                    content += "; " + keyName(section, key) +
                               ": memory budget of this resource cache in kilobytes at the "
                               "chosen quality level; 0 turns the cache off\r\n";
                content +=
                    keyName(section, key) + " = " + std::to_string(key * 1000 + section) + ".0\r\n";
            }
        }
        std::ofstream(path, std::ios::binary) << content;
    }
    ~EngineFile() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    EngineFile(const EngineFile&) = delete;
    EngineFile& operator=(const EngineFile&) = delete;

    fs::path folder;
    fs::path path;
};

const fs::path& engineFile() {
    static const EngineFile file(false);
    return file.path;
}

const fs::path& markedEngineFile() {
    static const EngineFile file(true);
    return file.path;
}

void read30Keys(benchmark::State& state, const fs::path& file) {
    // Spread over every section, from near the top to the file's last key.
    std::vector<std::pair<std::string, std::string>> keys;
    for (int i = 0; i < 30; ++i) {
        const int section = i % kSections;
        keys.emplace_back(sectionName(section), keyName(section, (i * 17 + 2) % kKeysPerSection));
    }
    keys.back() = {sectionName(kSections - 1), keyName(kSections - 1, kKeysPerSection - 1)};
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (i % 2 == 0)
                sum += static_cast<std::int64_t>(
                    profile::readText(file, keys[i].first, keys[i].second, "", 256).size());
            else
                sum += profile::readInt(file, keys[i].first, keys[i].second, 0);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(file));
}

void BM_Read30Keys(benchmark::State& state) {
    read30Keys(state, engineFile());
}
BENCHMARK(BM_Read30Keys)->Unit(benchmark::kMicrosecond);

// The same reads from a file with a UTF-8 mark, which is decoded on every read.
void BM_Read30KeysMarkedUtf8(benchmark::State& state) {
    read30Keys(state, markedEngineFile());
}
BENCHMARK(BM_Read30KeysMarkedUtf8)->Unit(benchmark::kMicrosecond);

void BM_WriteOneKey(benchmark::State& state) {
    const fs::path& file = engineFile();
    const std::string section = sectionName(4);
    const std::string key = keyName(4, kKeysPerSection / 2);
    bool flip = false;
    for (auto _ : state) {
        // Two values in turn, so that every call really rewrites the file.
        flip = !flip;
        if (profile::writeText(file, section, key, flip ? "3500.0" : "4000.0")) {
            state.SkipWithError("write failed");
            break;
        }
    }
}
BENCHMARK(BM_WriteOneKey)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
