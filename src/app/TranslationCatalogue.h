#pragma once

// Every text the program shows in the user's language comes from one translation file, unpacked
// from the program into the private temporary folder and read through the INI engine by section
// (the language: "deutsch", "english", "italiano", or "general" for the start-up messages) and
// key. Every lookup reads the file afresh, so a file deleted while the program runs gives empty
// texts until it is unpacked again.

#include <QString>

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace dk3::app {

class TranslationCatalogue {
public:
    // The resource the file is unpacked from and the name it gets in the temporary folder.
    static constexpr const char* kResourcePath = ":/dk3/vorlix_translation.ini";
    static constexpr const char* kFileName = "vorlix_translation.ini";
    static constexpr std::string_view kGeneralSection = "general";

    // Buffer sizes of the callers: messages and the start-up texts, and the main dialog's
    // captions and tooltips. A longer text is cut at the buffer's end.
    static constexpr std::size_t kShortBuffer = 256;
    static constexpr std::size_t kLongBuffer = 1024;

    TranslationCatalogue() = default;
    explicit TranslationCatalogue(std::filesystem::path file) : file_(std::move(file)) {}

    const std::filesystem::path& file() const { return file_; }
    // The file as the program has just unpacked it into its own folder: its content as it is
    // now is trusted for the lookups (see profile::trustCurrentContent), which then cost no
    // file access until the file changes.
    void setFile(std::filesystem::path file);

    // The value of key in section as stored (Windows-1252 bytes); empty when the file, the
    // section or the key is missing.
    std::string lookupText(std::string_view section, std::string_view key,
                           std::size_t bufferSize = kLongBuffer) const;

    // Every occurrence of character becomes a line feed; the length does not change.
    static std::string replaceWithNewlines(std::string text, char character = '|');

    // A caption or combo entry, as shown: looked up and converted, '|' kept.
    QString caption(std::string_view section, std::string_view key,
                    std::size_t bufferSize = kLongBuffer) const;

    // A message box text, as shown: looked up into the short buffer, '|' made line breaks.
    QString message(std::string_view section, std::string_view key) const;

private:
    std::filesystem::path file_;
};

} // namespace dk3::app
