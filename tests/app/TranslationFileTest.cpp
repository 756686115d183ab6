// Checks the translation file the program ships (resources/vorlix_translation.ini) as bytes, with
// a small parser of its own: the file must read the same through the game-style INI reader on
// any system, so its encoding, layout and texts are fixed facts, not matters of taste.

#include "platform/TextCodec.h"
#include "support/TempDir.h"

#include <QString>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Entry {
    std::string key;
    std::string value;
};

struct Section {
    std::string name;
    std::vector<std::string> comments;
    std::vector<Entry> entries;
};

struct ParsedFile {
    std::string bytes;
    std::vector<Section> sections;
    std::vector<std::string> strayLines; // lines that are neither header, comment nor entry
};

bool isKeyName(std::string_view key) {
    return !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

ParsedFile parseShippedFile() {
    ParsedFile file;
    file.bytes =
        dk3::test::readFile(std::string(DK3_SOURCE_DIR) + "/resources/vorlix_translation.ini")
            .value_or(std::string());
    std::size_t start = 0;
    while (start <= file.bytes.size()) {
        std::size_t end = file.bytes.find("\r\n", start);
        if (end == std::string::npos)
            end = file.bytes.size();
        const std::string line = file.bytes.substr(start, end - start);
        start = end + 2;
        if (line.empty())
            continue;
        if (line.front() == ';') {
            if (!file.sections.empty())
                file.sections.back().comments.push_back(line);
        } else if (line.front() == '[' && line.back() == ']') {
            file.sections.push_back({line.substr(1, line.size() - 2), {}, {}});
        } else if (const auto equals = line.find('='); equals != std::string::npos &&
                                                       isKeyName(line.substr(0, equals)) &&
                                                       !file.sections.empty()) {
            file.sections.back().entries.push_back(
                {line.substr(0, equals), line.substr(equals + 1)});
        } else {
            file.strayLines.push_back(line);
        }
    }
    return file;
}

const ParsedFile& shipped() {
    static const ParsedFile file = parseShippedFile();
    return file;
}

const Section* section(const std::string& name) {
    for (const Section& candidate : shipped().sections) {
        if (candidate.name == name)
            return &candidate;
    }
    return nullptr;
}

std::vector<std::string> keysOf(const std::string& name) {
    std::vector<std::string> keys;
    if (const Section* found = section(name)) {
        for (const Entry& entry : found->entries)
            keys.push_back(entry.key);
    }
    return keys;
}

// The stored value, or a marker that no value can equal.
std::string valueOf(const std::string& sectionName, const std::string& key) {
    if (const Section* found = section(sectionName)) {
        for (const Entry& entry : found->entries) {
            if (entry.key == key)
                return entry.value;
        }
    }
    return "<missing>";
}

// The texts below are written in UTF-8; the file holds them as Windows-1252.
std::string cp1252(std::string_view utf8) {
    return dk3::platform::toWindows1252(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

bool endsWithBlank(const std::string& value) {
    return !value.empty() && value.back() == ' ';
}

struct Quoted {
    const char* section;
    const char* key;
    const char* text; // UTF-8
};

void expectQuoted(const std::vector<Quoted>& texts) {
    for (const Quoted& quoted : texts) {
        EXPECT_EQ(valueOf(quoted.section, quoted.key), cp1252(quoted.text))
            << "[" << quoted.section << "] " << quoted.key;
    }
}

const std::vector<std::string> kLanguages = {"deutsch", "english", "italiano"};

} // namespace

TEST(TranslationFile, IsWindows1252WithCrLfLinesAndNoFinalLineEnd) {
    const std::string& bytes = shipped().bytes;
    ASSERT_FALSE(bytes.empty()) << "resources/vorlix_translation.ini is missing";
    EXPECT_GT(bytes.size(), 20000u);
    EXPECT_LT(bytes.size(), 32000u);

    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF") << "byte-order mark";
    EXPECT_EQ(bytes.find('\0'), std::string::npos);
    for (const char undefined : {'\x81', '\x8D', '\x8F', '\x90', '\x9D'})
        EXPECT_EQ(bytes.find(undefined), std::string::npos) << "byte undefined in Windows-1252";
    // UTF-8 umlauts would show as two garbled letters each.
    for (const char* utf8 : {"\xC3\xA4", "\xC3\xB6", "\xC3\xBC", "\xC3\x9F", "\xC3\xA0"})
        EXPECT_EQ(bytes.find(utf8), std::string::npos) << "UTF-8 text in the file";

    std::size_t bareLineBreaks = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))
            ++bareLineBreaks;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            ++bareLineBreaks;
    }
    EXPECT_EQ(bareLineBreaks, 0u) << "every line ends in CR LF";
    EXPECT_NE(bytes.back(), '\n') << "the last line has no line end";

    EXPECT_TRUE(shipped().strayLines.empty()) << shipped().strayLines.front();
}

TEST(TranslationFile, LanguageSectionsHoldTheSameKeysInTheSameOrder) {
    std::vector<std::string> names;
    for (const Section& found : shipped().sections)
        names.push_back(found.name);
    ASSERT_EQ(names, (std::vector<std::string>{"general", "deutsch", "english", "italiano"}));

    EXPECT_EQ(keysOf("general").size(), 3u);
    const std::vector<std::string> german = keysOf("deutsch");
    EXPECT_EQ(german.size(), 176u);
    EXPECT_EQ(keysOf("english"), german);

    std::vector<std::string> italian = keysOf("italiano");
    EXPECT_EQ(italian.size(), 178u);
    for (const char* extra : {"TEXT_VEGETATION", "TOOLTIP_VEGETATION"}) {
        const auto at = std::find(italian.begin(), italian.end(), extra);
        ASSERT_NE(at, italian.end()) << extra;
        italian.erase(at);
    }
    EXPECT_EQ(italian, german);

    EXPECT_EQ(std::set<std::string>(german.begin(), german.end()).size(), german.size())
        << "a key stands twice; the reader only ever finds the first";
    const auto family = [&](std::string_view prefix) {
        return std::count_if(german.begin(), german.end(),
                             [&](const std::string& key) { return key.starts_with(prefix); });
    };
    EXPECT_EQ(family("MESSAGE_"), 6);
    EXPECT_EQ(family("TEXT_"), 112);
    EXPECT_EQ(family("TOOLTIP_"), 58);

    // One heading per block: messages, main, cache, other settings, credits.
    for (const std::string& language : kLanguages)
        EXPECT_EQ(section(language)->comments.size(), 5u) << language;
    EXPECT_EQ(section("english")->comments,
              (std::vector<std::string>{"; MESSAGES", "; MAIN SETTINGS", "; CACHE SETTINGS",
                                        "; OTHER SETTINGS", "; CREDITS"}));
}

TEST(TranslationFile, ValuesSurviveTheReaderAndTheDialogBuffers) {
    std::set<std::string> empty;
    int endingInBlanks = 0;
    for (const Section& found : shipped().sections) {
        for (const Entry& entry : found.entries) {
            const std::string where = "[" + found.name + "] " + entry.key;
            const std::string& value = entry.value;
            if (value.empty())
                empty.insert(where);
            if (endsWithBlank(value)) {
                ++endingInBlanks;
                EXPECT_TRUE(entry.key.starts_with("TOOLTIP_")) << where;
                EXPECT_FALSE(value.ends_with("   ")) << where << ": more than two blanks";
            }
            if (entry.key.starts_with("TEXT_")) {
                EXPECT_EQ(value.find('|'), std::string::npos) << where << ": caption with '|'";
            }
            // The reader drops leading blanks and strips one pair of enclosing quotes.
            EXPECT_FALSE(!value.empty() && (value.front() == ' ' || value.front() == '\t'))
                << where;
            EXPECT_FALSE(value.size() >= 2 && value.front() == value.back() &&
                         (value.front() == '"' || value.front() == '\''))
                << where;
            // The start-up sequence and the child dialogs read into 256-byte buffers.
            EXPECT_LT(value.size(), 256u) << where << " would be cut";
        }
    }
    EXPECT_EQ(endingInBlanks, 76);

    std::set<std::string> expectedEmpty;
    for (const char* key : {"TOOLTIP_REMOVESTARTLOGOS", "TOOLTIP_RESTORESTARTLOGOS",
                            "TOOLTIP_CACHESETTINGS", "TOOLTIP_OTHERSETTINGS", "TOOLTIP_LOADBACKUP",
                            "TOOLTIP_CREATEBACKUP", "TOOLTIP_SAVE", "TOOLTIP_CREDITS"})
        expectedEmpty.insert(std::string("[english] ") + key);
    EXPECT_EQ(empty, expectedEmpty);
}

TEST(TranslationFile, StartUpMessagesCarryGermanThenEnglish) {
    expectQuoted({
        {"general", "MESSAGE_ALREADYSTARTED",
         "Programm wurde bereits gestartet!||Application already started!"},
        {"general", "MESSAGE_INVALIDPATH", "Ungültiges Verzeichnis!||Invalid path!"},
        {"general", "MESSAGE_NOINSTALLATIONFOUND",
         "Es konnte keine Draskel 3 - Installation gefunden werden!|Bitte geben Sie die "
         "\"Draskel3.exe\" im Spieleverzeichnis an.||No Draskel 3 - Installation found!|Please "
         "find the file \"Draskel3.exe\" in the game path."},
    });
}

TEST(TranslationFile, MessagesOfEveryLanguage) {
    expectQuoted({
        {"english", "MESSAGE_RESTORESTARTLOGOS", "Do you really want to restore the start logos?"},
        {"deutsch", "MESSAGE_RESTORESTARTLOGOS",
         "Sollen die Startlogos wirklich wiederhergestellt werden?"},
        {"italiano", "MESSAGE_RESTORESTARTLOGOS", "Vuoi veramente riattivare i logos iniziali?"},
        {"english", "MESSAGE_REMOVESTARTLOGOS", "Do you really want to remove the start logos?"},
        {"deutsch", "MESSAGE_REMOVESTARTLOGOS", "Sollen die Startlogos wirklich entfernt werden?"},
        {"italiano", "MESSAGE_REMOVESTARTLOGOS", "Vuoi veramente rimuovere i logos iniziali?"},
        {"english", "MESSAGE_RESTORESETTINGS", "Do you really want to restore the settings?"},
        {"deutsch", "MESSAGE_RESTORESETTINGS", "Sollen die Standardwerte wirklich geladen werden?"},
        {"italiano", "MESSAGE_RESTORESETTINGS", "Vuoi veramente caricare i valori standart?"},
        {"english", "MESSAGE_LOADBACKUP", "Current data will be overwritten!||Continue?"},
        {"deutsch", "MESSAGE_LOADBACKUP", "Aktuelle Daten werden überschrieben!||Fortfahren?"},
        {"italiano", "MESSAGE_LOADBACKUP", "Dati attuali verranno sovrascritti!||Continuare?"},
        {"english", "MESSAGE_SETTINGSSAVED", "Settings saved!"},
        {"deutsch", "MESSAGE_SETTINGSSAVED", "Einstellungen gespeichert!"},
        {"italiano", "MESSAGE_SETTINGSSAVED", "Impostazioni salvate!"},
        {"english", "MESSAGE_INVALIDFILE", "Invalid file!"},
        {"deutsch", "MESSAGE_INVALIDFILE", "Ungültige Datei!"},
        {"italiano", "MESSAGE_INVALIDFILE", "File invalido!"},
    });
}

TEST(TranslationFile, VocabularyWordsTellApartInEveryLanguage) {
    const std::vector<const char*> keys = {
        "TEXT_LOWQUALITY", "TEXT_MEDIUMQUALITY", "TEXT_HIGHQUALITY",   "TEXT_CUSTOMQUALITY",
        "TEXT_DISABLED",   "TEXT_ENABLED",       "TEXT_NORMALQUALITY", "TEXT_ULTRAHIGHQUALITY"};
    const std::vector<std::vector<const char*>> words = {
        {"niedrig", "mittel", "hoch", "angepasst", "deaktiviert", "aktiviert", "normal",
         "sehr hoch"},
        {"low", "medium", "high", "custom", "disabled", "enabled", "normal", "ultra high"},
        {"basso", "medio", "alto", "personale", "disattivato", "attivato", "normale",
         "molto alto"}};
    for (std::size_t language = 0; language < kLanguages.size(); ++language) {
        std::vector<Quoted> quoted;
        for (std::size_t i = 0; i < keys.size(); ++i)
            quoted.push_back({kLanguages[language].c_str(), keys[i], words[language][i]});
        expectQuoted(quoted);

        // A shown word goes back to its stored word by whole comparison, and a level list is
        // searched by case-insensitive prefix: disabled, low, medium and high must not shadow
        // one another.
        const std::set<std::string> distinct(words[language].begin(), words[language].end());
        EXPECT_EQ(distinct.size(), keys.size()) << kLanguages[language];
        const auto lower = [](std::string text) {
            std::transform(text.begin(), text.end(), text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            return text;
        };
        for (const char* levelKey : {"TEXT_DISABLED", "TEXT_LOWQUALITY", "TEXT_MEDIUMQUALITY"}) {
            for (const char* otherKey :
                 {"TEXT_LOWQUALITY", "TEXT_MEDIUMQUALITY", "TEXT_HIGHQUALITY"}) {
                if (std::string_view(levelKey) == otherKey)
                    continue;
                EXPECT_FALSE(lower(valueOf(kLanguages[language], otherKey))
                                 .starts_with(lower(valueOf(kLanguages[language], levelKey))))
                    << kLanguages[language] << ": " << levelKey << " / " << otherKey;
            }
        }
    }
}

TEST(TranslationFile, CaptionsAndTooltipsKeepTheirKnownForm) {
    expectQuoted({
        // Captions, odd spellings included.
        {"deutsch", "TEXT_RESOLUTION", "Auflösung:"},
        {"italiano", "TEXT_SHADERQUALITY", "Qualità del shader:"},
        {"english", "TEXT_MAXRAGDOLLS", "max ragdoll efects:"},
        {"english", "TEXT_HIGHVIEWRANGEHIGH", "view range high quality;"},
        {"deutsch", "TEXT_DOFSTART", "Startdistanz::"},
        {"italiano", "TEXT_DOFSTART", "Distanza iniziale::"},
        {"italiano", "TEXT_RESTORESETTINGS", "Reimpostare i valori standart"},
        {"deutsch", "TEXT_POSTPROCESSINGBLOOM", "Überstrahl-Effekt"},
        {"italiano", "TEXT_POSTPROCESSINGHORIZONTALBLUR", "sfocatura a dist."},
        {"deutsch", "TEXT_CLOSE", "schließen"},
        {"english", "TEXT_RESOURCECACHEHIGH", "resource Cache - high"},
        {"italiano", "TEXT_CACHETEXTURES", "Texturen alte:"},
        {"deutsch", "TEXT_WARNING",
         "Diese Werte sollten nur von erfahrenen Anwendern geändert "
         "werden!"},
        // Tooltips; the blanks behind the lead-ins are part of the stored text.
        {"english", "TOOLTIP_RESOLUTION", "resolution|default: "},
        {"deutsch", "TOOLTIP_RESOLUTION", "Bildschirmauflösung|Standard:  "},
        {"italiano", "TOOLTIP_RESOLUTION", "Risoluzione dello schermo|Standart:  "},
        {"deutsch", "TOOLTIP_VIEWRANGEHIGH",
         "Sichtweite hohe Details|Werte können manuell in den \"Sonstigen Einstellungen\" "
         "geändert werden.|Standard: "},
        {"deutsch", "TOOLTIP_MAXRAGDOLLS",
         "Maximale Anzahl von \"RagDoll-Effekten\"|z. B. Todesanimationen von NPC's und "
         "Tieren|Standard: "},
        {"italiano", "TOOLTIP_ROIVIEWRANGE", "Raggio visivo NPC's, Tieren, etc.|Standart: "},
        {"english", "TOOLTIP_CACHEMATERIAL", "default:"},
        {"deutsch", "TOOLTIP_FINALCACHE", "Summe + Texturecache (nur bei hoher Texturqualität)"},
        {"english", "TOOLTIP_VIEWRANGEOBJECTS", "view range objects|default:"},
        {"english", "TOOLTIP_PREFETCHCELLSIZE", "prefetch cell size|default: "},
        {"italiano", "TOOLTIP_DOFEND", "Distanza finale dell?effetto irradiazione|Standart:"},
        {"italiano", "TOOLTIP_PREFETCHCELLSIZE",
         "Se il valore del campo visivo viene aumentato manualmente, si possono formare dei "
         "\"buchi all'interno dei paesaggi\".|Un valore superiore elimina questo problema.|È "
         "consigliato mettere il valore uguale a quello del campo visivo a qualità alta.|"
         "Standart: "},
        {"italiano", "TOOLTIP_LEVELOFDETAIL",
         "Qualità di rappresentazione delle texturen distanti|Per migliore qualità, aumentare "
         "il valore.|< 1.0 für Sistemi \"deboli\" |> 1.0 für Sistemi \"HighEnd\" |Standart: "},
        // Credits.
        {"english", "TEXT_VERSION", "version 1.45"},
        {"deutsch", "TEXT_TRANSLATION", "Übersetzung"},
        {"english", "TEXT_THANKS",
         "Many thanks to the \"World of Draskel\" Community for the great support!"},
        {"deutsch", "TEXT_THANKS",
         "Ein großer Dank geht an die \"World of Draskel\" Community für die tolle "
         "Unterstützung!"},
        {"italiano", "TEXT_THANKS",
         "Un grande rinraziamento va alla community di \"World of Draskel\", per il grande "
         "sostegno!"},
        {"italiano", "TEXT_ITALIAN", "italiano:"},
    });
}

TEST(TranslationFile, OwnTextsPointNowhereRealAndFollowTheirNeighbours) {
    for (const std::string& language : kLanguages) {
        for (const char* key : {"TEXT_LINK", "TEXT_LINK2", "TEXT_CONTACT"}) {
            const std::string value = valueOf(language, key);
            const bool reserved = value.find("example.org") != std::string::npos ||
                                  value.find("example.com") != std::string::npos ||
                                  value.find("example.net") != std::string::npos;
            EXPECT_TRUE(reserved) << language << " " << key << ": " << value;
        }
    }
    // The community link opens the German site only in German.
    EXPECT_NE(valueOf("deutsch", "TEXT_LINK"), valueOf("english", "TEXT_LINK"));
    EXPECT_EQ(valueOf("italiano", "TEXT_LINK"), valueOf("english", "TEXT_LINK"));

    // Test mode: what it does, the word to type, the console key, then the default's lead-in.
    for (const auto& [language, leadIn] :
         {std::pair{"deutsch", "|Standard:"}, std::pair{"italiano", "|Standart:"}}) {
        const std::string tip = valueOf(language, "TOOLTIP_TESTMODE");
        EXPECT_EQ(std::count(tip.begin(), tip.end(), '|'), 3) << language;
        EXPECT_TRUE(tip.ends_with(leadIn)) << language;
        EXPECT_NE(tip.find("\"^\""), std::string::npos) << language;
    }
}
