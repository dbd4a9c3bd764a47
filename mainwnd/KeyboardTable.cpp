#include "mainwnd/KeyboardTable.h"

#include <Qt>

namespace sonvelle {

KeyAction KeyActionFor(int qtKey, bool withModifiers)
{
    // Esc must never reach the dialog: its default would close the window.
    if (qtKey == Qt::Key_Escape)
        return KeyAction::CloseFindWindow;
    if (withModifiers)
        return KeyAction::PassOn;
    switch (qtKey) {
    case Qt::Key_F1:
    case Qt::Key_F3:
        return KeyAction::Swallow;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyAction::PlaySelected;
    case Qt::Key_F5:
        return KeyAction::Rescan;
    default:
        return KeyAction::PassOn;
    }
}

}  // namespace sonvelle
