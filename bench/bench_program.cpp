// The whole program against the floor, each in a process of its own: the real program started on
// a scratch copy of the demo installation, and an empty Qt dialog with one label started the same
// way.
// - Start-up: both started alternately until their first paint; the medians of the processor time
//   (user + system) and of the peak memory (resident set), and their ratios.
// - Idle: both left open for a while; the share of one processor each uses, their wake-ups
//   (context switches over all their threads) per second, and under X the X server's share.
// The machine's load is reported beside the figures.
// Run: bench_program                          (offscreen)
//      xvfb-run -a env QT_QPA_PLATFORM=xcb bench_program

#include "bench_support.h"
#include "platform/KeyValueStore.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <csignal>
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

pid_t start(const char* program, const std::vector<std::string>& environment);

struct Cost {
    double processorMs = 0;
    double peakMiB = 0;
};

// Runs the program to its end with the given environment; nothing on success.
std::optional<std::string> runOnce(const char* program, const std::vector<std::string>& environment,
                                   Cost& cost) {
    const pid_t child = start(program, environment);
    if (child < 0)
        return "cannot fork";
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

// The program measured: this build's, or another build named by DK3_BENCH_PROGRAM (to set an
// older version beside it).
const char* programPath() {
    const char* other = std::getenv("DK3_BENCH_PROGRAM");
    return other && *other ? other : DK3_PROGRAM;
}

double loadAverage() {
    double load[1] = {0};
    return ::getloadavg(load, 1) == 1 ? load[0] : -1;
}

// The demo installation as scripts/run-demo.sh sets it up: a copy of the game, a stored
// installation folder and language, a documents folder, and a home of its own.
bool prepareDemo(const fs::path& scratch) {
    using dk3::platform::KeyValueStore;
    const fs::path demo(DK3_DEMO_DIR);
    fs::copy(demo / "game", scratch / "game", fs::copy_options::recursive);
    fs::copy(demo / "documents", scratch / "documents", fs::copy_options::recursive);
    fs::create_directories(scratch / "home");
    KeyValueStore store(scratch / "config" / "draskel3-tuning" / "registry.ini");
    if (store.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir,
                       (scratch / "game").string()) ||
        store.setValue(KeyValueStore::kGameKey, KeyValueStore::kLanguage, "english"))
        return false;
    std::ofstream(scratch / "config" / "user-dirs.dirs")
        << "XDG_DOCUMENTS_DIR=\"" << (scratch / "documents").string() << "\"\n";
    return true;
}

// Where the run-time folders go: on a RAM file system where there is one, as a login session's
// XDG_RUNTIME_DIR (/run/user/<uid>) is. The program unpacks its files there and writes them
// durably; on a disk each of those writes costs a flush of the file system's journal that no
// player's session pays.
fs::path runtimeParent(const fs::path& scratch) {
    std::error_code error;
    if (fs::is_directory("/dev/shm", error)) {
        std::string pattern = "/dev/shm/dk3-bench-runtime-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            dk3::bench::detail::scratchFolders().add(pattern);
            return pattern;
        }
    }
    return scratch;
}

// The environment of a start: the scratch folders, a fresh run-time folder as a new login
// session would have, and the benchmark's own platform (offscreen unless told otherwise).
std::vector<std::string> demoEnvironment(const fs::path& scratch, const std::string& runtimeName) {
    static const fs::path parent = runtimeParent(scratch);
    const fs::path runtime = parent / runtimeName;
    fs::create_directories(runtime);
    ::chmod(runtime.c_str(), 0700);
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return {
        "QT_QPA_PLATFORM=" + std::string(platform ? platform : "offscreen"),
        "XDG_CONFIG_HOME=" + (scratch / "config").string(),
        "HOME=" + (scratch / "home").string(),
        "XDG_RUNTIME_DIR=" + runtime.string(),
    };
}

void BM_StartupAgainstEmptyDialog(benchmark::State& state) {
    const int rounds = static_cast<int>(state.range(0));

    const fs::path scratch = dk3::bench::scratchFolder("dk3-bench-startup");
    if (!prepareDemo(scratch)) {
        state.SkipWithError("cannot write the scratch key-value store");
        return;
    }
    std::vector<Cost> program, floor;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            auto environment = demoEnvironment(scratch, "runtime-" + std::to_string(round));
            environment.push_back("DK3_QUIT_AFTER_FIRST_FRAME=1");
            Cost p, f;
            for (auto [binary, cost] : {std::pair{programPath(), &p}, {DK3_EMPTY_DIALOG, &f}}) {
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
    state.counters["load_1min"] = loadAverage();
}
BENCHMARK(BM_StartupAgainstEmptyDialog)
    ->Arg(11)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Processor time in nanoseconds and context switches, summed over the threads of a process.
struct Usage {
    double processorNs = 0;
    double switches = 0;
    int threads = 0;
};

Usage usageOf(pid_t pid) {
    Usage usage;
    const fs::path tasks = fs::path("/proc") / std::to_string(pid) / "task";
    std::error_code error;
    for (const auto& task : fs::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double onProcessor = 0;
        if (schedstat >> onProcessor)
            usage.processorNs += onProcessor;
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("voluntary_ctxt_switches:") ||
                line.starts_with("nonvoluntary_ctxt_switches:"))
                usage.switches += std::stod(line.substr(line.find(':') + 1));
        }
        ++usage.threads;
    }
    return usage;
}

// The X server of $DISPLAY when it runs on this machine (Xvfb or Xorg), or 0.
pid_t xServer() {
    const char* display = std::getenv("DISPLAY");
    if (!display || display[0] != ':')
        return 0;
    const std::string wanted = std::string(display).substr(0, std::string(display).find('.'));
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string comm;
        std::getline(std::ifstream(entry.path() / "comm"), comm);
        if (comm != "Xvfb" && comm != "Xorg")
            continue;
        std::ifstream cmdline(entry.path() / "cmdline");
        for (std::string argument; std::getline(cmdline, argument, '\0');) {
            if (argument == wanted)
                return static_cast<pid_t>(std::stol(name));
        }
    }
    return 0;
}

pid_t start(const char* program, const std::vector<std::string>& environment) {
    const pid_t child = ::fork();
    if (child == 0) {
        for (const auto& entry : environment)
            ::putenv(const_cast<char*>(entry.c_str()));
        if (std::FILE* null = std::freopen("/dev/null", "w", stderr); null == nullptr)
            ::_exit(126);
        ::execl(program, program, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return child;
}

struct IdleFigures {
    double processorPercent = 0;
    double switchesPerSecond = 0;
    double xServerPercent = 0;
    int threads = 0;
};

// Starts the program, lets it settle, and watches it sit idle for the given time.
std::optional<IdleFigures> watchIdle(const char* program,
                                     const std::vector<std::string>& environment, int seconds) {
    const pid_t child = start(program, environment);
    if (child < 0)
        return std::nullopt;
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const pid_t server = xServer();
    const Usage before = usageOf(child);
    const Usage serverBefore = server ? usageOf(server) : Usage{};
    const auto begin = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const Usage after = usageOf(child);
    const Usage serverAfter = server ? usageOf(server) : Usage{};
    const double wallNs = static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                  std::chrono::steady_clock::now() - begin)
                                                  .count());
    int status = 0;
    const bool stillRunning = ::waitpid(child, &status, WNOHANG) == 0;
    ::kill(child, SIGTERM);
    ::waitpid(child, &status, 0);
    if (!stillRunning || after.threads == 0)
        return std::nullopt;
    IdleFigures figures;
    figures.processorPercent = (after.processorNs - before.processorNs) / wallNs * 100;
    figures.switchesPerSecond = (after.switches - before.switches) / (wallNs / 1e9);
    figures.xServerPercent = (serverAfter.processorNs - serverBefore.processorNs) / wallNs * 100;
    figures.threads = after.threads;
    return figures;
}

// Arguments: rounds, seconds watched per round.
void BM_IdleAgainstEmptyDialog(benchmark::State& state) {
    const int rounds = static_cast<int>(state.range(0));
    const int seconds = static_cast<int>(state.range(1));
    const fs::path scratch = dk3::bench::scratchFolder("dk3-bench-idle-program");
    if (!prepareDemo(scratch)) {
        state.SkipWithError("cannot write the scratch key-value store");
        return;
    }
    std::vector<IdleFigures> program, floor;
    for (auto _ : state) {
        for (int round = 0; round < rounds; ++round) {
            const auto environment =
                demoEnvironment(scratch, "runtime-idle-" + std::to_string(round));
            const auto p = watchIdle(programPath(), environment, seconds);
            const auto f = watchIdle(DK3_EMPTY_DIALOG, environment, seconds);
            if (!p || !f) {
                state.SkipWithError("a program ended before it was measured");
                return;
            }
            program.push_back(*p);
            floor.push_back(*f);
        }
    }
    auto medianOf = [](const std::vector<IdleFigures>& figures, double IdleFigures::*field) {
        std::vector<double> values;
        for (const IdleFigures& f : figures)
            values.push_back(f.*field);
        return median(values);
    };
    state.counters["program_cpu_percent"] = medianOf(program, &IdleFigures::processorPercent);
    state.counters["floor_cpu_percent"] = medianOf(floor, &IdleFigures::processorPercent);
    state.counters["program_wakeups_per_s"] = medianOf(program, &IdleFigures::switchesPerSecond);
    state.counters["floor_wakeups_per_s"] = medianOf(floor, &IdleFigures::switchesPerSecond);
    state.counters["program_threads"] = program.back().threads;
    if (xServer()) {
        state.counters["program_x_server_cpu_percent"] =
            medianOf(program, &IdleFigures::xServerPercent);
        state.counters["floor_x_server_cpu_percent"] =
            medianOf(floor, &IdleFigures::xServerPercent);
    }
    state.counters["load_1min"] = loadAverage();
}
BENCHMARK(BM_IdleAgainstEmptyDialog)
    ->Args({3, 10})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
