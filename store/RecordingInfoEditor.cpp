#include "store/RecordingInfoEditor.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"
#include "store/RecordingNameField.h"
#include "store/RecordingNameRules.h"
#include "store/RecordingRename.h"

namespace sonvelle {

namespace {

InfoField Other(InfoField field)
{
    return field == InfoField::Name ? InfoField::Notes : InfoField::Name;
}

int FieldControl(InfoField field)
{
    return field == InfoField::Name ? CRecordingInfoEditor::kNameField : CRecordingInfoEditor::kNotesField;
}

}  // namespace

CRecordingInfoEditor::CRecordingInfoEditor(IRecordingInfoView& view, CRecordingList& list)
    : m_view(view), m_list(list)
{
}

QString CRecordingInfoEditor::EntryValue(InfoField field) const
{
    if (!m_current)
        return {};
    return field == InfoField::Name ? m_current->m_strName : m_current->m_strNotes;
}

void CRecordingInfoEditor::ResetFields()
{
    for (InfoField field : {InfoField::Name, InfoField::Notes}) {
        m_view.SetFieldText(field, EntryValue(field));
        m_view.SetFieldModified(field, false);
    }
    m_view.EnableSaveButton(false);
}

void CRecordingInfoEditor::ShowEntry(CRecordingEntry* entry)
{
    m_current = entry;
    ResetFields();
}

void CRecordingInfoEditor::Forget(const CRecordingEntry* entry)
{
    if (!entry)
        return;
    if (m_pending == entry)
        m_pending = nullptr;
    if (m_current == entry)
        ShowEntry(nullptr);
}

void CRecordingInfoEditor::ForgetAll()
{
    m_pending = nullptr;
    ShowEntry(nullptr);
}

void CRecordingInfoEditor::OnSelectionChanged(const QString& rowName)
{
    if (m_view.IsFieldModified(InfoField::Name))
        OnFocusLeft(InfoField::Name, kList);
    if (m_view.IsFieldModified(InfoField::Notes))
        OnFocusLeft(InfoField::Notes, kList);
    ShowEntry(m_list.FindByName(rowName));
}

void CRecordingInfoEditor::OnFieldChanged(InfoField field)
{
    if (field == InfoField::Name) {
        const FilteredName filtered = FilterMainWindowName(m_view.FieldText(InfoField::Name));
        if (filtered.changed) {
            m_view.SetFieldText(InfoField::Name, filtered.text);
            // The text still differs from what was there before the keystroke.
            m_view.SetFieldModified(InfoField::Name, true);
            m_view.MoveCaretToEnd(InfoField::Name);
            return;
        }
    }
    const bool differs = m_current && (m_view.FieldText(InfoField::Name) != m_current->m_strName ||
                                       m_view.FieldText(InfoField::Notes) != m_current->m_strNotes);
    m_view.EnableSaveButton(differs);
}

void CRecordingInfoEditor::OnFocusLeft(InfoField field, int focusTarget)
{
    if (!m_current || focusTarget == kSaveButton || focusTarget == FieldControl(Other(field)) ||
        !m_view.IsFieldModified(field))
        return;
    m_view.SetFieldModified(field, false);
    if (m_view.FieldText(field) == EntryValue(field))
        return;
    // Stopping a recording saves what was typed for it anyway.
    if (m_current->IsInUse() &&
        (focusTarget == kRecordButton || focusTarget == kStopButton || focusTarget == kAutoRecordButton))
        return;

    const QString question = LoadText(IDS_INFO_CHANGED_PREFIX) + QLatin1Char(' ') + m_current->m_strName + LoadText(IDS_INFO_CHANGED_SUFFIX);
    if (MessageBox(question, PromptIcon::Question, PromptButtons::YesNo, LoadText(IDS_INFO_SAVE_TITLE)) == PromptResult::Yes) {
        m_pending = m_current;
        m_pendingName = m_view.FieldText(InfoField::Name);
        m_pendingNotes = m_view.FieldText(InfoField::Notes);
        OnSaveButton();
    } else {
        ResetFields();
    }
}

void CRecordingInfoEditor::RefuseName(int textId, const CRecordingEntry& entry)
{
    m_view.SetFieldText(InfoField::Name, entry.m_strName);
    m_view.SetFieldModified(InfoField::Name, false);
    m_view.FocusField(InfoField::Name);
    MessageBox(LoadText(textId), PromptIcon::Exclamation);
}

void CRecordingInfoEditor::OnSaveButton()
{
    CRecordingEntry* entry = m_pending ? m_pending : m_current;
    const bool pending = m_pending != nullptr;
    // The pending save lasts for this one action, whatever its outcome.
    m_pending = nullptr;
    if (!entry) {
        m_view.SetFieldText(InfoField::Name, {});
        m_view.SetFieldText(InfoField::Notes, {});
        return;
    }
    const QString name = pending ? m_pendingName : m_view.FieldText(InfoField::Name);
    const QString notes = pending ? m_pendingNotes : m_view.FieldText(InfoField::Notes);
    if (name == entry->m_strName && notes == entry->m_strNotes)
        return;

    if (name.isEmpty()) {
        RefuseName(IDS_NAME_EMPTY, *entry);
        return;
    }
    if (CRecordingNameRules::IsTooLong(entry->m_strFolder, name)) {
        RefuseName(IDS_NAME_TOO_LONG, *entry);
        return;
    }

    const QString oldName = entry->m_strName;
    if (name != oldName) {
        if (CRecordingNameRules::IsDuplicate(m_list, name)) {
            RefuseName(IDS_NAME_EXISTS, *entry);
            return;
        }
        if (CRecordingNameRules::IsReserved(name)) {
            MessageBox(LoadText(IDS_NAME_RESERVED), PromptIcon::Stop);
            return;
        }
        if (!entry->IsInUse()) {
            m_view.StopPlaybackOf(*entry);
            const QString from = entry->m_strFolder + oldName + LoadText(IDS_EXT_MP3);
            const FileError error = RenameRecordingFile(from, entry->m_strFolder, name);
            if (error != FileError::None) {
                MessageBox(LoadText(RenameFailureTextId(error)), PromptIcon::Stop);
                return;
            }
        }
    }
    const QString oldNotes = entry->m_strNotes;
    const std::int32_t oldState = entry->GetState();
    if (!entry->IsInUse())
        entry->SetState(kStateTagPending);
    entry->m_strName = name;
    entry->m_strNotes = notes;
    m_view.RewriteRow(oldName, *entry);
    m_list.SavePending(m_progress);
    if (!entry->IsInUse() && name == oldName && entry->GetState() == kStateTagPending) {
        // The file would not take the new tag (a read-only recording): file and entry stay as they were.
        entry->m_strNotes = oldNotes;
        entry->SetState(oldState);
        m_view.RewriteRow(oldName, *entry);
        if (entry == m_current)
            ResetFields();
    }
    m_view.EnableSaveButton(false);
}

void CRecordingInfoEditor::OnBeginLabelEdit(const QString& selectedRowName)
{
    m_editedRowName = selectedRowName;
}

bool CRecordingInfoEditor::OnEndLabelEdit(const QString& newText)
{
    const QString oldName = m_editedRowName;
    m_editedRowName.clear();
    if (newText.isEmpty() || newText == oldName)
        return false;
    CRecordingEntry* entry = m_list.FindByName(oldName);
    if (!entry) {
        MessageBox(LoadText(IDS_RENAME_FAILED), PromptIcon::Exclamation);
        return false;
    }
    // Another recording's name, in any case, would leave two recordings the list cannot tell apart.
    if (CRecordingNameRules::IsDuplicate(m_list, newText, entry)) {
        MessageBox(LoadText(IDS_NAME_EXISTS), PromptIcon::Exclamation);
        return false;
    }
    const FileError error = RenameRecordingFile(entry->m_strFolder + oldName + LoadText(IDS_EXT_MP3), entry->m_strFolder, newText);
    if (error != FileError::None) {
        MessageBox(LoadText(error == FileError::AccessDenied ? IDS_NAME_EXISTS : IDS_RENAME_FAILED), PromptIcon::Exclamation);
        return false;
    }
    entry->m_strName = newText;
    // The tag and the index record must learn the new name too.
    if (!entry->IsInUse())
        entry->SetState(kStateTagPending);
    m_list.SavePending(m_progress);
    if (entry == m_current && !m_view.IsFieldModified(InfoField::Name)) {
        m_view.SetFieldText(InfoField::Name, newText);
        m_view.SetFieldModified(InfoField::Name, false);
    }
    return true;
}

}  // namespace sonvelle
