#include "platform/RaiseRequests.h"

#include "platform/TextCodec.h"
#include "support/TempDir.h"

#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace dk3::platform {
namespace {
namespace fs = std::filesystem;

// Sends bytes to the listener's socket as some other program could, and hangs up.
void sendRaw(const RaiseRequestListener& listener, const QByteArray& bytes) {
    QLocalSocket socket;
    socket.connectToServer(pathToQString(listener.socketFile()));
    ASSERT_TRUE(socket.waitForConnected(1000));
    socket.write(bytes);
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
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
