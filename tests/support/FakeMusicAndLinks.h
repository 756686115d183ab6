#pragma once

// Music players and a link opener that only record what dialogs ask of them.

#include "presentation/LinkOpener.h"
#include "presentation/MusicPlayback.h"
#include "support/TempDir.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dk3::test {

struct MusicLog {
    bool givePlayers = true; // false: the factory has no player to give
    int playersMade = 0;
    int playersAlive = 0;
    std::vector<std::string> calls; // "play" and "stop", in order, across all players
    struct Played {
        QString file;
        std::optional<std::string> contentAtPlay; // what the file held when play() came
    };
    std::vector<Played> played;
};

class FakeMusicPlayer final : public presentation::MusicPlayer {
public:
    explicit FakeMusicPlayer(MusicLog& log) : log_(log) {
        ++log_.playersMade;
        ++log_.playersAlive;
    }
    ~FakeMusicPlayer() override { --log_.playersAlive; }

    void play(const QString& filePath) override {
        log_.calls.emplace_back("play");
        log_.played.push_back({filePath, readFile(filePath.toStdString())});
    }
    void stop() override { log_.calls.emplace_back("stop"); }

private:
    MusicLog& log_;
};

inline presentation::MusicPlayerFactory fakeMusicPlayers(MusicLog& log) {
    return [&log]() -> std::unique_ptr<presentation::MusicPlayer> {
        if (!log.givePlayers)
            return nullptr;
        return std::make_unique<FakeMusicPlayer>(log);
    };
}

class RecordingLinkOpener final : public presentation::LinkOpener {
public:
    std::vector<QUrl> opened;
    void openLink(const QUrl& address) override { opened.push_back(address); }
};

} // namespace dk3::test
