#include "discovery/HeroicRecords.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <limits>

namespace dk3::discovery {

namespace {

std::optional<QJsonDocument> document(std::string_view json) {
    if (json.empty() || json.size() > kMaxHeroicFileBytes ||
        json.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return std::nullopt;
    QJsonParseError error{};
    // Qt's parser refuses nesting deeper than a limit of its own, and any text that is not JSON.
    QJsonDocument parsed = QJsonDocument::fromJson(
        QByteArray::fromRawData(json.data(), static_cast<qsizetype>(json.size())), &error);
    if (error.error != QJsonParseError::NoError || parsed.isNull())
        return std::nullopt;
    return parsed;
}

// A text value, or empty when the value is missing or of another type.
std::string text(const QJsonObject& object, QLatin1String key) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return {};
    return value.toString().toStdString();
}

QJsonObject objectAt(const QJsonObject& object, QLatin1String key) {
    const QJsonValue value = object.value(key);
    return value.isObject() ? value.toObject() : QJsonObject();
}

// A game for Windows, or one whose platform the file does not say.
bool forWindows(const std::string& platform) {
    if (platform.empty())
        return true;
    const QString lower = QString::fromStdString(platform).toLower();
    return lower == QLatin1String("windows") || lower == QLatin1String("win32");
}

void addGame(std::vector<HeroicGame>& games, HeroicGame game) {
    if (game.appName.empty() || (game.installPath.empty() && game.executable.empty()))
        return;
    if (games.size() < kMaxHeroicGames)
        games.push_back(std::move(game));
}

std::optional<QJsonArray> arrayIn(std::string_view json, QLatin1String key) {
    const auto parsed = document(json);
    if (!parsed || !parsed->isObject())
        return std::nullopt;
    const QJsonValue value = parsed->object().value(key);
    if (!value.isArray())
        return std::nullopt;
    return value.toArray();
}

std::optional<HeroicWineSettings> wineSettings(const QJsonValue& value) {
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject settings = value.toObject();
    HeroicWineSettings wine;
    wine.winePrefix = text(settings, QLatin1String("winePrefix"));
    wine.wineType = text(objectAt(settings, QLatin1String("wineVersion")), QLatin1String("type"));
    return wine;
}

} // namespace

std::optional<std::vector<HeroicGame>> parseHeroicGogInstalled(std::string_view json) {
    const auto installed = arrayIn(json, QLatin1String("installed"));
    if (!installed)
        return std::nullopt;
    std::vector<HeroicGame> games;
    for (const QJsonValue& value : *installed) {
        const QJsonObject entry = value.toObject();
        if (!forWindows(text(entry, QLatin1String("platform"))))
            continue;
        HeroicGame game;
        game.store = HeroicStore::Gog;
        game.appName = text(entry, QLatin1String("appName"));
        game.title = text(entry, QLatin1String("title"));
        game.installPath = text(entry, QLatin1String("install_path"));
        addGame(games, std::move(game));
    }
    return games;
}

std::optional<std::vector<HeroicGame>> parseHeroicEpicInstalled(std::string_view json) {
    const auto parsed = document(json);
    if (!parsed || !parsed->isObject())
        return std::nullopt;
    std::vector<HeroicGame> games;
    const QJsonObject installed = parsed->object();
    for (auto it = installed.begin(); it != installed.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        if (!forWindows(text(entry, QLatin1String("platform"))))
            continue;
        HeroicGame game;
        game.store = HeroicStore::Epic;
        game.appName = text(entry, QLatin1String("app_name"));
        if (game.appName.empty())
            game.appName = it.key().toStdString();
        game.title = text(entry, QLatin1String("title"));
        game.installPath = text(entry, QLatin1String("install_path"));
        addGame(games, std::move(game));
    }
    return games;
}

std::optional<std::vector<HeroicGame>> parseHeroicAmazonLibrary(std::string_view json) {
    const auto library = arrayIn(json, QLatin1String("library"));
    if (!library)
        return std::nullopt;
    std::vector<HeroicGame> games;
    for (const QJsonValue& value : *library) {
        const QJsonObject entry = value.toObject();
        const QJsonObject install = objectAt(entry, QLatin1String("install"));
        if (!forWindows(text(install, QLatin1String("platform"))))
            continue;
        HeroicGame game;
        game.store = HeroicStore::Amazon;
        game.appName = text(entry, QLatin1String("app_name"));
        game.title = text(entry, QLatin1String("title"));
        game.installPath = text(install, QLatin1String("install_path"));
        addGame(games, std::move(game));
    }
    return games;
}

std::optional<std::vector<HeroicGame>> parseHeroicSideloadLibrary(std::string_view json) {
    const auto library = arrayIn(json, QLatin1String("games"));
    if (!library)
        return std::nullopt;
    std::vector<HeroicGame> games;
    for (const QJsonValue& value : *library) {
        const QJsonObject entry = value.toObject();
        const QJsonObject install = objectAt(entry, QLatin1String("install"));
        if (!forWindows(text(install, QLatin1String("platform"))))
            continue;
        HeroicGame game;
        game.store = HeroicStore::Sideload;
        game.appName = text(entry, QLatin1String("app_name"));
        game.title = text(entry, QLatin1String("title"));
        game.installPath = text(entry, QLatin1String("folder_name"));
        game.executable = text(install, QLatin1String("executable"));
        addGame(games, std::move(game));
    }
    return games;
}

std::optional<HeroicWineSettings> parseHeroicGameConfig(std::string_view json,
                                                        std::string_view appName) {
    const auto parsed = document(json);
    if (!parsed || !parsed->isObject() || appName.empty())
        return std::nullopt;
    return wineSettings(parsed->object().value(
        QString::fromUtf8(appName.data(), static_cast<qsizetype>(appName.size()))));
}

std::optional<HeroicWineSettings> parseHeroicDefaults(std::string_view json) {
    const auto parsed = document(json);
    if (!parsed || !parsed->isObject())
        return std::nullopt;
    return wineSettings(parsed->object().value(QLatin1String("defaultSettings")));
}

} // namespace dk3::discovery
