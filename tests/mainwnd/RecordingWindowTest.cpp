// The main window over a work folder of recordings, with its player on the
// sound server: the name and notes fields, the Save button and the list's name
// cell as the window wires them (the tag and index side of a rename is the
// store's: RenameFromMainWindow, RenameInPlace); the Play command (a play from
// idle to its end runs in RecordFromWindow); then faults once found on this
// path: a list rescan or reload under a paused play, and message boxes that ran
// the window's events inside the handler that showed them.

#include "audio/SoundPlayer.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "platform/Message.h"
#include "platform/Messages.h"
#include "resources/StringTable.h"
#include "support/EventWait.h"
#include "support/TagBytes.h"
#include "WorkFolderFixture.h"

#include <QApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using S = RecorderState;

// A modal box runs the window's events until the user answers; this one does the same at once.
class CModalPrompt : public IPrompt {
public:
    PromptResult Show(const QString& text, const QString&, PromptIcon, PromptButtons) override
    {
        shown.push_back(text);
        QCoreApplication::processEvents();
        return PromptResult::Ok;
    }
    QStringList shown;
};

class RecordingWindow : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::SoundServerAnswers())
            << "no sound server answers: start one with eval \"$(scripts/sound-server start)\"";
        WindowFixture::SetUp();
        folder.Add({"Newer call", COleDateTime(2024, 3, 2, 9, 0, 0), 1, "second notes"});
        folder.Add({"Older call", COleDateTime(2024, 3, 1, 9, 0, 0), 1, "first notes"});
        OpenWindow([this](CAppSettings& s) {
            s.SegnaleAcusticoFile = folder.Path() + "missing.wav";
            s.PlayAlternativo = true;
        });
        Control().SetSleepForTesting([](int) {});
        dlg->show();
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
        dlg->CallLog().SelectRow(0);
    }

    QTreeView* List() const { return qobject_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG)); }
    QLineEdit* Name() const { return qobject_cast<QLineEdit*>(dlg->Control(IDC_NAME_EDIT)); }
    QPlainTextEdit* Notes() const { return qobject_cast<QPlainTextEdit*>(dlg->Control(IDC_NOTES_EDIT)); }
    QModelIndex NameCell(int row) const { return List()->model()->index(row, 1); }
    CRecordingControl& Control() { return dlg->RecordingControl(); }
    CSoundPlayer& Player() { return dlg->RecordingEngine().RecordingsPlayer(); }
    // Length and position; a length of 0 means nothing plays.
    std::pair<std::uint32_t, std::uint32_t> Status()
    {
        std::uint32_t length = 0, position = 0;
        Player().GetStatus(length, position);
        return {length, position};
    }
    std::vector<QMessageBox*> Boxes(const QString& text)
    {
        std::vector<QMessageBox*> boxes;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible() && box->text() == text)
                boxes.push_back(box);
        return boxes;
    }

    CModalPrompt modal;  // for the case about boxes shown inside a handler
};

TEST_F(RecordingWindow, ChangedNotesAskOnFocusLossNoRestoresThemAndARescanForgetsThem)
{
    Notes()->setFocus();
    QTest::keyClicks(Notes(), " and more");
    EXPECT_TRUE(dlg->Control(IDC_SAVE)->isEnabled());
    prompt.Answer(PromptResult::No);
    List()->setFocus();
    QApplication::processEvents();

    ASSERT_EQ(prompt.ShownSoFar().size(), 1u);
    EXPECT_TRUE(prompt.ShownSoFar()[0].text.contains("Newer call"));
    EXPECT_EQ(Notes()->toPlainText(), "second notes");
    EXPECT_FALSE(dlg->Control(IDC_SAVE)->isEnabled());

    // F5 clears and reloads the catalogue; the fields must not keep the old entries.
    Notes()->setPlainText("unsaved");
    QTest::keyClick(List(), Qt::Key_F5);
    dlg->CallLog().SelectRow(1);
    EXPECT_EQ(Name()->text(), "Older call");
}

TEST_F(RecordingWindow, TypedNameIsFilteredAndSavedByTheButton)
{
    Name()->setFocus();
    Name()->end(false);
    QTest::keyClicks(Name(), "?x");
    EXPECT_EQ(Name()->text(), "Newer callx");
    ASSERT_TRUE(dlg->Control(IDC_SAVE)->isEnabled());
    QTest::mouseClick(dlg->Control(IDC_SAVE), Qt::LeftButton);
    EXPECT_TRUE(prompt.ShownSoFar().empty());
    EXPECT_FALSE(QFile::exists(folder.Path() + "Newer call.mp3"));
    EXPECT_TRUE(QFile::exists(folder.Path() + "Newer callx.mp3"));
    EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Newer callx");
    EXPECT_FALSE(dlg->Control(IDC_SAVE)->isEnabled());
}

TEST_F(RecordingWindow, InPlaceRenameMovesTheFileAndARefusedOneKeepsTheCell)
{
    EXPECT_FALSE(List()->model()->setData(NameCell(0), "older CALL", Qt::EditRole));
    EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Newer call");
    dlg->CallLog().SelectRow(0);
    prompt.Clear();
    EXPECT_TRUE(List()->model()->setData(NameCell(0), "Renamed call", Qt::EditRole));
    EXPECT_TRUE(prompt.ShownSoFar().empty());
    EXPECT_TRUE(QFile::exists(folder.Path() + "Renamed call.mp3"));
    EXPECT_FALSE(QFile::exists(folder.Path() + "Newer call.mp3"));
    EXPECT_EQ(List()->model()->data(NameCell(0)).toString(), "Renamed call");
    EXPECT_EQ(Name()->text(), "Renamed call");
}

// The play method is the setting's at each play; a pause resumes its own
// recording, whatever is selected now.
TEST_F(RecordingWindow, PlayStartsWhileListeningReplacesAPlayAndResumesAPause)
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

TEST_F(RecordingWindow, NothingPlaysWhileRecordingOrWithoutAPlayableSelectionOrFile)
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

TEST_F(RecordingWindow, PausedPlayKeepsTheListAtF5AndAReloadLeavesNoStaleEntry)
{
    CRecordingEntry* played = dlg->CallLog().SelectedEntry();
    ASSERT_NE(played, nullptr);
    Control().SetState(S::Playing);
    Control().SetPlayingRecording(played, 1);
    Control().OnPause();
    ASSERT_TRUE(Control().IsPlayingOrPaused());

    folder.Add({"Arrived later", COleDateTime(2024, 3, 3, 10, 0, 0), 1});
    QTest::keyClick(dlg->Control(IDC_CALL_LOG), Qt::Key_F5);
    EXPECT_EQ(Names().size(), 2) << "F5 reloaded the list under a paused play";
    EXPECT_EQ(Control().PlayingRecording(), played);

    // Any reload still happens for other reasons: the paused play ends with its entry.
    dlg->LoadWorkFolder(folder.Path());
    EXPECT_EQ(Names().size(), 3);
    EXPECT_EQ(Control().PlayingRecording(), nullptr);
    EXPECT_FALSE(Control().IsPlayingOrPaused());
    Control().OnStop();
    EXPECT_EQ(Control().State(), S::Idle);
}

TEST_F(RecordingWindow, MessagesDuringRecordingNeitherHoldTheHandlerNorPileUp)
{
    SetPrompt(&modal);
    dlg->AppSettings().AbilitaSegnaleAcustico = true;
    Control().OnAutoRecording();
    Control().OnVoiceDetected();
    ASSERT_EQ(Control().State(), S::AutoRecording);

    // The warning sound cannot be played: one box, however often the timer fires.
    Control().OnTimer(TIMER_WARNING_SOUND);
    Control().OnTimer(TIMER_WARNING_SOUND);
    EXPECT_TRUE(modal.shown.isEmpty());
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

    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_EQ(Control().State(), S::Listening) << "a recording started inside the message";
    EXPECT_EQ(Boxes(LoadText(IDS_SAVE_FAILED).replace("%s", handed)).size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(Control().State(), S::AutoRecording);
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
    EXPECT_EQ(Control().State(), S::Listening);
    // A handed-over file gone behind the program's back is reported by its name.
    Control().OnVoiceDetected();
    const QString vanished = folder.Path() + "TEMvanished.snx";
    Control().OnRecordingFileReady(vanished, false);
    EXPECT_EQ(Boxes(LoadText(IDS_SAVE_FAILED).replace("%s", vanished)).size(), 1u);
    EXPECT_EQ(Control().State(), S::Listening);
}

}  // namespace
}  // namespace sonvelle
