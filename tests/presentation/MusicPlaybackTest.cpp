#include "music/QtMusicPlayback.h"
#include "support/TempDir.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace dk3::presentation {
namespace {

QString clipFile(const test::TempDir& dir) {
    QFile clip(QStringLiteral(":/dk3/vorlix.mp3"));
    EXPECT_TRUE(clip.open(QIODevice::ReadOnly));
    const QByteArray bytes = clip.readAll();
    return QString::fromStdString(
        dir.write("vorlix.mp3", std::string_view(bytes.constData(), bytes.size())).string());
}

TEST(MusicPlayback, StartsStopsAndGoesAwayRepeatedlyWithoutASoundDevice) {
    test::TempDir dir;
    const QString clip = clipFile(dir);

    // The whole player, playing into GStreamer's own sink where there is no device.
    for (int round = 0; round < 5; ++round) {
        MusicPlayback music(MusicPlayback::Output::Always);
        music.play(clip);
        EXPECT_TRUE(music.isActive());
        QTest::qWait(round * 40);
        music.play(clip); // again from the start
        EXPECT_TRUE(music.isActive());
        music.stop();
        EXPECT_FALSE(music.isActive());
        music.stop();
        music.play(clip);
        // and destroyed while playing
    }
    for (int round = 0; round < 20; ++round)
        MusicPlayback idle;

    // Nothing to play: silence, no player kept.
    MusicPlayback music(MusicPlayback::Output::Always);
    music.play(QString::fromStdString((dir / "missing.mp3").string()));
    EXPECT_FALSE(music.isActive());
    music.play(QString());
    EXPECT_FALSE(music.isActive());

    // The program's own choice plays only where the system lists an output device.
    MusicPlayback program;
    program.play(clip);
    EXPECT_EQ(program.isActive(), MusicPlayback::hasAudioOutput());
}

TEST(MusicPlayback, FileThatCannotBePlayedIsLetGoOfSilently) {
    test::TempDir dir;
    const auto garbage = dir.write("vorlix.mp3", std::string(20'000, 'x'));
    MusicPlayback music(MusicPlayback::Output::Always);
    QSignalSpy released(&music, &MusicPlayback::released);
    music.play(QString::fromStdString(garbage.string()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !music.isActive(); }, 10'000));
    EXPECT_EQ(released.count(), 1);

    // The player works again afterwards.
    music.play(clipFile(dir));
    EXPECT_TRUE(music.isActive());
    QTest::qWait(100);
    EXPECT_TRUE(music.isActive());
}

TEST(MusicPlayback, OnlyTheMissingSoundServerIsKeptOffTheTerminal) {
    // The two messages Qt Multimedia gives on a machine without a sound server.
    EXPECT_TRUE(isMissingSoundServerNotice(
        nullptr, QStringLiteral("PulseAudioService: pa_context_connect() failed")));
    EXPECT_TRUE(isMissingSoundServerNotice(
        "qt.multimedia.player",
        QStringLiteral("Warning: \"Failed to connect: Connection refused\"")));
    // Anything else still reaches the terminal.
    EXPECT_FALSE(
        isMissingSoundServerNotice(nullptr, QStringLiteral("PulseAudioService: stream error")));
    EXPECT_FALSE(isMissingSoundServerNotice(
        "qt.network", QStringLiteral("Failed to connect: Connection refused")));
    EXPECT_FALSE(isMissingSoundServerNotice(
        "qt.multimedia.player",
        QStringLiteral("Your GStreamer installation is missing a plug-in.")));
}

} // namespace
} // namespace dk3::presentation

namespace dk3::presentation {
namespace {

TEST(MusicModule, GivesPlayersFromTheFirstModuleThatLoadsAndNoneWithoutOne) {
    test::TempDir dir;
    const QString notALibrary = QString::fromStdString(dir.write("fake.so", "no library").string());
    const QString missing = QString::fromStdString((dir / "missing.so").string());

    MusicPlayerFactory players =
        musicPlayersFromModule({missing, notALibrary, QStringLiteral(DK3_MUSIC_MODULE)});
    auto first = players();
    auto second = players();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    // The module's player, not a stand-in: a file that is not there leaves it idle and silent.
    first->play(missing);
    first->stop();

    MusicPlayerFactory none = musicPlayersFromModule({missing, notALibrary});
    EXPECT_EQ(none(), nullptr);
    EXPECT_EQ(none(), nullptr);
}

} // namespace
} // namespace dk3::presentation
