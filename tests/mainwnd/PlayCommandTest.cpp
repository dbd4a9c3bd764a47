// The main window's Play command against a stand-in window and a real player.

#include "audio/SoundPlayer.h"
#include "mainwnd/PlayCommand.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"

#include "support/SoundFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

using namespace sonvelle;

namespace {

using S = RecorderState;

class CWindowDouble : public IPlayCommandWindow {
public:
    S state = S::Idle;
    std::uint32_t paused = 0;
    std::optional<CPlayableRecording> selected, playing;
    bool alternative = false;
    CSoundPlayer* player = nullptr;
    int stopsPlaying = 0, barRange = -1;

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
};

class PlayCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        media = new QTemporaryDir;
        tone = test::MakeToneMp3(media->path(), QStringLiteral("Call one"), 4.0);
    }
    static void TearDownTestSuite()
    {
        delete media;
        media = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(test::SoundServerAnswers())
            << "no sound server answers: start one with eval \"$(scripts/sound-server start)\"";
        ASSERT_FALSE(tone.isEmpty());
        SetProgramFolderForTesting(logDir.path());
        SetPrompt(&prompt);
        window.player = &player;
        window.selected = CPlayableRecording{media->path() + QStringLiteral("/"), QStringLiteral("Call one"), 0, false, 4};
    }
    void TearDown() override
    {
        player.Stop();
        SetPrompt(nullptr);
        SetProgramFolderForTesting(QString());
    }
    bool Playing()
    {
        std::uint32_t length = 0, position = 0;
        player.GetStatus(length, position);
        return length > 0;
    }

    static inline QTemporaryDir* media = nullptr;
    static inline QString tone;
    QTemporaryDir logDir;
    CScriptedPrompt prompt;
    CSoundPlayer player;
    CWindowDouble window;
};

TEST_F(PlayCommand, IdleAndListeningStatesStartPlaying)
{
    for (bool alternative : {false, true}) {
        window.alternative = alternative;
        for (auto [from, to] : {std::pair{S::Idle, S::Playing}, std::pair{S::Listening, S::ListeningWhilePlaying}}) {
            window.state = from;
            ASSERT_TRUE(RunPlayCommand(window, player)) << static_cast<int>(from);
            EXPECT_EQ(window.state, to);
            EXPECT_EQ(window.barRange, 4);
            EXPECT_TRUE(Playing());
            EXPECT_EQ(player.IsAlternative(), alternative);
            window.StopPlaying();
        }
    }
    // Playing already: the play stops, then the selected recording plays.
    window.state = S::Idle;
    ASSERT_TRUE(RunPlayCommand(window, player));
    window.stopsPlaying = 0;
    ASSERT_TRUE(RunPlayCommand(window, player));
    EXPECT_EQ(window.stopsPlaying, 1);
    EXPECT_EQ(window.state, S::Playing);
    EXPECT_TRUE(Playing());
    EXPECT_TRUE(prompt.ShownSoFar().empty());
}

TEST_F(PlayCommand, NothingPlaysWhileRecordingOrWithoutAPlayableSelection)
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
    window.selected.reset();
    EXPECT_FALSE(RunPlayCommand(window, player));
    EXPECT_EQ(window.stopsPlaying, 0);
    EXPECT_FALSE(Playing());
    EXPECT_TRUE(prompt.ShownSoFar().empty());

    // An automatic recording that runs while playing: the play stops and the recording goes on.
    window.state = S::AutoRecordingWhilePlaying;
    EXPECT_FALSE(RunPlayCommand(window, player));
    EXPECT_EQ(window.state, S::AutoRecording);
    EXPECT_EQ(window.stopsPlaying, 1);
}

TEST_F(PlayCommand, AFileThatCannotPlayIsReportedAndStopsPlaying)
{
    window.selected->name = QStringLiteral("Removed behind our back");
    for (bool alternative : {false, true}) {
        prompt.Clear();
        window.alternative = alternative;
        EXPECT_FALSE(RunPlayCommand(window, player));
        EXPECT_EQ(window.state, S::Idle);
        ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
        EXPECT_EQ(prompt.ShownSoFar()[0].text, LoadText(IDS_RECORDING_FILE_MISSING));
    }
    EXPECT_EQ(window.stopsPlaying, 2);
}

TEST_F(PlayCommand, APausedPlayResumesWhereItWasWhateverIsSelected)
{
    ASSERT_TRUE(RunPlayCommand(window, player));
    ASSERT_TRUE(player.Pause());
    window.state = S::Idle;  // as pausing leaves it
    window.paused = 2500;
    window.selected->name = QStringLiteral("Another recording");

    ASSERT_TRUE(RunPlayCommand(window, player));
    EXPECT_EQ(window.state, S::Playing);
    EXPECT_EQ(window.paused, 0u);
    EXPECT_EQ(window.playing->name, QStringLiteral("Call one"));
    // The first position the resumed play reports is past the pause, never back at the start.
    std::uint32_t length = 0, position = 0;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        player.GetStatus(length, position);
        return position > 0;
    }));
    EXPECT_GE(position, 2500u);
    EXPECT_TRUE(prompt.ShownSoFar().empty());
}

}  // namespace
