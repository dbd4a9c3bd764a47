// The Join command: the wizard over the call log, and the list refilled with
// the joined recording selected.

#include "mainwnd/MainDlg.h"

#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "operations/JoinFiles.h"
#include "operations/JoinSelectPage.h"
#include "operations/JoinUnprotect.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingList.h"

#include <QItemSelectionModel>
#include <QTreeView>

#include <algorithm>

namespace sonvelle {

void CMainDlg::OnJoin()
{
    CRecordingList& catalogue = m_callLog.Catalogue();
    const CCallLogModel& model = m_callLog.Model();
    JoinContext context;
    context.catalogue = &catalogue;
    std::vector<int> listRows;  // list row of each recording handed over
    for (int row = 0; row < model.Count(); ++row)
        if (CRecordingEntry* entry = catalogue.FindByName(model.Row(row).text[COL_NAME])) {
            context.mainRows.push_back(entry);
            listRows.push_back(row);
        }
    if (m_list && m_list->selectionModel()) {
        QModelIndexList selected = m_list->selectionModel()->selectedRows();
        std::sort(selected.begin(), selected.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        for (const QModelIndex& index : selected) {
            const auto at = std::find(listRows.begin(), listRows.end(), index.row());
            if (at != listRows.end())
                context.mainSelection.push_back(static_cast<int>(at - listRows.begin()));
        }
    }
    context.rowUnprotected = [this](const QString& name) {
        if (const CRecordingEntry* entry = m_callLog.Catalogue().FindByName(name))
            m_callLog.RewriteRow(name, *entry);
    };
    // The player holds the file it plays, which is about to be replaced.
    const auto stopPlaying = [this](const CRecordingEntry* entry) {
        if (entry && m_control->IsPlayingOrPaused() && m_control->PlayingRecording() == entry)
            m_control->OnStopPlaying();
    };
    context.unprotect = [this, stopPlaying](CRecordingEntry& entry, QWidget* parent) {
        stopPlaying(&entry);
        return UnprotectForJoining(m_callLog.Catalogue(), entry, parent);
    };
    // Entries leave the catalogue: nothing in the window may keep them.
    context.remover = [this, stopPlaying](const QStringList& deleteFiles, const QStringList& catalogueOnly) {
        CRecordingList& list = m_callLog.Catalogue();
        for (const QStringList* names : {&deleteFiles, &catalogueOnly})
            for (const QString& name : *names) {
                const CRecordingEntry* entry = list.FindByName(name);
                stopPlaying(entry);
                ForgetEntry(entry);
                m_recordingWindow->ForgetEntry(entry);
            }
        return CJoinFiles::RemoveFromCatalogue(list, deleteFiles, catalogueOnly);
    };

    CJoinSelectPage page;
    page.SetSources(context);
    if (page.exec() != QDialog::Accepted)
        return;
    m_callLog.Refill(-1, page.ResultName());
    UpdateListDependentControls();
}

}  // namespace sonvelle
