#pragma once
// Recordings cut off by a crash, a kill or a power loss: at start-up, before
// capture can reuse the writer's files, every leftover that holds audio (the
// writer's temporary file, handed-over ".snx" segments nobody stored) becomes
// a tagged recording under a default name, dated by the file itself. A
// deciphered working copy ("<recording>.snx" beside "<recording>.mp3") holds
// nothing new and is deleted. A leftover without a single whole MPEG frame is
// left where it is, never deleted.

#include "audio/MpegFrameRun.h"

#include <QString>
#include <QStringList>

namespace sonvelle {

class CRecordingSalvage {
public:
    explicit CRecordingSalvage(const QString& workFolder);

    // Salvages every leftover of the work folder; the names given, in order.
    QStringList Run();

private:
    bool IsWorkingCopy(const QString& fileName) const;
    QString Salvage(const QString& path);
    QString FreeDefaultName() const;

    QString m_folder;
};

}  // namespace sonvelle
