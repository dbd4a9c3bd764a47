#include "store/RecordingSave.h"

#include "platform/Log.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingNameField.h"
#include "store/RecordingNameRules.h"
#include "store/RecordingRename.h"

namespace sonvelle {

namespace {
const QString kDiscardMark = QStringLiteral("**del**");
}

QString RecordingFileOf(const CRecordingEntry& entry, const QString& recordingFile)
{
    return recordingFile.isEmpty() ? entry.m_strFolder + LoadText(IDS_TEMP_RECORDING_FILE) : recordingFile;
}

bool ConfirmSaveRecording(CRecordingEntry& entry, const QString& folder, QString& recordingFile,
                          const QString& nameText, const QString& notesText)
{
    entry.SetState(kStateTagPending);
    const QString name = WithoutTrailingBlanks(nameText);
    const QString notes = WithoutLeadingBlanks(notesText);
    if (CRecordingNameRules::IsReserved(name)) {
        MessageBox(LoadText(IDS_NAME_RESERVED), PromptIcon::Exclamation);
        return false;
    }
    const QString from = RecordingFileOf(entry, recordingFile);
    QString reason;
    const FileError error = RenameRecordingFile(from, folder, name, &reason);
    if (error != FileError::None) {
        WriteLog(QStringLiteral("Salva registrazione su file %1 da rinominare %2, errore: ")
                     .arg(folder + name + LoadText(IDS_EXT_MP3), from) +
                 reason);
        MessageBox(LoadText(RenameFailureTextId(error)), PromptIcon::Stop);
        return false;
    }
    entry.m_strFolder = folder;
    entry.m_strName = name;
    entry.m_strNotes = notes;
    recordingFile.clear();
    return true;
}

void MarkRecordingDiscarded(CRecordingEntry& entry)
{
    entry.m_strKeyWord = kDiscardMark;
}

bool IsRecordingDiscarded(const CRecordingEntry& entry)
{
    return entry.m_strKeyWord == kDiscardMark;
}

}  // namespace sonvelle
