#include "platform/SingleInstance.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <signal.h>

using namespace sonvelle;

namespace {

// Program starts stood in for by a small process that takes the guard and
// says "held" or "busy"; with "hold" it keeps the guard until its input closes.
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_runtime.isValid());
        m_saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }
    void TearDown() override
    {
        m_processes.clear();  // kills what still runs
        if (m_saved.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", m_saved);
    }
    QProcess* Start(bool hold)
    {
        auto& p = m_processes.emplace_back(std::make_unique<QProcess>());
        p->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        p->start(QStringLiteral(SONVELLE_INSTANCE_HOLDER), hold ? QStringList{"hold"} : QStringList{});
        EXPECT_TRUE(p->waitForStarted(10000));
        return p.get();
    }
    static QByteArray FirstLine(QProcess* p)
    {
        while (!p->canReadLine() && p->waitForReadyRead(10000)) {
        }
        return p->readLine().trimmed();
    }
    static QByteArray RunToEnd(QProcess* p)
    {
        p->closeWriteChannel();
        EXPECT_TRUE(p->waitForFinished(10000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        return p->readAllStandardOutput().trimmed();
    }

    QTemporaryDir m_runtime;
    QByteArray m_saved;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(SingleInstanceTest, ASecondProcessEndsWhileTheFirstRunsAndAnEndedOrKilledFirstBlocksNothing)
{
    QProcess* first = Start(true);
    ASSERT_EQ(FirstLine(first), "held");
    EXPECT_EQ(RunToEnd(Start(false)), "busy");
    EXPECT_EQ(first->state(), QProcess::Running);
    CSingleInstanceGuard here;
    EXPECT_FALSE(here.Acquire());
    EXPECT_FALSE(here.IsHeld());
    EXPECT_EQ(RunToEnd(first), "");
    EXPECT_EQ(RunToEnd(Start(false)), "held");

    QProcess* killed = Start(true);
    ASSERT_EQ(FirstLine(killed), "held");
    ::kill(static_cast<pid_t>(killed->processId()), SIGKILL);
    ASSERT_TRUE(killed->waitForFinished(10000));
    EXPECT_EQ(RunToEnd(Start(false)), "held");
    EXPECT_TRUE(here.Acquire());
}

}  // namespace
