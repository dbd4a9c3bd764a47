#include "mainwnd/ControlRules.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/SpeakerLine.h"
#include "WorkFolderFixture.h"

#include "platform/Message.h"
#include "resources/StringTable.h"
#include "skin/CColorStatic.h"
#include "skin/CLevelMeter.h"
#include "skin/CSkinButton.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace sonvelle {
namespace {

using testing::WorkFolder;

constexpr int kToolsItems[] = {ID_TOOLS_FIND, ID_TOOLS_DELETE, ID_TOOLS_SEND, ID_TOOLS_PROTECT, ID_TOOLS_JOIN};

class MainDlgTest : public ::testing::Test {
protected:
    void Start(bool largeFonts = false)
    {
        dlg = std::make_unique<CMainDlg>();
        dlg->SetLargeFonts(largeFonts);
        dlg->AppSettings().WorkDir = folder.Path();
        dlg->InitialiseWindowOnly();
    }

    CColorStatic* Static(int id) const { return qobject_cast<CColorStatic*>(dlg->Control(id)); }
    bool Enabled(int id) const { return dlg->Control(id)->isEnabled(); }
    QTreeView* List() const { return qobject_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG)); }

    WorkFolder folder;
    std::unique_ptr<CMainDlg> dlg;
};

TEST_F(MainDlgTest, CaptionsMenusAndColumnsComeFromTheStringTable)
{
    dlg = std::make_unique<CMainDlg>();
    dlg->AppSettings().Operatore = QStringLiteral("Desk 2");
    dlg->AppSettings().WorkDir = folder.Path();
    dlg->InitialiseWindowOnly();
    EXPECT_EQ(dlg->windowTitle(), LoadText(354) + " (Desk 2)");
    EXPECT_EQ(dlg->MenuCommand(ID_FILE_EXIT)->text(), LoadText(314));
    EXPECT_EQ(dlg->MenuCommand(ID_TOOLS_JOIN)->text(), LoadText(317));
    EXPECT_EQ(dlg->MenuCommand(ID_HELP_ONLINE)->text(), LoadText(329));
    EXPECT_EQ(dlg->ToolsMenu()->title(), LoadText(325));
    EXPECT_EQ(Static(IDC_LIST_TITLE)->Caption(), LoadText(226));
    EXPECT_EQ(Static(IDC_REC_STATUS)->Caption(), LoadText(224));
    EXPECT_EQ(Static(IDC_REC_MINUTES)->Caption(), LoadText(2));
    EXPECT_EQ(Static(IDC_PLAY_SECONDS)->Caption(), LoadText(2));
    EXPECT_TRUE(Static(IDC_PLAY_STATUS)->Caption().isEmpty());

    QHeaderView* header = List()->header();
    const int widths[] = {22, 135, 70, 60, 110, 60, 70, 60, 120};
    const int headings[] = {0, 99, 100, 101, 102, 103, 179, 104, 430};
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(header->sectionSize(c), widths[c]) << c;
        EXPECT_EQ(List()->model()->headerData(c, Qt::Horizontal).toString(),
                  headings[c] ? LoadText(headings[c]) : QString())
            << c;
    }
    EXPECT_TRUE(header->sectionsMovable());
    EXPECT_FALSE(dlg->Control(IDC_STOP_PLAY)->isVisibleTo(dlg.get()));
}

TEST_F(MainDlgTest, DisplayFontsAndColours)
{
    Start();
    EXPECT_EQ(Static(IDC_REC_STATUS)->PointSize(), 11);
    EXPECT_TRUE(Static(IDC_REC_MINUTES)->IsBold());
    EXPECT_TRUE(Static(IDC_REC_SECONDS)->IsBold());
    EXPECT_EQ(Static(IDC_PLAY_MINUTES)->PointSize(), 8);
    EXPECT_EQ(Static(IDC_LIST_TITLE)->PointSize(), 8);
    EXPECT_EQ(Static(IDC_VOLUME_LABEL)->PointSize(), 8);
    EXPECT_EQ(Static(IDC_REC_MINUTES)->EffectiveAlignment(), 2);
    EXPECT_EQ(Static(IDC_PLAY_MINUTES)->EffectiveAlignment(), 2);
    EXPECT_EQ(Static(IDC_REC_SECONDS)->EffectiveAlignment(), 0);
    EXPECT_EQ(Static(IDC_REC_STATUS)->Face(), QStringLiteral("Tahoma"));
    EXPECT_EQ(Static(IDC_REC_STATUS)->TextColor(), kDisplayText);
    EXPECT_EQ(Static(IDC_REC_STATUS)->BackColor(), kDisplayBackground);
    EXPECT_EQ(Static(IDC_DISPLAY_FRAME)->BackColor(), kDisplayBackground);
}

TEST_F(MainDlgTest, LargeFontsMakeEveryDisplayOnePointSmaller)
{
    Start(true);
    EXPECT_EQ(Static(IDC_REC_STATUS)->PointSize(), 10);
    EXPECT_EQ(Static(IDC_REC_MINUTES)->PointSize(), 10);
    EXPECT_EQ(Static(IDC_REC_COLON)->PointSize(), 10);
    EXPECT_EQ(Static(IDC_PLAY_STATUS)->PointSize(), 7);
    EXPECT_EQ(Static(IDC_PLAY_SECONDS)->PointSize(), 7);
    EXPECT_EQ(Static(IDC_LIST_TITLE)->PointSize(), 7);
    EXPECT_EQ(Static(IDC_VOLUME_LABEL)->PointSize(), 7);
}

TEST_F(MainDlgTest, EmptyListDisablesItsControlsAndTheFirstRecordingEnablesThem)
{
    Start();
    for (int id : {IDC_PLAY, IDC_FIND, IDC_DELETE, IDC_SEND, IDC_NAME_EDIT, IDC_NOTES_EDIT, IDC_SAVE})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : kToolsItems)
        EXPECT_FALSE(dlg->MenuCommand(id)->isEnabled()) << id;
    EXPECT_TRUE(dlg->MenuCommand(ID_TOOLS_OPTIONS)->isEnabled());

    folder.Add({"First", COleDateTime(2024, 1, 1, 10, 0, 0), 30});
    dlg->LoadWorkFolder(folder.Path());
    for (int id : {IDC_PLAY, IDC_FIND, IDC_DELETE, IDC_SEND, IDC_NAME_EDIT, IDC_NOTES_EDIT})
        EXPECT_TRUE(Enabled(id)) << id;
    for (int id : kToolsItems)
        EXPECT_TRUE(dlg->MenuCommand(id)->isEnabled()) << id;
    EXPECT_FALSE(Enabled(IDC_SAVE)) << "nothing edited yet";
}

TEST_F(MainDlgTest, NoSendKeepsTheSendButtonOff)
{
    folder.Add({"First", COleDateTime(2024, 1, 1, 10, 0, 0), 30});
    dlg = std::make_unique<CMainDlg>();
    dlg->AppSettings().WorkDir = folder.Path();
    dlg->AppSettings().NoSend = true;
    dlg->InitialiseWindowOnly();
    EXPECT_TRUE(Enabled(IDC_FIND));
    EXPECT_TRUE(Enabled(IDC_DELETE));
    EXPECT_FALSE(Enabled(IDC_SEND));
}

TEST_F(MainDlgTest, EscLeavesTheWindowOpenAndOnlyClosesFind)
{
    Start();
    dlg->show();
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(dlg->isVisible());

    QWidget find;
    find.show();
    dlg->SetFindWindow(&find);
    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_FALSE(find.isVisible());
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(MainDlgTest, F5RescansTheWorkFolder)
{
    Start();
    EXPECT_EQ(List()->model()->rowCount(), 0);
    folder.Add({"Arrived later", COleDateTime(2024, 2, 2, 10, 0, 0), 3});
    dlg->show();
    QTest::keyClick(List(), Qt::Key_F5);
    EXPECT_EQ(List()->model()->rowCount(), 1);
    EXPECT_TRUE(Enabled(IDC_PLAY));
}

TEST_F(MainDlgTest, TimeDisplaysShowTotalMinutes)
{
    Start();
    dlg->ShowRecordingTime(std::chrono::minutes(75) + std::chrono::seconds(4));
    EXPECT_EQ(Static(IDC_REC_MINUTES)->Caption(), QStringLiteral("75"));
    EXPECT_EQ(Static(IDC_REC_SECONDS)->Caption(), QStringLiteral("04"));
    dlg->ShowPlayingTime(std::chrono::seconds(61));
    EXPECT_EQ(Static(IDC_PLAY_MINUTES)->Caption(), QStringLiteral("01"));
    EXPECT_EQ(Static(IDC_PLAY_SECONDS)->Caption(), QStringLiteral("01"));

    dlg->UpdateRecordButtons();
    EXPECT_EQ(Static(IDC_REC_MINUTES)->Caption(), LoadText(2));
    EXPECT_EQ(Static(IDC_REC_STATUS)->Caption(), LoadText(224));
}

TEST_F(MainDlgTest, RecordButtonsFollowTheState)
{
    Start();
    EXPECT_FALSE(Enabled(IDC_STOP));
    EXPECT_TRUE(Enabled(IDC_RECORD));
    dlg->RecordingControl().SetState(RecorderState::Listening);
    dlg->EnableControl(IDC_STOP, true);
    dlg->UpdateRecordButtons();
    EXPECT_FALSE(Enabled(IDC_RECORD));
    EXPECT_TRUE(Enabled(IDC_STOP));
    EXPECT_TRUE(Enabled(IDC_AUTO_RECORD));
    dlg->RecordingControl().SetStateIdle();
    EXPECT_TRUE(Enabled(IDC_RECORD));
    EXPECT_FALSE(Enabled(IDC_STOP));
}

class FakeSpeakers : public ISpeakerLine {
public:
    std::uint32_t Minimum() const override { return 0; }
    std::uint32_t Maximum() const override { return 65535; }
    bool GetVolume(std::uint32_t& v) const override { v = volume; return true; }
    bool SetVolume(std::uint32_t v) override { volume = v; ++sets; return true; }
    bool IsOwnVolumeControl(std::uintptr_t mixer, std::intptr_t control) const override
    {
        return mixer == 7 && control == 42;
    }
    std::uint32_t volume = 30000;
    int sets = 0;
};

TEST_F(MainDlgTest, VolumeChangedElsewhereMovesTheSliderOnlyForItsOwnControl)
{
    Start();
    FakeSpeakers speakers;
    dlg->SetSpeakerLine(&speakers);
    auto* slider = qobject_cast<QSlider*>(dlg->Control(IDC_VOLUME));
    EXPECT_EQ(slider->maximum(), 65535);
    EXPECT_EQ(slider->value(), 30000);

    speakers.volume = 12000;
    PostMessageTo(dlg.get(), MM_MIXM_CONTROL_CHANGE, 7, 99);
    QApplication::processEvents();
    EXPECT_EQ(slider->value(), 30000) << "another control of the mixer";
    PostMessageTo(dlg.get(), MM_MIXM_CONTROL_CHANGE, 7, 42);
    QApplication::processEvents();
    EXPECT_EQ(slider->value(), 12000);
    EXPECT_EQ(speakers.sets, 0) << "following the mixer does not write back to it";

    slider->setValue(500);
    emit slider->sliderReleased();
    EXPECT_EQ(speakers.volume, 500u);
    dlg->SetSpeakerLine(nullptr);
}

TEST_F(MainDlgTest, WindButtonsRepeatAndInputLevelWaitsForListening)
{
    Start();
    auto* forward = qobject_cast<CSkinButton*>(dlg->Control(IDC_FAST_FORWARD));
    auto* rewind = qobject_cast<CSkinButton*>(dlg->Control(IDC_FAST_REWIND));
    EXPECT_TRUE(forward->IsAutoRepeat());
    EXPECT_TRUE(rewind->IsAutoRepeat());
    EXPECT_FALSE(qobject_cast<CSkinButton*>(dlg->Control(IDC_PLAY))->IsAutoRepeat());

    auto* meter = qobject_cast<CLevelMeter*>(dlg->Control(IDC_LEVEL_METER));
    PostMessageTo(dlg.get(), WM_INPUT_LEVEL, 32767, 0);
    QApplication::processEvents();
    EXPECT_EQ(meter->Segments(), 0) << "idle: no level shown";
    dlg->RecordingControl().SetState(RecorderState::Listening);
    PostMessageTo(dlg.get(), WM_INPUT_LEVEL, 32767, 0);
    QApplication::processEvents();
    EXPECT_EQ(meter->Segments(), 30);
}

TEST_F(MainDlgTest, NotesAndNameStopAt260Characters)
{
    folder.Add({"First", COleDateTime(2024, 1, 1, 10, 0, 0), 30});
    Start();
    auto* notes = qobject_cast<QPlainTextEdit*>(dlg->Control(IDC_NOTES_EDIT));
    notes->setPlainText(QString(300, QLatin1Char('n')));
    EXPECT_EQ(notes->toPlainText().size(), 260);
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg->Control(IDC_NAME_EDIT))->maxLength(), 260);
}

TEST_F(MainDlgTest, ExitMenuClosesThroughTheCloseHandler)
{
    Start();
    dlg->show();
    dlg->MenuCommand(ID_FILE_EXIT)->trigger();
    EXPECT_TRUE(dlg->isVisible()) << "the close is posted, not run inside the menu";
    QApplication::processEvents();
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(MainDlgTest, ContextMenuIsTheToolsPopup)
{
    Start();
    EXPECT_EQ(List()->contextMenuPolicy(), Qt::CustomContextMenu);
    QList<QAction*> actions = dlg->ToolsMenu()->actions();
    actions.removeIf([](QAction* a) { return a->isSeparator(); });
    ASSERT_EQ(actions.size(), 6);
    EXPECT_EQ(actions[0]->data().toInt(), ID_TOOLS_DELETE);
    EXPECT_EQ(actions[5]->data().toInt(), ID_TOOLS_JOIN);
}

}  // namespace
}  // namespace sonvelle
