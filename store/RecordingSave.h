#pragma once
// The save dialog's decisions, without the dialog: where a new recording's
// audio is, and what confirming a name and notes does.

#include <QString>

namespace sonvelle {

class CRecordingEntry;

// recordingFile, or the entry's folder + "tmp_nome_reg.dtm" when that is empty.
QString RecordingFileOf(const CRecordingEntry& entry, const QString& recordingFile);

// Renames the recording's audio to folder + name + ".mp3" and gives the entry
// its folder, name and notes. On a refusal the user is told why and the entry
// keeps its name and notes. Either way the entry's tag is due (state 1).
// True when saved; recordingFile is then emptied.
bool ConfirmSaveRecording(CRecordingEntry& entry, const QString& folder, QString& recordingFile,
                          const QString& nameText, const QString& notesText);

// The mark that tells the recording control the user discarded the recording.
void MarkRecordingDiscarded(CRecordingEntry& entry);
bool IsRecordingDiscarded(const CRecordingEntry& entry);

}  // namespace sonvelle
