#include "platform/RaiseRequests.h"

#include "support/TempDir.h"

#include <QSignalSpy>
#include <QTest>

#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;

// Sends bytes to the listener's socket as some other program could, and hangs up.
void sendRaw(const RaiseRequestListener& listener, const QByteArray& bytes) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = listener.socketFile().native();
    ASSERT_LT(name.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.c_str(), name.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    // The listener may hang up before all of a flood is taken; that is its right.
    (void)::send(fd, bytes.constData(), static_cast<std::size_t>(bytes.size()),
                 MSG_NOSIGNAL | MSG_DONTWAIT);
    ::close(fd);
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
    RaiseRequestListener next(dir.path());
    EXPECT_TRUE(next.listening());
    QSignalSpy raised(&next, &RaiseRequestListener::raiseRequested);
    EXPECT_TRUE(requestRaise(dir.path()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return raised.count() == 1; }, 2000));
}

} // namespace
} // namespace dk3::platform
