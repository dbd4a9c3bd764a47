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

TEST_F(RecordingTransitions, RecordStartsAManualRecordingAfterStoppingThePlay)
{
    CRecordingEntry* played = rig.PlayStored(S::Playing);
    control.OnRecord();
    EXPECT_EQ(control.State(), S::Recording);
    EXPECT_EQ(control.CurrentRecording(), rig.catalogue.entries.back().get());
    EXPECT_EQ(window.rows.front(), control.CurrentRecording());
    EXPECT_EQ(rig.engine.commands, (std::vector<std::string>{"voice off", "start"}));
    EXPECT_EQ(rig.player.stops, 1);
    EXPECT_EQ(window.notPlayingRows, std::vector<CRecordingEntry*>{played});
}

// Commands and notices that arrive in a state where they mean nothing.
TEST_F(RecordingTransitions, CommandsOutOfTheirStatesChangeNothing)
{
    for (S state : {S::Recording, S::Listening, S::AutoRecording, S::ListeningWhilePlaying}) {
        control.SetState(state);
        control.OnRecord();
        EXPECT_EQ(control.State(), state);
    }
    for (S state : {S::Idle, S::Recording, S::Listening, S::AutoRecording}) {
        control.SetState(state);
        control.OnStopPlaying();
        control.OnSeekPosition(10);
        control.OnButtonRepeat(IDC_FAST_FORWARD);
        EXPECT_EQ(control.State(), state);
    }
    // A voice notice posted just before auto-recording went off starts nothing.
    control.SetState(S::Idle);
    control.OnVoiceDetected();
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_TRUE(window.timers.empty());
    EXPECT_TRUE(rig.catalogue.entries.empty());
    EXPECT_TRUE(rig.engine.commands.empty());
    EXPECT_EQ(rig.player.stops, 0);
    EXPECT_TRUE(rig.player.seeks.empty());
    EXPECT_TRUE(rig.player.steps.empty());
}

TEST_F(RecordingTransitions, PauseAndStopPlayingFromEachPlayingState)
{
    const std::pair<S, S> rows[] = {
        {S::Playing, S::Idle}, {S::ListeningWhilePlaying, S::Listening}, {S::AutoRecordingWhilePlaying, S::AutoRecording}};
    for (auto [from, to] : rows) {
        SCOPED_TRACE(from);
        RecordingRig r;
        r.control.SetState(from);
        r.control.OnStopPlaying();
        EXPECT_EQ(r.control.State(), to);
        r.control.SetState(from);
        r.player.position = 7300;
        r.control.OnPause();
        EXPECT_EQ(r.control.State(), to);
        EXPECT_EQ(r.control.PausedPosition(), 7300u);
        // Stop from the pause forgets the position.
        r.control.OnStopPlaying();
        EXPECT_EQ(r.control.PausedPosition(), 0u);
        EXPECT_EQ(r.player.pauses, 1);
        EXPECT_EQ(r.player.stops, 2);
    }
    // Pause with nothing playing resumes through Play.
    control.OnPause();
    EXPECT_EQ(window.playCommands, 1);
    EXPECT_EQ(rig.player.pauses, 0);
    // A pause at the very start still counts as paused.
    rig.PlayStored(S::Playing);
    control.OnPause();
    EXPECT_TRUE(control.IsPlayingOrPaused());

    // While listening and playing, Stop from anywhere but the auto-recording
    // button (RecordingControlFaults) only ends the play.
    RecordingRig r;
    r.control.SetState(S::ListeningWhilePlaying);
    r.control.OnStop();
    EXPECT_EQ(r.control.State(), S::Listening);
    EXPECT_EQ(r.player.stops, 1);
    EXPECT_TRUE(r.engine.commands.empty());
}

// Switched on during a play, listening leaves the play alone until a voice comes.
TEST_F(RecordingTransitions, AutoRecordingListensAndTheVoiceStartsARecordingThatEndsThePlay)
{
    rig.settings.values.silenceSeconds = 15;
    rig.settings.values.threshold = 9000;
    rig.settings.values.oneFile = true;
    rig.PlayStored(S::Playing);
    control.OnAutoRecording();
    EXPECT_EQ(control.State(), S::ListeningWhilePlaying);
    EXPECT_EQ(rig.player.stops, 0);
    EXPECT_EQ(rig.engine.silenceSeconds, 15);
    EXPECT_EQ(rig.engine.captureThreshold, 9000);
    EXPECT_TRUE(rig.engine.captureOneFile);
    EXPECT_FALSE(rig.engine.writerOneFile);  // segments come under their own names; the window joins them
    EXPECT_EQ(rig.engine.commands, (std::vector<std::string>{"voice on", "start"}));
    // A threshold dropped on the meter reaches the running capture at once (the window stores it).
    control.OnThresholdChanged(4321);
    EXPECT_EQ(rig.engine.captureThreshold, 4321);

    control.OnVoiceDetected();
    EXPECT_EQ(control.State(), S::AutoRecording);
    EXPECT_EQ(rig.player.stops, 1);
    EXPECT_FALSE(window.enabled[IDC_PLAY]);
    CRecordingEntry* recording = control.CurrentRecording();
    ASSERT_NE(recording, nullptr);
    EXPECT_EQ(recording->GetState(), kStateOneFileAuto);
    EXPECT_EQ(window.rows.front(), recording);

    // Back to listening after the file (RecordingSeparateFiles), still playing if it was.
    RecordingRig r;
    r.control.OnAutoRecording();
    r.control.OnVoiceDetected();
    r.control.SetState(S::AutoRecordingWhilePlaying);
    r.control.OnRecordingFileReady(r.HandOver("a", 1), false);
    EXPECT_EQ(r.control.State(), S::ListeningWhilePlaying);
}

// Every way a running recording ends asks for its name and stores the audio;
// switching off while only listening asks about nothing, and a cancelled
// dialog drops the row but keeps the audio where the writer left it.
TEST_F(RecordingTransitions, EndingARecordingStoresItUnderTheChosenName)
{
    struct Row {
        const char* what;
        std::function<void(RecordingRig&)> start, end;
        S after;
        bool asks;
        QString answer = "Kept";
    };
    const auto record = [](RecordingRig& r) { r.control.OnRecord(); };
    const auto stop = [](RecordingRig& r) { r.control.OnStop(); };
    const auto autoButton = [](RecordingRig& r) { r.control.OnAutoRecording(); };
    const auto voice = [](RecordingRig& r) {
        r.control.OnAutoRecording();
        r.control.OnVoiceDetected();
    };
    const Row rows[] = {
        {"manual, stopped", record, stop, S::Idle, true},
        {"manual, cancelled", record, stop, S::Idle, true, ""},
        {"manual, auto-recording on", record, autoButton, S::Listening, true},
        {"listening, switched off", autoButton, autoButton, S::Idle, false},
        {"automatic, switched off", voice, autoButton, S::Idle, true},
        {"automatic while playing, window closed",
         [&](RecordingRig& r) {
             voice(r);
             r.control.SetState(S::AutoRecordingWhilePlaying);
         },
         [](RecordingRig& r) { r.control.EndAutoRecording(); }, S::Idle, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        RecordingRig r;
        row.start(r);
        r.window.saveAnswers = {row.answer};
        r.engine.onStop = [&] { WriteBytes(r.TempFile(), "audio"); };
        r.clock.Advance(12400);
        row.end(r);
        EXPECT_EQ(r.control.State(), row.after);
        EXPECT_EQ(std::count(r.engine.commands.begin(), r.engine.commands.end(), "stop"), 1);
        EXPECT_EQ(r.control.CurrentRecording(), nullptr);
        EXPECT_EQ(r.window.timers.count(TIMER_RECORDING_TIME), 0u);
        EXPECT_EQ(r.window.autoButtonOn, row.after == S::Listening);
        EXPECT_EQ(r.window.dialogFiles.size(), row.asks ? 1u : 0u);
        if (row.answer.isEmpty()) {
            EXPECT_TRUE(r.catalogue.entries.empty());
            EXPECT_TRUE(r.window.rows.empty());
            EXPECT_EQ(ReadBytes(r.TempFile()), "audio");
        } else if (row.asks) {
            ASSERT_EQ(r.catalogue.entries.size(), 1u);
            const CRecordingEntry& kept = *r.catalogue.entries[0];
            EXPECT_EQ(ReadBytes(kept.FilePath()), "audio");
            EXPECT_EQ(kept.m_strName, "Kept");
            EXPECT_EQ(kept.GetState(), kStateTagPending);
            EXPECT_EQ(kept.m_dtDuration.SecondsOfDay(), 12);
            EXPECT_EQ(kept.m_dwSize, 5u);
            EXPECT_EQ(r.catalogue.indexSaves, 1);
        }
    }
}

TEST_F(RecordingTransitions, WindAndSeekMoveThePlayOrThePausedPosition)
{
    rig.PlayStored(S::Playing);
    rig.player.stepResult = 33000;
    control.OnButtonRepeat(IDC_FAST_FORWARD);
    ASSERT_EQ(rig.player.steps.size(), 1u);
    EXPECT_EQ(window.playingSeconds, 33);

    window.positionBarRange = 60;
    rig.player.length = 60500;
    control.OnSeekPosition(30);
    EXPECT_EQ(rig.player.seeks, std::vector<std::uint32_t>{30250});
    EXPECT_EQ(window.playingSeconds, 30);

    rig.player.position = 20000;
    control.OnPause();
    rig.player.stepResult = 14999;
    control.OnButtonRepeat(IDC_FAST_REWIND);
    EXPECT_FALSE(rig.player.steps[1].forward);
    EXPECT_EQ(rig.player.steps[1].from, 20000u);
    EXPECT_FALSE(rig.player.steps[1].apply);
    EXPECT_EQ(control.PausedPosition(), 14999u);
    EXPECT_EQ(window.playingSeconds, 14);
    // A failed step keeps the pause where it was, and a seek to the start keeps the pause.
    rig.player.stepResult = 0;
    control.OnButtonRepeat(IDC_FAST_FORWARD);
    EXPECT_EQ(control.PausedPosition(), 14999u);
    control.OnSeekPosition(0);
    EXPECT_EQ(rig.player.seeks.size(), 1u);
    EXPECT_TRUE(control.IsPlayingOrPaused());
}

TEST_F(RecordingTransitions, PlayTimerMovesTheBarAndEndsThePlayAtTheEnd)
{
    rig.PlayStored(S::Playing);
    rig.player.length = 120000;
    rig.player.position = 30000;
    control.OnTimer(TIMER_PLAYING_POSITION);
    EXPECT_EQ(window.positionBar, 15);  // a quarter of the 60 s stored duration
    EXPECT_EQ(control.State(), S::Playing);
    rig.player.position = 120000;
    control.OnTimer(TIMER_PLAYING_POSITION);
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_EQ(window.timers.count(TIMER_PLAYING_POSITION), 0u);
}

class RecordingTimers : public RecordingTransitions {};

TEST_F(RecordingTimers, ElapsedTimeDisplay)
{
    control.OnRecord();
    window.RunFor(rig.clock, 75 * 60 * 1000 + 4000, 1000);
    EXPECT_EQ(window.recordingSeconds, 75 * 60 + 4);
}

TEST_F(RecordingTimers, WarningAfterItsDelayAndAtEveryInterval)
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
    EXPECT_FALSE(window.sliderEnabled);
    EXPECT_EQ(window.sliderPosition, 0u);
    window.StartTimer(TIMER_WARNING_SOUND, 1000);
    window.RunFor(rig.clock, 5000);
    EXPECT_TRUE(rig.warning.played.empty());
    EXPECT_EQ(window.timers.count(TIMER_WARNING_SOUND), 0u);

    control.OnVoiceDetected();
    window.RunFor(rig.clock, 15000);
    EXPECT_EQ(rig.warning.played.size(), 1u);
    EXPECT_EQ(window.speakerVolume, 40000u);
    EXPECT_EQ(window.timers.at(TIMER_WARNING_SOUND_END).first, 800);
    window.RunFor(rig.clock, 1000);
    EXPECT_EQ(window.speakerVolume, 0u);

    rig.warning.playSucceeds = false;
    window.RunFor(rig.clock, 20000);
    EXPECT_EQ(rig.prompt.ShownSoFar().size(), 2u);
    EXPECT_EQ(window.speakerVolume, 0u);
    EXPECT_EQ(control.State(), S::AutoRecording);

    control.OnAutoRecording();
    EXPECT_EQ(window.speakerVolume, 40000u);
    EXPECT_TRUE(window.sliderEnabled);
    EXPECT_EQ(window.sliderPosition, 40000u);
}

}  // namespace
}  // namespace sonvelle::testing
