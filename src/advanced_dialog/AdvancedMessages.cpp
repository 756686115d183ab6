#include "advanced_dialog/AdvancedMessages.h"

#include "app/OwnTexts.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <filesystem>

namespace dk3::advanced {

QStringList writeFailureTexts(std::string_view languageName,
                              const std::vector<SettingWriteFailure>& failures) {
    constexpr app::OwnText kSentence{
        "Die Einstellungen in „%1“ konnten nicht gespeichert werden: %2.",
        "Cannot save the settings in \"%1\": %2.",
        "Impossibile salvare le impostazioni in \"%1\": %2."};
    QStringList lines;
    std::vector<std::filesystem::path> told;
    for (const SettingWriteFailure& failure : failures) {
        if (std::find(told.begin(), told.end(), failure.file) != told.end())
            continue;
        told.push_back(failure.file);
        lines << app::ownText(languageName, kSentence)
                     .arg(platform::pathToQString(failure.file),
                          app::describeError(languageName, failure.error));
    }
    return lines;
}

QString bloomFailureText(std::string_view languageName, const BloomFileResult& result) {
    const QString file = platform::pathToQString(result.file);
    switch (result.status) {
    case BloomStatus::Done:
        return {};
    case BloomStatus::NoBloomStatement:
        return app::ownText(
                   languageName,
                   {"Die Shader-Datei „%1“ enthält keine Bloom-Anweisung; die Bloom-Stärke lässt "
                    "sich dort nicht ändern.",
                    "The shader file \"%1\" holds no bloom statement, so the bloom strength "
                    "cannot be changed there.",
                    "Il file dello shader \"%1\" non contiene l'istruzione del bloom, quindi "
                    "l'intensità del bloom non si può cambiare."})
            .arg(file);
    case BloomStatus::ReadFailed:
        return app::ownText(languageName, {"Die Shader-Datei „%1“ konnte nicht gelesen werden: %2.",
                                           "Cannot read the shader file \"%1\": %2.",
                                           "Impossibile leggere il file dello shader \"%1\": %2."})
            .arg(file, app::describeError(languageName, result.error));
    case BloomStatus::WriteFailed:
        return app::ownText(languageName,
                            {"Die Shader-Datei „%1“ konnte nicht geschrieben werden: %2. Die Datei "
                             "blieb unverändert.",
                             "Cannot write the shader file \"%1\": %2. The file was left as it "
                             "was.",
                             "Impossibile scrivere il file dello shader \"%1\": %2. Il file è "
                             "rimasto invariato."})
            .arg(file, app::describeError(languageName, result.error));
    }
    return {};
}

QString notEverythingSavedText(std::string_view languageName) {
    return app::ownText(languageName, {"Nicht alle Einstellungen konnten gespeichert werden.",
                                       "Not every setting could be saved.",
                                       "Non è stato possibile salvare tutte le impostazioni."});
}

} // namespace dk3::advanced
