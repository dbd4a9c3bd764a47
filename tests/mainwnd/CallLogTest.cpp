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
        view.resize(600, 300);
        log.Attach(&view);
    }

    void AddThree()
    {
        folder.Add({"Morning call", COleDateTime(2024, 3, 1, 9, 15, 0), 75 * 60, "first\r\nsecond", "Desk 2"});
        folder.Add({"Evening call", COleDateTime(2024, 3, 2, 18, 0, 5), 65, {}, {}, true});
        folder.Add({"Old note", COleDateTime(2023, 12, 31, 23, 59, 59), 5, "x"});
    }

    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < log.Model().Count(); ++i)
            names << log.Model().Row(i).text[COL_NAME];
        return names;
    }

    WorkFolder folder;
    QTreeView view;
    CCallLog log;
};

TEST_F(CallLogTest, WorkFolderShowsNewestFirstWithTheRowContents)
{
    EXPECT_TRUE(log.Load(folder.Path(), false));
    EXPECT_EQ(log.SelectedEntry(), nullptr) << "an empty folder selects nothing";
    EXPECT_FALSE(log.Load(folder.Path() + "gone/", false));
    EXPECT_EQ(log.Model().Count(), 0);

    AddThree();
    ASSERT_TRUE(log.Load(folder.Path(), false));
    EXPECT_EQ(Names(), QStringList({"Evening call", "Morning call", "Old note"}));
    const CallLogRow& morning = log.Model().Row(1);
    EXPECT_EQ((QStringList{morning.text[COL_DATE], morning.text[COL_TIME], morning.text[COL_DURATION],
                           morning.text[COL_OPERATOR]}),
              (QStringList{"01/03/2024", "09:15:00", "75:00", "Desk 2"}));
    const CallLogRow& evening = log.Model().Row(0);
    EXPECT_EQ(evening.image, IMAGE_PROTECTED);
    EXPECT_EQ(evening.text[COL_PROTECTED], QStringLiteral("Si"));
    // With no name asked for, the first row.
    ASSERT_NE(log.SelectedEntry(), nullptr);
    EXPECT_EQ(log.SelectedEntry()->m_strName, QStringLiteral("Evening call"));
}

TEST_F(CallLogTest, HeaderClicksFlipTheDirectionWhicheverColumnAndKeepTheSelection)
{
    AddThree();
    log.Load(folder.Path(), false);
    log.SelectRow(1);
    log.OnColumnClick(COL_DATE);
    EXPECT_TRUE(log.SortAscending()) << "the first click after start sorts ascending";
    EXPECT_EQ(Names(), QStringList({"Old note", "Morning call", "Evening call"}));

    log.OnColumnClick(COL_NAME);
    EXPECT_FALSE(log.SortAscending()) << "another column still flips";
    EXPECT_EQ(Names(), QStringList({"Old note", "Morning call", "Evening call"}));

    log.OnColumnClick(COL_DURATION);
    EXPECT_EQ(Names(), QStringList({"Old note", "Evening call", "Morning call"}));
    EXPECT_EQ(log.SelectedName(), QStringLiteral("Morning call"));
}

TEST_F(CallLogTest, RescanKeepsSelectionEditsAndRecordingsInUse)
{
    AddThree();
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
    EXPECT_EQ(Names().first(), QStringLiteral("Latest"));
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

TEST_F(CallLogTest, NewRowGoesOnTopSelectedAndRenameRewritesTheOldRow)
{
    AddThree();
    log.Load(folder.Path(), false);
    CRecordingEntry* entry = log.Catalogue().CreateEntry();
    ASSERT_NE(entry, nullptr);
    log.AddRow(*entry);
    EXPECT_EQ(Names().size(), 4);
    EXPECT_EQ(log.SelectedRow(), 0);
    EXPECT_EQ(log.Model().Row(0).image, IMAGE_IN_USE);

    const QString oldName = entry->m_strName;
    entry->m_strName = QStringLiteral("Renamed");
    entry->SetState(kStateSaved);
    EXPECT_TRUE(log.RewriteRow(oldName.toUpper(), *entry)) << "the old name is found ignoring case";
    EXPECT_EQ(log.Model().Row(0).text[COL_NAME], QStringLiteral("Renamed"));
    EXPECT_EQ(log.Model().Row(0).image, IMAGE_NORMAL);
    EXPECT_FALSE(log.RewriteRow(QStringLiteral("no such row"), *entry));
}

TEST_F(CallLogTest, UnknownDurationIsMeasuredAndWrittenBack)
{
    folder.Add({"Measured", COleDateTime(2024, 5, 5, 5, 5, 5), 60});
    log.Load(folder.Path(), false);
    CRecordingEntry* entry = log.Catalogue().FindByName(QStringLiteral("Measured"));
    ASSERT_NE(entry, nullptr);
    entry->m_dtDuration = COleDateTime(-1.0);
    entry->m_dwSize = 0;
    log.Refill();
    EXPECT_EQ(log.Model().Row(0).text[COL_DURATION], QStringLiteral("00:01")) << "one second of tone";
    EXPECT_EQ(entry->GetState(), kStateSaved) << "the tag took the measured duration";
    EXPECT_GT(entry->m_dwSize, 0u);

    CId3Tag tag;
    CId3Frame tlen;
    ASSERT_TRUE(tag.Open(entry->FilePath()) && tag.Read() == 1 && tag.GetFrame("TLEN", tlen));
    EXPECT_EQ(tlen.GetText(), QStringLiteral("00:00:01"));

    // A recording being made is not measured: its file is still growing.
    CRecordingEntry* making = log.Catalogue().CreateEntry();
    ASSERT_NE(making, nullptr);
    making->m_dtDuration = COleDateTime(-1.0);
    log.Refill();
    EXPECT_EQ(log.Model().Row(0).text[COL_DURATION], QStringLiteral("--:--"));
    EXPECT_EQ(making->GetState(), kStateRecording);
}

TEST_F(CallLogTest, SelectedRowStandsBelowTheTopOfTheView)
{
    for (int i = 0; i < 60; ++i)
        folder.Add({QStringLiteral("Call %1").arg(i, 2, 10, QLatin1Char('0')), COleDateTime(2024, 1, 1, 0, i, 0), 1});
    log.Load(folder.Path(), false);
    view.show();
    log.Refill(40);
    EXPECT_EQ(log.SelectedRow(), 40);
    const QRect rect = view.visualRect(log.Model().index(40, 1));
    const int rowHeight = rect.height();
    EXPECT_NEAR(rect.top(), CCallLog::kSelectedRowOffset, rowHeight / 2 + 1)
        << "about 70 pixels below the top, to the nearest row";
    log.Refill(500);
    EXPECT_EQ(log.SelectedRow(), 59) << "an index past the end selects the last row";
}

}  // namespace
}  // namespace sonvelle
