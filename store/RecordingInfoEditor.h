#pragma once
// The name and notes of the selected recording under the main window's list:
// their change and focus-loss handling, the save button, and renaming in place
// in the list. The main window owns one and forwards its handlers here.

#include "store/RecordingInfoView.h"

#include <QString>

namespace sonvelle {

class CRecordingEntry;
class CRecordingList;
class ISaveProgress;

class CRecordingInfoEditor {
public:
    // Controls the focus can move to, as the window reports them.
    static constexpr int kSaveButton = 1099;
    static constexpr int kNameField = 1119;
    static constexpr int kNotesField = 1120;
    static constexpr int kRecordButton = 1011;
    static constexpr int kStopButton = 1013;
    static constexpr int kAutoRecordButton = 1019;
    static constexpr int kList = 1040;

    CRecordingInfoEditor(IRecordingInfoView& view, CRecordingList& list);

    // The window SavePending shows while it writes tags; the caller keeps ownership.
    void SetSaveProgress(ISaveProgress* progress) { m_progress = progress; }

    CRecordingEntry* CurrentEntry() const { return m_current; }
    // Shows entry (or empties both fields for none), marks clear, save button off.
    void ShowEntry(CRecordingEntry* entry);
    // Drops every reference to entry; call before the catalogue deletes it.
    void Forget(const CRecordingEntry* entry);
    void ForgetAll();

    // A new row was selected: unsaved changes are checked first.
    void OnSelectionChanged(const QString& rowName);
    void OnFieldChanged(InfoField field);
    // focusTarget: id of the control that takes the focus, 0 for any other.
    void OnFocusLeft(InfoField field, int focusTarget);
    void OnSaveButton();

    void OnBeginLabelEdit(const QString& selectedRowName);
    // True when the list should keep the new text.
    bool OnEndLabelEdit(const QString& newText);

private:
    QString EntryValue(InfoField field) const;
    void ResetFields();
    void RefuseName(int textId, const CRecordingEntry& entry);

    IRecordingInfoView& m_view;
    CRecordingList& m_list;
    ISaveProgress* m_progress = nullptr;
    CRecordingEntry* m_current = nullptr;
    CRecordingEntry* m_pending = nullptr;
    QString m_pendingName;
    QString m_pendingNotes;
    QString m_editedRowName;
};

}  // namespace sonvelle
