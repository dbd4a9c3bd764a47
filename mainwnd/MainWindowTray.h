#pragma once
// The main window's life in the notification area: the icon with its tip,
// its menu and the balloon that points at it. Without a notification area the
// window is only minimised, so it can always be found again.

#include "mainwnd/TrayMenuRules.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

class QMenu;

namespace sonvelle {

class CBalloonWnd;
class CMainDlg;

class CMainWindowTray : public QObject {
    Q_OBJECT
public:
    explicit CMainWindowTray(CMainDlg& window);
    ~CMainWindowTray() override;

    // Hides the window behind the icon and shows the balloon for three seconds.
    void GoToNotificationArea();
    // The window back on screen, the icon gone.
    void Restore();
    void RemoveIcon();
    // True while the window lives as the icon.
    bool IsInNotificationArea() const { return m_inNotificationArea; }
    // Changes the icon while it is shown; otherwise nothing.
    void SetIcon(int iconId);
    int IconId() const { return m_iconId; }
    bool IsIconVisible() const { return m_icon && m_icon->isVisible(); }

    // A click on the icon (kTrayLeftButtonUp or kTrayRightButtonUp).
    void OnNotify(long mouseMessage);
    void CloseBalloon();
    // The menu with its texts, availability and pictures for the current state.
    QMenu& PreparedMenu();
    CBalloonWnd* Balloon() const { return m_balloon.get(); }

private:
    void ShowBalloon();
    QRect IconGeometry() const;

    CMainDlg& m_window;
    QSystemTrayIcon* m_icon = nullptr;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<CBalloonWnd> m_balloon;
    int m_iconId = 0;
    bool m_inNotificationArea = false;
    bool m_minimising = false;
};

}  // namespace sonvelle
