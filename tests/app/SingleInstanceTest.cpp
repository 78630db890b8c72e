#include "platform/SingleInstance.h"
#include "tests/support/TempFolders.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSysInfo>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace kanata {
namespace {

bool processEventsUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

TEST(SingleInstance, SecondStartBringsTheFirstForward) {
    test::TempFolders folders;
    SingleInstance first(folders.workFolder());
    int requests = 0;
    first.setBringForwardHandler([&] { ++requests; });
    ASSERT_TRUE(first.acquire());

    {
        SingleInstance second(folders.workFolder());
        EXPECT_FALSE(second.acquire());
    }
    EXPECT_TRUE(processEventsUntil([&] { return requests == 1; }));

    // Another work folder is another program.
    SingleInstance elsewhere(folders.scratch() / "other");
    EXPECT_TRUE(elsewhere.acquire());
    EXPECT_NE(elsewhere.lockPath(), first.lockPath());
}

TEST(SingleInstance, AClientThatSendsJunkIsCutOffAndTheNextRequestServed) {
    test::TempFolders folders;
    SingleInstance first(folders.workFolder());
    int requests = 0;
    first.setBringForwardHandler([&] { ++requests; });
    ASSERT_TRUE(first.acquire());

    QLocalSocket junk;
    junk.connectToServer(first.socketPath());
    ASSERT_TRUE(junk.waitForConnected(5000));
    const QByteArray block(64 * 1024, 'j');
    for (int i = 0; i < 16 && junk.state() == QLocalSocket::ConnectedState; ++i) {
        junk.write(block);
        processEventsUntil([&] { return junk.bytesToWrite() == 0; });
    }
    EXPECT_TRUE(processEventsUntil([&] { return junk.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(requests, 0);

    {
        SingleInstance second(folders.workFolder());
        EXPECT_FALSE(second.acquire());
    }
    EXPECT_TRUE(processEventsUntil([&] { return requests == 1; }));
}

TEST(SingleInstance, FreedAfterTheFirstEnds) {
    test::TempFolders folders;
    {
        SingleInstance first(folders.workFolder());
        ASSERT_TRUE(first.acquire());
    }
    SingleInstance next(folders.workFolder());
    EXPECT_TRUE(next.acquire());
}

void writeLockOf(const QString& path, qint64 pid) {
    QFile lock(path);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\n" + QCoreApplication::applicationName().toUtf8() +
               "\n" + QSysInfo::machineHostName().toUtf8() + "\n");
}

TEST(SingleInstance, LockOfALivingProcessHolds) {
    test::TempFolders folders;
    SingleInstance probe(folders.workFolder());
    writeLockOf(probe.lockPath(), getpid());
    EXPECT_FALSE(probe.acquire());
}

TEST(SingleInstance, LockOfACrashedInstanceIsTakenOver) {
    test::TempFolders folders;
    SingleInstance probe(folders.workFolder());

    // A process that has ended leaves its lock and socket files behind.
    const pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    ASSERT_GT(dead, 0);
    waitpid(dead, nullptr, 0);
    writeLockOf(probe.lockPath(), dead);
    QFile socket(probe.socketPath());
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    SingleInstance restarted(folders.workFolder());
    ASSERT_TRUE(restarted.acquire());
    int requests = 0;
    restarted.setBringForwardHandler([&] { ++requests; });
    SingleInstance second(folders.workFolder());
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(processEventsUntil([&] { return requests == 1; }));
}

} // namespace
} // namespace kanata
