#include "discovery/RunningGame.h"

#include "discovery/ValveKeyValues.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGameProgram = "Draskel3.exe";
constexpr std::array<std::string_view, 4> kWineLoaders{"wine", "wine64", "wine-preloader",
                                                       "wine64-preloader"};
// Only the first two arguments count, so a command line is read only as far as they go, in
// steps; however long the rest is, it is never read. This bounds what the two may take: far
// more than any path (Linux allows 128 KiB for one argument).
constexpr std::size_t kMaxArgumentBytes = 4u * 1024u * 1024u;
constexpr std::size_t kMaxStatusBytes = 64u * 1024u;

bool isAllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The file name of a Unix or Windows path.
std::string_view fileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isWineLoader(std::string_view path) {
    const std::string_view name = fileNameOf(path);
    return std::any_of(kWineLoaders.begin(), kWineLoaders.end(),
                       [&](std::string_view loader) { return name == loader; });
}

bool isGameProgram(std::string_view path) {
    return equalsIgnoringAsciiCase(fileNameOf(path), kGameProgram);
}

// The first count arguments of a command line (fewer when it has fewer).
std::vector<std::string_view> firstArguments(std::string_view commandLine, std::size_t count) {
    std::vector<std::string_view> arguments;
    std::size_t pos = 0;
    while (arguments.size() < count && pos < commandLine.size()) {
        std::size_t end = commandLine.find('\0', pos);
        if (end == std::string_view::npos)
            end = commandLine.size();
        arguments.push_back(commandLine.substr(pos, end - pos));
        pos = end + 1;
    }
    return arguments;
}

// Opens a file of a process without blocking on anything that is not a plain /proc file.
int openProcFile(const fs::path& file) {
    return ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

// Reads the command line until it holds two whole arguments (or ends). Empty when it cannot be
// read: the process has ended, or it is no file.
std::optional<std::string> readFirstArguments(const fs::path& file) {
    const int fd = openProcFile(file);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string content;
    std::ptrdiff_t ends = 0;
    char chunk[16384];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        content.append(chunk, static_cast<std::size_t>(got));
        ends += std::count(chunk, chunk + got, '\0');
        if (ends >= 2)
            break;
        if (content.size() >= 2 * kMaxArgumentBytes) {
            // No argument is that long: what was cut off is not the game, whatever it ends in.
            const std::size_t lastEnd = content.rfind('\0');
            content.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
            break;
        }
    }
    ::close(fd);
    return content;
}

// The real user id from a status file ("Uid:\t<real>\t<effective>..."), if it holds one.
std::optional<unsigned long> realUserId(const fs::path& file) {
    const int fd = openProcFile(file);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0 || content.size() > kMaxStatusBytes)
            break;
        content.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    const std::size_t line = content.find("\nUid:");
    if (line == std::string::npos)
        return std::nullopt;
    std::size_t pos = line + 5;
    while (pos < content.size() && (content[pos] == '\t' || content[pos] == ' '))
        ++pos;
    const std::size_t end = content.find_first_not_of("0123456789", pos);
    const std::string digits = content.substr(pos, end == std::string::npos ? end : end - pos);
    if (digits.empty() || digits.size() > 10)
        return std::nullopt;
    return std::stoul(digits);
}

} // namespace

bool runsTheGame(std::string_view commandLine, const fs::path& programFile) {
    const auto arguments = firstArguments(commandLine, 2);
    if (arguments.empty())
        return false;
    if (isGameProgram(arguments[0]))
        return true;
    const bool wine = isWineLoader(arguments[0]) || isWineLoader(programFile.native());
    return wine && arguments.size() > 1 && isGameProgram(arguments[1]);
}

std::vector<int> runningGameProcesses(const fs::path& procRoot) {
    std::vector<int> ids;
    const std::string self = std::to_string(::getpid());
    const unsigned long me = ::getuid();
    std::error_code ec;
    for (auto it = fs::directory_iterator(procRoot, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isAllDigits(name) || name.size() > 9 || name == self)
            continue;
        // A process may end between the listing and the reads; it is then simply not there.
        if (realUserId(it->path() / "status") != me)
            continue;
        const auto commandLine = readFirstArguments(it->path() / "cmdline");
        if (!commandLine)
            continue;
        std::error_code linkError;
        std::string program = fs::read_symlink(it->path() / "exe", linkError).native();
        // The program file of a process whose file was replaced (Wine updated while it runs).
        if (program.ends_with(" (deleted)"))
            program.resize(program.size() - 10);
        if (runsTheGame(*commandLine, program))
            ids.push_back(std::stoi(name));
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace dk3::discovery
