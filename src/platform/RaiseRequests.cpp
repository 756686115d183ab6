#include "platform/RaiseRequests.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace dk3::platform {
namespace {

constexpr const char* kSocketName = "VORLIX.raise";
constexpr char kRequest[] = "raise\n";
constexpr std::size_t kRequestBytes = sizeof kRequest - 1;
// A connection that has not sent the request by then is closed; a handful may wait at once.
constexpr int kReadTimeoutMs = 2000;
constexpr int kMaxWaiting = 4;
// Connections the system keeps until the listener takes them; beyond that it refuses them.
constexpr int kBacklog = 16;
// Out of descriptors: accepting pauses this long rather than spinning on a connection it cannot
// take.
constexpr int kAcceptPauseMs = 200;

// The socket's address; false when the path does not fit in one (with its terminating zero).
bool makeAddress(const std::filesystem::path& file, sockaddr_un& address) {
    const std::string& name = file.native();
    address = {};
    address.sun_family = AF_UNIX;
    if (name.empty() || name.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.data(), name.size());
    return true;
}

void closeDescriptor(int fd) {
    if (fd >= 0)
        ::close(fd); // on Linux the descriptor is gone even when close reports EINTR
}

// One connection to the listener: it may send the request and nothing else. At most the request
// and one byte more are read, so whatever floods in costs nothing here.
class Connection : public QObject {
public:
    Connection(int fd, std::function<void(bool)> answered, QObject* parent)
        : QObject(parent), fd_(fd), answered_(std::move(answered)),
          notifier_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
        connect(notifier_, &QSocketNotifier::activated, this, [this] { read(); });
        QTimer::singleShot(kReadTimeoutMs, this, [this] { end(false); });
        read(); // what arrived with the connection
    }
    ~Connection() override { closeDescriptor(fd_); }

private:
    void read() {
        while (fd_ >= 0) {
            const ssize_t n = ::recv(fd_, bytes_ + received_, sizeof bytes_ - received_, 0);
            if (n > 0) {
                received_ += static_cast<std::size_t>(n);
                if (received_ > kRequestBytes)
                    return end(false); // the word with more after it
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                // All that was sent for now: the request is judged once it is complete.
                if (received_ == kRequestBytes)
                    end(std::memcmp(bytes_, kRequest, kRequestBytes) == 0);
                return;
            }
            // Hung up (or broken) before the whole word came, or right after it.
            return end(received_ == kRequestBytes &&
                       std::memcmp(bytes_, kRequest, kRequestBytes) == 0);
        }
    }

    // One request per connection; the connection ends either way.
    void end(bool isRequest) {
        if (fd_ < 0)
            return;
        notifier_->setEnabled(false);
        closeDescriptor(fd_);
        fd_ = -1;
        deleteLater();
        answered_(isRequest);
    }

    int fd_;
    std::function<void(bool)> answered_;
    QSocketNotifier* notifier_;
    char bytes_[kRequestBytes + 1] = {};
    std::size_t received_ = 0;
};

} // namespace

RaiseRequestListener::RaiseRequestListener(const std::filesystem::path& folder, QObject* parent)
    : QObject(parent), socketFile_(folder / kSocketName) {
    sockaddr_un address{};
    if (!makeAddress(socketFile_, address))
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // For this user alone: on Linux the file bind makes takes the socket's own mode, which this
    // sets without touching the process-wide umask.
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        closeDescriptor(fd);
        return;
    }
    // A socket (or anything else) left by a killed copy would make bind fail; the lock says it is
    // nobody's now. A folder standing there stays, and then nothing listens.
    if ((::unlink(address.sun_path) != 0 && errno != ENOENT) ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        closeDescriptor(fd);
        return;
    }
    struct stat made {};
    if (::lstat(address.sun_path, &made) != 0 || (made.st_mode & (S_IRWXG | S_IRWXO)) != 0 ||
        ::listen(fd, kBacklog) != 0) {
        ::unlink(address.sun_path);
        closeDescriptor(fd);
        return;
    }
    listenFd_ = fd;
    device_ = made.st_dev;
    inode_ = made.st_ino;
    notifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &RaiseRequestListener::accept);
}

RaiseRequestListener::~RaiseRequestListener() {
    if (listenFd_ < 0)
        return;
    delete notifier_;
    closeDescriptor(listenFd_);
    // Only the socket made here goes: whatever stands in its place now is not ours.
    struct stat now {};
    if (::lstat(socketFile_.c_str(), &now) == 0 && now.st_dev == device_ && now.st_ino == inode_)
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
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                notifier_->setEnabled(false);
                QTimer::singleShot(kAcceptPauseMs, notifier_,
                                   [notifier = notifier_] { notifier->setEnabled(true); });
            }
            return; // EAGAIN: none left
        }
        if (waiting_ >= kMaxWaiting) {
            closeDescriptor(fd);
            continue;
        }
        ++waiting_;
        new Connection(
            fd, [this](bool isRequest) { answered(isRequest); }, this);
    }
}

void RaiseRequestListener::answered(bool isRequest) {
    --waiting_;
    if (isRequest)
        Q_EMIT raiseRequested();
}

bool requestRaise(const std::filesystem::path& folder, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    auto msLeft = [&] {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
    };

    sockaddr_un address{};
    if (!makeAddress(folder / kSocketName, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // A local connection is made at once or refused; only a full queue asks to try again.
    bool connected = false;
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            connected = true;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN || msLeft() == 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(10, msLeft())));
    }
    std::size_t sent = 0;
    while (connected && sent < kRequestBytes) {
        const ssize_t n =
            ::send(fd, kRequest + sent, kRequestBytes - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd wait{fd, POLLOUT, 0};
            if (msLeft() > 0 && ::poll(&wait, 1, msLeft()) >= 0)
                continue;
        }
        break;
    }
    closeDescriptor(fd);
    return sent == kRequestBytes;
}

} // namespace dk3::platform
