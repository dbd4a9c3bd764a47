#include "platform/SingleInstance.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

using namespace sonvelle;

namespace {

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
        for (QProcess* p : m_processes) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
            delete p;
        }
        if (m_saved.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", m_saved);
    }

    QProcess* Start(bool hold)
    {
        auto* p = new QProcess;
        m_processes.push_back(p);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(SONVELLE_INSTANCE_HOLDER), hold ? QStringList{"hold"} : QStringList{});
        EXPECT_TRUE(p->waitForStarted(10000));
        return p;
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
        EXPECT_EQ(p->exitCode(), 0);
        return p->readAllStandardOutput().trimmed();
    }

    QTemporaryDir m_runtime;
    QByteArray m_saved;
    std::vector<QProcess*> m_processes;
};

TEST_F(SingleInstanceTest, ASecondProcessEndsWhileTheFirstRunsAndTheFirstGoesOn)
{
    QProcess* first = Start(true);
    ASSERT_EQ(FirstLine(first), "held");
    QProcess* second = Start(false);
    EXPECT_EQ(RunToEnd(second), "busy");
    EXPECT_EQ(first->state(), QProcess::Running);

    CSingleInstanceGuard here;
    EXPECT_FALSE(here.Acquire());
    EXPECT_FALSE(here.IsHeld());

    // Ends normally: the next start is the only instance.
    EXPECT_EQ(RunToEnd(first), "");
    EXPECT_EQ(RunToEnd(Start(false)), "held");
    EXPECT_TRUE(here.Acquire());
}

TEST_F(SingleInstanceTest, AKilledInstanceNeverBlocksTheNext)
{
    QProcess* first = Start(true);
    ASSERT_EQ(FirstLine(first), "held");
    ::kill(static_cast<pid_t>(first->processId()), SIGKILL);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(RunToEnd(Start(false)), "held");
}

TEST_F(SingleInstanceTest, TheGuardIsHeldUntilItIsDestroyed)
{
    {
        CSingleInstanceGuard a;
        ASSERT_TRUE(a.Acquire());
        EXPECT_TRUE(a.Acquire());  // asking again keeps it
        CSingleInstanceGuard b;
        EXPECT_FALSE(b.Acquire());
        CSingleInstanceGuard other(QStringLiteral("another-name"));
        EXPECT_TRUE(other.Acquire());
    }
    CSingleInstanceGuard c;
    EXPECT_TRUE(c.Acquire());
    EXPECT_EQ(c.LockFilePath(), m_runtime.path() + "/sonvelle.lock");
}

TEST_F(SingleInstanceTest, AnUnsafeRuntimeFolderIsNotUsed)
{
    // Writable by others: someone else could hold our lock for us.
    ASSERT_EQ(chmod(QFile::encodeName(m_runtime.path()).constData(), 0777), 0);
    const QString folder = CSingleInstanceGuard::LockFolder();
    EXPECT_FALSE(folder.startsWith(m_runtime.path()));
    EXPECT_FALSE(folder.startsWith("/tmp/")) << folder.toStdString();
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(CSingleInstanceGuard::LockFolder(), folder);
}

}  // namespace
