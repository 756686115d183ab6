#include "music/QtMusicPlayback.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace dk3::presentation {

MusicPlayback::MusicPlayback(Output output, QObject* parent)
    : QObject(parent), outputRequirement_(output) {}

MusicPlayback::~MusicPlayback() {
    stop();
}

void MusicPlayback::play(const QString& filePath) {
    stop();
    if (!QFileInfo(filePath).isFile())
        return;
    if (outputRequirement_ == Output::RequireDevice && !hasAudioOutput())
        return;

    const std::uint64_t generation = ++generation_;
    output_ = std::make_unique<QAudioOutput>();
    player_ = std::make_unique<QMediaPlayer>();
    player_->setAudioOutput(output_.get());

    // The player must not be deleted inside its own signal: the release runs from the event loop,
    // and only if no newer play() or stop() came in between.
    connect(player_.get(), &QMediaPlayer::errorOccurred, this,
            [this, generation] { releaseLater(generation); });
    connect(player_.get(), &QMediaPlayer::mediaStatusChanged, this,
            [this, generation](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia)
                    releaseLater(generation);
            });

    player_->setSource(QUrl::fromLocalFile(filePath));
    player_->play();
}

bool MusicPlayback::hasAudioOutput() {
    return !QMediaDevices::audioOutputs().isEmpty();
}

void MusicPlayback::stop() {
    ++generation_;
    if (player_)
        player_->stop();
    player_.reset();
    output_.reset();
}

void MusicPlayback::releaseLater(std::uint64_t generation) {
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != generation_ || !player_)
                return;
            stop();
            Q_EMIT released();
        },
        Qt::QueuedConnection);
}

} // namespace dk3::presentation
