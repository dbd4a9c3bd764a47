// The window's side of two faults: a list rescan or reload under a paused
// play, and message boxes that ran the window's events inside the handler
// that showed them.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "platform/Message.h"
#include "platform/Messages.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "WorkFolderFixture.h"
#include "support/TagBytes.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace sonvelle {
namespace {

using testing::WorkFolder;

// A modal box runs the window's events until the user answers; this one does the same at once.
class CModalPrompt : public IPrompt {
public:
    PromptResult Show(const QString& text, const QString&, PromptIcon, PromptButtons) override
    {
        shown.push_back(text);
        QCoreApplication::processEvents();
        return PromptResult::Ok;
    }
    std::vector<QString> shown;
};

class RecordingWindowFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder.Add({"Played", COleDateTime(2024, 2, 2, 10, 0, 0), 3});
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = folder.Path();
        dlg->AppSettings().SegnaleAcusticoFile = folder.Path() + "missing.wav";
        dlg->InitialiseWindowOnly();
        Control().SetSleepForTesting([](int) {});
        SetPrompt(&prompt);
    }
    void TearDown() override { SetPrompt(nullptr); }

    CRecordingControl& Control() { return dlg->RecordingControl(); }
    int Rows() { return dlg->CallLog().Model().Count(); }
    std::vector<QMessageBox*> Boxes(const QString& text)
    {
        std::vector<QMessageBox*> boxes;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible() && box->text() == text)
                boxes.push_back(box);
        return boxes;
    }

    WorkFolder folder;
    std::unique_ptr<CMainDlg> dlg;
    CModalPrompt prompt;
};

TEST_F(RecordingWindowFaults, PausedPlayKeepsTheListAtF5AndAReloadLeavesNoStaleEntry)
{
    CRecordingEntry* played = dlg->CallLog().SelectedEntry();
    ASSERT_NE(played, nullptr);
    Control().SetState(RecorderState::Playing);
    Control().SetPlayingRecording(played, 3);
    Control().OnPause();
    ASSERT_TRUE(Control().IsPlayingOrPaused());

    folder.Add({"Arrived later", COleDateTime(2024, 2, 3, 10, 0, 0), 3});
    dlg->show();
    QTest::keyClick(dlg->Control(IDC_CALL_LOG), Qt::Key_F5);
    EXPECT_EQ(Rows(), 1) << "F5 reloaded the list under a paused play";
    EXPECT_EQ(Control().PlayingRecording(), played);

    // Any reload still happens for other reasons: the paused play ends with its entry.
    dlg->LoadWorkFolder(folder.Path());
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(Control().PlayingRecording(), nullptr);
    EXPECT_FALSE(Control().IsPlayingOrPaused());
    Control().OnStop();
    EXPECT_EQ(Control().State(), RecorderState::Idle);
}

TEST_F(RecordingWindowFaults, MessagesDuringRecordingNeitherHoldTheHandlerNorPileUp)
{
    dlg->AppSettings().AbilitaSegnaleAcustico = true;
    Control().OnAutoRecording();
    Control().OnVoiceDetected();
    ASSERT_EQ(Control().State(), RecorderState::AutoRecording);

    // The warning sound cannot be played: one box, however often the timer fires.
    Control().OnTimer(TIMER_WARNING_SOUND);
    Control().OnTimer(TIMER_WARNING_SOUND);
    EXPECT_TRUE(prompt.shown.empty());
    std::vector<QMessageBox*> warnings = Boxes(LoadText(IDS_WARNING_UNPLAYABLE));
    ASSERT_EQ(warnings.size(), 1u);
    warnings[0]->accept();
    QCoreApplication::processEvents();
    Control().OnTimer(TIMER_WARNING_SOUND);
    EXPECT_EQ(Boxes(LoadText(IDS_WARNING_UNPLAYABLE)).size(), 1u) << "a dismissed message is shown again next time";

    // The finished file cannot be stored while the next voice notice is already on its way.
    CRecordingEntry* failed = Control().CurrentRecording();
    ASSERT_NE(failed, nullptr);
    ASSERT_TRUE(test::WriteBytes(folder.Path() + failed->m_strName + ".mp3", "someone else's"));
    const QString handed = folder.Path() + "TEM1.snx";
    ASSERT_TRUE(test::WriteBytes(handed, "audio"));
    PostMessageTo(dlg.get(), WM_VOICE_DETECTED);
    Control().OnRecordingFileReady(handed, false);

    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(Control().State(), RecorderState::Listening) << "a recording started inside the message";
    EXPECT_EQ(Boxes(LoadText(IDS_SAVE_FAILED).replace("%s", handed)).size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(Control().State(), RecorderState::AutoRecording);
    CRecordingEntry* running = Control().CurrentRecording();
    ASSERT_NE(running, nullptr) << "the running recording was dropped";
    EXPECT_GE(dlg->CallLog().Model().FindByNameIgnoringCase(running->m_strName), 0);
    EXPECT_TRUE(QFile::exists(handed));
}

}  // namespace
}  // namespace sonvelle
