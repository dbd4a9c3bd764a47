#pragma once
// Fixed numbers the skinned controls share with the window that owns them.

namespace sonvelle {

// Timer id the main window gives its wind buttons (id + 1 is the fast repeat).
constexpr int kWindRepeatTimerId = 1526;

}  // namespace sonvelle
