#include "app/GameLocator.h"

#include "app/OwnTexts.h"
#include "platform/CaseInsensitivePath.h"
#include "platform/TextCodec.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dk3::app {
namespace fs = std::filesystem;
using discovery::Installation;
using discovery::Source;
using platform::KeyValueStore;

namespace {

constexpr OwnText kStoredFolderGone{
    "Der gespeicherte Spielordner existiert nicht mehr:\n%1\n\nDas Programm sucht das Spiel neu.",
    "The game folder stored at an earlier start no longer exists:\n%1\n\nThe program looks for "
    "the game again.",
    "La cartella del gioco memorizzata non esiste più:\n%1\n\nIl programma cerca di nuovo il "
    "gioco."};
constexpr OwnText kStoredPrefixGone{
    "Der Wine-Präfix, in dem das Spiel bei einem früheren Start lief, existiert nicht mehr:\n%1\n\n"
    "Das Programm sucht das Spiel neu.",
    "The Wine prefix the game ran in at an earlier start no longer exists:\n%1\n\nThe program "
    "looks for the game again.",
    "Il prefisso Wine in cui il gioco girava a un avvio precedente non esiste più:\n%1\n\nIl "
    "programma cerca di nuovo il gioco."};
constexpr OwnText kPrefixNotMadeYet{
    "Draskel 3 wurde gefunden:\n%1\n\nProton hat den Wine-Präfix des Spiels noch nicht angelegt; "
    "dort liegen die persönlichen Optionen des Spiels:\n%2\n\nStarte das Spiel einmal über Steam "
    "und beende es, dann starte dieses Programm erneut. Bis dahin lassen sich nur die "
    "Einstellungen "
    "im Spielordner speichern.",
    "Draskel 3 was found:\n%1\n\nProton has not made the game's Wine prefix yet; the game's "
    "personal options will be kept there:\n%2\n\nStart the game once through Steam and quit it, "
    "then start this program again. Until then, only the settings in the game folder can be "
    "saved.",
    "Draskel 3 è stato trovato:\n%1\n\nProton non ha ancora creato il prefisso Wine del gioco, "
    "dove si trovano le opzioni personali del gioco:\n%2\n\nAvvia il gioco una volta tramite "
    "Steam e chiudilo, poi avvia di nuovo questo programma. Fino ad allora si possono salvare solo "
    "le impostazioni nella cartella del gioco."};
constexpr OwnText kDocumentsOutsidePrefix{
    "Kein Launcher kennt den gewählten Ordner:\n%1\n\nDie persönlichen Optionen des Spiels "
    "(draskel3/UserOptions.ini) werden in diesem Dokumente-Ordner gelesen und gespeichert:\n%2",
    "No launcher knows the folder you chose:\n%1\n\nThe game's personal options "
    "(draskel3/UserOptions.ini) are read from and saved to this documents folder:\n%2",
    "Nessun launcher conosce la cartella scelta:\n%1\n\nLe opzioni personali del gioco "
    "(draskel3/UserOptions.ini) vengono lette e salvate in questa cartella dei documenti:\n%2"};
constexpr OwnText kSeveralFound{
    "Draskel 3 wurde an mehreren Stellen gefunden. Welche Installation soll eingestellt werden?",
    "Draskel 3 was found in several places. Which installation do you want to set up?",
    "Draskel 3 è stato trovato in più posti. Quale installazione vuoi configurare?"};
constexpr OwnText kChooseAgain{"Welche Installation von Draskel 3 soll eingestellt werden?",
                               "Which installation of Draskel 3 do you want to set up?",
                               "Quale installazione di Draskel 3 vuoi configurare?"};
constexpr OwnText kAnotherFolder{"Anderer Ordner …", "Another folder …", "Un'altra cartella …"};
constexpr OwnText kSteamShortcut{"Steam, Nicht-Steam-Spiel (Proton)",
                                 "Steam, non-Steam game (Proton)",
                                 "Steam, gioco non Steam (Proton)"};
constexpr OwnText kChosenByHand{"von Hand gewählt", "chosen by hand", "scelta a mano"};

// The game's own code opens its engine file as a plain file; a folder or a pipe of that name
// would let a folder without the game pass the check and be stored for good.
bool isReadableRegularFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(fd);
    return regular;
}

QString sourceText(std::string_view language, Source source) {
    switch (source) {
    case Source::Steam:
        return QStringLiteral("Steam (Proton)");
    case Source::SteamShortcut:
        return ownText(language, kSteamShortcut);
    case Source::Wine:
        return QStringLiteral("Wine");
    case Source::Lutris:
        return QStringLiteral("Lutris");
    case Source::Bottles:
        return QStringLiteral("Bottles");
    case Source::Heroic:
        return QStringLiteral("Heroic");
    case Source::ChosenByHand:
        break;
    }
    return ownText(language, kChosenByHand);
}

} // namespace

bool holdsEngineFile(const fs::path& folder) {
    return isReadableRegularFile(platform::resolveCaseInsensitive(folder, "Ini/dk3e.ini"));
}

GameLocator::GameLocator(KeyValueStore& store, const TranslationCatalogue& catalogue,
                         ui::Prompter& prompter, discovery::Environment environment,
                         QWidget* parent, std::string languageName, DiscoverFunction discover)
    : store_(store), catalogue_(catalogue), prompter_(prompter),
      environment_(std::move(environment)), parent_(parent), languageName_(std::move(languageName)),
      discover_(std::move(discover)) {}

std::vector<Installation> GameLocator::discover() const {
    // A home that is not known (a test, a service without HOME) is searched nowhere, never in
    // the working folder.
    if (environment_.home.empty())
        return {};
    return discover_ ? discover_(environment_) : discovery::discoverInstallations(environment_);
}

QString GameLocator::ownStartupText(const OwnText& text) const {
    if (!languageName_.empty())
        return ownText(languageName_, text);
    // No language has been chosen yet: German and English, as the game's own start-up messages.
    return ownText("deutsch", text) + QStringLiteral("\n\n") + ownText("english", text);
}

void GameLocator::showGeneralMessage(std::string_view key) {
    prompter_.showMessage(parent_, QString(),
                          catalogue_.message(TranslationCatalogue::kGeneralSection, key));
}

QString GameLocator::describe(const Installation& installation) const {
    return QStringLiteral("%1   (%2)")
        .arg(platform::pathToQString(installation.gameFolder),
             sourceText(languageName_.empty() ? "english" : languageName_, installation.source));
}

void GameLocator::store(const Installation& installation) {
    // When the store cannot be written the installation serves this run only; the next start
    // asks again, which tells the user more than a message could. Our own record goes first:
    // INSTALL_DIR without it is read as an installation of unknown prefix.
    const auto own = [&](std::string_view name, const std::string& value) {
        (void)store_.setValue(KeyValueStore::kInstallationKey, name, value);
    };
    own(KeyValueStore::kGameFolder, installation.gameFolder.string());
    own(KeyValueStore::kPrefix,
        installation.prefix ? installation.prefix->string() : std::string());
    own(KeyValueStore::kSource, std::string(discovery::sourceName(installation.source)));
    own(KeyValueStore::kAppId, installation.appId);
    own(KeyValueStore::kPrefixMade, installation.prefixNotMadeYet ? "0" : "1");
    (void)store_.setValue(KeyValueStore::kGameKey, KeyValueStore::kInstallDir,
                          installation.gameFolder.string());
}

std::optional<Installation> GameLocator::storedInstallation() {
    const std::string installDir =
        store_.value(KeyValueStore::kGameKey, KeyValueStore::kInstallDir);
    if (installDir.empty())
        return std::nullopt;
    const auto own = [&](std::string_view name) {
        return store_.fullValue(KeyValueStore::kInstallationKey, name);
    };
    // Our own record holds the folder in full; INSTALL_DIR, read as the game's tools read it, may
    // be its first 255 bytes.
    const std::string recorded = own(KeyValueStore::kGameFolder);
    const bool ours =
        !recorded.empty() &&
        (recorded == installDir || (installDir.size() == 255 && recorded.starts_with(installDir)));
    const fs::path folder = ours ? fs::path(recorded) : fs::path(installDir);
    std::error_code ec;
    // A folder that is there is taken as it is, game or not, as the game's own installer left
    // it; only one that is gone altogether is looked for again.
    if (!fs::exists(fs::symlink_status(folder, ec))) {
        prompter_.showMessage(
            parent_, QString(),
            ownStartupText(kStoredFolderGone).arg(platform::pathToQString(folder)));
        return std::nullopt;
    }
    if (!ours) {
        // Stored by an older version or by hand: found again from the folder once, and then
        // remembered whole, so that every later start uses the same prefix.
        Installation installation = discovery::installationAt(folder, environment_);
        if (!environment_.home.empty())
            store(installation);
        return installation;
    }
    const Source source =
        discovery::sourceFromName(own(KeyValueStore::kSource)).value_or(Source::ChosenByHand);
    const std::string prefix = own(KeyValueStore::kPrefix);
    if (prefix.empty())
        return discovery::installationIn(folder, std::nullopt, source, own(KeyValueStore::kAppId),
                                         environment_);
    Installation installation = discovery::installationIn(folder, fs::path(prefix), source,
                                                          own(KeyValueStore::kAppId), environment_);
    if (!installation.prefixNotMadeYet)
        return installation;
    // A prefix Proton had not made yet may have been made since, in another library: the
    // launcher's records say where.
    if (own(KeyValueStore::kPrefixMade) == "0") {
        for (Installation& found : discover()) {
            if (found.gameFolder == installation.gameFolder && found.source == source &&
                found.appId == installation.appId)
                return std::move(found);
        }
        return installation;
    }
    prompter_.showMessage(parent_, QString(),
                          ownStartupText(kStoredPrefixGone).arg(QString::fromStdString(prefix)));
    return std::nullopt;
}

void GameLocator::tellAbout(const Installation& installation) {
    if (installation.prefixNotMadeYet) {
        prompter_.showMessage(parent_, QString(),
                              ownStartupText(kPrefixNotMadeYet)
                                  .arg(describe(installation),
                                       platform::pathToQString(installation.documentsFolder)));
    }
}

Installation GameLocator::chosenInstallation(const fs::path& folder) {
    Installation installation = discovery::installationAt(folder, environment_);
    // A folder outside every prefix the launchers know: the game then runs with the XDG
    // documents folder, which may not be what the player expects.
    if (!installation.prefix && !environment_.home.empty() &&
        !discovery::knownPrefixes(environment_).empty())
        prompter_.showMessage(parent_, QString(),
                              ownStartupText(kDocumentsOutsidePrefix)
                                  .arg(platform::pathToQString(installation.gameFolder),
                                       platform::pathToQString(installation.documentsFolder)));
    return installation;
}

LocateOutcome GameLocator::locate(const LocateRequest& request, Installation& installation) {
    if (request.gameFolder) {
        std::error_code ignored;
        const fs::path folder = fs::absolute(*request.gameFolder, ignored).lexically_normal();
        if (!holdsEngineFile(folder)) {
            showGeneralMessage("MESSAGE_INVALIDPATH");
            return LocateOutcome::Invalid;
        }
        installation = chosenInstallation(folder);
        tellAbout(installation);
        return LocateOutcome::Found;
    }

    if (!request.chooseAgain) {
        if (auto stored = storedInstallation()) {
            installation = std::move(*stored);
            tellAbout(installation);
            return LocateOutcome::Found;
        }
    }

    const std::vector<Installation> found = discover();
    if (found.size() == 1 && !request.chooseAgain) {
        installation = found.front();
        store(installation);
        tellAbout(installation);
        return LocateOutcome::Found;
    }
    if (found.empty()) {
        showGeneralMessage("MESSAGE_NOINSTALLATIONFOUND");
        return askForExecutable(installation);
    }
    return pickFromList(found, installation);
}

LocateOutcome GameLocator::chooseAnother(Installation& installation) {
    const std::vector<Installation> found = discover();
    if (found.empty())
        return askForExecutable(installation);
    return pickFromList(found, installation);
}

LocateOutcome GameLocator::pickFromList(const std::vector<Installation>& found,
                                        Installation& installation) {
    QStringList items;
    for (const Installation& each : found)
        items << describe(each);
    // The last entry leads to the file chooser, for a copy that was not found.
    items << ownStartupText(kAnotherFolder).replace(QStringLiteral("\n\n"), QStringLiteral(" / "));
    const QString text = ownStartupText(found.size() > 1 ? kSeveralFound : kChooseAgain);
    const auto picked = prompter_.chooseItem(parent_, QString(), text, items);
    if (!picked || *picked < 0 || *picked > static_cast<int>(found.size()))
        return LocateOutcome::Cancelled;
    if (*picked == static_cast<int>(found.size()))
        return askForExecutable(installation);
    installation = found[static_cast<std::size_t>(*picked)];
    store(installation);
    tellAbout(installation);
    return LocateOutcome::Found;
}

LocateOutcome GameLocator::askForExecutable(Installation& installation) {
    ui::FileRequest request;
    request.title = QStringLiteral("\"Draskel3.exe\"");
    request.filter = QStringLiteral("*.exe (*.exe *.EXE *.Exe)");
    request.initialName = QStringLiteral("draskel3.exe");
    // Games under Wine live in hidden folders (~/.steam, ~/.wine), and their executable's name
    // may differ in letter case from the name typed: only the folder counts below.
    request.showHidden = true;
    request.acceptAnyName = true;
    const auto likely = discovery::likelyGameFolders(environment_);
    request.startFolder =
        platform::pathToQString(likely.empty() ? environment_.home : likely.front());
    const auto chosen = prompter_.chooseExistingFile(parent_, request);
    if (!chosen)
        return LocateOutcome::Cancelled;

    // The folder of the chosen executable, without a trailing separator.
    fs::path folder = platform::pathFromQString(*chosen).lexically_normal().parent_path();
    if (folder.empty())
        folder = platform::pathFromQString(*chosen);
    if (!holdsEngineFile(folder)) {
        showGeneralMessage("MESSAGE_INVALIDPATH");
        return LocateOutcome::Invalid;
    }
    installation = chosenInstallation(folder);
    store(installation);
    tellAbout(installation);
    return LocateOutcome::Found;
}

std::string restoreLanguage(KeyValueStore& store) {
    std::string language = store.value(KeyValueStore::kGameKey, KeyValueStore::kLanguage);
    if (language.empty()) {
        language = "deutsch";
        (void)store.setValue(KeyValueStore::kGameKey, KeyValueStore::kLanguage, language);
    }
    return language;
}

} // namespace dk3::app
