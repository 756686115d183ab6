#include "MainDialogFixture.h"
#include "presentation/BannerWidget.h"
#include "presentation/CreditsDialog.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace dk3::test {
namespace {
namespace fs = std::filesystem;
using main_dialog::MainSettingsDialog;
namespace id = main_dialog::id;

using BannerAndCredits = MainDialogFixture;

presentation::BannerWidget* bannerOf(const QWidget& dialog) {
    return dialog.findChild<presentation::BannerWidget*>();
}

TEST_F(BannerAndCredits, BannerFillsItsFrameRunsAfterStartUpAndGoesBeforeItsPicture) {
    auto dialog = std::make_unique<MainSettingsDialog>(services());
    EXPECT_EQ(bannerOf(*dialog), nullptr);
    storeLanguage("english");
    ASSERT_EQ(dialog->startUp(), MainSettingsDialog::StartupOutcome::Run);

    QPointer<presentation::BannerWidget> banner = bannerOf(*dialog);
    ASSERT_FALSE(banner.isNull());
    auto* frame = control<QFrame>(*dialog, id::kBanner);
    EXPECT_EQ(banner->parentWidget(), frame);
    EXPECT_EQ(banner->geometry(), frame->contentsRect());
    EXPECT_TRUE(banner->isRunning());
    EXPECT_TRUE(banner->renderer().hasPicture());
    EXPECT_TRUE(fs::exists(bannerPicture()));
    // Decoration only: no focus, and clicks pass through to the dialog.
    EXPECT_EQ(banner->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(banner->testAttribute(Qt::WA_TransparentForMouseEvents));

    dialog.reset();
    EXPECT_TRUE(banner.isNull());
    EXPECT_FALSE(fs::exists(bannerPicture()));
}

TEST_F(BannerAndCredits, CreditsButtonOpensTheCreditsModallyInTheDialogsLanguage) {
    auto dialog = startDialog("deutsch");
    dialog->show();
    QString version;
    bool modalCredits = false;
    // Looks at the credits once they run, then closes them with a click, as a user would.
    QTimer::singleShot(0, [&] {
        auto* credits =
            qobject_cast<presentation::CreditsDialog*>(QApplication::activeModalWidget());
        if (!credits)
            return;
        modalCredits = credits->isModal() && credits->parentWidget() == dialog.get();
        version = ui::controlAs<QLabel>(*credits, presentation::credits_id::kVersion)->text();
        QTest::mouseClick(
            ui::controlAs<QPushButton>(*credits, presentation::credits_id::kCommunityLink),
            Qt::LeftButton);
        QTest::mouseClick(credits->largePicture(), Qt::LeftButton);
    });
    // Whatever happens above, nothing is left waiting.
    QTimer::singleShot(5000, [] {
        if (QWidget* modal = QApplication::activeModalWidget())
            modal->close();
    });
    QTest::mouseClick(control<QPushButton>(*dialog, id::kCredits), Qt::LeftButton);

    EXPECT_TRUE(modalCredits);
    EXPECT_EQ(version, QStringLiteral("Version 1.45"));
    EXPECT_EQ(links.opened,
              (std::vector<QUrl>{QUrl(QStringLiteral("https://www.example.org/de/"))}));
    EXPECT_EQ(music.calls, (std::vector<std::string>{"play", "stop"}));
    EXPECT_EQ(music.playersAlive, 0);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(bannerOf(*dialog)->isRunning());
}

} // namespace
} // namespace dk3::test
