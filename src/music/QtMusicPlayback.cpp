#include "music/QtMusicPlayback.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace dk3::presentation {
namespace {

QtMessageHandler nextHandler = nullptr;

void soundServerQuietHandler(QtMsgType type, const QMessageLogContext& context,
                             const QString& message) {
    if (type == QtWarningMsg && isMissingSoundServerNotice(context.category, message))
        return;
    // Qt hands back its own default handler when no other was installed before.
    if (nextHandler)
        nextHandler(type, context, message);
}

void quietenMissingSoundServer() {
    static const bool installed = [] {
        nextHandler = qInstallMessageHandler(soundServerQuietHandler);
        return true;
    }();
    (void)installed;
}

} // namespace

// Without a sound server Qt Multimedia says that it cannot reach one, once when it looks for
// output devices and again for each player that tries to play. That is a normal state of a
// machine, not a fault.
bool isMissingSoundServerNotice(const char* category, const QString& message) {
    if (message.startsWith(QLatin1String("PulseAudioService: pa_context_connect() failed")))
        return true;
    return category && qstrcmp(category, "qt.multimedia.player") == 0 &&
           message.contains(QLatin1String("Failed to connect: Connection refused"));
}

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

    quietenMissingSoundServer();
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
    quietenMissingSoundServer();
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
