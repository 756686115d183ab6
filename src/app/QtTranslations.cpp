#include "app/QtTranslations.h"

#include "app/OwnTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace dk3::app {
namespace {

// The installed translation, with the language it is for. Its owner is the application object,
// which outlives every window that uses it.
struct Installed {
    QTranslator* translator = nullptr;
    OwnLanguage language = OwnLanguage::English;
};

Installed& installed() {
    static Installed current;
    return current;
}

} // namespace

bool switchQtTranslations(std::string_view languageName) {
    Installed& current = installed();
    const OwnLanguage wanted = ownLanguage(languageName);
    if (current.translator && current.language == wanted)
        return true;
    if (current.translator) {
        QCoreApplication::removeTranslator(current.translator);
        delete current.translator;
        current.translator = nullptr;
    }
    if (wanted == OwnLanguage::English)
        return true;

    auto translator = std::make_unique<QTranslator>(QCoreApplication::instance());
    const QString name =
        wanted == OwnLanguage::Italiano ? QStringLiteral("qtbase_it") : QStringLiteral("qtbase_de");
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    current.translator = translator.release();
    current.language = wanted;
    return true;
}

} // namespace dk3::app
