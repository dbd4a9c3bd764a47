// The window from the keyboard and on a desktop without a notification area
// (the offscreen display has none).

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/MainWindowTray.h"
#include "mainwnd/RecordingControl.h"
#include "skin/CSkinButton.h"
#include "support/EventWait.h"

#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

using test::WaitUntil;

class WindowWithoutTray : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = work.path();
        dlg->InitialiseWindowOnly();
    }
    QTemporaryDir work;
    std::unique_ptr<CMainDlg> dlg;
};

TEST_F(WindowWithoutTray, OpensOnTheCallLogAndEveryButtonIsNamed)
{
    dlg->show();
    ASSERT_TRUE(WaitUntil([this] { return dlg->focusWidget() != nullptr; }));
    EXPECT_EQ(dlg->focusWidget(), dlg->Control(IDC_CALL_LOG));
    // Space on whatever has the focus must not switch auto-recording.
    QTest::keyClick(dlg->focusWidget(), Qt::Key_Space);
    EXPECT_EQ(dlg->RecordingControl().State(), RecorderState::Idle);

    for (CSkinButton* button : dlg->findChildren<CSkinButton*>()) {
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
    }
}

TEST_F(WindowWithoutTray, MinimisingAndStartingInTheTrayOnlyMinimise)
{
    // From the caption's button, and from the start-up setting before the window is shown.
    for (bool fromStartup : {false, true}) {
        SCOPED_TRACE(fromStartup ? "start-up" : "minimise");
        if (fromStartup) {
            dlg = std::make_unique<CMainDlg>();
            dlg->AppSettings().WorkDir = work.path();
            dlg->InitialiseWindowOnly();
            dlg->Tray().GoToNotificationArea();
            dlg->show();
        } else {
            dlg->show();
            dlg->setWindowState(dlg->windowState() | Qt::WindowMinimized);
        }
        QCoreApplication::processEvents();
        ASSERT_TRUE(WaitUntil([this] { return dlg->isMinimized(); }));
        QCoreApplication::processEvents();
        EXPECT_TRUE(dlg->isVisible()) << "a hidden window with no icon cannot be found again";
        EXPECT_FALSE(dlg->Tray().IsInNotificationArea());
        EXPECT_FALSE(dlg->Tray().IsIconVisible());
        EXPECT_EQ(dlg->Tray().Balloon(), nullptr);
    }
}

}  // namespace
}  // namespace sonvelle
