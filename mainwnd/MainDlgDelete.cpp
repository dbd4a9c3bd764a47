// Deleting the selected recordings (the delete button, the Tools command and
// the Delete key in the list): their files go to the desktop's trash.

#include "mainwnd/CallLogModel.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingDeleter.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTreeView>

#include <algorithm>

namespace sonvelle {

void CMainDlg::OnDelete()
{
    DeleteSelected();
}

void CMainDlg::OnListKeyDown(int key)
{
    if (key == Qt::Key_Delete)
        DeleteSelected();
}

QStringList CMainDlg::SelectedNames() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QStringList names;
    for (int row : rows)
        names.append(m_callLog.Model().Row(row).text[COL_NAME]);
    return names;
}

void CMainDlg::DeleteSelected()
{
    CRecordingList& catalogue = m_callLog.Catalogue();
    CRecordingEntry* playing = m_control->IsPlayingOrPaused() ? m_control->PlayingRecording() : nullptr;
    QStringList names;
    bool deletesPlaying = false;
    for (const QString& name : SelectedNames()) {
        CRecordingEntry* entry = catalogue.FindByName(name);
        if (!entry)
            continue;
        if (entry->IsInUse()) {
            MessageBox(LoadText(IDS_IN_USE_DELETE), PromptIcon::Stop);
            continue;
        }
        deletesPlaying = deletesPlaying || entry == playing;
        names.append(name);
    }
    if (names.isEmpty())
        return;
    const QString question = names.size() > 1 ? LoadText(IDS_DELETE_TITLE) + QStringLiteral(" %1 ").arg(names.size()) + LoadText(IDS_DELETE_SELECTED_SUFFIX)
                                              : LoadText(IDS_DELETE_PREFIX) + names.first() + LoadText(IDS_DELETE_SUFFIX);
    if (MessageBox(question, PromptIcon::Question, PromptButtons::YesNo, LoadText(IDS_DELETE_BUTTON)) != PromptResult::Yes)
        return;

    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The player holds the file open; it goes before the file does.
    if (deletesPlaying)
        m_control->OnStopPlaying();
    for (const QString& name : names) {
        const CRecordingEntry* entry = catalogue.FindByName(name);
        ForgetEntry(entry);
        m_recordingWindow->ForgetEntry(entry);
    }
    const DeleteOutcome outcome = DeleteRecordings(catalogue, names, true);

    int lastRemovedRow = -1;
    for (auto it = outcome.removed.crbegin(); it != outcome.removed.crend(); ++it) {
        const int row = m_callLog.Model().FindByNameIgnoringCase(*it);
        if (row >= 0) {
            m_callLog.Model().RemoveRowAt(row);
            lastRemovedRow = row;
        }
    }
    if (lastRemovedRow >= 0) {
        if (lastRemovedRow < m_callLog.Model().Count())
            m_callLog.SelectRow(lastRemovedRow);
        else
            m_callLog.ForgetSelection();
        UpdateListDependentControls();
    }
    QApplication::restoreOverrideCursor();
    if (!outcome.kept.isEmpty())
        MessageBox(LoadText(IDS_DELETE_NOT_TRASHED) + QStringLiteral("\n\n") + outcome.kept.join(QLatin1Char('\n')), PromptIcon::Stop);
}

}  // namespace sonvelle
