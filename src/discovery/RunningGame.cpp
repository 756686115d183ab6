#include "discovery/RunningGame.h"

#include "discovery/ValveKeyValues.h"
#include "platform/FileIO.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unistd.h>

namespace dk3::discovery {
namespace fs = std::filesystem;

namespace {

// A process's command line is limited by the kernel to far less than this in practice.
constexpr std::size_t kMaxCommandLineBytes = 256u * 1024u;

bool isAllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::vector<int> runningGameProcesses(const fs::path& procRoot) {
    std::vector<int> ids;
    const std::string self = std::to_string(::getpid());
    std::error_code ec;
    for (auto it = fs::directory_iterator(procRoot, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!isAllDigits(name) || name.size() > 9 || name == self)
            continue;
        // A process may end between the listing and the read; it is then simply not there.
        std::error_code readError;
        const auto commandLine =
            platform::readWholeFile(it->path() / "cmdline", readError, kMaxCommandLineBytes);
        if (!commandLine)
            continue;
        std::size_t pos = 0;
        while (pos < commandLine->size()) {
            std::size_t end = commandLine->find('\0', pos);
            if (end == std::string::npos)
                end = commandLine->size();
            const std::string_view argument = std::string_view(*commandLine).substr(pos, end - pos);
            const std::size_t slash = argument.find_last_of("/\\");
            const std::string_view file =
                slash == std::string_view::npos ? argument : argument.substr(slash + 1);
            if (equalsIgnoringAsciiCase(file, "Draskel3.exe")) {
                ids.push_back(std::stoi(name));
                break;
            }
            pos = end + 1;
        }
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

} // namespace dk3::discovery
