#pragma once
// File moves and renames with the answers the program relies on: a move never
// replaces an existing file (it fails as "access denied"), and a name holding
// a character that is forbidden in file names (< > : " \ | ? *) fails as a bad path.

#include <QString>

namespace sonvelle {

enum class FileError { None, AccessDenied, BadPath, NotFound, Other };

// True when the name (not a path) holds one of < > : " \ | ? * or a control character.
bool HasForbiddenNameCharacter(const QString& name);

// Moves or renames in one step without ever replacing an existing target
// (renameat2 RENAME_NOREPLACE; across file systems: copy to a new file, then delete the source).
FileError MoveFileNoReplace(const QString& from, const QString& to);

// Copies; fails with AccessDenied when the target exists. The target appears only complete.
FileError CopyFileNoReplace(const QString& from, const QString& to);

}  // namespace sonvelle
