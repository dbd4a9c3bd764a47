#include "app/RecordingNotices.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"

namespace sonvelle {

void TellRecordingCutShort(const QString& reason)
{
    static bool showing = false;
    if (showing)
        return;
    showing = true;
    QString text = LoadText(IDS_DISK_FULL_CUT);
    text.replace(QStringLiteral("%s"), reason);
    MessageBox(text, PromptIcon::Exclamation);
    showing = false;
}

void TellRecordingsSalvaged(const QStringList& names)
{
    if (names.isEmpty())
        return;
    QString text = LoadText(IDS_RECORDINGS_RECOVERED);
    text.replace(QStringLiteral("%s"), names.join(QLatin1Char('\n')));
    MessageBox(text, PromptIcon::Information);
}

}  // namespace sonvelle
