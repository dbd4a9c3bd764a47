#include "mainwnd/RecordingSaveStep.h"

#include "storeui/SaveRecordingDlg.h"

namespace sonvelle {

bool RunRecordingSaveStep(QWidget* parent, CRecordingEntry& entry, const QString& folder, const QString& file,
                          bool alternativePlay)
{
    CSaveRecordingDlg dialog(parent);
    dialog.Setup(&entry, folder, alternativePlay);
    dialog.SetRecordingFile(file);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace sonvelle
