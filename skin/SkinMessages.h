#pragma once
// Messages the skinned controls post to the window that owns them.

#include "platform/Message.h"

namespace sonvelle {

// wParam = the button's control id; sent at the press, after 1500 ms, then every 100 ms.
constexpr unsigned WM_BUTTON_REPEAT = WM_USER + 502;
// wParam = the chosen position in whole seconds.
constexpr unsigned WM_SEEK_POSITION = WM_USER + 510;
// wParam = the new threshold, 0..32767.
constexpr unsigned WM_THRESHOLD_CHANGED = WM_USER + 550;

// Timer id the main window gives its wind buttons (id + 1 is the fast repeat).
constexpr int kWindRepeatTimerId = 1526;

}  // namespace sonvelle
