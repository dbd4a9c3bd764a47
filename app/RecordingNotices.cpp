#include "RecordingNotices.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"

namespace sonvelle {

namespace {
constexpr int kTextCutShort = 451;
constexpr int kTextSalvaged = 452;
}  // namespace

void TellRecordingCutShort(const QString& reason)
{
    static bool showing = false;
    if (showing)
        return;
    showing = true;
    QString text = LoadText(kTextCutShort);
    text.replace(QStringLiteral("%s"), reason);
    MessageBox(text, PromptIcon::Exclamation);
    showing = false;
}

void TellRecordingsSalvaged(const QStringList& names)
{
    if (names.isEmpty())
        return;
    QString text = LoadText(kTextSalvaged);
    text.replace(QStringLiteral("%s"), names.join(QLatin1Char('\n')));
    MessageBox(text, PromptIcon::Information);
}

}  // namespace sonvelle
