// Start-up cost of the whole program against the floor: the real program started on a scratch
// copy of the demo installation until its main dialog has been painted once, and an empty Qt
// dialog with one label started the same way, alternately, each in a process of its own. Reports
// the medians of the processor time (user + system) and of the peak memory (resident set) of the
// two, their ratios, and the machine's load beside them.
// Run: bench_startup                          (offscreen)
//      xvfb-run -a env QT_QPA_PLATFORM=xcb bench_startup
//      bench_startup --benchmark_filter=/21   (more rounds)

#include "bench_support.h"
#include "platform/KeyValueStore.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Cost {
    double processorMs = 0;
    double peakMiB = 0;
};

// Runs the program to its end with the given environment; nothing on success.
std::optional<std::string> runOnce(const char* program, const std::vector<std::string>& environment,
                                   Cost& cost) {
    const pid_t child = ::fork();
    if (child < 0)
        return "cannot fork";
    if (child == 0) {
        for (const auto& entry : environment)
            ::putenv(const_cast<char*>(entry.c_str()));
        // Quiet: the program's warnings are no part of the measurement.
        if (std::FILE* null = std::freopen("/dev/null", "w", stderr); null == nullptr)
            ::_exit(126);
        ::execl(program, program, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = ::wait4(child, &status, WNOHANG, &usage);
        if (done == child)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::wait4(child, &status, 0, &usage);
            return std::string(program) + " did not end after its first paint";
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::string(program) + " failed";
    auto ms = [](const timeval& t) {
        return t.tv_sec * 1e3 + t.tv_usec / 1e3;
    };
    cost.processorMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    cost.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return std::nullopt;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void BM_StartupAgainstEmptyDialog(benchmark::State& state) {
    using dk3::platform::KeyValueStore;
    const int rounds = static_cast<int>(state.range(0));

    // The demo installation as scripts/run-demo.sh sets it up: a copy of the game, a stored
    // installation folder and language, a documents folder, and folders of its own for
    // configuration, home and run time.
    const fs::path scratch = dk3::bench::scratchFolder("dk3-bench-startup");
    const fs::path demo(DK3_DEMO_DIR);
    fs::copy(demo / "game", scratch / "game", fs::copy_options::recursive);
    fs::copy(demo / "documents", scratch / "documents", fs::copy_options::recursive);
    fs::create_directories(scratch / "home");
    KeyValueStore store(scratch / "config" / "draskel3-tuning" / "registry.ini");
    if (store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir,
                       (scratch / "game").string()) ||
        store.setValue(KeyValueStore::kGameKey, KeyValueStore::kLanguage, "english")) {
        state.SkipWithError("cannot write the scratch key-value store");
        return;
    }
    std::ofstream(scratch / "config" / "user-dirs.dirs")
        << "XDG_DOCUMENTS_DIR=\"" << (scratch / "documents").string() << "\"\n";

    const char* platform = std::getenv("QT_QPA_PLATFORM");
    std::vector<Cost> program, floor;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            // A fresh run-time folder each time, as a new login session would have.
            const fs::path runtime = scratch / ("runtime-" + std::to_string(round));
            fs::create_directories(runtime);
            ::chmod(runtime.c_str(), 0700);
            const std::vector<std::string> environment = {
                "DK3_QUIT_AFTER_FIRST_FRAME=1",
                "QT_QPA_PLATFORM=" + std::string(platform ? platform : "offscreen"),
                "XDG_CONFIG_HOME=" + (scratch / "config").string(),
                "HOME=" + (scratch / "home").string(),
                "XDG_RUNTIME_DIR=" + runtime.string(),
            };
            Cost p, f;
            for (auto [binary, cost] : {std::pair{DK3_PROGRAM, &p}, {DK3_EMPTY_DIALOG, &f}}) {
                if (auto failure = runOnce(binary, environment, *cost)) {
                    state.SkipWithError(failure->c_str());
                    return;
                }
            }
            program.push_back(p);
            floor.push_back(f);
        }
    }

    auto medianOf = [](const std::vector<Cost>& costs, double Cost::*field) {
        std::vector<double> values;
        for (const Cost& c : costs)
            values.push_back(c.*field);
        return median(values);
    };
    const double programMs = medianOf(program, &Cost::processorMs);
    const double floorMs = medianOf(floor, &Cost::processorMs);
    const double programMiB = medianOf(program, &Cost::peakMiB);
    const double floorMiB = medianOf(floor, &Cost::peakMiB);
    state.counters["program_cpu_ms"] = programMs;
    state.counters["floor_cpu_ms"] = floorMs;
    state.counters["cpu_ratio"] = programMs / floorMs;
    state.counters["program_rss_MiB"] = programMiB;
    state.counters["floor_rss_MiB"] = floorMiB;
    state.counters["rss_ratio"] = programMiB / floorMiB;
    double load[1] = {0};
    if (::getloadavg(load, 1) == 1)
        state.counters["load_1min"] = load[0];
}
BENCHMARK(BM_StartupAgainstEmptyDialog)
    ->Arg(11)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
