#include "app/OwnTexts.h"

#include <cerrno>

namespace dk3::app {
namespace {

bool sameLanguage(std::string_view name, std::string_view wanted) {
    if (name.size() != wanted.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != wanted[i])
            return false;
    }
    return true;
}

struct Reason {
    int code;
    OwnText text;
};

// The reasons a player meets when a game file cannot be read or written.
constexpr Reason kReasons[] = {
    {EACCES, {"Zugriff verweigert", "permission denied", "permesso negato"}},
    {EPERM, {"Vorgang nicht erlaubt", "operation not permitted", "operazione non consentita"}},
    {EROFS,
     {"das Dateisystem ist schreibgeschützt", "the file system is read-only",
      "il file system è di sola lettura"}},
    {ENOSPC,
     {"kein Platz mehr auf dem Datenträger", "no space left on the disk",
      "spazio esaurito sul disco"}},
    {EDQUOT,
     {"das Speicherkontingent ist erschöpft", "the disk quota is used up",
      "la quota del disco è esaurita"}},
    {ENOENT,
     {"die Datei oder der Ordner fehlt", "the file or folder does not exist",
      "il file o la cartella non esiste"}},
    {ENOTDIR,
     {"ein Teil des Pfads ist kein Ordner", "a part of the path is not a folder",
      "una parte del percorso non è una cartella"}},
    {EISDIR,
     {"an Stelle der Datei steht ein Ordner", "a folder stands where a file is expected",
      "al posto del file c'è una cartella"}},
    {EFBIG, {"die Datei ist zu groß", "the file is too large", "il file è troppo grande"}},
    // Files are created and read without following symbolic links.
    {ELOOP,
     {"ein symbolischer Link steht im Weg", "a symbolic link is in the way",
      "un collegamento simbolico è d'intralcio"}},
    {ENAMETOOLONG, {"der Name ist zu lang", "the name is too long", "il nome è troppo lungo"}},
    {EINVAL,
     {"dort steht keine gewöhnliche Datei", "that is not an ordinary file",
      "non è un file ordinario"}},
    {EIO, {"Ein-/Ausgabefehler", "input/output error", "errore di input/output"}},
};

} // namespace

OwnLanguage ownLanguage(std::string_view languageName) {
    if (sameLanguage(languageName, "english"))
        return OwnLanguage::English;
    if (sameLanguage(languageName, "italiano"))
        return OwnLanguage::Italiano;
    return OwnLanguage::Deutsch;
}

QString ownText(std::string_view languageName, const OwnText& text) {
    switch (ownLanguage(languageName)) {
    case OwnLanguage::English:
        return QString::fromUtf8(text.english);
    case OwnLanguage::Italiano:
        return QString::fromUtf8(text.italiano);
    case OwnLanguage::Deutsch:
        break;
    }
    return QString::fromUtf8(text.deutsch);
}

QString describeError(std::string_view languageName, const std::error_code& error) {
    if (error.category() == std::generic_category() || error.category() == std::system_category())
        for (const Reason& reason : kReasons)
            if (reason.code == error.value())
                return ownText(languageName, reason.text);
    // Anything rarer keeps the system's own words, which are English.
    return QString::fromStdString(error.message());
}

} // namespace dk3::app
