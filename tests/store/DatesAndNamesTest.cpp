#include "store/OleDateTime.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"
#include "tests/store/StoreFixtures.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sonvelle;
using namespace sonvelle::testing;

TEST(OleDateTime, CountsDaysFromTheZeroDayAndSplitsBack)
{
    EXPECT_DOUBLE_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).Value(), 0.0);
    EXPECT_DOUBLE_EQ(COleDateTime(1900, 1, 1, 12, 0, 0).Value(), 2.5);
    const COleDateTime d(2005, 12, 31, 23, 59, 58);
    EXPECT_EQ(d.GetYear(), 2005);
    EXPECT_EQ(d.GetMonth(), 12);
    EXPECT_EQ(d.GetDay(), 31);
    EXPECT_EQ(d.Format("%d/%m/%Y %H:%M:%S"), "31/12/2005 23:59:58");
    EXPECT_EQ(d.Format("%d%m"), "3112");
    EXPECT_EQ(d.Format("%Y%m%d_%H%M%S"), "20051231_235958");
    EXPECT_EQ(d.Format("%H:%M"), "23:59");
    // Rounding of the fraction never yields second 60.
    EXPECT_EQ(COleDateTime(38717.0 + 86399.9999 / 86400.0).Format("%d/%m/%Y %H:%M:%S"), "01/01/2006 00:00:00");
}

TEST(OleDateTime, RejectsImpossibleDatesAndFormatsNothingThen)
{
    COleDateTime d;
    EXPECT_FALSE(d.SetDate(2005, 2, 30));
    EXPECT_EQ(d.GetStatus(), COleDateTime::invalid);
    EXPECT_TRUE(d.Format("%d").isEmpty());
    EXPECT_FALSE(COleDateTime().SetDate(0, 1, 1));
    EXPECT_FALSE(COleDateTime().SetTime(24, 0, 0));
    EXPECT_TRUE(COleDateTime().SetDate(2004, 2, 29));
    // Values from a damaged index: no date, never a crash.
    EXPECT_TRUE(COleDateTime(1e300).Format("%d/%m/%Y").isEmpty());
    EXPECT_TRUE(COleDateTime(std::nan("")).Format("%H").isEmpty());
    EXPECT_EQ(COleDateTime(-1e300).SecondsOfDay(), 0);
    EXPECT_EQ(COleDateTime::FromSeconds(std::nan("")).SecondsOfDay(), 0);
}

TEST(OleDateTime, DurationsAreTimesOfDayThatWrapAt24Hours)
{
    EXPECT_EQ(COleDateTime::FromSeconds(3723).Format("%H:%M:%S"), "01:02:03");
    EXPECT_EQ(COleDateTime::FromSeconds(25 * 3600 + 5).Format("%H:%M:%S"), "01:00:05");
    EXPECT_EQ(COleDateTime(-1.0).DatePart().GetDay(), 29);
    const COleDateTime sum = COleDateTime(2006, 12, 5, 0, 0, 0) + COleDateTime::FromSeconds(61);
    EXPECT_EQ(sum.Format("%d/%m/%Y %H:%M:%S"), "05/12/2006 00:01:01");
}

TEST(RecordingEntry, StartsWithDefaultsAndCopiesOnlyItsOwnFields)
{
    CRecordingEntry source;
    EXPECT_EQ(source.m_strGenre, "(24)Soundtrack");
    EXPECT_EQ(source.m_strArtist, "Sonvelle");
    EXPECT_EQ(source.m_dtDate.Value(), 0.0);
    EXPECT_TRUE(source.m_dtDate.IsValid());

    source.m_strName = "Call";
    source.m_strNotes = "n";
    source.m_strFolder = "/w/";
    source.m_strOperator = "Desk 2";
    source.m_strKeyWord = "***";
    source.m_bFound = true;
    source.m_nIndexState = kIndexDeleted;
    source.m_dwIndexOffset = 538;
    source.m_dwSize = 99;
    source.m_bProtected = true;
    source.SetState(kStateTagPending);
    source.SetTagSize(120);

    CRecordingEntry target;
    target.m_strOperator = "Kept";
    target.m_dwIndexOffset = 7;
    target.CopyFrom(source);
    EXPECT_EQ(target.m_strName, "Call");
    EXPECT_EQ(target.m_strKeyWord, "***");
    EXPECT_EQ(target.m_dwSize, 99u);
    EXPECT_TRUE(target.m_bProtected);
    EXPECT_EQ(target.GetState(), kStateTagPending);
    EXPECT_EQ(target.GetTagSize(), 120u);
    EXPECT_EQ(target.m_strOperator, "Kept");
    EXPECT_FALSE(target.m_bFound);
    EXPECT_EQ(target.m_nIndexState, kIndexValid);
    EXPECT_EQ(target.m_dwIndexOffset, 7u);
    EXPECT_EQ(target.FilePath(), "/w/Call.mp3");
}

TEST(DefaultNames, SkipExistingFilesAndNeverReuseNumbersInARun)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    WriteBytes(folder + "Recording 1.mp3", FakeAudio(10));
    WriteBytes(folder + "Recording 2.mp3", FakeAudio(10));
    CRecordingList::ResetNameCounterForTesting();
    CRecordingList list;
    list.SetMeasuringFlag(false);
    ASSERT_TRUE(list.Load(folder));
    CRecordingEntry* first = list.CreateEntry();
    EXPECT_EQ(first->m_strName, "Recording 3");
    EXPECT_EQ(CRecordingList::NameCounter(), 4);
    EXPECT_EQ(first->GetState(), kStateRecording);
    EXPECT_EQ(first->m_strFolder, folder);
    EXPECT_EQ(first->m_dtDuration.Value(), 0.0);
    EXPECT_EQ(list.CreateEntry()->m_strName, "Recording 4");
}

TEST(DefaultNames, OperatorPrefixAndBaseNames)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + "/";
    CRecordingList::ResetNameCounterForTesting();
    CRecordingList list;
    ASSERT_TRUE(list.Load(folder));
    EXPECT_EQ(list.CreateEntry({}, "Desk 2")->m_strName, "Desk 2 - Recording 1");

    WriteBytes(folder + "Joined.mp3", FakeAudio(10));
    WriteBytes(folder + "Joined2.mp3", FakeAudio(10));
    // Counter stands at 2: Joined is taken, Joined2 too, so Joined3.
    EXPECT_EQ(list.CreateEntry("Joined")->m_strName, "Joined3");
    EXPECT_EQ(list.CreateEntry("Fresh")->m_strName, "Fresh");
    EXPECT_EQ(CRecordingList::NameCounter(), 5);
}
