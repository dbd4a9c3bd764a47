#pragma once
// The program folder (where the executable, encodermp3.so, Beep1.wav and the
// help live) and the folder the program writes its own files to.

#include <QString>

namespace sonvelle {

// Folder of the running executable, ending in "/".
QString ProgramFolder();

// Folder for the files the program writes beside itself (SN.log, the sample
// logs, the default Recordings/): the program folder when writable, else
// $XDG_DATA_HOME/Sonvelle/ (created on demand). Ends in "/".
QString DataFolder();

// Tests point both at a folder of their own; an empty text restores the defaults.
void SetProgramFolderForTesting(const QString& folder);

// Full path of the running executable.
QString ProgramFilePath();

// Appends "/" unless the text already ends with it (or is empty).
QString WithTrailingSlash(const QString& folder);

}  // namespace sonvelle
