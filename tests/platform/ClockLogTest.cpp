#include "platform/Clock.h"
#include "platform/Log.h"

#include "support/TestFolders.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace sonvelle;

namespace {

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

TEST(Log, WholeCrLfLinesFromAnyThreadAndDeletedAtStart)
{
    test::CTestFolders folders;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                WriteLog(QString("thread %1 line %2").arg(t).arg(i));
        });
    for (auto& th : threads)
        th.join();
    const QStringList lines = test::ReadLog().split("\r\n");
    ASSERT_EQ(lines.size(), 801);  // 800 lines and the empty tail
    const QRegularExpression whole("^thread \\d line \\d+$");
    for (int i = 0; i < 800; ++i)
        EXPECT_TRUE(whole.match(lines[i]).hasMatch()) << lines[i].toStdString();
    DeleteLog();
    EXPECT_FALSE(QFile::exists(folders.ProgramDir() + "SN.log"));
}

}  // namespace
