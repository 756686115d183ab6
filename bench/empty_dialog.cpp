// The floor the start-up benchmark measures the program against: an empty Qt dialog with one
// label, which ends after its first paint when DK3_QUIT_AFTER_FIRST_FRAME is set.

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class QuitAfterPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QStringLiteral("Draskel 3"), &dialog);
    layout->addWidget(label);
    QuitAfterPaint quitter;
    if (qEnvironmentVariableIsSet("DK3_QUIT_AFTER_FIRST_FRAME"))
        label->installEventFilter(&quitter);
    dialog.show();
    return app.exec();
}
