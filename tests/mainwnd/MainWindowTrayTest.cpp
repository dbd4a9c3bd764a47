// The main window in a real notification area: a tray host on the virtual
// display, started by the test command (see CMakeLists.txt).

#include "mainwnd/MainWindowTray.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "platform/Message.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "skin/CBalloonWnd.h"
#include "support/EventWait.h"
#include "WorkFolderFixture.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>

namespace sonvelle {
namespace {

using test::WaitUntil;

class TrayWindow : public testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        ASSERT_TRUE(WaitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }))
            << "no notification-area host on the display";
        OpenWindow();
        dlg->show();
        ASSERT_TRUE(WaitUntil([this] { return dlg->isVisible(); }));
    }
};

TEST_F(TrayWindow, MinimisingHidesBehindTheIconThatFollowsVoiceRecordingsAndAClickBringsItBack)
{
    CRecordingWindowAdapter& window = dlg->RecordingWindow();
    window.SetTrayIcon(kIconTrayAutoRecording, QString());
    EXPECT_FALSE(dlg->Tray().IsIconVisible()) << "a shown window has no icon to change";

    dlg->RecordingControl().SetState(RecorderState::Listening);
    dlg->setWindowState(dlg->windowState() | Qt::WindowMinimized);
    ASSERT_TRUE(WaitUntil([this] { return dlg->Tray().IsIconVisible() && !dlg->isVisible(); }));
    CMainWindowTray& tray = dlg->Tray();
    EXPECT_TRUE(window.IsInTray());
    EXPECT_EQ(tray.IconId(), kIconTrayListening);
    ASSERT_NE(tray.Balloon(), nullptr);
    EXPECT_TRUE(tray.Balloon()->isVisible());
    EXPECT_TRUE(dlg->IsTimerRunning(TIMER_BALLOON_CLOSE));
    // A voice starts a recording, then its file arrives.
    window.SetTrayIcon(kIconTrayAutoRecording, QString());
    EXPECT_EQ(tray.IconId(), kIconTrayAutoRecording);
    window.SetTrayIcon(kIconTrayListening, QString());
    EXPECT_EQ(tray.IconId(), kIconTrayListening);

    // While the save dialog is open a click only closes the balloon.
    dlg->RecordingControl().SetSaveDialogOpenForTesting(true);
    PostMessageTo(dlg.get(), WM_TRAY_NOTIFY, 0, kTrayLeftButtonUp);
    ASSERT_TRUE(WaitUntil([&] { return !tray.Balloon()->isVisible(); }));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(tray.IsIconVisible());

    dlg->RecordingControl().SetSaveDialogOpenForTesting(false);
    PostMessageTo(dlg.get(), WM_TRAY_NOTIFY, 0, kTrayLeftButtonUp);
    ASSERT_TRUE(WaitUntil([this] { return dlg->isVisible(); }));
    EXPECT_FALSE(dlg->isMinimized());
    EXPECT_FALSE(tray.IsIconVisible());
    EXPECT_FALSE(window.IsInTray());
}

TEST_F(TrayWindow, MenuFollowsTheRecordingState)
{
    struct Case {
        RecorderState state;
        QString autoText;
        bool autoEnabled, newEnabled, stopEnabled;
    };
    const Case cases[] = {
        {RecorderState::Idle, LoadText(IDS_TRAY_AUTO_ON), true, true, false},
        {RecorderState::Recording, LoadText(IDS_TRAY_AUTO_ON), false, false, true},
        {RecorderState::Listening, LoadText(IDS_TRAY_AUTO_OFF), true, false, false},
    };
    for (const Case& c : cases) {
        dlg->RecordingControl().SetState(c.state);
        QMenu& menu = dlg->Tray().PreparedMenu();
        std::map<int, QAction*> items;
        for (QAction* action : menu.actions())
            if (!action->isSeparator())
                items[action->data().toInt()] = action;
        SCOPED_TRACE(static_cast<int>(c.state));
        ASSERT_EQ(items.size(), 6u);
        EXPECT_EQ(items[ID_TRAY_AUTO_RECORDING]->text(), c.autoText);
        EXPECT_EQ((std::array{items[ID_TRAY_AUTO_RECORDING]->isEnabled(), items[ID_TRAY_NEW_RECORDING]->isEnabled(),
                              items[ID_TRAY_STOP]->isEnabled()}),
                  (std::array{c.autoEnabled, c.newEnabled, c.stopEnabled}));
        EXPECT_TRUE(items[ID_TRAY_EXIT]->isEnabled() && items[ID_TRAY_OPTIONS]->isEnabled());
    }
    dlg->RecordingControl().SetState(RecorderState::Idle);
}

TEST_F(TrayWindow, StartedInTheTrayTheWindowRunsHiddenUntilExit)
{
    OpenWindow();
    dlg->Tray().GoToNotificationArea();  // as the start-up setting does, before exec() shows the window
    QSignalSpy finished(dlg.get(), &QDialog::finished);
    bool hiddenWhileRunning = false;
    QTimer::singleShot(0, dlg.get(), [&] {
        hiddenWhileRunning = WaitUntil([&] { return !dlg->isVisible() && dlg->Tray().IsIconVisible(); });
        // A dismissed menu posts command 0, which does nothing; then Exit.
        PostMessageTo(dlg.get(), WM_COMMAND, 0);
        PostMessageTo(dlg.get(), WM_COMMAND, ID_TRAY_EXIT);
    });
    dlg->exec();
    EXPECT_TRUE(hiddenWhileRunning) << "shown by exec() and left on screen, or exec() ended by the hiding";
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(dlg->Tray().IsIconVisible()) << "the icon outlived the window";
}

}  // namespace
}  // namespace sonvelle
