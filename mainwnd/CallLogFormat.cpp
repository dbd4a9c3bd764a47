#include "mainwnd/CallLogFormat.h"

#include <cmath>
#include <cstdlib>

namespace sonvelle {

namespace {

constexpr double kSecondsPerDay = 86400.0;

}  // namespace

MinutesSeconds SplitElapsed(std::int64_t totalSeconds)
{
    if (totalSeconds < 0)
        totalSeconds = 0;
    auto two = [](std::int64_t v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); };
    return {two(totalSeconds / 60), two(totalSeconds % 60)};
}

QString FormatListDuration(double days)
{
    if (!std::isfinite(days) || days < 0.0)
        return QStringLiteral("--:--");
    const auto total = static_cast<std::int64_t>(std::llround(days * kSecondsPerDay));
    MinutesSeconds ms = SplitElapsed(total);
    return ms.minutes + QLatin1Char(':') + ms.seconds;
}

QString FormatListSize(std::uint32_t bytes)
{
    const std::uint64_t kb = (static_cast<std::uint64_t>(bytes) + 1023) / 1024;
    return QString::number(kb) + QStringLiteral(" KB");
}

QString NotesForList(const QString& notes)
{
    QString shown = notes;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("  "));
    // Notes typed on this system break lines with a bare LF.
    shown.replace(QLatin1Char('\n'), QStringLiteral("  "));
    shown.replace(QLatin1Char('\r'), QStringLiteral("  "));
    return shown;
}

int CallLogImageFor(bool beingPlayed, int entryState, bool isProtected)
{
    if (beingPlayed)
        return IMAGE_PLAYING;
    if (entryState == 2 || entryState == 3)
        return IMAGE_IN_USE;
    return isProtected ? IMAGE_PROTECTED : IMAGE_NORMAL;
}

}  // namespace sonvelle
