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

// Appends the whole of `segment` to `target` (created when missing). False,
// with `target` cut back to its old length, when anything fails.
bool AppendFileTo(const QString& segment, const QString& target);

// A name in `folder` that no file has yet: "<prefix>NNNN<extension>".
QString UnusedFilePath(const QString& folder, const QString& prefix, const QString& extension);

// The Windows-style error number written to the log for a failed file step.
unsigned SystemErrorNumber(FileError error);

}  // namespace sonvelle
