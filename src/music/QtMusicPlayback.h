#pragma once

// The program's music player: an MP3 file played once from its start through Qt Multimedia while
// the program goes on, stopped on demand. Playback is a nicety: when there is nothing to play on,
// or the file cannot be played, the program stays silent and says nothing. Built into the music
// module, which the program loads only when music is first wanted.

#include "presentation/MusicPlayback.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class QAudioOutput;
class QMediaPlayer;

namespace dk3::presentation {

// Whether a message of Qt Multimedia only says that there is no sound server to play on. Such
// messages are dropped once a MusicPlayback looked for a device or played: without a sound
// server the credits stay silent, and the terminal too.
bool isMissingSoundServerNotice(const char* category, const QString& message);

class MusicPlayback final : public QObject, public MusicPlayer {
    Q_OBJECT

public:
    enum class Output {
        // Play only when the system lists an audio output device (the program's choice).
        RequireDevice,
        // Build the player even without a device; GStreamer then plays into a sink of its own.
        // Lets tests run the whole player on machines without sound.
        Always,
    };

    explicit MusicPlayback(Output output = Output::RequireDevice, QObject* parent = nullptr);
    ~MusicPlayback() override;
    MusicPlayback(const MusicPlayback&) = delete;
    MusicPlayback& operator=(const MusicPlayback&) = delete;

    void play(const QString& filePath) override;
    void stop() override;

    // True from play() until the clip ends, fails or is stopped.
    bool isActive() const { return player_ != nullptr; }

    // Whether the system lists any audio output device.
    static bool hasAudioOutput();

Q_SIGNALS:
    // The player is gone after the clip's end or a failure, not after stop().
    void released();

private:
    void releaseLater(std::uint64_t generation);

    Output outputRequirement_;
    // Declared before the player so that the player, which uses it, goes first.
    std::unique_ptr<QAudioOutput> output_;
    std::unique_ptr<QMediaPlayer> player_;
    // Tells the players of successive play() calls apart, so that a late message of an old one
    // cannot end a newer one.
    std::uint64_t generation_ = 0;
};

} // namespace dk3::presentation
