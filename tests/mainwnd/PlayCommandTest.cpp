// The main window's Play command against a stand-in window and a real player.
// A plain play from idle runs end to end in RecordFromWindow.

#include "audio/SoundPlayer.h"
#include "mainwnd/PlayCommand.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"

#include "support/EventWait.h"
#include "support/SoundFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace sonvelle;

namespace {

using S = RecorderState;

class CWindowDouble : public IPlayCommandWindow {
public:
    S RecordingState() const override { return state; }
    void SetRecordingState(S s) override { state = s; }
    std::uint32_t PausedPosition() const override { return paused; }
    void ClearPausedPosition() override { paused = 0; }
    // As the window's stop-playing handler does.
    void StopPlaying() override
    {
        ++stopsPlaying;
        player->Stop();
        state = WithoutPlay(state);
        paused = 0;
        playing.reset();
    }
    std::optional<CPlayableRecording> SelectedRecording() const override { return selected; }
    std::optional<CPlayableRecording> PlayingRecording() const override { return playing; }
    void SetPlayingRecording(const CPlayableRecording& r) override { playing = r; }
    bool IndexInUse() const override { return false; }
    void UpdateIndexEntry(const CPlayableRecording&) override {}
    void SetPositionBarRange(int seconds) override { barRange = seconds; }
    void EnablePlayingControls() override {}
    void RestartPlayTimer() override {}
    bool PlayAlternativo() const override { return alternative; }

    S state = S::Idle;
    std::uint32_t paused = 0;
    std::optional<CPlayableRecording> selected, playing;
    bool alternative = false;
    CSoundPlayer* player = nullptr;
    int stopsPlaying = 0, barRange = -1;
};

class PlayCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::SoundServerAnswers())
            << "no sound server answers: start one with eval \"$(scripts/sound-server start)\"";
        ASSERT_FALSE(test::MakeToneMp3(media.path(), QStringLiteral("Call one"), 4.0).isEmpty());
        SetProgramFolderForTesting(logDir.path());
        SetPrompt(&prompt);
        window.player = &player;
        window.selected = CPlayableRecording{media.path() + QStringLiteral("/"), QStringLiteral("Call one"), 0, false, 4};
    }
    void TearDown() override
    {
        player.Stop();
        SetPrompt(nullptr);
        SetProgramFolderForTesting(QString());
    }
    // Length and position; a length of 0 means nothing plays.
    std::pair<std::uint32_t, std::uint32_t> Status()
    {
        std::uint32_t length = 0, position = 0;
        player.GetStatus(length, position);
        return {length, position};
    }

    QTemporaryDir media, logDir;
    CScriptedPrompt prompt;
    CSoundPlayer player;
    CWindowDouble window;
};

// With a pause the play resumes where it was, whatever is selected now.
TEST_F(PlayCommand, StartsWhileListeningReplacesAPlayAndResumesAPause)
{
    window.alternative = true;
    window.state = S::Listening;
    ASSERT_TRUE(RunPlayCommand(window, player));
    EXPECT_EQ(window.state, S::ListeningWhilePlaying);
    EXPECT_EQ(window.barRange, 4);
    EXPECT_TRUE(player.IsAlternative());
    window.alternative = false;
    ASSERT_TRUE(RunPlayCommand(window, player));
    EXPECT_EQ(window.stopsPlaying, 1);
    EXPECT_EQ(window.state, S::ListeningWhilePlaying);
    EXPECT_FALSE(player.IsAlternative());

    ASSERT_TRUE(player.Pause());
    window.state = S::Idle;  // paused, and listening went off meanwhile
    window.paused = 2500;
    window.selected->name = QStringLiteral("Another recording");
    ASSERT_TRUE(RunPlayCommand(window, player));
    EXPECT_EQ(window.state, S::Playing);
    EXPECT_EQ(window.paused, 0u);
    EXPECT_EQ(window.playing->name, QStringLiteral("Call one"));
    // The first position the resumed play reports is past the pause, never back at the start.
    ASSERT_TRUE(test::WaitUntil([&] { return Status().second > 0; }));
    EXPECT_GE(Status().second, 2500u);
    EXPECT_TRUE(prompt.ShownSoFar().empty());
}

TEST_F(PlayCommand, NothingPlaysWhileRecordingOrWithoutAPlayableSelectionOrFile)
{
    for (S state : {S::Recording, S::AutoRecording}) {
        window.state = state;
        EXPECT_FALSE(RunPlayCommand(window, player));
        EXPECT_EQ(window.state, state);
    }
    window.state = S::Idle;
    for (int inUse : {kStateRecording, kStateOneFileAuto}) {
        window.selected->entryState = inUse;
        EXPECT_FALSE(RunPlayCommand(window, player));
    }
    const CPlayableRecording selected = *std::exchange(window.selected, std::nullopt);
    EXPECT_FALSE(RunPlayCommand(window, player));
    EXPECT_EQ(window.stopsPlaying, 0);
    EXPECT_EQ(Status().first, 0u) << "something plays";
    EXPECT_TRUE(prompt.ShownSoFar().empty());

    // An automatic recording that runs while playing: the play stops and the recording goes on.
    window.state = S::AutoRecordingWhilePlaying;
    EXPECT_FALSE(RunPlayCommand(window, player));
    EXPECT_EQ(window.state, S::AutoRecording);
    EXPECT_EQ(window.stopsPlaying, 1);

    // A file gone behind the program's back is reported and ends the play it began.
    window.state = S::Idle;
    window.selected = selected;
    window.selected->entryState = kStateSaved;
    window.selected->name = QStringLiteral("Removed behind our back");
    EXPECT_FALSE(RunPlayCommand(window, player));
    EXPECT_EQ(window.state, S::Idle);
    EXPECT_EQ(window.stopsPlaying, 2);
    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(IDS_RECORDING_FILE_MISSING));
}

}  // namespace
