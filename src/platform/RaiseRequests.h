#pragma once

// A copy of the program that is turned away at its start asks the running copy to show its
// window: the player who starts the program again is looking for it. The request goes over a
// local socket in the private runtime folder, beside the single-instance lock; it is one fixed
// word, and nothing else sent there has any effect. Who may run is decided by the lock alone:
// the socket plays no part in it, and a missing or broken socket only means the window is not
// brought forward. Plain Unix domain sockets: Qt's local sockets would bring Qt Network and the
// libraries it needs (Kerberos among them) into every start, for one word.

#include <QObject>

#include <filesystem>

namespace dk3::platform {

class RaiseRequestListener : public QObject {
    Q_OBJECT

public:
    // Listens in folder; only the copy that holds the single-instance lock may do so, as it
    // replaces whatever stands in the socket's place.
    explicit RaiseRequestListener(const std::filesystem::path& folder, QObject* parent = nullptr);
    ~RaiseRequestListener() override;

    bool listening() const;
    std::filesystem::path socketFile() const;

Q_SIGNALS:
    void raiseRequested();

private:
    class Connection;
    void accept();

    int listenFd_ = -1;
    std::filesystem::path socketFile_;
};

// Asks the copy listening in folder to show its window. Waits at most timeoutMs for the
// connection and the write; false when no copy listens there.
bool requestRaise(const std::filesystem::path& folder, int timeoutMs = 1000);

} // namespace dk3::platform
