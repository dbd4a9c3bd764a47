// The Find command: one Find window for the window's whole life, shown again
// over the call log at each command.

#include "mainwnd/MainDlg.h"
#include "operations/FindDlg.h"

#include <QTreeView>

namespace sonvelle {

void CMainDlg::OnFind()
{
    auto* find = qobject_cast<CFindDlg*>(m_findWindow.data());
    if (!find) {
        find = new CFindDlg(this);
        m_findWindow = find;
    }
    find->SetList(m_list);
    find->show();
    find->raise();
    find->activateWindow();
}

}  // namespace sonvelle
