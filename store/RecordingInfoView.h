#pragma once
// What the recording information editor needs from the main window: its name
// and notes fields, the save button and the list. The main window implements it.

#include <QString>

namespace sonvelle {

class CRecordingEntry;

enum class InfoField { Name, Notes };

class IRecordingInfoView {
public:
    virtual ~IRecordingInfoView() = default;

    virtual QString FieldText(InfoField field) const = 0;
    // Sets the text as the program (not as a keystroke); the editor clears the modified mark itself.
    virtual void SetFieldText(InfoField field, const QString& text) = 0;
    virtual bool IsFieldModified(InfoField field) const = 0;
    virtual void SetFieldModified(InfoField field, bool modified) = 0;
    virtual void MoveCaretToEnd(InfoField field) = 0;
    virtual void FocusField(InfoField field) = 0;

    virtual void EnableSaveButton(bool enable) = 0;

    // Rewrites the list row found by oldName (ignoring case) with the entry's current contents.
    virtual void RewriteRow(const QString& oldName, const CRecordingEntry& entry) = 0;
    // Stops the playback when this entry is the recording being played.
    virtual void StopPlaybackOf(const CRecordingEntry& entry) = 0;
};

}  // namespace sonvelle
