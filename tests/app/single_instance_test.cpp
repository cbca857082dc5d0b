// The single-instance hand-over over the per-user local socket.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include "app/SingleInstance.h"
#include "tests/support/TestSupport.h"

namespace corvina::test {
namespace {

QString socketPath(const char* name) {
    return QDir(scratchDir()).filePath(name);
}

TEST(SingleInstance, ASecondStartSignalsTheFirstAndDoesNotListen) {
    SingleInstance first(socketPath("instance-a"));
    ASSERT_TRUE(first.claim());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    SingleInstance second(socketPath("instance-a"));
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(activations.wait(2000));
    EXPECT_EQ(activations.size(), 1);

    // The first still answers later starts.
    SingleInstance third(socketPath("instance-a"));
    EXPECT_FALSE(third.claim());
    EXPECT_TRUE(activations.wait(2000));
}

TEST(SingleInstance, ASocketLeftByACrashIsReplaced) {
    const QString path = socketPath("instance-b");
    {
        QFile stale(path);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance instance(path);
    EXPECT_TRUE(instance.claim());
    SingleInstance later(path);
    EXPECT_FALSE(later.claim());
}

TEST(SingleInstance, APlayerThatDoesNotAnswerKeepsItsSocketAndNoSecondStarts) {
    // A listener that never accepts, its queue full: what a hung player looks like.
    const QString path = socketPath("instance-d");
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const int hung = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(hung, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(hung, 0), 0);
    const int queued = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(queued, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    SingleInstance second(path);
    EXPECT_FALSE(second.claim());
    EXPECT_TRUE(QFile::exists(path));
    ::close(queued);
    ::close(hung);
}

TEST(SingleInstance, APathTooLongForASocketStillLetsThePlayerRun) {
    SingleInstance instance(socketPath("") + QString(200, QLatin1Char('x')));
    EXPECT_TRUE(instance.claim());
}

TEST(SingleInstance, ManyStartsAtOnceAreHeardAndTheSocketGoesWithTheInstance) {
    const QString path = socketPath("instance-c");
    {
        SingleInstance first(path);
        ASSERT_TRUE(first.claim());
        QSignalSpy activations(&first, &SingleInstance::activationRequested);
        for (int i = 0; i < 40; ++i) {
            SingleInstance later(path);
            EXPECT_FALSE(later.claim());
        }
        for (int waited = 0; activations.size() < 40 && waited < 50; ++waited)
            activations.wait(100);
        EXPECT_EQ(activations.size(), 40);
    }
    EXPECT_FALSE(QFile::exists(path));
    SingleInstance next(path);
    EXPECT_TRUE(next.claim());
}

}  // namespace
}  // namespace corvina::test
