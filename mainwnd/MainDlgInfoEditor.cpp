// The name and notes of the selected recording: the fields under the list,
// the save button and renaming in place. The rules live in the store's
// editor; the window only forwards its handlers and lends it the controls.

#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "store/RecordingInfoEditor.h"
#include "storeui/RecordingInfoFields.h"
#include "storeui/SaveProgressDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace sonvelle {

void CMainDlg::CreateInfoEditor()
{
    auto rewriteRow = [this](const QString& oldName, const CRecordingEntry& entry) {
        m_callLog.RewriteRow(oldName, entry);
    };
    auto stopPlayback = [this](const CRecordingEntry& entry) {
        if (m_control && m_control->PlayingRecording() == &entry)
            OnStopPlaying();
    };
    m_saveProgress = std::make_unique<CSaveProgress>(this);
    m_infoFields = std::make_unique<CRecordingInfoFields>(
        m_nameEdit, m_notesEdit, qobject_cast<QAbstractButton*>(Control(IDC_SAVE)), rewriteRow, stopPlayback);
    m_infoEditor = std::make_unique<CRecordingInfoEditor>(*m_infoFields, m_callLog.Catalogue());
    m_infoEditor->SetSaveProgress(m_saveProgress.get());
    m_callLog.AddBeforeClear([this] { m_infoEditor->ForgetAll(); });
    m_callLog.Model().SetRenameHandler([this](int row, const QString& newName) {
        m_infoEditor->OnBeginLabelEdit(m_callLog.Model().Row(row).text[COL_NAME]);
        return m_infoEditor->OnEndLabelEdit(newName);
    });
}

int CMainDlg::FocusTargetId() const
{
    const QWidget* focus = QApplication::focusWidget();
    for (int id : {CRecordingInfoEditor::kSaveButton, CRecordingInfoEditor::kNameField,
                   CRecordingInfoEditor::kNotesField, CRecordingInfoEditor::kRecordButton,
                   CRecordingInfoEditor::kStopButton, CRecordingInfoEditor::kAutoRecordButton,
                   CRecordingInfoEditor::kList}) {
        if (focus && Control(id) == focus)
            return id;
    }
    return 0;
}

void CMainDlg::SaveTypedNameAndNotes()
{
    m_infoEditor->OnSaveButton();
}

void CMainDlg::ShowNameAndNotes(CRecordingEntry& entry)
{
    m_infoEditor->ShowEntry(&entry);
}

void CMainDlg::ForgetEntry(const CRecordingEntry* entry)
{
    m_infoEditor->Forget(entry);
}

void CMainDlg::OnSave()
{
    m_infoEditor->OnSaveButton();
}

void CMainDlg::OnListSelectionChanged()
{
    if (m_callLog.SelectedRow() < 0) {
        if (m_callLog.Model().Count() == 0)
            m_infoEditor->ShowEntry(nullptr);
        return;
    }
    m_infoEditor->OnSelectionChanged(m_callLog.SelectedName());
}

void CMainDlg::OnNameChanged()
{
    m_infoEditor->OnFieldChanged(InfoField::Name);
}

void CMainDlg::OnNotesChanged()
{
    m_infoEditor->OnFieldChanged(InfoField::Notes);
}

void CMainDlg::OnNameKillFocus()
{
    m_infoEditor->OnFocusLeft(InfoField::Name, FocusTargetId());
}

void CMainDlg::OnNotesKillFocus()
{
    m_infoEditor->OnFocusLeft(InfoField::Notes, FocusTargetId());
}

}  // namespace sonvelle
