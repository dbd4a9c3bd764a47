#pragma once
// Keys the main window handles before its dialog handling sees them.

namespace sonvelle {

enum class KeyAction {
    PassOn,            // not ours: the dialog's own handling
    CloseFindWindow,   // Esc: only the Find window closes, never the main window
    Swallow,           // F1, F3
    PlaySelected,      // Enter
    Rescan,            // F5
};

// qtKey is a Qt::Key value; modified keys (Ctrl, Alt) are passed on.
KeyAction KeyActionFor(int qtKey, bool withModifiers);

}  // namespace sonvelle
