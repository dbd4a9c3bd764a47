#pragma once
// Recordings, logs of raw audio and settings are the user's alone: files the
// program creates are 0600 and folders it creates 0700, whatever the umask.

#include <QFileDevice>
#include <QString>

namespace sonvelle {

// For the whole process: every file and folder created from now on is
// created for the owner only. The program calls it first thing.
void KeepNewFilesPrivate();

// Like QDir::mkpath; each folder it has to create is made 0700.
bool MakePrivatePath(const QString& folder);

// Opens a QFile or QSaveFile for writing and leaves the file 0600 (a file of
// ours found wider is narrowed).
bool OpenPrivate(QFileDevice& file, QIODevice::OpenMode mode);

}  // namespace sonvelle
