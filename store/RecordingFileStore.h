#pragma once
// File steps of finished automatic recordings: putting a handed-over file in
// place under its recording's name without ever replacing another file, and
// growing the single file of one-file mode segment by segment.

#include "platform/FileOps.h"

#include <QString>

#include <functional>

namespace sonvelle {

struct StoreResult {
    bool stored = false;
    FileError lastError = FileError::None;
    int attempts = 0;
};

// Moves `from` to `to`; when the move fails, copies (never over an existing
// file) and deletes the source. Up to `attempts` tries, `sleep(pauseMs)`
// between them. On failure `from` is left where it was.
StoreResult StoreFileWithRetries(const QString& from, const QString& to, int attempts, int pauseMs,
                                 const std::function<void(int)>& sleep);

// Appends `segment` to `target`. False, with `target` cut back to its old
// length, when anything fails. An MPEG audio segment goes in up to its last
// complete frame: a cut-off frame in the middle of the joined file would throw
// decoders out of step. With NewFile the target is created and must not exist
// yet: a recording's first piece never goes into a file it did not make.
// The first `skip` bytes of the segment (its tag) are left out.
enum class AppendTarget { NewFile, OwnFile };
bool AppendFileTo(const QString& segment, const QString& target, AppendTarget mode = AppendTarget::OwnFile,
                  qint64 skip = 0);

// Which file a path names (device and inode), to tell a file moved by someone
// else from another file that took its name. Empty when there is none.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity&) const = default;
    bool IsEmpty() const { return inode == 0; }
};
FileIdentity IdentityOf(const QString& path);

// Bytes of `data` up to the end of its last complete MPEG audio frame, when it
// is a run of frames from its first byte; otherwise its whole size.
qint64 CompleteMpegFramesLength(const QByteArray& data);

// A name in `folder` that no file has yet: "<prefix>NNNN<extension>".
QString UnusedFilePath(const QString& folder, const QString& prefix, const QString& extension);

// The Windows-style error number written to the log for a failed file step.
unsigned SystemErrorNumber(FileError error);

}  // namespace sonvelle
