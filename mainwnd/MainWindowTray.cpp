#include "mainwnd/MainWindowTray.h"

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "platform/Message.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "skin/CBalloonWnd.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace sonvelle {

CMainWindowTray::CMainWindowTray(CMainDlg& window) : QObject(&window), m_window(window) {}

CMainWindowTray::~CMainWindowTray() = default;

void CMainWindowTray::GoToNotificationArea()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // No icon to come back through: an ordinary minimise keeps the window reachable.
        if (m_minimising || m_window.isMinimized())
            return;
        m_minimising = true;
        m_window.setWindowState(m_window.windowState() | Qt::WindowMinimized);
        m_minimising = false;
        return;
    }
    if (!m_icon) {
        m_icon = new QSystemTrayIcon(this);
        connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                PostMessageTo(&m_window, WM_TRAY_NOTIFY, 0, kTrayLeftButtonUp);
            else if (reason == QSystemTrayIcon::Context)
                PostMessageTo(&m_window, WM_TRAY_NOTIFY, 0, kTrayRightButtonUp);
        });
    }
    m_iconId = TrayIconFor(m_window.RecordingControl().State(), m_window.IsSoundCardPresent());
    m_icon->setIcon(LoadIconResource(m_iconId));
    m_icon->setToolTip(LoadText(IDS_TRAY_TIP));
    m_icon->show();
    m_inNotificationArea = true;
    m_window.HideIntoNotificationArea();
    ShowBalloon();
    m_window.SetTimer(TIMER_BALLOON_CLOSE, 3000);
}

QRect CMainWindowTray::IconGeometry() const
{
    return m_icon ? m_icon->geometry() : QRect();
}

void CMainWindowTray::ShowBalloon()
{
    if (!m_balloon)
        m_balloon = std::make_unique<CBalloonWnd>();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    m_balloon->Show(BalloonTopLeft(IconGeometry(), area, m_balloon->size()), LoadText(IDS_TRAY_RESTORE_TIP));
}

void CMainWindowTray::CloseBalloon()
{
    m_window.KillTimer(TIMER_BALLOON_CLOSE);
    if (m_balloon)
        m_balloon->hide();
}

void CMainWindowTray::Restore()
{
    CloseBalloon();
    m_inNotificationArea = false;
    m_window.ShowFromNotificationArea();
    RemoveIcon();
}

void CMainWindowTray::RemoveIcon()
{
    if (m_icon)
        m_icon->hide();
}

void CMainWindowTray::SetIcon(int iconId)
{
    if (!IsIconVisible() || iconId == m_iconId)
        return;
    m_iconId = iconId;
    m_icon->setIcon(LoadIconResource(iconId));
}

void CMainWindowTray::OnNotify(long mouseMessage)
{
    if (mouseMessage != kTrayLeftButtonUp && mouseMessage != kTrayRightButtonUp)
        return;
    CloseBalloon();
    // The save dialog of a finished recording is waiting for its answer.
    if (m_window.RecordingControl().IsSaveDialogOpen())
        return;
    if (mouseMessage == kTrayLeftButtonUp) {
        Restore();
        return;
    }
    QMenu& menu = PreparedMenu();
    const QAction* chosen = menu.exec(QCursor::pos());
    const int command = chosen ? chosen->data().toInt() : 0;
    PostMessageTo(&m_window, WM_COMMAND, static_cast<WPARAM>(command));
}

QMenu& CMainWindowTray::PreparedMenu()
{
    if (!m_menu) {
        m_menu = std::make_unique<QMenu>();
        m_menu->setObjectName(QStringLiteral("trayMenu"));
    }
    m_menu->clear();
    for (const TrayMenuItem& item : TrayMenuItems(m_window.RecordingControl().State())) {
        if (item.command == 0) {
            m_menu->addSeparator();
            continue;
        }
        QAction* action = m_menu->addAction(LoadText(item.textId));
        action->setData(item.command);
        action->setEnabled(item.enabled);
        if (item.picture != 0)
            action->setIcon(QIcon(LoadBitmapResource(item.picture)));
    }
    return *m_menu;
}

}  // namespace sonvelle
