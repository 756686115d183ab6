// The real message boxes and file choosers: where they open and what their title bar shows. Each
// box is inspected and closed by a timer while it runs, so no test waits for a user.

#include "ui/DialogTemplate.h"
#include "ui/Prompter.h"
#include "ui/WindowTitle.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <gtest/gtest.h>

namespace dk3::ui {
namespace {

struct SeenWindow {
    QString title;       // the widget's own title
    QString handleTitle; // what the window system was given
    QPoint centre;
    bool seen = false;
};

// Runs show, which opens one modal window; looks at that window once it is up and closes it.
SeenWindow whileModal(const std::function<void()>& show) {
    SeenWindow seen;
    QTimer::singleShot(0, [&seen] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window)
            return;
        seen.seen = true;
        seen.title = window->windowTitle();
        seen.handleTitle = window->windowHandle() ? window->windowHandle()->title() : QString();
        seen.centre = window->frameGeometry().center();
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
    });
    show();
    return seen;
}

QPoint screenCentre() {
    return QGuiApplication::primaryScreen()->availableGeometry().center();
}

// Centres may differ by a pixel or two from rounding half sizes.
void expectNear(const QPoint& actual, const QPoint& expected, const char* what) {
    EXPECT_LE((actual - expected).manhattanLength(), 4)
        << what << " at " << actual.x() << "," << actual.y() << " instead of " << expected.x()
        << "," << expected.y();
}

TEST(QtPrompter, BoxesWithoutCaptionShowABlankTitleAndCaptionsStayAsGiven) {
    QtPrompter prompter;
    const QString appName = QCoreApplication::applicationName();

    SeenWindow message =
        whileModal([&] { prompter.showMessage(nullptr, QString(), QStringLiteral("text"), {}); });
    ASSERT_TRUE(message.seen);
    EXPECT_TRUE(message.title.isEmpty());
    EXPECT_EQ(message.handleTitle, QStringLiteral(" ")) << "not " << appName.toStdString();

    const SeenWindow question =
        whileModal([&] { prompter.askYesNo(nullptr, QString(), QStringLiteral("sure?")); });
    ASSERT_TRUE(question.seen);
    EXPECT_EQ(question.handleTitle, QStringLiteral(" "));

    message = whileModal(
        [&] { prompter.showMessage(nullptr, QStringLiteral("Draskel"), QStringLiteral("t"), {}); });
    EXPECT_EQ(message.handleTitle, QStringLiteral("Draskel"));

    FileRequest request;
    request.title = QStringLiteral("Open backup");
    const SeenWindow chooser = whileModal([&] { prompter.chooseExistingFile(nullptr, request); });
    ASSERT_TRUE(chooser.seen);
    EXPECT_EQ(chooser.handleTitle, QStringLiteral("Open backup"));
}

TEST(QtPrompter, BoxesAndChoosersCentreOnTheirWindowOnceItIsShownElseOnTheScreen) {
    QtPrompter prompter;
    QDialog owner;
    owner.resize(300, 200);
    // Not shown yet, as the main dialog during start-up: a box centred on it would sit at the
    // screen's top-left corner.
    SeenWindow seen =
        whileModal([&] { prompter.showMessage(&owner, QString(), QStringLiteral("first"), {}); });
    ASSERT_TRUE(seen.seen);
    expectNear(seen.centre, screenCentre(), "message");
    seen = whileModal([&] { prompter.chooseSaveFile(&owner, FileRequest{}); });
    ASSERT_TRUE(seen.seen);
    expectNear(seen.centre, screenCentre(), "chooser");

    owner.move(300, 150); // leaves room for the chooser, which is kept on the screen
    owner.show();
    auto* inside = new QPushButton(&owner); // any widget of the window stands for it
    const QPoint ownerCentre = owner.frameGeometry().center();
    ASSERT_GT((ownerCentre - screenCentre()).manhattanLength(), 50);

    seen = whileModal([&] { prompter.askYesNo(inside, QString(), QStringLiteral("sure?")); });
    ASSERT_TRUE(seen.seen);
    expectNear(seen.centre, ownerCentre, "question");
    seen = whileModal([&] { prompter.chooseExistingFile(&owner, FileRequest{}); });
    ASSERT_TRUE(seen.seen);
    expectNear(seen.centre, ownerCentre, "chooser");
}

TEST(WindowTitle, AnEmptyTitleStaysBlankAcrossShowsAndChanges) {
    constexpr DialogSpec kUntitled{100, 50, "Arial", 8, "", {}};
    QDialog dialog;
    buildFromTemplate(dialog, kUntitled);
    dialog.show();
    ASSERT_NE(dialog.windowHandle(), nullptr);
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
    EXPECT_EQ(dialog.windowHandle()->title(), QStringLiteral(" "));

    dialog.setWindowTitle(QStringLiteral("named"));
    EXPECT_EQ(dialog.windowHandle()->title(), QStringLiteral("named"));
    dialog.setWindowTitle(QString());
    EXPECT_EQ(dialog.windowHandle()->title(), QStringLiteral(" "));

    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.windowHandle()->title(), QStringLiteral(" "));
    EXPECT_TRUE(dialog.windowTitle().isEmpty());
}

} // namespace
} // namespace dk3::ui
