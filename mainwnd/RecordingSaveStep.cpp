#include "mainwnd/RecordingSaveStep.h"

#include "platform/FileOps.h"
#include "platform/Log.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingSave.h"

#ifdef SONVELLE_SAVE_DIALOG
#include "store/ui/SaveRecordingDlg.h"
#endif

namespace sonvelle {

bool RunRecordingSaveStep(QWidget* parent, CRecordingEntry& entry, const QString& folder, const QString& file,
                          bool alternativePlay)
{
    if (!CanAskUser()) {
        // The session is ending and nobody can name it: the default name.
        QString audio = file;
        return ConfirmSaveRecording(entry, folder, audio, entry.m_strName, entry.m_strNotes);
    }
#ifdef SONVELLE_SAVE_DIALOG
    CSaveRecordingDlg dialog(parent);
    dialog.Setup(&entry, folder, alternativePlay);
    dialog.SetRecordingFile(file);
    return dialog.exec() == QDialog::Accepted;
#else
    (void)parent;
    (void)alternativePlay;
    const QString from = file.isEmpty() ? entry.m_strFolder + LoadText(25) : file;
    const QString to = folder + entry.m_strName + LoadText(20);
    const FileError error = MoveFileNoReplace(from, to);
    if (error != FileError::None) {
        WriteLog(QStringLiteral("Salva registrazione su file %1 da rinominare %2, errore: %3")
                     .arg(to, from)
                     .arg(static_cast<int>(error)));
        QString text = LoadText(69);
        MessageBox(text.replace(QLatin1String("%s"), from), PromptIcon::Stop);
        return false;
    }
    entry.m_strFolder = folder;
    entry.SetState(kStateTagPending);
    return true;
#endif
}

}  // namespace sonvelle
