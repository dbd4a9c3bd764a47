// The recording state machine: transitions, the controls each one switches,
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

    void GiveListOneRecording()
    {
        CRecordingEntry* e = rig.catalogue.CreateRecording("");
        e->SetState(kStateSaved);
        window.rows.push_back(e);
        window.selected = e;
    }
    void StartPlaying(S state)
    {
        GiveListOneRecording();
        control.SetState(state);
        control.SetPlayingRecording(window.rows.back(), 60);
        window.StartTimer(TIMER_PLAYING_POSITION, 450);
    }
};

TEST_F(RecordingTransitions, RecordFromIdleStartsAManualRecording)
{
    control.OnRecord();
    EXPECT_EQ(control.State(), S::Recording);
    ASSERT_EQ(rig.catalogue.entries.size(), 1u);
    CRecordingEntry* entry = rig.catalogue.entries[0].get();
    EXPECT_EQ(control.CurrentRecording(), entry);
    EXPECT_EQ(window.rows.front(), entry);
    EXPECT_TRUE(window.enabled[IDC_STOP]);
    EXPECT_FALSE(window.enabled[IDC_RECORD]);
    EXPECT_FALSE(window.enabled[IDC_AUTO_RECORD]);
    EXPECT_FALSE(window.enabled[IDC_PLAY]);
    EXPECT_EQ(window.timers.at(TIMER_RECORDING_TIME).first, 100);
    EXPECT_EQ(rig.engine.commands, (std::vector<std::string>{"voice off", "start"}));
    EXPECT_EQ(window.focus, IDC_CALL_LOG);
}

TEST_F(RecordingTransitions, RecordWhilePlayingStopsThePlayFirst)
{
    StartPlaying(S::Playing);
    CRecordingEntry* played = window.rows.back();
    control.OnRecord();
    EXPECT_EQ(control.State(), S::Recording);
    EXPECT_EQ(rig.player.stops, 1);
    EXPECT_EQ(window.timers.count(TIMER_PLAYING_POSITION), 0u);
    EXPECT_EQ(window.notPlayingRows, std::vector<CRecordingEntry*>{played});
    EXPECT_FALSE(window.enabled[IDC_PLAY]);
    EXPECT_FALSE(window.enabled[IDC_AUTO_RECORD]);
    EXPECT_EQ(control.PlayingRecording(), nullptr);
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
        EXPECT_EQ(control.State(), state);
    }
    EXPECT_TRUE(rig.catalogue.entries.empty());
    EXPECT_TRUE(rig.engine.commands.empty());
    EXPECT_EQ(rig.player.stops, 0);
    EXPECT_TRUE(rig.player.seeks.empty());

    // A voice notice posted just before auto-recording went off starts nothing.
    control.SetState(S::Idle);
    control.OnVoiceDetected();
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_TRUE(window.timers.empty());
    // Wind buttons with nothing playing only take the focus back to the list.
    window.focus = IDC_STOP;
    control.OnButtonRepeat(IDC_FAST_FORWARD);
    EXPECT_TRUE(rig.player.steps.empty());
    EXPECT_EQ(window.focus, IDC_CALL_LOG);
    // The level shows only while capturing.
    for (S state : {S::Idle, S::Playing, S::Listening}) {
        control.SetState(state);
        control.OnInputLevel(1234);
        EXPECT_EQ(window.level, state == S::Listening ? 1234 : -1) << state;
    }
}

TEST_F(RecordingTransitions, StopEndsAManualRecordingAndSavesItUnderTheChosenName)
{
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), "mp3 audio"); };
    window.saveAnswers = {"Call with the bank"};
    control.OnRecord();
    rig.clock.Advance(12400);
    control.OnStop();

    EXPECT_EQ(control.State(), S::Idle);
    ASSERT_EQ(window.dialogFiles.size(), 1u);
    EXPECT_TRUE(window.dialogFiles[0].isEmpty());
    CRecordingEntry* entry = rig.Entry("Call with the bank");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->GetState(), kStateTagPending);
    EXPECT_EQ(entry->m_dtDuration.SecondsOfDay(), 12);
    EXPECT_EQ(entry->m_dwSize, 9u);
    EXPECT_EQ(ReadBytes(rig.folder + "Call with the bank.mp3"), "mp3 audio");
    EXPECT_EQ(rig.catalogue.indexSaves, 1);
    EXPECT_EQ(control.CurrentRecording(), nullptr);
    EXPECT_EQ(window.timers.count(TIMER_RECORDING_TIME), 0u);
    EXPECT_EQ(rig.engine.commands.back(), "stop");
    EXPECT_GE(window.listDependentUpdates, 1);
}

TEST_F(RecordingTransitions, StopWithTheDialogCancelledDropsTheRowButNoFile)
{
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), "kept audio"); };
    window.saveAnswers = {""};
    control.OnRecord();
    control.OnStop();
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_TRUE(rig.catalogue.entries.empty());
    EXPECT_TRUE(window.rows.empty());
    EXPECT_EQ(ReadBytes(rig.TempFile()), "kept audio");
}

TEST_F(RecordingTransitions, PauseFromEachPlayingState)
{
    const std::vector<std::pair<S, S>> rows = {
        {S::Playing, S::Idle}, {S::ListeningWhilePlaying, S::Listening}, {S::AutoRecordingWhilePlaying, S::AutoRecording}};
    for (auto [from, to] : rows) {
        RecordingRig r;
        r.player.position = 7300;
        r.control.SetState(from);
        r.control.OnPause();
        EXPECT_EQ(r.control.State(), to) << from;
        EXPECT_EQ(r.control.PausedPosition(), 7300u) << from;
        EXPECT_EQ(r.player.pauses, 1) << from;
        EXPECT_TRUE(r.window.enabled[IDC_PLAY]) << from;
        EXPECT_EQ(r.window.playLabel, "PAUSE") << from;
    }
    // Pause with nothing playing resumes through Play.
    control.OnPause();
    EXPECT_EQ(window.playCommands, 1);
    EXPECT_EQ(rig.player.pauses, 0);
    // A pause at the very start still counts as paused.
    StartPlaying(S::Playing);
    rig.player.position = 0;
    control.OnPause();
    EXPECT_TRUE(control.IsPlayingOrPaused());
}

TEST_F(RecordingTransitions, StopPlayingFromEachPlayingStateAndFromPause)
{
    const std::vector<std::pair<S, S>> rows = {
        {S::Playing, S::Idle}, {S::ListeningWhilePlaying, S::Listening}, {S::AutoRecordingWhilePlaying, S::AutoRecording}};
    for (auto [from, to] : rows) {
        RecordingRig r;
        r.window.enabled[IDC_STOP] = true;
        r.control.SetState(from);
        r.control.OnStopPlaying();
        EXPECT_EQ(r.control.State(), to) << from;
        EXPECT_EQ(r.player.stops, 1) << from;
        EXPECT_FALSE(r.window.positionBarEnabled) << from;
        EXPECT_EQ(r.window.positionBar, 0) << from;
        EXPECT_FALSE(r.window.enabled[IDC_STOP]) << from;
    }

    StartPlaying(S::Playing);
    rig.player.position = 5000;
    control.OnPause();
    ASSERT_EQ(control.State(), S::Idle);
    control.OnStopPlaying();
    EXPECT_EQ(control.PausedPosition(), 0u);
    EXPECT_EQ(rig.player.stops, 1);
}

TEST_F(RecordingTransitions, StopPlayingRemovesTheWorkingCopyOfAProtectedRecording)
{
    StartPlaying(S::Playing);
    CRecordingEntry* played = window.rows.back();
    played->m_bProtected = true;
    const QString copy = rig.folder + played->m_strName + ".snx";
    WriteBytes(copy, "deciphered");
    WriteBytes(played->FilePath(), "enciphered");
    control.OnStopPlaying();
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(QFile::exists(played->FilePath()));
}

TEST_F(RecordingTransitions, AutoRecordingOnFromIdleAndFromPlaying)
{
    rig.settings.values.silenceSeconds = 15;
    rig.settings.values.threshold = 9000;
    rig.settings.values.oneFile = true;
    control.OnAutoRecording();
    EXPECT_EQ(control.State(), S::Listening);
    EXPECT_TRUE(window.autoButtonOn);
    EXPECT_FALSE(window.enabled[IDC_RECORD]);
    EXPECT_EQ(rig.settings.reloads, 1);
    EXPECT_EQ(window.thresholdMark, 9000);
    EXPECT_EQ(rig.engine.silenceSeconds, 15);
    EXPECT_EQ(rig.engine.captureThreshold, 9000);
    EXPECT_TRUE(rig.engine.captureOneFile);
    EXPECT_FALSE(rig.engine.writerOneFile);  // segments come under their own names; the window joins them
    EXPECT_EQ(rig.engine.writerWindowGiven, 1);
    EXPECT_EQ(rig.engine.commands, (std::vector<std::string>{"voice on", "start"}));
    EXPECT_EQ(rig.sleeps, std::vector<int>{600});
    EXPECT_EQ(window.focus, IDC_CALL_LOG);

    RecordingRig r;
    r.control.SetState(S::Playing);
    r.control.OnAutoRecording();
    EXPECT_EQ(r.control.State(), S::ListeningWhilePlaying);
    EXPECT_EQ(r.player.stops, 0);
}

TEST_F(RecordingTransitions, AutoRecordingOnDuringAManualRecordingSavesThatRecordingFirst)
{
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), "manual"); };
    window.saveAnswers = {"Manual one"};
    control.OnRecord();
    control.OnAutoRecording();
    EXPECT_EQ(control.State(), S::Listening);
    EXPECT_EQ(ReadBytes(rig.folder + "Manual one.mp3"), "manual");
    EXPECT_EQ(control.CurrentRecording(), nullptr);
}

TEST_F(RecordingTransitions, AutoRecordingOffRunsStop)
{
    for (S from : {S::Listening, S::AutoRecording}) {
        RecordingRig r;
        r.control.OnAutoRecording();
        if (from == S::AutoRecording)
            r.control.OnVoiceDetected();
        ASSERT_EQ(r.control.State(), from);
        r.window.saveAnswers = {"Kept"};
        r.engine.onStop = [&] { WriteBytes(r.TempFile(), "auto audio"); };
        r.window.SetFocusTo(IDC_AUTO_RECORD);
        r.control.OnAutoRecording();
        EXPECT_EQ(r.control.State(), S::Idle) << from;
        EXPECT_EQ(r.engine.commands.back(), "stop") << from;
        EXPECT_FALSE(r.window.autoButtonOn) << from;
        EXPECT_EQ(r.window.dialogFiles.size(), from == S::AutoRecording ? 1u : 0u) << from;
    }
}

// While listening and playing, the auto-recording button ends auto-recording
// and keeps the play; Stop from anywhere else only ends the play.
TEST_F(RecordingTransitions, StopWhileListeningAndPlayingDependsOnWhoAsked)
{
    StartPlaying(S::ListeningWhilePlaying);
    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    EXPECT_EQ(control.State(), S::Playing);
    EXPECT_EQ(rig.player.stops, 0);
    EXPECT_EQ(rig.engine.commands.back(), "stop");

    RecordingRig r;
    r.control.SetState(S::ListeningWhilePlaying);
    r.window.SetFocusTo(IDC_STOP);
    r.control.OnStop();
    EXPECT_EQ(r.control.State(), S::Listening);
    EXPECT_EQ(r.player.stops, 1);
    EXPECT_TRUE(r.engine.commands.empty());
}

TEST_F(RecordingTransitions, VoiceDetectedStartsAnAutomaticRecording)
{
    control.OnAutoRecording();
    window.inTray = true;
    control.OnVoiceDetected();
    EXPECT_EQ(control.State(), S::AutoRecording);
    ASSERT_EQ(rig.catalogue.entries.size(), 1u);
    CRecordingEntry* entry = rig.catalogue.entries[0].get();
    EXPECT_EQ(entry->GetState(), kStateRecording);
    EXPECT_EQ(window.rows.front(), entry);
    EXPECT_EQ(window.selected, entry);
    EXPECT_EQ(control.PendingCount(), 1u);
    EXPECT_EQ(window.trayIcon, 324);
    EXPECT_TRUE(window.timers.count(TIMER_RECORDING_TIME));

    // Listening while playing: the voice stops the play.
    RecordingRig r;
    r.control.OnAutoRecording();
    r.control.SetState(S::ListeningWhilePlaying);
    r.control.OnVoiceDetected();
    EXPECT_EQ(r.control.State(), S::AutoRecording);
    EXPECT_EQ(r.player.stops, 1);
    EXPECT_FALSE(r.window.enabled[IDC_PLAY]);
}

TEST_F(RecordingTransitions, FileReadyReturnsToListening)
{
    for (auto [from, to] : std::vector<std::pair<S, S>>{{S::AutoRecording, S::Listening},
                                                             {S::AutoRecordingWhilePlaying, S::ListeningWhilePlaying}}) {
        RecordingRig r;
        r.control.OnAutoRecording();
        r.control.OnVoiceDetected();
        r.control.SetState(from);
        r.control.OnRecordingFileReady(r.HandOver("a", 1), false);
        EXPECT_EQ(r.control.State(), to);
    }
}

TEST_F(RecordingTransitions, CloseEndsAnAutomaticRecordingEvenWhilePlaying)
{
    control.OnAutoRecording();
    control.OnVoiceDetected();
    StartPlaying(S::AutoRecordingWhilePlaying);
    window.saveAnswers = {"At close"};
    rig.engine.onStop = [&] { WriteBytes(rig.TempFile(), "closing audio"); };
    window.SetFocusTo(IDC_CALL_LOG);
    control.EndAutoRecording();
    EXPECT_EQ(control.State(), S::Idle);
    EXPECT_EQ(ReadBytes(rig.folder + "At close.mp3"), "closing audio");
}

class RecordingTransport : public RecordingTransitions {};

TEST_F(RecordingTransport, WindButtonsStepThePlayingPlayerAndMoveThePausedPosition)
{
    StartPlaying(S::Playing);
    rig.player.stepResult = 33000;
    control.OnButtonRepeat(IDC_FAST_FORWARD);
    ASSERT_EQ(rig.player.steps.size(), 1u);
    EXPECT_TRUE(rig.player.steps[0].forward);
    EXPECT_EQ(rig.player.steps[0].from, 0u);
    EXPECT_TRUE(rig.player.steps[0].apply);
    EXPECT_EQ(window.playingSeconds, 33);
    EXPECT_EQ(window.positionBar, 33);

    rig.player.position = 20000;
    control.OnPause();
    rig.player.stepResult = 14999;
    control.OnButtonRepeat(IDC_FAST_REWIND);
    EXPECT_FALSE(rig.player.steps[1].forward);
    EXPECT_EQ(rig.player.steps[1].from, 20000u);
    EXPECT_FALSE(rig.player.steps[1].apply);
    EXPECT_EQ(control.PausedPosition(), 14999u);
    EXPECT_EQ(window.playingSeconds, 14);

    // A failed step keeps the pause where it was.
    rig.player.stepResult = 0;
    control.OnButtonRepeat(IDC_FAST_FORWARD);
    EXPECT_EQ(control.PausedPosition(), 14999u);
    EXPECT_EQ(window.focus, IDC_CALL_LOG);
}

TEST_F(RecordingTransport, SeekScalesTheBarToThePlayersLength)
{
    StartPlaying(S::Playing);
    window.positionBarRange = 60;
    rig.player.length = 60500;
    control.OnSeekPosition(30);
    EXPECT_EQ(rig.player.seeks, std::vector<std::uint32_t>{30250});
    EXPECT_EQ(window.playingSeconds, 30);

    rig.player.position = 1000;
    control.OnPause();
    control.OnSeekPosition(0);
    EXPECT_EQ(rig.player.seeks.size(), 1u);
    EXPECT_TRUE(control.IsPlayingOrPaused());
}

TEST_F(RecordingTransport, PlayTimerMovesTheBarAndEndsThePlayAtTheEnd)
{
    StartPlaying(S::Playing);
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

TEST_F(RecordingTransport, ThresholdGoesToTheSettingsAndTheCaptureAtOnce)
{
    EXPECT_EQ(control.OnThresholdChanged(4321), 1);
    EXPECT_EQ(rig.settings.savedThreshold, 4321);
    EXPECT_EQ(rig.engine.captureThreshold, 4321);
}

class RecordingTimers : public RecordingTransitions {
protected:
    std::vector<std::uint32_t> WarningTimesDuring(std::uint32_t ms)
    {
        const std::uint32_t start = rig.clock.NowMs();
        window.RunFor(rig.clock, ms);
        std::vector<std::uint32_t> times;
        for (auto& [path, at] : rig.warning.played)
            times.push_back(at - start);
        return times;
    }
};

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

TEST_F(RecordingTimers, NoWarningWhileOnlyListening)
{
    rig.settings.values.warningSound = true;
    rig.settings.values.warningEvery = true;
    control.OnAutoRecording();
    window.StartTimer(TIMER_WARNING_SOUND, 1000);
    EXPECT_TRUE(WarningTimesDuring(5000).empty());
    EXPECT_EQ(window.timers.count(TIMER_WARNING_SOUND), 0u);
}

TEST_F(RecordingTimers, SpeakersAreMutedWhileListeningAndOpenOnlyForTheWarning)
{
    rig.settings.values.warningSound = true;
    rig.settings.values.warningAfterSeconds = 15;
    rig.warning.length = 800;
    control.OnAutoRecording();
    EXPECT_EQ(window.speakerVolume, 0u);
    EXPECT_FALSE(window.sliderEnabled);
    EXPECT_EQ(window.sliderPosition, 0u);

    control.OnVoiceDetected();
    window.RunFor(rig.clock, 15000);
    EXPECT_EQ(window.speakerVolume, 40000u);
    EXPECT_EQ(window.timers.at(TIMER_WARNING_SOUND_END).first, 800);
    window.RunFor(rig.clock, 1000);
    EXPECT_EQ(window.speakerVolume, 0u);

    window.SetFocusTo(IDC_AUTO_RECORD);
    control.OnAutoRecording();
    EXPECT_EQ(window.speakerVolume, 40000u);
    EXPECT_TRUE(window.sliderEnabled);
    EXPECT_EQ(window.sliderPosition, 40000u);
}

TEST_F(RecordingTimers, UnplayableWarningIsReportedEveryTimeAndRecordingGoesOn)
{
    rig.settings.values.warningSound = true;
    rig.settings.values.warningAfter = false;
    rig.settings.values.warningEvery = true;
    rig.settings.values.warningEverySeconds = 10;
    rig.warning.playSucceeds = false;
    control.OnAutoRecording();
    control.OnVoiceDetected();
    window.RunFor(rig.clock, 20000);
    ASSERT_EQ(rig.prompt.ShownSoFar().size(), 2u);
    EXPECT_EQ(rig.prompt.ShownSoFar()[0].text, LoadText(298));
    EXPECT_EQ(rig.prompt.ShownSoFar()[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(window.speakerVolume, 0u);
    EXPECT_EQ(control.State(), S::AutoRecording);
}

}  // namespace
}  // namespace sonvelle::testing
