#include "mainwnd/RecordingSaveStep.h"

#include "platform/Prompt.h"
#include "store/RecordingEntry.h"
#include "store/RecordingSave.h"
#include "storeui/SaveRecordingDlg.h"

namespace sonvelle {

bool RunRecordingSaveStep(QWidget* parent, CRecordingEntry& entry, const QString& folder, const QString& file,
                          bool alternativePlay)
{
    if (!CanAskUser()) {
        // The session is ending and nobody can name it: the default name.
        QString audio = file;
        return ConfirmSaveRecording(entry, folder, audio, entry.m_strName, entry.m_strNotes);
    }
    CSaveRecordingDlg dialog(parent);
    dialog.Setup(&entry, folder, alternativePlay);
    dialog.SetRecordingFile(file);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace sonvelle
