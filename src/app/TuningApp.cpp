#include "app/TuningApp.h"

#include "app/ShippedIcon.h"
#include "ui/ProgramStyle.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QPixmapCache>

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
    // Decoded when the program was built; the embedded file is read only by a program built
    // without that.
    if (const ShippedIcon& icon = shippedIcon(); icon.bits)
        return QIcon(
            QPixmap::fromImage(QImage(icon.bits, icon.width, icon.height, icon.bytesPerLine,
                                      static_cast<QImage::Format>(icon.format))));
    // Read by Qt's own PNG reader, without first asking every image format plugin whether it
    // reads the file (which loads each of them).
    QImageReader reader(QStringLiteral(":/dk3/draskel3-tuning.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

QPixmap preloadGroupBoxFrame() {
    // Fusion draws a group box's frame from a picture among Qt's own resources, loaded by file
    // name: Qt then asks every image format plugin whether it reads PNG, which loads each of them
    // (the JPEG plugin with its library) at the first paint. Read here by Qt's own PNG reader and
    // put into the pixmap cache under the name Qt's load looks it up by (the file's path, time,
    // size and the kind of pixmap, written the way Qt writes them), it is found there instead.
    const QString path =
        QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png");
    const QFileInfo file(path);
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    QString name = QStringLiteral("qt_pixmap") + file.absoluteFilePath();
    const auto appendHex = [&name](auto value) {
        // Each byte from the lowest, low digit first.
        for (std::size_t i = 0; i < sizeof value; ++i) {
            const auto byte = static_cast<unsigned>((value >> (8 * i)) & 0xFF);
            name += QLatin1Char("0123456789abcdef"[byte & 0xF]);
            name += QLatin1Char("0123456789abcdef"[byte >> 4]);
        }
    };
    appendHex(static_cast<quint32>(file.lastModified().toSecsSinceEpoch()));
    appendHex(static_cast<quint64>(file.size()));
    appendHex(quint32{0}); // an ordinary pixmap, not a bitmap
    const QPixmap pixmap = QPixmap::fromImage(image);
    QPixmapCache::insert(name, pixmap);
    return pixmap;
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
    // The dialogs paint every control in their own colours: Fusion (see ProgramStyle) honours a
    // palette fully on every desktop, where a platform theme might not.
    QApplication::setStyle(new ui::ProgramStyle(preloadGroupBoxFrame()));
}

int TuningApp::run(const std::function<std::unique_ptr<ModalMainWindow>()>& createMainWindow) {
    auto mainWindow = createMainWindow();
    mainWindow->runModal();
    const int status = mainWindow->exitCode();
    mainWindow.reset();
    return status;
}

} // namespace dk3::app
