#include "platform/SingleInstance.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <signal.h>

using namespace sonvelle;

namespace {

// Program starts stood in for by a small process that takes the guard.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_saved); }
    QProcess* Start(bool hold)
    {
        auto& p = m_processes.emplace_back(std::make_unique<QProcess>());
        p->start(QStringLiteral(SONVELLE_INSTANCE_HOLDER), hold ? QStringList{"hold"} : QStringList{});
        EXPECT_TRUE(p->waitForStarted(10000));
        return p.get();
    }
    static QByteArray RunToEnd(QProcess* p)
    {
        p->closeWriteChannel();
        EXPECT_TRUE(p->waitForFinished(10000));
        return p->readAllStandardOutput().trimmed();
    }

    QTemporaryDir m_runtime;
    const QByteArray m_saved = qgetenv("XDG_RUNTIME_DIR");
    std::vector<std::unique_ptr<QProcess>> m_processes;  // killed if still running
};

TEST_F(SingleInstanceTest, ASecondStartEndsWhileTheFirstRunsAndAnEndedOrKilledFirstBlocksNothing)
{
    {
        CSingleInstanceGuard first;
        ASSERT_TRUE(first.Acquire());
        EXPECT_EQ(RunToEnd(Start(false)), "busy");
        EXPECT_FALSE(CSingleInstanceGuard().Acquire());
    }
    EXPECT_EQ(RunToEnd(Start(false)), "held");

    QProcess* killed = Start(true);
    while (!killed->canReadLine() && killed->waitForReadyRead(10000)) {
    }
    ASSERT_EQ(killed->readLine().trimmed(), "held");
    ::kill(static_cast<pid_t>(killed->processId()), SIGKILL);
    ASSERT_TRUE(killed->waitForFinished(10000));
    EXPECT_EQ(RunToEnd(Start(false)), "held");
    EXPECT_TRUE(CSingleInstanceGuard().Acquire());
}

}  // namespace
