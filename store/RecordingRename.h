#pragma once
// Renaming a recording's file, and what the user is told when that fails.

#include "platform/FileOps.h"

#include <QString>

namespace sonvelle {

// Moves fromPath to folder + name + ".mp3". Never replaces a file: a target
// that exists, even under another case of the same name (which would leave
// two recordings the catalogue cannot tell apart), fails as AccessDenied. A
// name with a slash, or a character forbidden in file names, fails as BadPath
// before anything is touched. A name that differs from fromPath's only in
// case is allowed (the file is the same recording). `reason`, when given,
// receives the system's wording of the failure.
FileError RenameRecordingFile(const QString& fromPath, const QString& folder, const QString& name,
                              QString* reason = nullptr);

// True when another file of folder than exceptPath is called fileName ignoring case.
bool FolderHoldsNameIgnoringCase(const QString& folder, const QString& fileName,
                                 const QString& exceptPath = {});

// Text number for a failed rename: 17 when the target exists, 27 for a bad
// path, 73 for anything else. None yields 0.
int RenameFailureTextId(FileError error);

}  // namespace sonvelle
