#include "store/RecordingNameField.h"

#include "store/RecordingNameRules.h"

namespace sonvelle {

FilteredName FilterSaveDialogName(const QString& text, const QString& folder)
{
    FilteredName result{text, false, false};
    while (!result.text.isEmpty()) {
        if (result.text.front() == QLatin1Char(' ')) {
            result.text.remove(0, 1);
        } else if (CRecordingNameRules::HasForbiddenCharacter(result.text) ||
                   CRecordingNameRules::IsTooLong(folder, result.text)) {
            // Never leave half of a surrogate pair behind.
            const bool pair = result.text.size() >= 2 && result.text.back().isLowSurrogate();
            result.text.chop(pair ? 2 : 1);
        } else {
            break;
        }
        result.changed = true;
    }
    result.confirmEnabled = !result.text.isEmpty();
    return result;
}

FilteredName FilterMainWindowName(const QString& text)
{
    FilteredName result{text, false, true};
    for (;;) {
        const QString shorter = CRecordingNameRules::WithoutTypedForbiddenCharacter(result.text);
        if (shorter == result.text)
            break;
        result.text = shorter;
        result.changed = true;
    }
    return result;
}

QString WithoutTrailingBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

QString WithoutLeadingBlanks(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    return text.mid(start);
}

}  // namespace sonvelle
