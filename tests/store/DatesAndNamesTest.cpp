#include "store/OleDateTime.h"
#include "store/RecordingList.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sonvelle;
using namespace sonvelle::testing;

TEST(OleDateTime, CountsSplitsFormatsAndRejects)
{
    // The day count stored in the index files.
    EXPECT_DOUBLE_EQ(COleDateTime(1900, 1, 1, 12, 0, 0).Value(), 2.5);
    const struct {
        COleDateTime date;
        const char* format;
        QString shown;  // empty: no date at all
    } cases[] = {
        // Rounding of the fraction never yields second 60.
        {COleDateTime(38717.0 + 86399.9999 / 86400.0), "%d/%m/%Y %H:%M:%S", "01/01/2006 00:00:00"},
        // Durations are times of day that wrap at 24 hours.
        {COleDateTime::FromSeconds(25 * 3600 + 5), "%H:%M:%S", "01:00:05"},
        {COleDateTime(-1.0).DatePart(), "%d", "29"},
        // Values from a damaged index: no date, never a crash.
        {COleDateTime(1e300), "%d/%m/%Y", ""},
        {COleDateTime(std::nan("")), "%H", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.date.Format(c.format), c.shown) << c.format << " of " << c.date.Value();
    EXPECT_EQ(COleDateTime(-1e300).SecondsOfDay(), 0);
    EXPECT_EQ(COleDateTime::FromSeconds(std::nan("")).SecondsOfDay(), 0);

    COleDateTime bad;
    EXPECT_FALSE(bad.SetDate(2005, 2, 30));
    EXPECT_TRUE(bad.Format("%d").isEmpty());
    EXPECT_FALSE(COleDateTime().SetTime(24, 0, 0));
    EXPECT_TRUE(COleDateTime().SetDate(2004, 2, 29));
}

TEST(DefaultNames, SkipExistingFilesAndNeverReuseNumbersInARun)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    for (const char* taken : {"Recording 1.mp3", "Recording 2.mp3", "Joined.mp3"})
        WriteBytes(folder + taken, FakeAudio(10));
    CRecordingList::ResetNameCounterForTesting();
    CRecordingList list;
    list.SetMeasuringFlag(false);
    ASSERT_TRUE(list.Load(folder));
    EXPECT_EQ(list.CreateEntry()->m_strName, "Recording 3");
    EXPECT_EQ(list.CreateEntry({}, "Desk 2")->m_strName, "Desk 2 - Recording 4");
    // A taken base name takes the run's next number, which is then used up.
    EXPECT_EQ(list.CreateEntry("Joined")->m_strName, "Joined6");
    EXPECT_EQ(list.CreateEntry("Fresh")->m_strName, "Fresh");
    EXPECT_EQ(list.CreateEntry()->m_strName, "Recording 8");
}
