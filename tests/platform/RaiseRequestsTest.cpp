#include "platform/RaiseRequests.h"

#include "platform/SingleInstance.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;

// A connection to the listener's socket as some other program could make it, without waiting;
// -1 when it is refused.
int connectRaw(const RaiseRequestListener& listener) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = listener.socketFile().native();
    if (name.size() >= sizeof address.sun_path)
        return -1;
    std::memcpy(address.sun_path, name.data(), name.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends what of bytes fits into the connection at once, and hangs up.
void sendRaw(const RaiseRequestListener& listener, const QByteArray& bytes) {
    const int fd = connectRaw(listener);
    ASSERT_GE(fd, 0);
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n =
            ::send(fd, bytes.data() + sent, static_cast<std::size_t>(bytes.size() - sent),
                   MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0)
            break;
        sent += n;
    }
    ::close(fd);
}

// Whether the listener has hung up on the connection.
bool hungUp(int fd) {
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

TEST(RaiseRequests, OnlyTheOneWordOfASecondCopyBringsTheWindowForward) {
    test::TempDir dir;
    EXPECT_FALSE(requestRaise(dir.path(), 200)); // nobody listens yet

    // A socket file left by a killed copy is replaced.
    RaiseRequestListener listener(dir.path());
    ASSERT_TRUE(listener.listening());
    struct stat info {};
    ASSERT_EQ(::stat(listener.socketFile().c_str(), &info), 0);
    EXPECT_TRUE(S_ISSOCK(info.st_mode));
    EXPECT_EQ(info.st_mode & 0077, 0u); // for this user alone
    QSignalSpy raised(&listener, &RaiseRequestListener::raiseRequested);

    EXPECT_TRUE(requestRaise(dir.path()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised.count() == 1; }, 2000));

    // Anything else is ignored: other words, the word with more after it, a flood, silence.
    for (const QByteArray& bytes :
         {QByteArray("quit\n"), QByteArray("raise\nraise\n"), QByteArray("raise"),
          QByteArray("RAISE\n"), QByteArray(1 << 20, 'r'), QByteArray()})
        sendRaw(listener, bytes);
    QTest::qWait(300);
    EXPECT_EQ(raised.count(), 1);

    // Still listening for the next real request.
    EXPECT_TRUE(requestRaise(dir.path()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised.count() == 2; }, 2000));
}

TEST(RaiseRequests, AStaleSocketOfAKilledCopyIsReplaced) {
    test::TempDir dir;
    {
        RaiseRequestListener first(dir.path());
        ASSERT_TRUE(first.listening());
    }
    dir.write("VORLIX.raise", "left behind"); // what a killed copy or anything else left there
    {
        RaiseRequestListener next(dir.path());
        EXPECT_TRUE(next.listening());
        QSignalSpy raised(&next, &RaiseRequestListener::raiseRequested);
        EXPECT_TRUE(requestRaise(dir.path()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return raised.count() == 1; }, 2000));
    }

    // A folder in its place is left alone, and then nothing listens.
    fs::create_directory(dir / "VORLIX.raise");
    dir.write("VORLIX.raise/kept", "kept");
    RaiseRequestListener blocked(dir.path());
    EXPECT_FALSE(blocked.listening());
    EXPECT_FALSE(requestRaise(dir.path(), 200));
    EXPECT_TRUE(fs::exists(dir / "VORLIX.raise/kept"));
}

TEST(RaiseRequests, AFolderTooLongForALocalSocketMeansNoListenerAndNoRequest) {
    test::TempDir dir;
    const fs::path deep = dir / std::string(60, 'd') / std::string(60, 'e');
    fs::create_directories(deep);
    RaiseRequestListener listener(deep);
    EXPECT_FALSE(listener.listening());
    EXPECT_FALSE(requestRaise(deep, 200));
    EXPECT_TRUE(fs::is_empty(deep));
}

TEST(RaiseRequests, FewConnectionsWaitAndNoneForLong) {
    test::TempDir dir;
    RaiseRequestListener listener(dir.path());
    ASSERT_TRUE(listener.listening());
    QSignalSpy raised(&listener, &RaiseRequestListener::raiseRequested);

    // Connections that say nothing: four are heard out, the next is turned away at once.
    std::vector<int> silent;
    for (int i = 0; i < 5; ++i)
        silent.push_back(connectRaw(listener));
    ASSERT_GE(*std::min_element(silent.begin(), silent.end()), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return hungUp(silent.back()); }, 1000));
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(hungUp(silent[i]));
    // ... and after two seconds of silence they go.
    QElapsedTimer waited;
    waited.start();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return std::all_of(silent.begin(), silent.end(), hungUp); }, 4000));
    EXPECT_GE(waited.elapsed(), 1500);
    for (const int fd : silent)
        ::close(fd);
    EXPECT_TRUE(requestRaise(dir.path()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised.count() == 1; }, 2000));

    // While the listener does not answer, its queue fills; asking then gives up in time.
    std::vector<int> queued;
    for (int fd = connectRaw(listener); fd >= 0 && queued.size() < 1000; fd = connectRaw(listener))
        queued.push_back(fd);
    ASSERT_LT(queued.size(), 1000u);
    QElapsedTimer asked;
    asked.start();
    EXPECT_FALSE(requestRaise(dir.path(), 200));
    EXPECT_LT(asked.elapsed(), 1000);
    for (const int fd : queued)
        ::close(fd);
}

TEST(RaiseRequests, OnlyTheCopyHoldingTheLockListensAndItsSocketGoesFirst) {
    test::TempDir dir;
    auto first = std::make_unique<SingleInstance>(dir.path());
    ASSERT_NE(first->listenForRaiseRequests(), nullptr);
    EXPECT_EQ(first->listenForRaiseRequests(), first->listenForRaiseRequests());
    SingleInstance second(dir.path());
    ASSERT_TRUE(second.anotherCopyRuns());
    EXPECT_EQ(second.listenForRaiseRequests(), nullptr);
    EXPECT_TRUE(requestRaise(dir.path()));
    first.reset();
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "VORLIX.raise")));
    EXPECT_FALSE(requestRaise(dir.path(), 200));
}

} // namespace
} // namespace dk3::platform
