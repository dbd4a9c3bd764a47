#pragma once
// The diagnostic log. Each call opens the file (creating it, never
// truncating; the owner's alone), appends the text and CR LF, and closes it.
// A failure is only returned: there is nowhere else to report it.

#include <QString>

namespace sonvelle {

bool WriteLog(const QString& text);                          // "SN.log"
bool WriteLog(const QString& text, const QString& fileName);  // another file beside it

// Deletes "SN.log", so that every run starts a new log.
void DeleteLog();

// Full path of a log file.
QString LogFilePath(const QString& fileName = QStringLiteral("SN.log"));

}  // namespace sonvelle
