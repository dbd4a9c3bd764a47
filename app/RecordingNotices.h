#pragma once
// Notices about recordings that the user must hear of at once.

#include <QString>
#include <QStringList>

namespace sonvelle {

// The recording could not be written (a full disk): it is being cut short.
// Shown once until dismissed, however often the writer reports it meanwhile.
void TellRecordingCutShort(const QString& reason);

// Recordings cut off when the program last ended were stored under these names.
void TellRecordingsSalvaged(const QStringList& names);

}  // namespace sonvelle
