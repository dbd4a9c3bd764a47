#pragma once
// What the fields that take a recording name do with each change of their text.

#include <QString>

namespace sonvelle {

struct FilteredName {
    QString text;
    bool changed = false;         // the field must show text, caret at the end
    bool confirmEnabled = false;  // save dialog only
};

// The save dialog's name field: a leading blank is dropped; a forbidden
// character or a name too long for folder takes away the last character.
// Applied until the text is stable, as the field re-checks its own change.
FilteredName FilterSaveDialogName(const QString& text, const QString& folder);

// The main window's name field: only forbidden characters take away the last character.
FilteredName FilterMainWindowName(const QString& text);

QString WithoutTrailingBlanks(const QString& text);
QString WithoutLeadingBlanks(const QString& text);

}  // namespace sonvelle
