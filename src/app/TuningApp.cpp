#include "app/TuningApp.h"

#include <QImageReader>
#include <QPixmap>
#include <QStyleFactory>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace dk3::app {
namespace {

QtMessageHandler handlerBeforeGuard = nullptr;

void displayGuard(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs("draskel3-tuning: no display can be reached, so the window cannot open "
                   "(is DISPLAY or WAYLAND_DISPLAY set?)\n",
                   stderr);
        ::_exit(1);
    }
    // The platform plugins explain their failure at length before the fatal message.
    if (context.category && std::strncmp(context.category, "qt.qpa", 6) == 0)
        return;
    if (handlerBeforeGuard)
        handlerBeforeGuard(type, context, message);
}

} // namespace

QIcon programIcon() {
    // Read by Qt's own PNG reader, without first asking every image format plugin whether it
    // reads the file (which loads each of them).
    QImageReader reader(QStringLiteral(":/dk3/draskel3-tuning.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

int& TuningApp::guardDisplayConnection(int& argc) {
    handlerBeforeGuard = qInstallMessageHandler(displayGuard);
    return argc;
}

TuningApp::TuningApp(int& argc, char** argv) : application_(guardDisplayConnection(argc), argv) {
    qInstallMessageHandler(handlerBeforeGuard);
    // QApplication takes the C locale from the environment. The game's files want a point as the
    // decimal separator whatever the user's language, so numbers never follow the locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("draskel3-tuning"));
    QApplication::setDesktopFileName(QStringLiteral("org.example.Draskel3Tuning"));
    QApplication::setWindowIcon(programIcon());
    // The dialogs paint every control in their own colours; Fusion honours a palette fully on
    // every desktop, where a platform theme might not.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

int TuningApp::run(const std::function<std::unique_ptr<ModalMainWindow>()>& createMainWindow) {
    auto mainWindow = createMainWindow();
    mainWindow->runModal();
    const int status = mainWindow->exitCode();
    mainWindow.reset();
    return status;
}

} // namespace dk3::app
