// One running program per user, with real processes of the program: a second start hands over
// to the first and ends; a socket left by a killed program does not stop the next start.
#include "support/temp_settings.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

class ProgramInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        env = QProcessEnvironment::systemEnvironment();
        // Each run has its own socket, so parallel tests and a user's program do not meet.
        env.insert(QStringLiteral("NIMBRIX_INSTANCE_NAME"), name());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    }
    void TearDown() override {
        for (auto& p : started) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    QString name() const { return dir.filePath(QStringLiteral("instance")); }

    QProcess& start() {
        auto& p = started.emplace_back(std::make_unique<QProcess>());
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(NIMBRIX_BINARY), {});
        EXPECT_TRUE(p->waitForStarted(10000));
        return *p;
    }

    // The running program's answer to a start, read as a second start reads it: "shown PID".
    QByteArray ask(int wait_ms) {
        QLocalSocket socket;
        socket.connectToServer(name());
        if (!socket.waitForConnected(1000))
            return {};
        socket.write("activate\n");
        const QDeadlineTimer deadline(wait_ms);
        while (!socket.canReadLine() && !deadline.hasExpired() &&
               socket.state() == QLocalSocket::ConnectedState)
            socket.waitForReadyRead(100);
        return socket.readLine().trimmed();
    }

    // Waits until the program listens and its window is up (it answers "shown").
    void wait_until_ready(QProcess& first) {
        const QByteArray expected = "shown " + QByteArray::number(first.processId());
        EXPECT_TRUE(QTest::qWaitFor([&] { return ask(500) == expected; }, 30000))
            << "the first program never answered";
    }

    // A second start: ends with 0 after the running program showed its window.
    void expect_hand_over_to(QProcess& first) {
        QElapsedTimer clock;
        clock.start();
        QProcess& second = start();
        ASSERT_TRUE(second.waitForFinished(30000));
        const qint64 took = clock.elapsed();
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(QString::fromLocal8Bit(second.readAllStandardOutput()),
                  QStringLiteral("Nimbrix is already running (process %1); its window is in "
                                 "front now.\n")
                      .arg(first.processId()));
        EXPECT_EQ(first.state(), QProcess::Running);
        std::printf("second start ended after %lld ms\n", static_cast<long long>(took));
    }

    QTemporaryDir dir;
    TempSettings store;
    QProcessEnvironment env;
    std::vector<std::unique_ptr<QProcess>> started;
};

} // namespace

TEST_F(ProgramInstance, SecondStartShowsTheRunningWindowAndEnds) {
    QProcess& first = start();
    wait_until_ready(first);
    // Only this user may reach the running program.
    EXPECT_EQ(QFileInfo(name()).permissions() &
                  (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                   QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther),
              QFileDevice::Permissions());
    expect_hand_over_to(first);
    // A line that is no request gets no answer and changes nothing.
    QLocalSocket stranger;
    stranger.connectToServer(name());
    ASSERT_TRUE(stranger.waitForConnected(5000));
    stranger.write("hello\n");
    EXPECT_TRUE(stranger.state() == QLocalSocket::UnconnectedState ||
                stranger.waitForDisconnected(5000));
    EXPECT_TRUE(stranger.readAll().isEmpty());
    expect_hand_over_to(first);
}

TEST_F(ProgramInstance, SocketOfAKilledProgramDoesNotBlockTheNextStart) {
    QProcess& crashed = start();
    wait_until_ready(crashed);
    crashed.kill(); // SIGKILL: the socket file stays behind
    ASSERT_TRUE(crashed.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(name()));

    QProcess& next = start();
    wait_until_ready(next);
    EXPECT_EQ(next.state(), QProcess::Running);
    expect_hand_over_to(next);
}
