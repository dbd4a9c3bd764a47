#pragma once
// The program's string table: every user-visible text, by number. Cite a text
// by its name (IDS_EXT_MP3), made from the table's name column.

#include "resources/TextIds.h"

#include <QString>
#include <QStringList>

#include <concepts>

namespace sonvelle {

// The text with that number; empty when the table has none.
QString LoadText(int id);
bool HasText(int id);

// The text with each "%s" or "%d" replaced by the next argument, left to right.
// What an argument holds is never read as a placeholder; placeholders beyond
// the arguments stay as they are.
QString FillPlaceholders(const QString& text, const QStringList& args);

inline QString TextArgument(const QString& text) { return text; }
inline QString TextArgument(std::integral auto number) { return QString::number(number); }

template <typename... Args>
QString FormatText(int id, const Args&... args)
{
    return FillPlaceholders(LoadText(id), {TextArgument(args)...});
}

}  // namespace sonvelle
