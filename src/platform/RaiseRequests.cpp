#include "platform/RaiseRequests.h"

#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace dk3::platform {
namespace {

constexpr const char* kSocketName = "VORLIX.raise";
constexpr char kRequest[] = "raise\n";
constexpr std::size_t kRequestBytes = sizeof kRequest - 1;
// A connection that has not sent the request by then is closed; a handful may wait at once, and
// a few more queue in the system until they are taken and turned away.
constexpr int kReadTimeoutMs = 2000;
constexpr int kMaxWaiting = 4;
constexpr int kBacklog = 16;

// The address of the socket file, or nothing when its path is too long for one.
bool addressOf(const std::filesystem::path& file, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::string& name = file.native();
    if (name.empty() || name.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.c_str(), name.size());
    return true;
}

// Waits until fd is ready for events or the time is up.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return false;
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

// One connection of another program: it may send the request once, within kReadTimeoutMs.
class RaiseRequestListener::Connection : public QObject {
public:
    Connection(int fd, RaiseRequestListener* listener)
        : QObject(listener), fd_(fd), notifier_(fd, QSocketNotifier::Read, this) {
        connect(&notifier_, &QSocketNotifier::activated, this, [this, listener] {
            if (readRequest())
                Q_EMIT listener->raiseRequested();
        });
        QTimer::singleShot(kReadTimeoutMs, this, [this] { finish(); });
    }
    ~Connection() override { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Reads what has arrived; true when it is exactly the request, with nothing after it. The
    // connection ends once the request's length has arrived or the other side hangs up.
    bool readRequest() {
        if (finished_)
            return false;
        std::array<char, kRequestBytes + 1> chunk{};
        bool hungUp = false;
        for (;;) {
            const ssize_t got = ::recv(fd_, chunk.data(), kRequestBytes + 1 - received_.size(), 0);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                break;
            if (got < 0) {
                finish();
                return false;
            }
            if (got == 0) {
                hungUp = true;
                break;
            }
            received_.append(chunk.data(), static_cast<std::size_t>(got));
            if (received_.size() > kRequestBytes) {
                finish();
                return false;
            }
        }
        if (received_.size() < kRequestBytes) {
            if (hungUp)
                finish();
            return false;
        }
        // The request and nothing more at the moment it is complete.
        finish();
        return received_ == std::string_view(kRequest, kRequestBytes);
    }

private:
    void finish() {
        finished_ = true;
        notifier_.setEnabled(false);
        deleteLater();
    }

    int fd_;
    QSocketNotifier notifier_;
    std::string received_;
    bool finished_ = false;
};

RaiseRequestListener::RaiseRequestListener(const std::filesystem::path& folder, QObject* parent)
    : QObject(parent), socketFile_(folder / kSocketName) {
    sockaddr_un address{};
    if (!addressOf(socketFile_, address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // A socket left by a killed copy (or anything else standing there) would make the bind
    // fail; the lock says the place is nobody's now.
    ::unlink(socketFile_.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(socketFile_.c_str(), 0600) != 0 || ::listen(fd, kBacklog) != 0) {
        ::close(fd);
        return;
    }
    listenFd_ = fd;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &RaiseRequestListener::accept);
}

RaiseRequestListener::~RaiseRequestListener() {
    if (listenFd_ < 0)
        return;
    ::close(listenFd_);
    ::unlink(socketFile_.c_str());
}

bool RaiseRequestListener::listening() const {
    return listenFd_ >= 0;
}

std::filesystem::path RaiseRequestListener::socketFile() const {
    return socketFile_;
}

void RaiseRequestListener::accept() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (findChildren<Connection*>(Qt::FindDirectChildrenOnly).size() >= kMaxWaiting) {
            ::close(fd);
            continue;
        }
        auto* connection = new Connection(fd, this);
        if (connection->readRequest()) // what arrived with the connection
            Q_EMIT raiseRequested();
    }
}

bool requestRaise(const std::filesystem::path& folder, int timeoutMs) {
    sockaddr_un address{};
    if (!addressOf(folder / kSocketName, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool sent = false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        ((errno == EINPROGRESS || errno == EAGAIN) && waitFor(fd, POLLOUT, deadline))) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
            std::size_t done = 0;
            while (done < kRequestBytes) {
                const ssize_t put = ::send(fd, kRequest + done, kRequestBytes - done, MSG_NOSIGNAL);
                if (put > 0) {
                    done += static_cast<std::size_t>(put);
                } else if (put < 0 && errno == EINTR) {
                    continue;
                } else if (put < 0 && errno == EAGAIN && waitFor(fd, POLLOUT, deadline)) {
                    continue;
                } else {
                    break;
                }
            }
            sent = done == kRequestBytes;
        }
    }
    ::close(fd);
    return sent;
}

} // namespace dk3::platform
