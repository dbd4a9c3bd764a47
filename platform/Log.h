#pragma once
// The diagnostic log. Each call opens the file (creating it, never
// truncating), appends the text and CR LF, and closes it. Errors are swallowed.

#include <QString>

namespace sonvelle {

void WriteLog(const QString& text);                          // "SN.log"
void WriteLog(const QString& text, const QString& fileName);  // another file beside it

// Deletes "SN.log", so that every run starts a new log.
void DeleteLog();

// Full path of a log file.
QString LogFilePath(const QString& fileName = QStringLiteral("SN.log"));

}  // namespace sonvelle
