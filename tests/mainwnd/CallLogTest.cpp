// The call log over a real work folder, without the window around it.

#include "mainwnd/CallLog.h"
#include "mainwnd/CallLogFormat.h"
#include "WorkFolderFixture.h"

#include "store/Id3Tag.h"

#include <QTreeView>

namespace sonvelle {
namespace {

using testing::WorkFolder;

class CallLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(testing::ToneMp3().isEmpty()) << "the lame tool made no audio";
        log.Attach(&view);
    }
    WorkFolder folder;
    QTreeView view;
    CCallLog log;
};

TEST_F(CallLogTest, RescanKeepsSelectionEditsAndRecordingsInUse)
{
    folder.Add({"Morning call", COleDateTime(2024, 3, 1, 9, 15, 0), 75 * 60});
    folder.Add({"Evening call", COleDateTime(2024, 3, 2, 18, 0, 5), 65});
    folder.Add({"Old note", COleDateTime(2023, 12, 31, 23, 59, 59), 5, "x"});
    log.Load(folder.Path(), false);
    log.SelectRow(2);
    CRecordingEntry* entry = log.Catalogue().FindByName(QStringLiteral("Old note"));
    ASSERT_NE(entry, nullptr);
    entry->m_strNotes = QStringLiteral("typed just now");
    entry->SetState(kStateTagPending);
    folder.Add({"Latest", COleDateTime(2025, 1, 1, 8, 0, 0), 10});
    EXPECT_FALSE(log.Rescan(true)) << "busy: waits";
    EXPECT_EQ(log.Model().Count(), 3);
    EXPECT_TRUE(log.Rescan(false));
    EXPECT_EQ(log.Model().Row(0).text[COL_NAME], QStringLiteral("Latest"));
    EXPECT_EQ(log.SelectedName(), QStringLiteral("Old note"));
    entry = log.Catalogue().FindByName(QStringLiteral("Old note"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_strNotes, QStringLiteral("typed just now")) << "pending edits are written before the reload";

    CRecordingEntry* inUse = log.Catalogue().CreateEntry();
    ASSERT_NE(inUse, nullptr);
    EXPECT_FALSE(log.Rescan(false)) << "a recording being made must not be dropped by a reload";
    EXPECT_NE(log.Catalogue().FindByName(inUse->m_strName), nullptr);
    EXPECT_EQ(log.Model().Count(), 5);
}

// A recording being made goes on top, in use, and is not measured: its file is still growing.
TEST_F(CallLogTest, NewRecordingOnTopAndAnUnknownDurationMeasuredAndWrittenBack)
{
    folder.Add({"Measured", COleDateTime(2024, 5, 5, 5, 5, 5), 60});
    log.Load(folder.Path(), false);
    CRecordingEntry* entry = log.Catalogue().FindByName(QStringLiteral("Measured"));
    ASSERT_NE(entry, nullptr);
    entry->m_dtDuration = COleDateTime(-1.0);
    entry->m_dwSize = 0;
    CRecordingEntry* making = log.Catalogue().CreateEntry();
    ASSERT_NE(making, nullptr);
    making->m_dtDuration = COleDateTime(-1.0);
    log.AddRow(*making);
    EXPECT_EQ(log.SelectedRow(), 0);
    EXPECT_EQ(log.Model().Row(0).image, IMAGE_IN_USE);
    log.Refill();
    EXPECT_EQ(log.Model().Row(0).text[COL_DURATION], QStringLiteral("--:--"));
    EXPECT_EQ(making->GetState(), kStateRecording);
    EXPECT_EQ(log.Model().Row(1).text[COL_DURATION], QStringLiteral("00:01")) << "one second of tone";
    EXPECT_EQ(entry->GetState(), kStateSaved) << "the tag took the measured duration";
    EXPECT_GT(entry->m_dwSize, 0u);
    CId3Tag tag;
    CId3Frame tlen;
    ASSERT_TRUE(tag.Open(entry->FilePath()) && tag.Read() == 1 && tag.GetFrame("TLEN", tlen));
    EXPECT_EQ(tlen.GetText(), QStringLiteral("00:00:01"));
}

}  // namespace
}  // namespace sonvelle
