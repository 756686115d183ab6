#pragma once

// What dialogs need of a music player, and where the program's own player comes from. The player
// lives in a module of its own that is loaded when music is first wanted: Qt Multimedia and the
// media framework under it are then no burden on the program's start, nor on any session in which
// the credits are never opened.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace dk3::presentation {

// Tests hand dialogs a fake.
class MusicPlayer {
public:
    virtual ~MusicPlayer() = default;
    // Starts the file from its beginning and returns at once; whatever played before stops.
    virtual void play(const QString& filePath) = 0;
    // Stops at once and lets go of everything that playing needed.
    virtual void stop() = 0;
};

// Makes a fresh player for each use; may give none, and the caller then stays silent.
using MusicPlayerFactory = std::function<std::unique_ptr<MusicPlayer>()>;

// The file name of the music module, and the function it exports:
// MusicPlayer* <kMusicModuleEntry>() makes a player the caller owns.
inline constexpr const char* kMusicModuleFileName = "draskel3-tuning-music.so";
inline constexpr const char* kMusicModuleEntry = "dk3_make_music_player";

// Where the module is looked for: beside the program (a build tree), then in the program's own
// library folder of an installation.
QStringList defaultMusicModulePaths();

// Players from the first of the given module files that loads. The module is loaded at the first
// call and stays loaded; when none loads, every call gives no player.
MusicPlayerFactory musicPlayersFromModule(QStringList candidates = defaultMusicModulePaths());

} // namespace dk3::presentation
