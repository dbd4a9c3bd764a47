// The main window in a real notification area: a tray host on the virtual
// display, started by the test command (see CMakeLists.txt).

#include "mainwnd/MainWindowTray.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "platform/Message.h"
#include "resources/art/Art.h"
#include "skin/CBalloonWnd.h"
#include "support/EventWait.h"
#include "WorkFolderFixture.h"

#include <QSystemTrayIcon>

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace sonvelle
