// The Play command through the real window and its player on the sound server:
// which states and rows play, the play method, a play replaced, a pause resumed
// where it was, and a file that is gone. A play from idle to its end runs in
// RecordFromWindow.

#include "audio/SoundPlayer.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "resources/StringTable.h"
#include "support/EventWait.h"
#include "WorkFolderFixture.h"

#include <QFile>
#include <QItemSelectionModel>
#include <QTreeView>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using S = RecorderState;

class PlayCommand : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::SoundServerAnswers())
            << "no sound server answers: start one with eval \"$(scripts/sound-server start)\"";
        WindowFixture::SetUp();
        folder.Add({"Newer call", COleDateTime(2024, 3, 2, 9, 0, 0), 1});
        folder.Add({"Older call", COleDateTime(2024, 3, 1, 9, 0, 0), 1});
        OpenWindow([](CAppSettings& s) { s.PlayAlternativo = true; });
        dlg->CallLog().SelectRow(0);
    }
    CRecordingControl& Control() { return dlg->RecordingControl(); }
    CSoundPlayer& Player() { return dlg->RecordingEngine().RecordingsPlayer(); }
    // Length and position; a length of 0 means nothing plays.
    std::pair<std::uint32_t, std::uint32_t> Status()
    {
        std::uint32_t length = 0, position = 0;
        Player().GetStatus(length, position);
        return {length, position};
    }
};

// The method is the setting's at each play; a pause resumes its own recording, whatever is selected now.
TEST_F(PlayCommand, StartsWhileListeningReplacesAPlayAndResumesAPause)
{
    Control().SetState(S::Listening);
    dlg->PlaySelected();
    EXPECT_EQ(Control().State(), S::ListeningWhilePlaying);
    EXPECT_EQ(Control().PlayingRecording(), Entry("Newer call"));
    EXPECT_TRUE(Player().IsAlternative());

    dlg->AppSettings().PlayAlternativo = false;
    dlg->CallLog().SelectRow(1);
    dlg->PlaySelected();
    EXPECT_EQ(Control().State(), S::ListeningWhilePlaying);
    EXPECT_EQ(Control().PlayingRecording(), Entry("Older call"));
    EXPECT_FALSE(Player().IsAlternative());

    ASSERT_TRUE(test::WaitUntil([&] { return Status().second >= 200; }));
    Control().OnPause();
    const std::uint32_t paused = Control().PausedPosition();
    ASSERT_EQ(Control().State(), S::Listening);
    dlg->CallLog().SelectRow(0);
    dlg->PlaySelected();
    EXPECT_EQ(Control().State(), S::ListeningWhilePlaying);
    EXPECT_EQ(Control().PausedPosition(), 0u);
    EXPECT_EQ(Control().PlayingRecording(), Entry("Older call"));
    // The first position the resumed play reports is past the pause, never back at the start.
    ASSERT_TRUE(test::WaitUntil([&] { return Status().second > 0; }));
    EXPECT_GE(Status().second, paused);
    EXPECT_TRUE(Shown().isEmpty());
}

TEST_F(PlayCommand, NothingPlaysWhileRecordingOrWithoutAPlayableSelectionOrFile)
{
    for (S state : {S::Recording, S::AutoRecording}) {
        Control().SetState(state);
        dlg->PlaySelected();
        EXPECT_EQ(Control().State(), state);
    }
    Control().SetState(S::Idle);
    for (int inUse : {kStateRecording, kStateOneFileAuto}) {
        Entry("Newer call")->SetState(inUse);
        dlg->PlaySelected();
        EXPECT_EQ(Control().State(), S::Idle);
    }
    Entry("Newer call")->SetState(kStateSaved);
    qobject_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG))->selectionModel()->clear();
    dlg->PlaySelected();
    EXPECT_EQ(Control().State(), S::Idle);
    EXPECT_EQ(Status().first, 0u) << "something plays";
    EXPECT_TRUE(Shown().isEmpty());

    // An automatic recording that runs while playing: the play stops and the recording goes on.
    dlg->CallLog().SelectRow(0);
    dlg->PlaySelected();
    ASSERT_EQ(Control().State(), S::Playing);
    Control().SetState(S::AutoRecordingWhilePlaying);
    dlg->PlaySelected();
    EXPECT_EQ(Control().State(), S::AutoRecording);
    EXPECT_EQ(Status().first, 0u);

    // A file gone behind the program's back is reported and ends the play it began.
    Control().SetState(S::Idle);
    ASSERT_TRUE(QFile::remove(folder.Path() + "Newer call.mp3"));
    dlg->PlaySelected();
    EXPECT_EQ(Control().State(), S::Idle);
    EXPECT_EQ(Shown(), QStringList{LoadText(IDS_RECORDING_FILE_MISSING)});
}

}  // namespace
}  // namespace sonvelle
