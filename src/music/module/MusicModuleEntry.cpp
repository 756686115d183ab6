// The music module's one entry: the program finds it by name after loading the module.

#include "music/QtMusicPlayback.h"

extern "C" __attribute__((visibility("default"))) dk3::presentation::MusicPlayer*
dk3_make_music_player() {
    return new dk3::presentation::MusicPlayback();
}
