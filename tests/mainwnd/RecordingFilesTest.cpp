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

// A file may be overtaken by the next voice notice: it still goes to the older
// recording. With confirmation each is asked for (end to end in RecordFromWindow),
// and a cancel drops only its own file.
TEST_F(RecordingSeparateFiles, FinishedFilesAreStoredUnderTheirRecordingsNamesOrAsAnswered)
{
    CRecordingEntry* first = Segment(5000);
    CRecordingEntry* second = Segment(3000);
    const QString handed = rig.HandOver("first", 1);
    control.OnRecordingFileReady(handed, false);
    EXPECT_FALSE(QFile::exists(handed));
    EXPECT_EQ(ReadBytes(first->FilePath()), "first");
    EXPECT_EQ(first->GetState(), kStateTagPending);
    EXPECT_EQ(rig.catalogue.indexSaves, 1);
    EXPECT_EQ(control.State(), S::AutoRecording);

    rig.clock.Advance(4500);
    control.OnRecordingFileReady(rig.HandOver("second", 2), false);
    EXPECT_EQ(ReadBytes(second->FilePath()), "second");
    EXPECT_EQ(second->m_dtDuration.SecondsOfDay(), 8);  // 7.5 s rounded
    EXPECT_EQ(control.State(), S::Listening);
    EXPECT_EQ(window.rows, (std::vector<CRecordingEntry*>{second, first}));

    rig.settings.values.askConfirmation = true;
    window.saveAnswers = {"Morning call", ""};
    CRecordingEntry* kept = Segment(4000);
    const QString third = rig.HandOver("third", 3);
    control.OnRecordingFileReady(third, false);
    EXPECT_EQ(window.dialogFiles, std::vector<QString>{third});
    CRecordingEntry* dropped = Segment(4000);
    const QString fourth = rig.HandOver("fourth", 4);
    control.OnRecordingFileReady(fourth, false);
    EXPECT_FALSE(QFile::exists(fourth));
    EXPECT_FALSE(rig.catalogue.Contains(dropped));
    EXPECT_EQ(window.rows, (std::vector<CRecordingEntry*>{kept, second, first}));
    EXPECT_EQ(ReadBytes(rig.folder + "Morning call.mp3"), "third");
}

// Switched off with a segment running: files that arrive while its save dialog
// is open or after it are stored and listed on their own, and leave alone the
// recording named in the dialog and a manual recording started next.
TEST_F(RecordingSeparateFiles, FilesArrivingDuringOrAfterTheSwitchOffAreStoredAndListedOnTheirOwn)
{
    CRecordingEntry* running = Segment(3000);
    const QString inDialog = rig.HandOver("finished segment", 3);
    window.saveAnswers = {"In the dialog"};
    window.onSaveDialog = [&](CRecordingEntry&, const QString&) {
        EXPECT_TRUE(control.IsSaveDialogOpen());
        control.OnRecordingFileReady(inDialog, false);
    };
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), "tail"); };
    control.OnAutoRecording();
    ASSERT_EQ(control.State(), S::Idle);
    ASSERT_TRUE(rig.catalogue.Contains(running));
    EXPECT_EQ(running->m_strName, "In the dialog");
    EXPECT_EQ(ReadBytes(running->FilePath()), "tail");
    ASSERT_EQ(window.rows.size(), 2u);
    EXPECT_EQ(ReadBytes(window.rows.front()->FilePath()), "finished segment");

    rig.player.measuredSeconds = 42;
    const QString late = rig.HandOver("late audio", 7);
    control.OnRecordingFileReady(late, false);
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_FALSE(QFile::exists(late));
    ASSERT_EQ(window.rows.size(), 3u);
    CRecordingEntry* stored = window.rows.front();
    EXPECT_EQ(ReadBytes(stored->FilePath()), "late audio");
    EXPECT_EQ(stored->GetState(), kStateTagPending);
    EXPECT_EQ(stored->m_dtDuration.SecondsOfDay(), 42);
    const QString bump = rig.HandOver("bump", 8);
    control.OnRecordingFileReady(bump, true);
    EXPECT_FALSE(QFile::exists(bump));
    EXPECT_EQ(window.rows.size(), 3u);

    control.OnRecord();
    CRecordingEntry* manual = control.CurrentRecording();
    control.OnRecordingFileReady(rig.HandOver("later", 9), false);
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
    void SwitchOff(const QString& answer)
    {
        window.saveAnswers = {answer};
        control.OnAutoRecording();
    }
};

// A bump leaves the single recording, its length and the segments after it
// alone (a real click in one-file mode runs end to end in RecordFromWindow);
// only bumps leave nothing to ask about, and a cancel deletes the single file.
TEST_F(RecordingOneFile, BumpsLeaveTheSingleRecordingAndACancelledDialogDeletesIt)
{
    CRecordingEntry* bump = rig.SegmentFile("click", 2100, true);
    SwitchOff("Not asked");
    EXPECT_TRUE(window.dialogFiles.empty());
    EXPECT_FALSE(rig.catalogue.Contains(bump));

    control.OnAutoRecording();
    CRecordingEntry* single = rig.SegmentFile("speech", 10000);
    rig.SegmentFile("click", 2100, true);
    EXPECT_TRUE(rig.catalogue.Contains(single));
    EXPECT_EQ(single->m_dtDuration.SecondsOfDay(), 10);
    EXPECT_EQ(rig.SegmentFile("+more", 4000), single);
    window.onSaveDialog = [](CRecordingEntry&, const QString& file) { EXPECT_EQ(ReadBytes(file), "speech+more"); };
    SwitchOff("");
    ASSERT_EQ(window.dialogFiles.size(), 1u);
    EXPECT_FALSE(QFile::exists(window.dialogFiles[0]));
    EXPECT_TRUE(rig.catalogue.entries.empty());
    EXPECT_EQ(QDir(rig.folder).entryList({"*.mp3", "*.snx"}, QDir::Files), QStringList{});
}

// Faults that once lost or damaged recordings: a click that needed a second
// one, a paused play left out at close, the single file split by a rename or
// written into someone else's file (a store failure that dropped the recording
// running meanwhile is driven through the window in RecordingWindowFaults).
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
        SCOPED_TRACE(::testing::Message() << static_cast<int>(c.playing) << (c.pause ? " paused" : ""));
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
    WriteBytes(rig.TempFile(), "mine");
    control.OnRecordingFileReady(rig.TempFile(), false);
    rig.SegmentFile("+more");
    EXPECT_EQ(ReadBytes(rig.folder + "Unlisted.mp3"), "theirs");
    EXPECT_EQ(single->m_dwSize, 9u);

    SwitchOff("Mine");
    EXPECT_EQ(ReadBytes(rig.folder + "Mine.mp3"), "mine+more");
    EXPECT_EQ(ReadBytes(rig.folder + "Unlisted.mp3"), "theirs");
}

}  // namespace
}  // namespace sonvelle::testing
