// The main window: which controls its rules enable, what its list and displays
// show, how it reacts to keys and a desktop without a notification area; Help.

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

namespace sonvelle {
namespace {

using S = RecorderState;

TEST(MainWindowRules, ControlsKeysAndListTexts)
{
    // Listening keeps Stop (it switches auto-recording off); a play leaves Record on, unless there is no card.
    const RecordButtonsLook listening = RecordButtonsFor(S::ListeningWhilePlaying, true);
    EXPECT_TRUE(listening.autoRecordingImages && !listening.recordEnabled && !listening.disableStop);
    const RecordButtonsLook playing = RecordButtonsFor(S::Playing, true);
    EXPECT_TRUE(playing.recordEnabled && playing.autoRecordingEnabled && !playing.disableStop);
    const RecordButtonsLook noCard = RecordButtonsFor(S::Playing, false);
    EXPECT_FALSE(noCard.recordEnabled || noCard.autoRecordingEnabled);

    // Never Play without a sound card; a Play out of its states is refused by the control (PlayCommand).
    ListControlsNow now;
    now.itemCount = 3;
    now.soundCardPresent = false;
    EXPECT_FALSE(ListDependentChanges(now).playEnabled.has_value());

    // An enabled Send goes off under NoSend.
    now.soundCardPresent = now.sendEnabled = now.noSend = true;
    EXPECT_EQ(ListDependentChanges(now).sendEnabled, false);

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

    // A negative time shows zero; a day does not wrap (below, on the window).
    const MinutesSeconds negative = SplitElapsed(-3);
    EXPECT_EQ(negative.minutes + negative.seconds, QStringLiteral("0000"));
}

class MainWindow : public testing::WindowFixture {
protected:
    CColorStatic* Static(int id) const { return qobject_cast<CColorStatic*>(dlg->Control(id)); }
    bool Enabled(int id) const { return dlg->Control(id)->isEnabled(); }
    QTreeView* List() const { return qobject_cast<QTreeView*>(dlg->Control(IDC_CALL_LOG)); }
};

TEST_F(MainWindow, ListControlsWaitForARecordingAndNoSendKeepsSendOff)
{
    const auto expectListControls = [this](bool on) {
        for (int id : {IDC_PLAY, IDC_FIND, IDC_DELETE, IDC_SEND, IDC_NAME_EDIT, IDC_NOTES_EDIT})
            EXPECT_EQ(Enabled(id), on) << id;
        for (int id : {ID_TOOLS_FIND, ID_TOOLS_DELETE, ID_TOOLS_SEND, ID_TOOLS_PROTECT, ID_TOOLS_JOIN})
            EXPECT_EQ(dlg->MenuCommand(id)->isEnabled(), on) << id;
    };
    OpenWindow();
    expectListControls(false);
    folder.Add({"First", COleDateTime(2024, 1, 1, 10, 0, 0), 30});
    dlg->LoadWorkFolder(folder.Path());
    expectListControls(true);
    EXPECT_FALSE(Enabled(IDC_SAVE)) << "nothing edited yet";

    OpenWindow([](CAppSettings& s) { s.NoSend = true; });
    EXPECT_FALSE(Enabled(IDC_SEND));
}

TEST_F(MainWindow, KeysEditsAndExit)
{
    OpenWindow();
    dlg->show();
    ASSERT_TRUE(test::WaitUntil([this] { return dlg->focusWidget() != nullptr; }));
    EXPECT_EQ(dlg->focusWidget(), List());
    // Space on whatever has the focus must not switch auto-recording.
    QTest::keyClick(dlg->focusWidget(), Qt::Key_Space);
    EXPECT_EQ(dlg->RecordingControl().State(), S::Idle);
    // The picture buttons carry no text of their own: a tip and a name are all a user or a reader gets.
    for (CSkinButton* button : dlg->findChildren<CSkinButton*>()) {
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
    }

    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_TRUE(dlg->isVisible());
    auto* find = new QWidget;  // the window's close deletes it
    find->show();
    dlg->SetFindWindow(find);
    QTest::keyClick(List(), Qt::Key_Escape);
    EXPECT_FALSE(find->isVisible());
    EXPECT_TRUE(dlg->isVisible());

    folder.Add({"Arrived later", COleDateTime(2024, 2, 2, 10, 0, 0), 3});
    QTest::keyClick(List(), Qt::Key_F5);
    EXPECT_EQ(List()->model()->rowCount(), 1);
    EXPECT_TRUE(Enabled(IDC_PLAY));

    auto* notes = qobject_cast<QPlainTextEdit*>(dlg->Control(IDC_NOTES_EDIT));
    notes->setPlainText(QString(300, QLatin1Char('n')));
    EXPECT_EQ(notes->toPlainText().size(), 260);
    EXPECT_EQ(qobject_cast<QLineEdit*>(dlg->Control(IDC_NAME_EDIT))->maxLength(), 260);
    dlg->MenuCommand(ID_FILE_EXIT)->trigger();
    EXPECT_TRUE(dlg->isVisible()) << "the close is posted, not run inside the menu";
    QApplication::processEvents();
    EXPECT_FALSE(dlg->isVisible());
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

TEST_F(MainWindow, DisplaysButtonsAndMeterFollowTheRecordingControl)
{
    OpenWindow();
    dlg->ShowRecordingTime(std::chrono::hours(25) + std::chrono::seconds(4));
    EXPECT_EQ(Static(IDC_REC_MINUTES)->Caption() + Static(IDC_REC_SECONDS)->Caption(), QStringLiteral("150004"));
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

    // A threshold dropped on the meter is stored, after the meter's own mouse event.
    emit meter->thresholdChanged(1234);
    EXPECT_NE(dlg->AppSettings().SogliaAttivazioneRegAuto, QStringLiteral("1234"));
    QApplication::processEvents();
    EXPECT_EQ(dlg->AppSettings().SogliaAttivazioneRegAuto, QStringLiteral("1234"));
    EXPECT_TRUE(qobject_cast<CSkinButton*>(dlg->Control(IDC_FAST_FORWARD))->IsAutoRepeat());
}

// Stands in for the desktop: what it was asked to open.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

// A missing guide is told, never opened; the button and the menu reach the same command.
TEST_F(MainWindow, HelpOpensTheGuideOnlyWhenPresentAndTheOnlinePageIsTheMakers)
{
    QTemporaryDir program;
    const QString previousFolder = ProgramFolder();
    SetProgramFolderForTesting(program.path());
    CUrlRecorder desktop;
    for (const char* scheme : {"file", "http", "https"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktop, "Open");
    OpenWindow();
    const QString guide = program.filePath("html/Start.htm");
    qobject_cast<QAbstractButton*>(dlg->Control(IDC_HELP))->click();
    EXPECT_TRUE(QDir().mkpath(guide));
    dlg->MenuCommand(ID_HELP_CONTENTS)->trigger();  // a folder is not a guide
    QApplication::processEvents();
    EXPECT_EQ(Shown(true), QStringList(2, LoadText(IDS_HELP_MISSING)));
    EXPECT_TRUE(desktop.opened.isEmpty());

    EXPECT_TRUE(QDir().rmdir(guide) && test::WriteBytes(guide, {}));
    qobject_cast<QAbstractButton*>(dlg->Control(IDC_HELP))->click();
    dlg->MenuCommand(ID_HELP_ONLINE)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(desktop.opened, (QList<QUrl>{QUrl::fromLocalFile(guide), QUrl(LoadText(IDS_ONLINE_URL))}));
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_TRUE(QFile::exists(program.filePath("Orsolan.htm")));
    for (const char* scheme : {"file", "http", "https"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    dlg.reset();
    SetProgramFolderForTesting(previousFolder);
}

}  // namespace
}  // namespace sonvelle

#include "MainWindowTest.moc"
