#include "platform/CaseInsensitivePath.h"

#include <algorithm>
#include <string>

namespace dk3::platform {
namespace fs = std::filesystem;

namespace {

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        };
        return lower(x) == lower(y);
    });
}

} // namespace

fs::path resolveCaseInsensitive(const fs::path& base, const fs::path& relative) {
    fs::path current = base;
    auto component = relative.begin();
    for (; component != relative.end(); ++component) {
        std::error_code ec;
        if (fs::exists(fs::symlink_status(current / *component, ec)))
            current /= *component;
        else {
            const std::string wanted = component->string();
            std::string best;
            for (auto it = fs::directory_iterator(current, ec);
                 !ec && it != fs::directory_iterator(); it.increment(ec)) {
                const std::string name = it->path().filename().string();
                if (equalIgnoringAsciiCase(name, wanted) && (best.empty() || name < best))
                    best = name;
            }
            if (best.empty())
                break;
            current /= best;
        }
    }
    for (; component != relative.end(); ++component)
        current /= *component;
    return current;
}

} // namespace dk3::platform
