// The window's side of two faults: a list rescan or reload under a paused
// play, and message boxes that ran the window's events inside the handler
// that showed them.

#include "mainwnd/RecordingControl.h"
#include "platform/Message.h"
#include "platform/Messages.h"
#include "resources/StringTable.h"
#include "WorkFolderFixture.h"
#include "support/TagBytes.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

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

class RecordingWindowFaults : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        folder.Add({"Played", COleDateTime(2024, 2, 2, 10, 0, 0), 3});
        OpenWindow([this](CAppSettings& s) { s.SegnaleAcusticoFile = folder.Path() + "missing.wav"; });
        Control().SetSleepForTesting([](int) {});
        SetPrompt(&modal);
    }

    CRecordingControl& Control() { return dlg->RecordingControl(); }
    std::vector<QMessageBox*> Boxes(const QString& text)
    {
        std::vector<QMessageBox*> boxes;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible() && box->text() == text)
                boxes.push_back(box);
        return boxes;
    }

    CModalPrompt modal;
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
    EXPECT_EQ(Names().size(), 1) << "F5 reloaded the list under a paused play";
    EXPECT_EQ(Control().PlayingRecording(), played);

    // Any reload still happens for other reasons: the paused play ends with its entry.
    dlg->LoadWorkFolder(folder.Path());
    EXPECT_EQ(Names().size(), 2);
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
    EXPECT_TRUE(modal.shown.empty());
    std::vector<QMessageBox*> warnings = Boxes(LoadText(IDS_WARNING_UNPLAYABLE));
    ASSERT_EQ(warnings.size(), 1u);
    warnings[0]->accept();
    QCoreApplication::processEvents();
    Control().OnTimer(TIMER_WARNING_SOUND);
    EXPECT_EQ(Boxes(LoadText(IDS_WARNING_UNPLAYABLE)).size(), 1u) << "a dismissed message is shown again next time";

    // The finished file cannot be stored while the next voice notice is already on its way.
    ASSERT_NE(Control().CurrentRecording(), nullptr);
    const QString occupied = folder.Path() + Control().CurrentRecording()->m_strName + ".mp3";
    ASSERT_TRUE(test::WriteBytes(occupied, "someone else's"));
    const QString handed = folder.Path() + "TEM1.snx";
    ASSERT_TRUE(test::WriteBytes(handed, "audio"));
    PostMessageTo(dlg.get(), WM_VOICE_DETECTED);
    Control().OnRecordingFileReady(handed, false);

    EXPECT_TRUE(modal.shown.empty());
    EXPECT_EQ(Control().State(), RecorderState::Listening) << "a recording started inside the message";
    EXPECT_EQ(Boxes(LoadText(IDS_SAVE_FAILED).replace("%s", handed)).size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(Control().State(), RecorderState::AutoRecording);
    CRecordingEntry* running = Control().CurrentRecording();
    ASSERT_NE(running, nullptr) << "the running recording was dropped";
    const QString name = running->m_strName;
    EXPECT_GE(dlg->CallLog().Model().FindByNameIgnoringCase(name), 0);
    EXPECT_TRUE(QFile::exists(handed));
    EXPECT_EQ(test::ReadBytes(occupied), "someone else's");

    // The running recording's own file is stored under its name when it comes.
    ASSERT_TRUE(test::WriteBytes(folder.Path() + "TEM2.snx", "second"));
    Control().OnRecordingFileReady(folder.Path() + "TEM2.snx", false);
    EXPECT_TRUE(test::ReadBytes(folder.Path() + name + ".mp3").endsWith("second"));
    EXPECT_EQ(Control().State(), RecorderState::Listening);
    // A handed-over file gone behind the program's back is reported by its name.
    Control().OnVoiceDetected();
    const QString vanished = folder.Path() + "TEMvanished.snx";
    Control().OnRecordingFileReady(vanished, false);
    EXPECT_EQ(Boxes(LoadText(IDS_SAVE_FAILED).replace("%s", vanished)).size(), 1u);
    EXPECT_EQ(Control().State(), RecorderState::Listening);
}

}  // namespace
}  // namespace sonvelle
