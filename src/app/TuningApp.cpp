#include "app/TuningApp.h"

#include <QIcon>
#include <QStyleFactory>

#include <clocale>

namespace dk3::app {

TuningApp::TuningApp(int& argc, char** argv) : application_(argc, argv) {
    // QApplication takes the C locale from the environment. The game's files want a point as the
    // decimal separator whatever the user's language, so numbers never follow the locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("draskel3-tuning"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Draskel3Tuning"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/dk3/draskel3-tuning.png")));
    // The dialogs paint every control in their own colours; Fusion honours a palette fully on
    // every desktop, where a platform theme might not.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

int TuningApp::run(const std::function<std::unique_ptr<ModalMainWindow>()>& createMainWindow) {
    auto mainWindow = createMainWindow();
    mainWindow->runModal();
    mainWindow.reset();
    return 0;
}

} // namespace dk3::app
