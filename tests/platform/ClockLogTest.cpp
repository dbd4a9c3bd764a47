#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/ProgramFolder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace sonvelle;

namespace {

QByteArray Contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(Clock, ElapsedSurvivesTheWrapAndTheSteadyClockComesBack)
{
    CManualClock clock(0xFFFFFF00u);
    SetSystemClock(&clock);
    const std::uint32_t start = timeGetSystemTime();
    clock.Advance(0x200);
    EXPECT_EQ(timeGetSystemTime(), 0x100u);
    EXPECT_EQ(ElapsedMs(start, timeGetSystemTime()), 0x200u);
    SetSystemClock(nullptr);
    EXPECT_NE(timeGetSystemTime(), 0x100u);
}

// An unwritable folder: Log.AFailedWriteIsReportedAndLeavesTheLogUsable.
TEST(Log, AppendsCrLfLinesPerFileAndIsDeletedAtStart)
{
    QTemporaryDir dir;
    SetProgramFolderForTesting(dir.path());
    WriteLog("Dump Impostazioni:");
    WriteLog("-->TempoSilenzio:15");
    WriteLog("campione", "LogCampionamenti.log");
    EXPECT_EQ(Contents(dir.path() + "/SN.log"), "Dump Impostazioni:\r\n-->TempoSilenzio:15\r\n");
    EXPECT_EQ(Contents(dir.path() + "/LogCampionamenti.log"), "campione\r\n");
    DeleteLog();
    EXPECT_FALSE(QFile::exists(dir.path() + "/SN.log"));
    SetProgramFolderForTesting({});
}

TEST(Log, LinesFromSeveralThreadsNeverInterleave)
{
    QTemporaryDir dir;
    SetProgramFolderForTesting(dir.path());
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                WriteLog(QString("thread %1 line %2").arg(t).arg(i));
        });
    for (auto& th : threads)
        th.join();
    const auto lines = Contents(dir.path() + "/SN.log").split('\n');
    EXPECT_EQ(lines.size(), 801);  // 800 lines and the empty tail
    for (int i = 0; i < 800; ++i)
        EXPECT_TRUE(lines[i].startsWith("thread ") && lines[i].endsWith('\r')) << lines[i].constData();
    SetProgramFolderForTesting({});
}

}  // namespace
