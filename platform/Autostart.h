#pragma once
// The start-up entry as a freedesktop autostart file:
// $XDG_CONFIG_HOME/autostart/<name>.desktop, whose Exec is the program path.
// The entry exists exactly when the file does.

#include <QString>

#include <optional>

namespace sonvelle {

QString AutostartFilePath(const QString& entryName);

// The program path the entry starts; nothing when there is no readable entry.
std::optional<QString> ReadAutostartEntry(const QString& entryName);

// Writes (or rewrites) the entry atomically.
bool WriteAutostartEntry(const QString& entryName, const QString& programPath);

// True when no entry is left afterwards.
bool DeleteAutostartEntry(const QString& entryName);

// Desktop-entry quoting of one Exec argument, and its inverse.
QString QuoteExecArgument(const QString& path);
std::optional<QString> UnquoteExecArgument(const QString& exec);

}  // namespace sonvelle
