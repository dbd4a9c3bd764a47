// Faults that once lost or damaged recordings: a click that needed a second
// one, a paused play left out at close, the single file split by a rename or
// written into someone else's file, and a store failure that dropped the
// recording running meanwhile.

#include "RecordingControlTestDoubles.h"

#include <gtest/gtest.h>

namespace sonvelle::testing {
namespace {

using Rig = RecordingRig;

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
        Rig r;
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
        Rig r;
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
        Rig r;
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

TEST(RecordingControlFaults, SingleFileNeverGrowsInsideAFileItDidNotMake)
{
    Rig r;
    r.settings.values.oneFile = true;
    WriteBytes(r.folder + "Unlisted.mp3", "theirs");
    r.control.OnAutoRecording();
    CRecordingEntry* single = r.Segment(3000);
    // Renamed through the name field before its first segment arrived.
    single->m_strName = "Unlisted";
    WriteBytes(r.TempFile(), "mine");
    r.control.OnRecordingFileReady(r.TempFile(), false);
    r.SegmentFile("+more");
    EXPECT_EQ(ReadBytes(r.folder + "Unlisted.mp3"), "theirs");
    EXPECT_EQ(single->m_dwSize, 9u);

    r.window.saveAnswers = {"Mine"};
    r.control.EndAutoRecording();
    EXPECT_EQ(ReadBytes(r.folder + "Mine.mp3"), "mine+more");
    EXPECT_EQ(ReadBytes(r.folder + "Unlisted.mp3"), "theirs");
}

// An occupied name is retried, then reported; nothing is put over the other
// file, and the recording running meanwhile is neither dropped nor unlisted.
TEST(RecordingControlFaults, StoreFailureReplacesNothingAndKeepsTheRecordingRunningMeanwhile)
{
    Rig r;
    r.control.OnAutoRecording();
    CRecordingEntry* failed = r.Segment(3000);
    CRecordingEntry* running = r.Segment(2000);
    const QString target = r.folder + failed->m_strName + ".mp3";
    WriteBytes(target, "someone else's");
    const QString handed = r.HandOver("first", 1);
    r.control.OnRecordingFileReady(handed, false);

    EXPECT_EQ(ReadBytes(target), "someone else's");
    EXPECT_EQ(ReadBytes(handed), "first");
    EXPECT_EQ(r.sleeps.size(), 10u) << "ten attempts";
    ASSERT_EQ(r.prompt.ShownSoFar().size(), 1u);
    EXPECT_TRUE(r.prompt.ShownSoFar()[0].text.endsWith("(" + handed + ")"));
    EXPECT_FALSE(r.catalogue.Contains(failed));
    ASSERT_TRUE(r.catalogue.Contains(running)) << "the list was rebuilt under the running recording";
    EXPECT_EQ(r.control.State(), S::AutoRecording);

    const QString name = running->m_strName;
    r.control.OnRecordingFileReady(r.HandOver("second", 2), false);
    EXPECT_EQ(ReadBytes(r.folder + name + ".mp3"), "second");
    EXPECT_EQ(running->GetState(), kStateTagPending);
    EXPECT_EQ(r.control.State(), S::Listening);

    // A handed-over file gone behind the program's back is reported by its name.
    r.Segment(3000);
    r.control.OnRecordingFileReady(r.folder + "TEMvanished.snx", false);
    ASSERT_EQ(r.prompt.ShownSoFar().size(), 2u);
    EXPECT_TRUE(r.prompt.ShownSoFar()[1].text.contains("TEMvanished.snx"));
    EXPECT_EQ(r.control.State(), S::Listening);
}

}  // namespace
}  // namespace sonvelle::testing
