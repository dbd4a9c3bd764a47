// The window without a mouse: names and tips on every button, the focus on
// the call log at the start, fast forward and rewind from the keyboard.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "resources/StringTable.h"
#include "skin/CSkinButton.h"

#include <QKeyEvent>
#include <QTreeView>

namespace sonvelle {

namespace {

struct ButtonTip {
    int id;
    int textId;
};
constexpr ButtonTip kButtonTips[] = {
    {IDC_RECORD, IDS_TIP_RECORD},         {IDC_AUTO_RECORD, IDS_TIP_AUTO_RECORD},
    {IDC_STOP, IDS_TIP_STOP},             {IDC_PLAY, IDS_TIP_PLAY},
    {IDC_PAUSE, IDS_TIP_PAUSE},           {IDC_FAST_REWIND, IDS_TIP_FAST_REWIND},
    {IDC_FAST_FORWARD, IDS_TIP_FAST_FORWARD}, {IDC_STOP_PLAY, IDS_TIP_STOP_PLAY},
    {IDC_SAVE, IDS_TIP_SAVE},             {IDC_FIND, IDS_BUTTON_FIND},
    {IDC_DELETE, IDS_BUTTON_DELETE},      {IDC_SEND, IDS_BUTTON_SEND},
    {IDC_OPTIONS, IDS_BUTTON_OPTIONS},    {IDC_HELP, IDS_BUTTON_HELP},
};

}  // namespace

void CMainDlg::SetupKeyboardAndNames()
{
    for (const ButtonTip& tip : kButtonTips) {
        auto* button = qobject_cast<CSkinButton*>(Control(tip.id));
        if (!button)
            continue;
        button->SetTooltipText(tip.textId);
        // The name without the shortcut a tip may mention.
        const QString text = LoadText(tip.textId);
        button->setAccessibleName(text.section(QStringLiteral(" ("), 0, 0));
    }
    // A button first in line would take Space as its click: auto-recording switched by a stray key.
    m_list->setFocus(Qt::OtherFocusReason);
}

bool CMainDlg::HandleWindKey(const QKeyEvent& key)
{
    if (key.modifiers() != Qt::ControlModifier)
        return false;
    int id = 0;
    if (key.key() == Qt::Key_Right)
        id = IDC_FAST_FORWARD;
    else if (key.key() == Qt::Key_Left)
        id = IDC_FAST_REWIND;
    else
        return false;
    // A held key repeats as a held button does; the button's own state says whether winding is possible.
    if (IsEnabled(id))
        OnButtonRepeat(id);
    return true;
}

}  // namespace sonvelle
