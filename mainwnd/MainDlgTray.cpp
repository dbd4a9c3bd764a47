// The notification area as the main window sees it: the icon's clicks, the
// tray menu's commands, minimising and the balloon's timer.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/MainWindowTray.h"
#include "mainwnd/RecordingControl.h"

#include <QShowEvent>

namespace sonvelle {

CMainWindowTray& CMainDlg::Tray()
{
    if (!m_tray)
        m_tray = new CMainWindowTray(*this);
    return *m_tray;
}

void CMainDlg::OnTrayNotify(WPARAM /*id*/, LPARAM mouseMessage) { Tray().OnNotify(static_cast<long>(mouseMessage)); }
void CMainDlg::OnBalloonTimer() { Tray().CloseBalloon(); }

void CMainDlg::OnMinimizeRequested()
{
    // Queued: the window system is still in the middle of the state change.
    QMetaObject::invokeMethod(this, [this] {
        if (isMinimized())
            Tray().GoToNotificationArea();
    }, Qt::QueuedConnection);
}

void CMainDlg::HideIntoNotificationArea()
{
    // QDialog::hide would end the window's exec(); the program goes on behind the icon.
    QWidget::setVisible(false);
}

void CMainDlg::ShowFromNotificationArea()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    QWidget::setVisible(true);
    raise();
    activateWindow();
}

void CMainDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Shown by exec() after a start straight into the notification area: hidden again.
    if (m_tray && m_tray->IsInNotificationArea())
        QMetaObject::invokeMethod(this, [this] {
            if (m_tray->IsInNotificationArea())
                HideIntoNotificationArea();
        }, Qt::QueuedConnection);
}

void CMainDlg::OnTrayCommand(int id)
{
    CRecordingControl& control = *m_control;
    switch (id) {
    case ID_TRAY_OPEN: Tray().Restore(); return;
    case ID_TRAY_AUTO_RECORDING: OnAutoRecording(); break;
    case ID_TRAY_NEW_RECORDING:
        if (IsAutoRecordingOn(control.State()))
            OnStop();
        OnRecord();
        break;
    case ID_TRAY_STOP: OnStop(); break;
    case ID_TRAY_EXIT: PostCloseToSelf(); return;
    case ID_TRAY_OPTIONS: OnOptions(); return;
    default: return;
    }
    // From the state reached, so a command that was refused leaves the icon telling the truth.
    Tray().SetIcon(TrayIconFor(control.State(), IsSoundCardPresent()));
}

}  // namespace sonvelle
