#include "maintenance/StartLogos.h"

#include "platform/FileIO.h"

#include <algorithm>
#include <cctype>

namespace dk3::maintenance {
namespace fs = std::filesystem;

namespace {

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::string_view logoListContent(StartLogoState state) {
    return state == StartLogoState::Removed ? kRemovedLogoList : kRestoredLogoList;
}

fs::path logoListPath(const fs::path& engineIniPath) {
    const fs::path folder = engineIniPath.parent_path();
    const fs::path exact = folder / kLogoListFileName;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(exact, ec)))
        return exact;
    // Take the first variant in name order, so the choice does not depend on directory order.
    fs::path found;
    const fs::path searched = folder.empty() ? fs::path(".") : folder;
    for (auto it = fs::directory_iterator(searched, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const fs::path name = it->path().filename();
        if (equalIgnoringAsciiCase(name.native(), kLogoListFileName) &&
            (found.empty() || name < found.filename()))
            found = folder / name;
    }
    return found.empty() ? exact : found;
}

std::error_code writeLogoList(const fs::path& engineIniPath, StartLogoState state) {
    return platform::writeFileAtomically(logoListPath(engineIniPath), logoListContent(state));
}

std::string describeLogoListError(const fs::path& logoList, const std::error_code& error) {
    return "Could not write the start-logo list \"" + logoList.string() +
           "\": " + platform::describeError(error) + ".";
}

} // namespace dk3::maintenance
