// The main window: which controls its rules enable in each recorder state,
// what its list and displays show, and how it reacts to keys, its skinned
// controls and a desktop without a notification area; Help and the maker's page.

#include "mainwnd/CallLogFormat.h"
#include "mainwnd/ControlRules.h"
#include "mainwnd/KeyboardTable.h"
#include "mainwnd/MainWindowTray.h"
#include "mainwnd/RecordingControl.h"
#include "platform/ProgramFolder.h"
#include "support/EventWait.h"
#include "support/TagBytes.h"
#include "WorkFolderFixture.h"

#include "platform/Message.h"
#include "resources/StringTable.h"
#include "skin/CColorStatic.h"
#include "skin/CLevelMeter.h"
#include "skin/CSkinButton.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace sonvelle {
namespace {

using S = RecorderState;

TEST(MainWindowRules, ButtonsFollowTheStateTheListAndTheSoundCard)
{
    // Listening keeps Stop (it switches auto-recording off); a play leaves Record on.
    const RecordButtonsLook listening = RecordButtonsFor(S::ListeningWhilePlaying, true);
    EXPECT_TRUE(listening.autoRecordingImages && !listening.recordEnabled && !listening.disableStop);
    const RecordButtonsLook playing = RecordButtonsFor(S::Playing, true);
    EXPECT_TRUE(playing.recordEnabled && playing.autoRecordingEnabled && !playing.disableStop);
    for (S state : {S::Idle, S::Playing}) {
        const RecordButtonsLook noCard = RecordButtonsFor(state, false);
        EXPECT_FALSE(noCard.recordEnabled || noCard.autoRecordingEnabled) << static_cast<int>(state);
    }

    // Play only when nothing records, and never without a sound card.
    ListControlsNow now;
    now.itemCount = 3;
    for (int state : {0, 1, 2, 4, 5, 6, 7}) {
        now.recordingState = static_cast<S>(state);
        const bool expected = state == 0 || state == 1 || state == 6;
        EXPECT_EQ(ListDependentChanges(now).playEnabled.value_or(false), expected) << state;
    }
    now.recordingState = S::Idle;
    now.soundCardPresent = false;
    EXPECT_FALSE(ListDependentChanges(now).playEnabled.has_value());

    // Controls already on are left alone, but an enabled Send goes off under NoSend.
    now.soundCardPresent = true;
    now.playEnabled = now.findEnabled = now.deleteEnabled = now.sendEnabled = true;
    const ListControlChanges c = ListDependentChanges(now);
    EXPECT_FALSE(c.playEnabled.has_value() || c.toolsItemsEnabled.has_value() || c.sendEnabled.has_value());
    now.noSend = true;
    EXPECT_EQ(ListDependentChanges(now).sendEnabled, false);
}

TEST(MainWindowRules, KeysAndListTexts)
{
    // Esc and F5 are driven through the window below.
    EXPECT_EQ(KeyActionFor(Qt::Key_Enter, false), KeyAction::PlaySelected);
    EXPECT_EQ(KeyActionFor(Qt::Key_F5, true), KeyAction::PassOn);

    // Rounded, never wrapped at a day; sizes round up and do not overflow.
    EXPECT_EQ(FormatListDuration(59.6 / 86400), "01:00");
    EXPECT_EQ(FormatListDuration(25 * 3600 / 86400.0), "1500:00");
    EXPECT_EQ(FormatListSize(1025), "2 KB");
    EXPECT_EQ(FormatListSize(0xFFFFFFFFu), "4194304 KB");
    EXPECT_EQ(NotesForList(QStringLiteral("a\nb\rc")), QStringLiteral("a  b  c"));

    // Playing and in use outrank protection.
    EXPECT_EQ(CallLogImageFor(true, 0, true), IMAGE_PLAYING);
    EXPECT_EQ(CallLogImageFor(false, 2, true), IMAGE_IN_USE);

    // The time displays count total minutes: a day does not wrap, a negative time shows zero.
    EXPECT_EQ(SplitElapsed(25 * 3600).minutes, QStringLiteral("1500"));
    const MinutesSeconds negative = SplitElapsed(-3);
    EXPECT_EQ(negative.minutes + negative.seconds, QStringLiteral("0000"));
    EXPECT_EQ(MainWindowCaption(QString()), LoadText(IDS_WINDOW_CAPTION));
}

constexpr int kToolsItems[] = {ID_TOOLS_FIND, ID_TOOLS_DELETE, ID_TOOLS_SEND, ID_TOOLS_PROTECT, ID_TOOLS_JOIN};

class MainWindow : public testing::WindowFixture {
protected:
    CColorStatic* Static(int id) const { return qobject_cast<CColorStatic*>(dlg->Control(id)); }
    bool Enabled(int id) const { return dlg->Control(id)->isEnabled(); }
    QTreeView* List() const { return qobject_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG)); }
};

TEST_F(MainWindow, ListControlsFollowTheListAndNoSend)
{
    OpenWindow([](CAppSettings& s) { s.Operatore = QStringLiteral("Desk 2"); });
    EXPECT_EQ(dlg->windowTitle(), LoadText(IDS_WINDOW_CAPTION) + " (Desk 2)");
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

    OpenWindow([](CAppSettings& s) { s.NoSend = true; });
    EXPECT_TRUE(Enabled(IDC_DELETE));
    EXPECT_FALSE(Enabled(IDC_SEND));
}

TEST_F(MainWindow, KeyboardOpensOnTheListEscOnlyClosesFindAndF5Rescans)
{
    OpenWindow();
    dlg->show();
    ASSERT_TRUE(test::WaitUntil([this] { return dlg->focusWidget() != nullptr; }));
    EXPECT_EQ(dlg->focusWidget(), List());
    // Space on whatever has the focus must not switch auto-recording.
    QTest::keyClick(dlg->focusWidget(), Qt::Key_Space);
    EXPECT_EQ(dlg->RecordingControl().State(), S::Idle);
    for (CSkinButton* button : dlg->findChildren<CSkinButton*>()) {
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
    }

    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(dlg->isVisible());
    QWidget find;
    find.show();
    dlg->SetFindWindow(&find);
    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_FALSE(find.isVisible());
    EXPECT_TRUE(dlg->isVisible());

    folder.Add({"Arrived later", COleDateTime(2024, 2, 2, 10, 0, 0), 3});
    QTest::keyClick(List(), Qt::Key_F5);
    EXPECT_EQ(List()->model()->rowCount(), 1);
    EXPECT_TRUE(Enabled(IDC_PLAY));
}

// The offscreen display has no notification area.
TEST_F(MainWindow, WithoutANotificationAreaMinimisingAndStartingInTheTrayOnlyMinimise)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    for (bool fromStartup : {false, true}) {
        SCOPED_TRACE(fromStartup ? "start-up" : "minimise");
        OpenWindow();
        if (fromStartup)
            dlg->Tray().GoToNotificationArea();  // as the start-up setting does, before the window is shown
        dlg->show();
        if (!fromStartup)
            dlg->setWindowState(dlg->windowState() | Qt::WindowMinimized);
        ASSERT_TRUE(test::WaitUntil([this] { return dlg->isMinimized(); }));
        QApplication::processEvents();
        EXPECT_TRUE(dlg->isVisible()) << "a hidden window with no icon cannot be found again";
        EXPECT_FALSE(dlg->Tray().IsInNotificationArea() || dlg->Tray().IsIconVisible());
        EXPECT_EQ(dlg->Tray().Balloon(), nullptr);
    }
}

TEST_F(MainWindow, DisplaysAndRecordButtonsFollowTheRecordingControl)
{
    OpenWindow();
    dlg->ShowRecordingTime(std::chrono::minutes(75) + std::chrono::seconds(4));
    EXPECT_EQ(Static(IDC_REC_MINUTES)->Caption() + Static(IDC_REC_SECONDS)->Caption(), QStringLiteral("7504"));
    dlg->ShowPlayingTime(std::chrono::seconds(61));
    EXPECT_EQ(Static(IDC_PLAY_MINUTES)->Caption() + Static(IDC_PLAY_SECONDS)->Caption(), QStringLiteral("0101"));
    dlg->UpdateRecordButtons();
    EXPECT_EQ(Static(IDC_REC_MINUTES)->Caption(), LoadText(IDS_TIME_BLANK));
    EXPECT_EQ(Static(IDC_REC_STATUS)->Caption(), LoadText(IDS_STATUS_STOP));

    // The window reads the state from the control, never from a copy of its own.
    auto* meter = qobject_cast<CLevelMeter*>(dlg->Control(IDC_LEVEL_METER));
    EXPECT_FALSE(Enabled(IDC_STOP));
    PostMessageTo(dlg.get(), WM_INPUT_LEVEL, 32767, 0);
    QApplication::processEvents();
    EXPECT_EQ(meter->Segments(), 0) << "idle: no level shown";
    dlg->RecordingControl().SetState(S::Listening);
    dlg->EnableControl(IDC_STOP, true);
    dlg->UpdateRecordButtons();
    EXPECT_FALSE(Enabled(IDC_RECORD));
    EXPECT_TRUE(Enabled(IDC_STOP));
    PostMessageTo(dlg.get(), WM_INPUT_LEVEL, 32767, 0);
    QApplication::processEvents();
    EXPECT_EQ(meter->Segments(), 30);
    dlg->RecordingControl().SetStateIdle();
    EXPECT_TRUE(Enabled(IDC_RECORD));
    EXPECT_FALSE(Enabled(IDC_STOP));
}

TEST_F(MainWindow, SkinnedControlsReachTheRecordingControl)
{
    OpenWindow();
    auto* forward = qobject_cast<CSkinButton*>(dlg->Control(IDC_FAST_FORWARD));
    EXPECT_TRUE(forward->IsAutoRepeat());

    // A threshold dropped on the meter is stored, after the meter's own mouse event.
    auto* meter = qobject_cast<CLevelMeter*>(dlg->Control(IDC_LEVEL_METER));
    emit meter->thresholdChanged(1234);
    EXPECT_NE(dlg->AppSettings().SogliaAttivazioneRegAuto, QStringLiteral("1234"));
    QApplication::processEvents();
    EXPECT_EQ(dlg->AppSettings().SogliaAttivazioneRegAuto, QStringLiteral("1234"));

    // A held wind button with nothing playing only takes the focus back to the list.
    dlg->show();
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    dlg->Control(IDC_STOP)->setEnabled(true);
    dlg->Control(IDC_STOP)->setFocus();
    emit forward->repeated(IDC_FAST_FORWARD);
    QApplication::processEvents();
    EXPECT_TRUE(List()->hasFocus());
}

TEST_F(MainWindow, EditsStopAt260AndExitIsPosted)
{
    folder.Add({"First", COleDateTime(2024, 1, 1, 10, 0, 0), 30});
    OpenWindow();
    auto* notes = qobject_cast<QPlainTextEdit*>(dlg->Control(IDC_NOTES_EDIT));
    notes->setPlainText(QString(300, QLatin1Char('n')));
    EXPECT_EQ(notes->toPlainText().size(), 260);
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg->Control(IDC_NAME_EDIT))->maxLength(), 260);

    dlg->show();
    dlg->MenuCommand(ID_FILE_EXIT)->trigger();
    EXPECT_TRUE(dlg->isVisible()) << "the close is posted, not run inside the menu";
    QApplication::processEvents();
    EXPECT_FALSE(dlg->isVisible());
}

// Help and the maker's page reach the desktop's handlers (stood in for here);
// a missing guide is told, never opened.
// What the desktop was asked to open.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

class HelpCommands : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        m_previousFolder = ProgramFolder();
        SetProgramFolderForTesting(m_program.path());
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop, "Open");
        OpenWindow();
    }
    void TearDown() override
    {
        WindowFixture::TearDown();
        for (const char* scheme : {"file", "http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        SetProgramFolderForTesting(m_previousFolder);
    }
    QString Program(const QString& name) const { return m_program.filePath(name); }
    // What the command showed and what it opened.
    using Outcome = std::pair<QStringList, QList<QUrl>>;
    Outcome Run(const std::function<void()>& command)
    {
        desktop.opened.clear();
        prompt.Clear();
        command();
        QApplication::processEvents();
        return {Shown(), desktop.opened};
    }
    Outcome Menu(int id) { return Run([&] { dlg->MenuCommand(id)->trigger(); }); }
    Outcome Button(int id) { return Run([&] { qobject_cast<QAbstractButton*>(dlg->Control(id))->click(); }); }

    CUrlRecorder desktop;

private:
    QTemporaryDir m_program;
    QString m_previousFolder;
};

TEST_F(HelpCommands, GuideOpensWhenPresentAndIsToldMissingOtherwise)
{
    const Outcome missing{{LoadText(IDS_HELP_MISSING)}, {}};
    EXPECT_EQ(Button(IDC_HELP), missing);
    ASSERT_TRUE(QDir().mkpath(Program("html/Start.htm")));
    EXPECT_EQ(Menu(ID_HELP_CONTENTS), missing) << "a folder is not a guide";

    ASSERT_TRUE(QDir(Program("html")).rmdir("Start.htm"));
    ASSERT_TRUE(test::WriteBytes(Program("html/Start.htm"), {}));
    const Outcome opened{{}, {QUrl::fromLocalFile(Program("html/Start.htm"))}};
    EXPECT_EQ(Button(IDC_HELP), opened);
    EXPECT_EQ(Menu(ID_HELP_CONTENTS), opened);
}

TEST_F(HelpCommands, OnlinePageOpensTheMakersAddress)
{
    EXPECT_EQ(Menu(ID_HELP_ONLINE), (Outcome{{}, {QUrl(LoadText(IDS_ONLINE_URL))}}));
    EXPECT_TRUE(QFile::exists(Program("Orsolan.htm")));
}

}  // namespace
}  // namespace sonvelle

#include "MainWindowTest.moc"
