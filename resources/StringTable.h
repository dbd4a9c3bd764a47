#pragma once
// The program's string table: every user-visible text, by number.

#include <QString>

namespace sonvelle {

// The text with that number; empty when the table has none.
QString LoadText(int id);
bool HasText(int id);

}  // namespace sonvelle
