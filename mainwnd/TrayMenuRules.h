#pragma once
// What the notification icon and its menu show in each recording state, and
// where the balloon goes. Pure rules, so they can be checked without a desktop.

#include "platform/RecorderState.h"

#include <QRect>

#include <vector>

namespace sonvelle {

// Tray menu commands, dispatched ahead of the window's own menu.
constexpr int ID_TRAY_OPEN = 32772;
constexpr int ID_TRAY_AUTO_RECORDING = 32773;
constexpr int ID_TRAY_NEW_RECORDING = 32774;
constexpr int ID_TRAY_STOP = 32775;
constexpr int ID_TRAY_EXIT = 32776;
constexpr int ID_TRAY_OPTIONS = 32777;
constexpr bool IsTrayCommand(int id) { return id >= ID_TRAY_OPEN && id <= ID_TRAY_OPTIONS; }

// Mouse messages the icon's notice carries.
constexpr long kTrayLeftButtonUp = 0x0202;
constexpr long kTrayRightButtonUp = 0x0205;

struct TrayMenuItem {
    int command = 0;   // 0: a separator
    int textId = 0;
    bool enabled = true;
    int picture = 0;   // 0: none
};

// The menu in its order, separators included.
std::vector<TrayMenuItem> TrayMenuItems(RecorderState state);
// The icon for a state; without a sound card always the idle one.
int TrayIconFor(RecorderState state, bool soundCardPresent);

// The balloon's top-left corner: above the icon when the desktop tells where
// it is, else near the bottom right corner; always inside the screen.
QPoint BalloonTopLeft(const QRect& iconGeometry, const QRect& screen, const QSize& balloon);

}  // namespace sonvelle
