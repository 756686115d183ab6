#include "app/TranslationCatalogue.h"

#include "platform/ProfileFile.h"
#include "platform/TextCodec.h"

#include <algorithm>

namespace dk3::app {

void TranslationCatalogue::setFile(std::filesystem::path file) {
    file_ = std::move(file);
    profile::trustCurrentContent(file_);
}

std::string TranslationCatalogue::lookupText(std::string_view section, std::string_view key,
                                             std::size_t bufferSize) const {
    return profile::readText(file_, section, key, "", bufferSize);
}

std::string TranslationCatalogue::replaceWithNewlines(std::string text, char character) {
    std::replace(text.begin(), text.end(), character, '\n');
    return text;
}

QString TranslationCatalogue::caption(std::string_view section, std::string_view key,
                                      std::size_t bufferSize) const {
    return platform::fromWindows1252(lookupText(section, key, bufferSize));
}

QString TranslationCatalogue::message(std::string_view section, std::string_view key) const {
    return platform::fromWindows1252(replaceWithNewlines(lookupText(section, key, kShortBuffer)));
}

} // namespace dk3::app
