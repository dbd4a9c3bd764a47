// Finished automatic recordings on disk: stored under their names, discarded,
// confirmed, grown into one file, and never lost or put over another file.

#include "RecordingControlTestDoubles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace sonvelle::testing {
namespace {

class RecordingSeparateFiles : public ::testing::Test {
protected:
    RecordingRig rig;
    CRecordingControl& control = rig.control;
    CFakeWindow& window = rig.window;

    void SetUp() override { control.OnAutoRecording(); }
    CRecordingEntry* Segment(std::uint32_t lengthMs) { return rig.Segment(lengthMs); }
};

TEST_F(RecordingSeparateFiles, FinishedFileIsMovedUnderTheRecordingsName)
{
    CRecordingEntry* entry = Segment(21500);
    const QString name = entry->m_strName;
    const QString handed = rig.HandOver("segment one", 1);
    control.OnRecordingFileReady(handed, false);

    EXPECT_FALSE(QFile::exists(handed));
    EXPECT_EQ(ReadBytes(rig.folder + name + ".mp3"), "segment one");
    EXPECT_EQ(entry->GetState(), kStateTagPending);
    EXPECT_EQ(entry->m_dtDuration.SecondsOfDay(), 22);  // 21.5 s rounded
    EXPECT_EQ(rig.catalogue.indexSaves, 1);
    EXPECT_EQ(control.State(), S::Listening);
    EXPECT_EQ(rig.sleeps.size(), 1u) << "no retry when the name is free";
}

TEST_F(RecordingSeparateFiles, FileOvertakenByTheNextVoiceNoticeGoesToTheOlderRecording)
{
    CRecordingEntry* first = Segment(5000);
    CRecordingEntry* second = Segment(3000);
    control.OnRecordingFileReady(rig.HandOver("first", 1), false);
    EXPECT_EQ(ReadBytes(first->FilePath()), "first");
    // The newer recording still runs.
    EXPECT_EQ(control.State(), S::AutoRecording);
    rig.clock.Advance(4000);
    control.OnRecordingFileReady(rig.HandOver("second", 2), false);
    EXPECT_EQ(ReadBytes(second->FilePath()), "second");
    EXPECT_EQ(second->m_dtDuration.SecondsOfDay(), 7);
    EXPECT_EQ(control.State(), S::Listening);
    EXPECT_EQ(window.rows, (std::vector<CRecordingEntry*>{second, first}));
}

TEST_F(RecordingSeparateFiles, OccupiedNameIsRetriedTenTimesThenReportedAndNothingIsReplaced)
{
    CRecordingEntry* entry = Segment(3000);
    const QString target = rig.folder + entry->m_strName + ".mp3";
    WriteBytes(target, "someone else's recording");
    const QString handed = rig.HandOver("new audio", 1);
    control.OnRecordingFileReady(handed, false);

    EXPECT_EQ(ReadBytes(target), "someone else's recording");
    EXPECT_EQ(ReadBytes(handed), "new audio");
    // 600 ms after switching on, then nine pauses between the ten attempts.
    EXPECT_EQ(rig.sleeps, (std::vector<int>{600, 500, 500, 500, 500, 500, 500, 500, 500, 500}));
    ASSERT_EQ(rig.prompt.ShownSoFar().size(), 1u);
    EXPECT_TRUE(rig.prompt.ShownSoFar()[0].text.endsWith("(" + handed + ")"));
    EXPECT_EQ(window.reloads, 1);
    EXPECT_EQ(control.CurrentRecording(), nullptr);
    EXPECT_EQ(control.State(), S::Listening);

    // A handed-over file gone behind the program's back is reported by its name.
    Segment(3000);
    control.OnRecordingFileReady(rig.folder + "TEMvanished.snx", false);
    ASSERT_EQ(rig.prompt.ShownSoFar().size(), 2u);
    EXPECT_TRUE(rig.prompt.ShownSoFar()[1].text.contains("TEMvanished.snx"));
    EXPECT_EQ(control.State(), S::Listening);
}

TEST_F(RecordingSeparateFiles, WithConfirmationTheSaveDialogNamesEachRecording)
{
    rig.settings.values.askConfirmation = true;
    window.saveAnswers = {"Morning call", ""};
    CRecordingEntry* kept = Segment(4000);
    const QString first = rig.HandOver("first", 1);
    control.OnRecordingFileReady(first, false);
    EXPECT_EQ(window.dialogFiles, std::vector<QString>{first});

    CRecordingEntry* dropped = Segment(4000);
    const QString second = rig.HandOver("second", 2);
    control.OnRecordingFileReady(second, false);
    EXPECT_FALSE(QFile::exists(second));
    EXPECT_FALSE(rig.catalogue.Contains(dropped));
    EXPECT_EQ(window.rows, std::vector<CRecordingEntry*>{kept});

    // Switching off afterwards asks about nothing already stored.
    control.OnAutoRecording();
    EXPECT_EQ(window.dialogFiles.size(), 2u);
    EXPECT_EQ(ReadBytes(rig.folder + "Morning call.mp3"), "first");
}

TEST_F(RecordingSeparateFiles, FileArrivingAfterAutoRecordingWasSwitchedOffIsStoredAndListed)
{
    Segment(3000);
    window.saveAnswers = {"Switched off"};
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), ""); };
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    ASSERT_EQ(control.State(), S::Idle);

    rig.player.measuredSeconds = 42;
    const QString late = rig.HandOver("late audio", 7);
    control.OnRecordingFileReady(late, false);
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_FALSE(QFile::exists(late));
    ASSERT_EQ(window.rows.size(), 2u);
    CRecordingEntry* stored = window.rows.front();
    EXPECT_EQ(ReadBytes(stored->FilePath()), "late audio");
    EXPECT_EQ(stored->GetState(), kStateTagPending);
    EXPECT_EQ(stored->m_dtDuration.SecondsOfDay(), 42);

    const QString bump = rig.HandOver("bump", 8);
    control.OnRecordingFileReady(bump, true);
    EXPECT_FALSE(QFile::exists(bump));
    EXPECT_EQ(window.rows.size(), 2u);
}

TEST_F(RecordingSeparateFiles, FileArrivingWhileTheSaveDialogIsOpenLeavesThatRecordingAlone)
{
    CRecordingEntry* running = Segment(3000);
    const QString late = rig.HandOver("finished segment", 3);
    window.saveAnswers = {"In the dialog"};
    window.onSaveDialog = [&](CRecordingEntry&, const QString&) {
        EXPECT_TRUE(control.IsSaveDialogOpen());
        control.OnRecordingFileReady(late, false);
    };
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), "tail"); };
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();

    ASSERT_TRUE(rig.catalogue.Contains(running));
    EXPECT_EQ(running->m_strName, "In the dialog");
    EXPECT_EQ(ReadBytes(running->FilePath()), "tail");
    EXPECT_EQ(window.rows.size(), 2u);
    EXPECT_EQ(ReadBytes(window.rows.front()->FilePath()), "finished segment");
}

TEST_F(RecordingSeparateFiles, ManualRecordingStartedRightAfterIsNotTakenByALateFile)
{
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    control.OnRecord();
    CRecordingEntry* manual = control.CurrentRecording();
    control.OnRecordingFileReady(rig.HandOver("late", 4), false);
    EXPECT_EQ(control.State(), S::Recording);
    EXPECT_EQ(control.CurrentRecording(), manual);
    EXPECT_TRUE(rig.catalogue.Contains(manual));
}

class RecordingOneFile : public RecordingSeparateFiles {
protected:
    void SetUp() override
    {
        rig.settings.values.oneFile = true;
        control.OnAutoRecording();
    }
    QString HandOverInPlace(const QByteArray& audio)
    {
        WriteBytes(rig.TempFile(), audio);
        return rig.TempFile();
    }
};

TEST_F(RecordingOneFile, SegmentsGrowOneRecordingWhoseLengthIsTheirSum)
{
    CRecordingEntry* single = Segment(20000);
    EXPECT_EQ(single->GetState(), kStateOneFileAuto);
    control.OnRecordingFileReady(HandOverInPlace("AAAA"), false);
    // The writer may now truncate its file for the next segment.
    WriteBytes(rig.TempFile(), "");
    EXPECT_EQ(control.State(), S::Listening);

    rig.clock.Advance(60000);
    EXPECT_EQ(Segment(17000), single);
    EXPECT_EQ(window.rows.size(), 1u);
    // A segment handed over under a name of its own is taken in and removed.
    const QString handed = rig.HandOver("BBB", 2);
    control.OnRecordingFileReady(handed, false);
    EXPECT_FALSE(QFile::exists(handed));

    EXPECT_EQ(single->m_dtDuration.SecondsOfDay(), 37);
    EXPECT_EQ(ReadBytes(single->FilePath()), "AAAABBB");

    window.saveAnswers = {"All of the day"};
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    ASSERT_EQ(window.dialogFiles.size(), 1u);
    EXPECT_FALSE(window.dialogFiles[0].isEmpty());
    EXPECT_EQ(ReadBytes(rig.folder + "All of the day.mp3"), "AAAABBB");
    EXPECT_EQ(control.State(), S::Idle);
}

TEST_F(RecordingOneFile, RunningSegmentIsAddedWhenAutoRecordingIsSwitchedOff)
{
    CRecordingEntry* single = Segment(10000);
    control.OnRecordingFileReady(HandOverInPlace("first"), false);
    WriteBytes(rig.TempFile(), "");
    Segment(5000);
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), "+second"); };
    window.saveAnswers = {"Day"};
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    EXPECT_EQ(ReadBytes(rig.folder + "Day.mp3"), "first+second");
    EXPECT_EQ(single->m_dtDuration.SecondsOfDay(), 15);
}

TEST_F(RecordingOneFile, DiscardedBumpLeavesTheRecordingAndItsLength)
{
    CRecordingEntry* single = Segment(10000);
    control.OnRecordingFileReady(HandOverInPlace("speech"), false);
    Segment(2100);
    control.OnRecordingFileReady(HandOverInPlace("click"), true);
    EXPECT_TRUE(rig.catalogue.Contains(single));
    EXPECT_EQ(ReadBytes(single->FilePath()), "speech");
    EXPECT_EQ(single->m_dtDuration.SecondsOfDay(), 10);

    // The next segment goes on in the same recording, and switching off still saves it.
    EXPECT_EQ(Segment(4000), single);
    control.OnRecordingFileReady(HandOverInPlace("+more"), false);
    window.saveAnswers = {"Kept after bump"};
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    EXPECT_EQ(ReadBytes(rig.folder + "Kept after bump.mp3"), "speech+more");
}

TEST_F(RecordingOneFile, OnlyBumpsLeaveNothingToSave)
{
    CRecordingEntry* single = Segment(2100);
    control.OnRecordingFileReady(HandOverInPlace("click"), true);
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    EXPECT_TRUE(window.dialogFiles.empty());
    EXPECT_FALSE(rig.catalogue.Contains(single));
}

TEST_F(RecordingOneFile, CancelledSaveDialogDeletesTheSingleFile)
{
    Segment(3000);
    control.OnRecordingFileReady(HandOverInPlace("unwanted"), false);
    window.saveAnswers = {""};
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    ASSERT_EQ(window.dialogFiles.size(), 1u);
    EXPECT_FALSE(QFile::exists(window.dialogFiles[0]));
    EXPECT_TRUE(rig.catalogue.entries.empty());
    EXPECT_EQ(QDir(rig.folder).entryList({"*.mp3", "*.snx"}, QDir::Files), QStringList{});
}

}  // namespace
}  // namespace sonvelle::testing
