#include "presentation/MusicPlayback.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace dk3::presentation {

namespace {

using MakePlayer = MusicPlayer* (*)();

// The module's entry, or null when no candidate loads. A loaded module stays loaded when its
// QLibrary goes (players made by it may live on); one without the entry is let go.
MakePlayer loadEntry(const QStringList& candidates) {
    for (const QString& path : candidates) {
        QLibrary module(path);
        if (!module.load())
            continue;
        if (auto entry = reinterpret_cast<MakePlayer>(module.resolve(kMusicModuleEntry)))
            return entry;
        module.unload();
    }
    return nullptr;
}

} // namespace

QStringList defaultMusicModulePaths() {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString name = QString::fromLatin1(kMusicModuleFileName);
    return {QDir(folder).filePath(name),
            QDir::cleanPath(folder + QStringLiteral("/../") +
                            QStringLiteral(DK3_INSTALL_LIBDIR "/draskel3-tuning/") + name)};
}

MusicPlayerFactory musicPlayersFromModule(QStringList candidates) {
    struct State {
        QStringList candidates;
        bool tried = false;
        MakePlayer entry = nullptr;
    };
    auto state = std::make_shared<State>();
    state->candidates = std::move(candidates);
    return [state]() -> std::unique_ptr<MusicPlayer> {
        if (!state->tried) {
            state->tried = true;
            state->entry = loadEntry(state->candidates);
        }
        return state->entry ? std::unique_ptr<MusicPlayer>(state->entry()) : nullptr;
    };
}

} // namespace dk3::presentation
