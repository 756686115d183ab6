#include "presentation/CreditsDialog.h"

#include "music/QtMusicPlayback.h"
#include "support/FakeMusicAndLinks.h"
#include "support/TempDir.h"
#include "ui/ColourScheme.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace dk3::test {
namespace {
namespace fs = std::filesystem;
namespace cid = presentation::credits_id;
using presentation::CreditsDialog;

std::string musicResource() {
    QFile clip(QString::fromLatin1(CreditsDialog::kMusicResource));
    EXPECT_TRUE(clip.open(QIODevice::ReadOnly));
    return clip.readAll().toStdString();
}

struct Credits : ::testing::Test {
    TempDir dir;
    fs::path temp = dir / "tmp";
    app::TranslationCatalogue catalogue{fs::path(DK3_SOURCE_DIR) / "resources" /
                                        "vorlix_translation.ini"};
    MusicLog music;
    RecordingLinkOpener links;

    Credits() {
        fs::create_directories(temp);
        ::chmod(temp.c_str(), 0700);
    }

    std::unique_ptr<CreditsDialog> make(const std::string& language) {
        return std::make_unique<CreditsDialog>(language, catalogue, temp, fakeMusicPlayers(music),
                                               links);
    }
    // Shown as exec() shows it, without its loop.
    std::unique_ptr<CreditsDialog> open(const std::string& language) {
        auto dialog = make(language);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    static QString textOf(const QWidget& dialog, int id) {
        QWidget* control = ui::controlById(dialog, id);
        if (auto* label = qobject_cast<QLabel*>(control))
            return label->text();
        if (auto* button = qobject_cast<QPushButton*>(control))
            return button->text();
        ADD_FAILURE() << "no text control " << id;
        return {};
    }
    static QPushButton* button(const QWidget& dialog, int id) {
        return ui::controlAs<QPushButton>(dialog, id);
    }
};

TEST_F(Credits, PicturesAtTheirOwnSizeInsideTheWindowsEdge) {
    auto dialog = make("english");
    EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
    // The template's area sits inside the window's own edge, the same width on every side.
    const ui::DialogBaseUnits units = ui::dialogBaseUnits(dialog->font());
    const QPoint origin = ui::controlById(*dialog, cid::kVersion)->pos() -
                          ui::mapDialogRect(units, 0, 185, 321, 14).topLeft();
    EXPECT_GT(origin.x(), 0);
    EXPECT_EQ(origin.x(), origin.y());
    EXPECT_EQ(dialog->size(),
              ui::mapDialogRect(units, 0, 0, 321, 350).size() + QSize(2, 2) * origin.x());

    // The large picture shows its top-left part, cut at its box above the version line; the
    // small one is whole and covers nothing.
    QLabel* large = dialog->largePicture();
    ASSERT_NE(large, nullptr);
    const QRect largeBox = ui::mapDialogRect(units, 0, 0, 321, 185).translated(origin);
    EXPECT_EQ(large->geometry(), QRect(largeBox.topLeft(), QSize(482, 324)).intersected(largeBox));
    EXPECT_EQ(large->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QLabel* small = dialog->smallPicture();
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->size(), QSize(78, 78));
    for (QWidget* other : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (other != small) {
            EXPECT_FALSE(other->geometry().intersects(small->geometry()))
                << other->objectName().toStdString();
        }
    }
    EXPECT_EQ(dialog->palette().color(QPalette::Window), ui::kCreditsDialogBackground);
}

TEST_F(Credits, TextsOfEachLanguageAreSetUnchangedWhenTheDialogOpens) {
    auto english = make("english");
    EXPECT_EQ(textOf(*english, cid::kVersion), QString()); // not before it opens
    english->show();
    EXPECT_EQ(textOf(*english, cid::kVersion), QStringLiteral("version 1.45"));
    EXPECT_EQ(
        textOf(*english, cid::kThanks),
        QStringLiteral("Many thanks to the \"World of Draskel\" Community for the great support!"));
    EXPECT_EQ(textOf(*english, cid::kTranslators), QStringLiteral("translation"));
    EXPECT_EQ(textOf(*english, cid::kItalianLabel), QStringLiteral("italian:"));
    EXPECT_EQ(textOf(*english, cid::kContact), QStringLiteral("vorlix@example.net"));
    EXPECT_EQ(textOf(*english, cid::kCommunityLink), QStringLiteral("www.example.org/en"));
    EXPECT_EQ(textOf(*english, cid::kAuthorLink), QStringLiteral("www.example.com/vorlix"));

    auto german = open("deutsch");
    EXPECT_EQ(textOf(*german, cid::kThanks),
              QStringLiteral("Ein großer Dank geht an die \"World of Draskel\" Community für die "
                             "tolle Unterstützung!"));
    EXPECT_EQ(textOf(*german, cid::kTranslators), QStringLiteral("Übersetzung"));
    EXPECT_EQ(textOf(*german, cid::kCommunityLink), QStringLiteral("www.example.org/de"));
    auto italian = open("italiano");
    EXPECT_EQ(textOf(*italian, cid::kItalianLabel), QStringLiteral("italiano:"));

    // A '|' stays as it is, a text longer than the buffer is cut, a missing one leaves the
    // control empty.
    writeFile(dir / "own.ini",
              "[english]\r\nTEXT_VERSION=one|two\r\nTEXT_THANKS=" + std::string(300, 'x') + "\r\n");
    catalogue.setFile(dir / "own.ini");
    auto own = open("english");
    EXPECT_EQ(textOf(*own, cid::kVersion), QStringLiteral("one|two"));
    EXPECT_EQ(textOf(*own, cid::kThanks), QString(255, u'x'));
    EXPECT_EQ(textOf(*own, cid::kContact), QString());
}

TEST_F(Credits, CommunityLinkFollowsTheLanguageAndAuthorLinkDoesNot) {
    const QUrl german(QStringLiteral("https://www.example.org/de/"));
    const QUrl english(QStringLiteral("https://www.example.org/en/"));
    const QUrl author(QStringLiteral("https://www.example.com/vorlix/"));
    for (const auto& [language, community] :
         {std::pair{"deutsch", german}, std::pair{"english", english},
          std::pair{"italiano", english}, std::pair{"Deutsch", english}}) {
        links.opened.clear();
        auto dialog = open(language);
        QTest::mouseClick(button(*dialog, cid::kCommunityLink), Qt::LeftButton);
        QTest::mouseClick(button(*dialog, cid::kAuthorLink), Qt::LeftButton);
        EXPECT_EQ(links.opened, (std::vector<QUrl>{community, author})) << language;
        EXPECT_TRUE(dialog->isVisible()) << "a link button does not close the dialog";
    }
}

TEST_F(Credits, ClickOnPictureOrTextAndEscapeCloseTheDialogAndStopTheMusic) {
    auto dialog = open("english");
    EXPECT_EQ(music.calls, (std::vector<std::string>{"play"}));
    EXPECT_TRUE(dialog->holdsPlayer());

    QTest::mouseClick(dialog->largePicture(), Qt::RightButton);
    EXPECT_TRUE(dialog->isVisible()) << "only the left button closes";
    QTest::mouseClick(dialog->largePicture(), Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(music.calls, (std::vector<std::string>{"play", "stop"}));
    EXPECT_EQ(music.playersAlive, 0);
    EXPECT_FALSE(dialog->holdsPlayer());

    // Opened again, the same window plays again from the start; a click on a text closes it.
    dialog->show();
    EXPECT_EQ(music.calls, (std::vector<std::string>{"play", "stop", "play"}));
    QTest::mouseClick(ui::controlById(*dialog, cid::kThanks), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());

    auto second = open("english");
    QTest::keyClick(second.get(), Qt::Key_Escape);
    EXPECT_FALSE(second->isVisible());
    EXPECT_EQ(second->result(), QDialog::Rejected);
    EXPECT_EQ(music.calls,
              (std::vector<std::string>{"play", "stop", "play", "stop", "play", "stop"}));
    EXPECT_EQ(music.playersMade, 3);
    EXPECT_EQ(music.playersAlive, 0);

    // Destroyed while open (the program ends under it): the music goes with it.
    auto third = open("english");
    third.reset();
    EXPECT_EQ(music.calls.back(), "stop");
    EXPECT_EQ(music.playersAlive, 0);
}

TEST_F(Credits, TuneIsUnpackedBeforeItPlaysAndItsFileRemovedRightAfter) {
    const fs::path clip = temp / "vorlix.mp3";
    auto dialog = open("english");
    ASSERT_EQ(music.played.size(), 1u);
    EXPECT_EQ(music.played[0].file, QString::fromStdString(clip.string()));
    EXPECT_EQ(music.played[0].contentAtPlay, musicResource());
    EXPECT_FALSE(fs::exists(clip));
    dialog->accept();

    // A file of that name left by an earlier run is played as it is.
    writeFile(clip, "left over");
    dialog = open("english");
    ASSERT_EQ(music.played.size(), 2u);
    EXPECT_EQ(music.played[1].contentAtPlay, "left over");
    dialog->accept();

    // Without a player, a factory or a temporary folder: silent, but texts and closing work.
    music.givePlayers = false;
    dialog = open("english");
    EXPECT_FALSE(dialog->holdsPlayer());
    EXPECT_EQ(textOf(*dialog, cid::kVersion), QStringLiteral("version 1.45"));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    CreditsDialog bare("english", catalogue, fs::path(), {}, links);
    bare.show();
    EXPECT_EQ(textOf(bare, cid::kVersion), QStringLiteral("version 1.45"));
    bare.reject();
    EXPECT_FALSE(bare.isVisible());
    EXPECT_EQ(music.played.size(), 2u);
}

TEST_F(Credits, RealPlayerKeepsPlayingAfterItsFileIsRemovedAndStopsWithTheDialog) {
    QPointer<presentation::MusicPlayback> player;
    CreditsDialog dialog(
        "english", catalogue, temp,
        [&player]() -> std::unique_ptr<presentation::MusicPlayer> {
            auto made = std::make_unique<presentation::MusicPlayback>(
                presentation::MusicPlayback::Output::Always);
            player = made.get();
            return made;
        },
        links);
    dialog.show();
    EXPECT_FALSE(fs::exists(temp / "vorlix.mp3"));
    ASSERT_FALSE(player.isNull());
    // A player that had not yet opened the file when its name went would fail and let go.
    QTest::qWait(1500);
    ASSERT_FALSE(player.isNull());
    EXPECT_TRUE(player->isActive());

    dialog.reject();
    EXPECT_TRUE(player.isNull());
}

} // namespace
} // namespace dk3::test
