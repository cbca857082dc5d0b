// The single-instance hand-over over the per-user local socket.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace corvina::test
