// Every write of a game file first asks whether the game runs, which looks at every process of
// the system. These measure that look on this machine's own /proc and on a made-up one of 400
// processes of this user, among them Wine programs and command lines of several megabytes.

#include "bench_support.h"
#include "discovery/RunningGame.h"

#include <benchmark/benchmark.h>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {
namespace fs = std::filesystem;
using namespace std::string_literals;

void BM_RunningGameRealProc(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(dk3::discovery::runningGameProcesses());
}
BENCHMARK(BM_RunningGameRealProc)->Unit(benchmark::kMillisecond);

fs::path fakeProc() {
    const fs::path root = dk3::bench::scratchFolder("dk3-bench-proc");
    const std::string status = "Name:\tx\nUid:\t" + std::to_string(::getuid()) + "\t0\t0\t0\n";
    const std::string huge(4u * 1024u * 1024u, 'a');
    for (int pid = 1000; pid < 1400; ++pid) {
        const fs::path folder = root / std::to_string(pid);
        fs::create_directories(folder);
        std::ofstream(folder / "status") << status;
        std::string commandLine = pid % 50 == 0  ? "/usr/bin/editor\0"s + huge + "\0"s
                                  : pid % 7 == 0 ? "C:\\windows\\system32\\services.exe\0\0\0"s
                                                 : "/usr/bin/program\0--option\0value\0"s;
        std::ofstream(folder / "cmdline", std::ios::binary) << commandLine;
    }
    return root;
}

void BM_RunningGameFakeProc(benchmark::State& state) {
    const fs::path root = fakeProc();
    for (auto _ : state)
        benchmark::DoNotOptimize(dk3::discovery::runningGameProcesses(root));
}
BENCHMARK(BM_RunningGameFakeProc)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
