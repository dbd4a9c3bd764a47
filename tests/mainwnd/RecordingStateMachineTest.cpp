// The recording state machine: transitions, how a running recording ends,
// the transport while playing, and the timers (elapsed time, warning sound).

#include "RecordingControlTestDoubles.h"

#include <gtest/gtest.h>

namespace sonvelle::testing {
namespace {

class RecordingTransitions : public ::testing::Test {
protected:
    RecordingRig rig;
    CRecordingControl& control = rig.control;
    CFakeWindow& window = rig.window;
};

// Commands and notices that arrive in a state where they mean nothing; Record
// from a play stops the play first.
TEST_F(RecordingTransitions, CommandsOutOfTheirStatesChangeNothingAndRecordStopsAPlay)
{
    for (S state : {S::Recording, S::Listening, S::AutoRecording, S::ListeningWhilePlaying}) {
        control.SetState(state);
        control.OnRecord();
        EXPECT_EQ(control.State(), state);
    }
    // A voice notice posted just before auto-recording went off starts nothing.
    control.SetState(S::Idle);
    control.OnVoiceDetected();
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_TRUE(rig.catalogue.entries.empty());
    EXPECT_TRUE(rig.engine.commands.empty());

    rig.PlayStored(S::Playing);
    control.OnRecord();
    EXPECT_EQ(control.State(), S::Recording);
    EXPECT_NE(control.CurrentRecording(), nullptr);
    EXPECT_EQ(rig.engine.commands, (std::vector<std::string>{"voice off", "start"}));
    EXPECT_EQ(rig.player.stops, 1);
}

// Stop from anywhere but the auto-recording button (RecordingControlFaults) only
// ends the play; a pause keeps its position, also at the very start, until a stop.
TEST_F(RecordingTransitions, StopEndsOnlyThePlayAndAPauseKeepsItsPositionUntilAStop)
{
    const std::pair<S, S> rows[] = {
        {S::Playing, S::Idle}, {S::ListeningWhilePlaying, S::Listening}, {S::AutoRecordingWhilePlaying, S::AutoRecording}};
    for (auto [from, to] : rows) {
        control.SetState(from);
        control.OnStop();
        EXPECT_EQ(control.State(), to) << static_cast<int>(from);
    }
    EXPECT_TRUE(rig.engine.commands.empty());
    EXPECT_EQ(rig.player.stops, 3);

    rig.PlayStored(S::Playing, 7300);
    control.OnPause();
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_EQ(control.PausedPosition(), 7300u);
    EXPECT_EQ(rig.player.pauses, 1);
    control.OnStopPlaying();
    EXPECT_EQ(control.PausedPosition(), 0u);
    // With nothing playing, Pause resumes through Play.
    control.OnPause();
    EXPECT_EQ(window.playCommands, 1);
    rig.PlayStored(S::Playing);
    control.OnPause();
    EXPECT_TRUE(control.IsPlayingOrPaused());
}

// Switched on during a play, listening leaves the play alone until a voice comes.
TEST_F(RecordingTransitions, AutoRecordingListensAndTheVoiceStartsARecordingThatEndsThePlay)
{
    rig.settings.values.oneFile = true;
    rig.PlayStored(S::Playing);
    control.OnAutoRecording();
    EXPECT_EQ(control.State(), S::ListeningWhilePlaying);
    EXPECT_EQ(rig.player.stops, 0);
    EXPECT_FALSE(rig.engine.writerOneFile);  // segments come under their own names; the window joins them
    // A threshold dropped on the meter reaches the running capture at once (the window stores it).
    control.OnThresholdChanged(4321);
    EXPECT_EQ(rig.engine.captureThreshold, 4321);

    control.OnVoiceDetected();
    EXPECT_EQ(control.State(), S::AutoRecording);
    EXPECT_EQ(rig.player.stops, 1);
    ASSERT_NE(control.CurrentRecording(), nullptr);
    EXPECT_EQ(control.CurrentRecording()->GetState(), kStateOneFileAuto);

    // Back to listening after the file (RecordingSeparateFiles), still playing if it was.
    control.SetState(S::AutoRecordingWhilePlaying);
    control.OnRecordingFileReady(rig.HandOver("a", 1), false);
    EXPECT_EQ(control.State(), S::ListeningWhilePlaying);
}

// A manual recording ended by Stop or by switching auto-recording on asks for
// its name; a cancel drops the row but keeps the audio where the writer left
// it. Automatic recordings end in RecordingSeparateFiles and RecordingControlFaults.
TEST_F(RecordingTransitions, EndingAManualRecordingStoresItUnderTheChosenName)
{
    struct Row {
        const char* what;
        std::function<void(CRecordingControl&)> end;
        S after;
        QString answer;
    };
    const Row rows[] = {
        {"stopped, cancelled", [](CRecordingControl& c) { c.OnStop(); }, S::Idle, ""},
        {"auto-recording switched on", [](CRecordingControl& c) { c.OnAutoRecording(); }, S::Listening, "Kept"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RecordingRig r;
        r.control.OnRecord();
        r.window.saveAnswers = {row.answer};
        r.engine.onStop = [&] { WriteBytes(r.TempFile(), "audio"); };
        r.clock.Advance(12400);
        row.end(r.control);
        EXPECT_EQ(r.control.State(), row.after);
        EXPECT_EQ(std::count(r.engine.commands.begin(), r.engine.commands.end(), "stop"), 1);
        EXPECT_EQ(r.control.CurrentRecording(), nullptr);
        EXPECT_EQ(r.window.dialogFiles.size(), 1u);
        if (row.answer.isEmpty()) {
            EXPECT_TRUE(r.catalogue.entries.empty());
            EXPECT_TRUE(r.window.rows.empty());
            EXPECT_EQ(ReadBytes(r.TempFile()), "audio");
            continue;
        }
        ASSERT_EQ(r.catalogue.entries.size(), 1u);
        const CRecordingEntry& kept = *r.catalogue.entries[0];
        EXPECT_EQ(ReadBytes(kept.FilePath()), "audio");
        EXPECT_EQ(kept.m_strName, "Kept");
        EXPECT_EQ(kept.m_dtDuration.SecondsOfDay(), 12);
        EXPECT_EQ(r.catalogue.indexSaves, 1);
    }
}

// The end of a play is driven through the window in RecordFromWindow.
TEST_F(RecordingTransitions, WindAndSeekMoveThePlayOrThePausedPosition)
{
    rig.PlayStored(S::Playing);
    rig.player.stepResult = 33000;
    control.OnButtonRepeat(IDC_FAST_FORWARD);
    ASSERT_EQ(rig.player.steps.size(), 1u);
    EXPECT_TRUE(rig.player.steps[0].apply);

    window.positionBarRange = 60;
    rig.player.length = 60500;
    control.OnSeekPosition(30);
    EXPECT_EQ(rig.player.seeks, std::vector<std::uint32_t>{30250});

    rig.player.position = 20000;
    control.OnPause();
    rig.player.stepResult = 14999;
    control.OnButtonRepeat(IDC_FAST_REWIND);
    EXPECT_FALSE(rig.player.steps[1].forward);
    EXPECT_EQ(rig.player.steps[1].from, 20000u);
    EXPECT_FALSE(rig.player.steps[1].apply);
    EXPECT_EQ(control.PausedPosition(), 14999u);
    // A failed step keeps the pause where it was, and a seek to the start keeps the pause.
    rig.player.stepResult = 0;
    control.OnButtonRepeat(IDC_FAST_FORWARD);
    EXPECT_EQ(control.PausedPosition(), 14999u);
    control.OnSeekPosition(0);
    EXPECT_EQ(rig.player.seeks.size(), 1u);
    EXPECT_TRUE(control.IsPlayingOrPaused());
}

class RecordingTimers : public RecordingTransitions {};

TEST_F(RecordingTimers, ElapsedTimeAndWarningAfterItsDelayAndAtEveryInterval)
{
    struct Row {
        bool after, every;
        std::uint32_t runMs;
        std::vector<std::uint32_t> times;
    };
    const Row rows[] = {
        {true, true, 40000, {15000, 25000, 35000}},   // first after 15 s, then every 10 s
        {false, true, 35000, {10000, 20000, 30000}},  // every 10 s only
        {true, false, 60000, {15000}},                // once
    };
    for (const Row& row : rows) {
        RecordingRig r;
        r.settings.values.warningSound = true;
        r.settings.values.warningAfter = row.after;
        r.settings.values.warningAfterSeconds = 15;
        r.settings.values.warningEvery = row.every;
        r.settings.values.warningEverySeconds = 10;
        r.warning.length = 800;
        r.control.OnRecord();
        const std::uint32_t start = r.clock.NowMs();
        r.window.RunFor(r.clock, row.runMs);
        std::vector<std::uint32_t> times;
        for (auto& [path, at] : r.warning.played)
            times.push_back(at - start);
        EXPECT_EQ(times, row.times) << row.after << row.every;
        EXPECT_EQ(r.warning.played[0].first, "/nowhere/Beep1.wav");
        EXPECT_EQ(r.window.recordingSeconds, row.runMs / 1000);
    }
}

// No warning while only listening; when one plays the speakers open just for
// it, and close again when it cannot play (the message is the window's).
TEST_F(RecordingTimers, SpeakersAreMutedWhileListeningAndOpenOnlyForTheWarning)
{
    rig.settings.values.warningSound = true;
    rig.settings.values.warningEvery = true;
    rig.warning.length = 800;
    control.OnAutoRecording();
    EXPECT_EQ(window.speakerVolume, 0u);
    window.StartTimer(TIMER_WARNING_SOUND, 1000);
    window.RunFor(rig.clock, 5000);
    EXPECT_TRUE(rig.warning.played.empty());
    EXPECT_EQ(window.timers.count(TIMER_WARNING_SOUND), 0u);

    control.OnVoiceDetected();
    window.RunFor(rig.clock, 15000);
    EXPECT_EQ(rig.warning.played.size(), 1u);
    EXPECT_EQ(window.speakerVolume, 40000u);
    window.RunFor(rig.clock, 1000);
    EXPECT_EQ(window.speakerVolume, 0u);

    rig.warning.playSucceeds = false;
    window.RunFor(rig.clock, 20000);
    EXPECT_EQ(window.speakerVolume, 0u);
    EXPECT_EQ(control.State(), S::AutoRecording);

    control.OnAutoRecording();
    EXPECT_EQ(window.speakerVolume, 40000u);
}

}  // namespace
}  // namespace sonvelle::testing
