// Finished recordings on disk: stored under their names, discarded, confirmed,
// grown into one file, and never lost or put over another file; then the
// faults that once did lose or damage them.

#include "RecordingControlTestDoubles.h"

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

// A file may be overtaken by the next voice notice: it still goes to the older recording.
TEST_F(RecordingSeparateFiles, FinishedFilesAreMovedUnderTheirRecordingsNames)
{
    CRecordingEntry* first = Segment(5000);
    CRecordingEntry* second = Segment(3000);
    const QString handed = rig.HandOver("first", 1);
    control.OnRecordingFileReady(handed, false);
    EXPECT_FALSE(QFile::exists(handed));
    EXPECT_EQ(ReadBytes(first->FilePath()), "first");
    EXPECT_EQ(first->GetState(), kStateTagPending);
    EXPECT_EQ(rig.catalogue.indexSaves, 1);
    EXPECT_EQ(rig.sleeps.size(), 1u) << "no retry when the name is free";
    EXPECT_EQ(control.State(), S::AutoRecording);

    rig.clock.Advance(4500);
    control.OnRecordingFileReady(rig.HandOver("second", 2), false);
    EXPECT_EQ(ReadBytes(second->FilePath()), "second");
    EXPECT_EQ(second->m_dtDuration.SecondsOfDay(), 8);  // 7.5 s rounded
    EXPECT_EQ(control.State(), S::Listening);
    EXPECT_EQ(window.rows, (std::vector<CRecordingEntry*>{second, first}));
}

// Asking for each name runs end to end in RecordFromWindow; here a cancel drops only its own file.
TEST_F(RecordingSeparateFiles, WithConfirmationACancelledDialogDropsOnlyThatRecording)
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
    EXPECT_EQ(ReadBytes(rig.folder + "Morning call.mp3"), "first");
}

TEST_F(RecordingSeparateFiles, FileArrivingAfterAutoRecordingWasSwitchedOffIsStoredAndListed)
{
    Segment(3000);
    window.saveAnswers = {"Switched off"};
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), ""); };
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
    control.OnAutoRecording();

    ASSERT_TRUE(rig.catalogue.Contains(running));
    EXPECT_EQ(running->m_strName, "In the dialog");
    EXPECT_EQ(ReadBytes(running->FilePath()), "tail");
    EXPECT_EQ(window.rows.size(), 2u);
    EXPECT_EQ(ReadBytes(window.rows.front()->FilePath()), "finished segment");
}

TEST_F(RecordingSeparateFiles, ManualRecordingStartedRightAfterIsNotTakenByALateFile)
{
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
    void SwitchOff(const QString& answer)
    {
        window.saveAnswers = {answer};
        control.OnAutoRecording();
    }
};

// Segments in the writer's file, under a name of their own, and the one
// running at switch-off all end up in the single file, in order (the sum of
// real segments is checked end to end in RecordFromWindow).
TEST_F(RecordingOneFile, SegmentsGrowOneRecordingWhoseLengthIsTheirSum)
{
    CRecordingEntry* single = Segment(20000);
    control.OnRecordingFileReady(HandOverInPlace("AAAA"), false);
    // The writer may now truncate its file for the next segment.
    WriteBytes(rig.TempFile(), "");
    EXPECT_EQ(control.State(), S::Listening);

    rig.clock.Advance(60000);
    EXPECT_EQ(Segment(17000), single);
    const QString handed = rig.HandOver("BBB", 2);
    control.OnRecordingFileReady(handed, false);
    EXPECT_FALSE(QFile::exists(handed));

    Segment(5000);
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), "+CC"); };
    SwitchOff("All of the day");
    ASSERT_EQ(window.dialogFiles.size(), 1u);
    EXPECT_FALSE(window.dialogFiles[0].isEmpty());
    EXPECT_EQ(ReadBytes(rig.folder + "All of the day.mp3"), "AAAABBB+CC");
    EXPECT_EQ(single->m_dtDuration.SecondsOfDay(), 42);
    EXPECT_EQ(control.State(), S::Idle);
}

TEST_F(RecordingOneFile, DiscardedBumpsLeaveTheRecordingAndItsLength)
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
    SwitchOff("Kept after bump");
    EXPECT_EQ(ReadBytes(rig.folder + "Kept after bump.mp3"), "speech+more");

    // Only bumps: nothing to save.
    RecordingRig r;
    r.settings.values.oneFile = true;
    r.control.OnAutoRecording();
    CRecordingEntry* bump = r.Segment(2100);
    WriteBytes(r.TempFile(), "click");
    r.control.OnRecordingFileReady(r.TempFile(), true);
    r.control.OnAutoRecording();
    EXPECT_TRUE(r.window.dialogFiles.empty());
    EXPECT_FALSE(r.catalogue.Contains(bump));
}

TEST_F(RecordingOneFile, CancelledSaveDialogDeletesTheSingleFile)
{
    Segment(3000);
    control.OnRecordingFileReady(HandOverInPlace("unwanted"), false);
    SwitchOff("");
    ASSERT_EQ(window.dialogFiles.size(), 1u);
    EXPECT_FALSE(QFile::exists(window.dialogFiles[0]));
    EXPECT_TRUE(rig.catalogue.entries.empty());
    EXPECT_EQ(QDir(rig.folder).entryList({"*.mp3", "*.snx"}, QDir::Files), QStringList{});
}

// Faults that once lost or damaged recordings: a click that needed a second
// one, a paused play left out at close, the single file split by a rename or
// written into someone else's file, and a store failure that dropped the
// recording running meanwhile.
TEST(RecordingControlFaults, AutoRecordingCommandEndsAutoRecordingAtTheFirstClickWhilePlayingOrPaused)
{
    struct Case {
        S playing;
        bool pause;
        S after;
    } const cases[] = {
        {S::ListeningWhilePlaying, false, S::Playing},
        {S::AutoRecordingWhilePlaying, false, S::Playing},
        {S::ListeningWhilePlaying, true, S::Idle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.playing << (c.pause ? " paused" : ""));
        RecordingRig r;
        r.control.OnAutoRecording();
        r.PlayStored(c.playing, 7300);
        if (c.pause)
            r.control.OnPause();
        r.control.OnAutoRecording();
        EXPECT_EQ(r.control.State(), c.after);
        EXPECT_EQ(r.engine.commands.back(), "stop");
        EXPECT_EQ(r.player.stops, 0) << "the play was ended instead";
    }
}

TEST(RecordingControlFaults, CloseWhileAPlayIsPausedStillEndsAndOffersTheRecording)
{
    enum class Kind { Manual, SeparateFiles, OneFile };
    for (Kind kind : {Kind::Manual, Kind::SeparateFiles, Kind::OneFile}) {
        SCOPED_TRACE(static_cast<int>(kind));
        RecordingRig r;
        r.settings.values.oneFile = kind == Kind::OneFile;
        r.settings.values.askConfirmation = true;
        r.window.saveAnswers = {"Kept"};
        r.engine.onStop = [&] { WriteBytes(r.TempFile(), "audio"); };
        if (kind == Kind::Manual) {
            r.control.OnRecord();
            r.PlayStored(S::RecordingWhilePlaying, 7300);
        } else {
            r.control.OnAutoRecording();
            if (kind == Kind::OneFile)
                r.SegmentFile("audio");
            else
                r.Segment(3000);
            r.PlayStored(kind == Kind::OneFile ? S::ListeningWhilePlaying : S::AutoRecordingWhilePlaying, 7300);
        }
        r.control.OnPause();
        ASSERT_FALSE(IsPlaying(r.control.State()));

        r.control.EndManualRecording();
        r.control.EndAutoRecording();
        EXPECT_EQ(r.control.State(), S::Idle);
        EXPECT_EQ(r.control.PausedPosition(), 0u);
        EXPECT_EQ(r.window.dialogFiles.size(), 1u) << "the recording was never offered for saving";
        EXPECT_EQ(ReadBytes(r.folder + "Kept.mp3"), "audio");
    }
}

TEST(RecordingControlFaults, RenamingTheGrowingSingleFileInPlaceKeepsItWhole)
{
    for (bool moreAfterRename : {true, false}) {
        SCOPED_TRACE(moreAfterRename ? "a segment after the rename" : "switched off after the rename");
        RecordingRig r;
        r.settings.values.oneFile = true;
        r.control.OnAutoRecording();
        r.SegmentFile("one");
        CRecordingEntry* single = r.control.CurrentRecording();
        ASSERT_NE(single, nullptr);
        // The list's in-place rename moves the file and renames the entry.
        const QString oldPath = single->FilePath();
        ASSERT_TRUE(QFile::rename(oldPath, r.folder + "Renamed.mp3"));
        single->m_strName = "Renamed";
        if (moreAfterRename)
            r.SegmentFile("two");
        EXPECT_FALSE(QFile::exists(oldPath)) << "a second piece grew under the old name";

        r.window.saveAnswers = {"Kept"};
        r.control.EndAutoRecording();
        EXPECT_EQ(ReadBytes(r.folder + "Kept.mp3"), moreAfterRename ? "onetwo" : "one");
        EXPECT_EQ(QDir(r.folder).entryList({"*.mp3", "*.snx"}, QDir::Files), QStringList{"Kept.mp3"});
    }
}

TEST_F(RecordingOneFile, SingleFileNeverGrowsInsideAFileItDidNotMake)
{
    WriteBytes(rig.folder + "Unlisted.mp3", "theirs");
    CRecordingEntry* single = Segment(3000);
    // Renamed through the name field before its first segment arrived.
    single->m_strName = "Unlisted";
    control.OnRecordingFileReady(HandOverInPlace("mine"), false);
    rig.SegmentFile("+more");
    EXPECT_EQ(ReadBytes(rig.folder + "Unlisted.mp3"), "theirs");
    EXPECT_EQ(single->m_dwSize, 9u);

    SwitchOff("Mine");
    EXPECT_EQ(ReadBytes(rig.folder + "Mine.mp3"), "mine+more");
    EXPECT_EQ(ReadBytes(rig.folder + "Unlisted.mp3"), "theirs");
}

// An occupied name is retried, then reported; nothing is put over the other
// file, and the recording running meanwhile is neither dropped nor unlisted.
TEST_F(RecordingSeparateFiles, StoreFailureReplacesNothingAndKeepsTheRecordingRunningMeanwhile)
{
    CRecordingEntry* failed = Segment(3000);
    CRecordingEntry* running = Segment(2000);
    const QString target = rig.folder + failed->m_strName + ".mp3";
    WriteBytes(target, "someone else's");
    const QString handed = rig.HandOver("first", 1);
    control.OnRecordingFileReady(handed, false);

    EXPECT_EQ(ReadBytes(target), "someone else's");
    EXPECT_EQ(ReadBytes(handed), "first");
    EXPECT_EQ(rig.sleeps.size(), 10u) << "ten attempts";
    ASSERT_EQ(rig.prompt.ShownSoFar().size(), 1u);
    EXPECT_TRUE(rig.prompt.ShownSoFar()[0].text.endsWith("(" + handed + ")"));
    EXPECT_FALSE(rig.catalogue.Contains(failed));
    ASSERT_TRUE(rig.catalogue.Contains(running)) << "the list was rebuilt under the running recording";
    EXPECT_EQ(control.State(), S::AutoRecording);

    const QString name = running->m_strName;
    control.OnRecordingFileReady(rig.HandOver("second", 2), false);
    EXPECT_EQ(ReadBytes(rig.folder + name + ".mp3"), "second");
    EXPECT_EQ(running->GetState(), kStateTagPending);
    EXPECT_EQ(control.State(), S::Listening);

    // A handed-over file gone behind the program's back is reported by its name.
    Segment(3000);
    control.OnRecordingFileReady(rig.folder + "TEMvanished.snx", false);
    ASSERT_EQ(rig.prompt.ShownSoFar().size(), 2u);
    EXPECT_TRUE(rig.prompt.ShownSoFar()[1].text.contains("TEMvanished.snx"));
    EXPECT_EQ(control.State(), S::Listening);
}

}  // namespace
}  // namespace sonvelle::testing
