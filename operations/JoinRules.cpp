#include "operations/JoinRules.h"

#include "resources/StringTable.h"
#include "store/RecordingEntry.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

#include <algorithm>
#include <cmath>

namespace sonvelle {

namespace {

constexpr qint64 kSearchWindow = 10 * 86400 + 86399;
constexpr qint64 kGapAllowed = 10;

int Digits(const QString& text, int from, int count)
{
    bool ok = false;
    const int value = text.mid(from, count).toInt(&ok);
    return ok ? value : -1;
}

}  // namespace

JoinRow JoinRowOf(const CRecordingEntry& entry)
{
    JoinRow row;
    row.text[JOIN_COL_NAME] = entry.m_strName;
    row.text[JOIN_COL_DATE] = entry.m_dtDate.Format(LoadText(IDS_FORMAT_DATE));
    row.text[JOIN_COL_TIME] = entry.m_dtDate.Format(LoadText(IDS_FORMAT_TIME));
    QString notes = entry.m_strNotes;
    row.text[JOIN_COL_NOTES] = notes.replace(QStringLiteral("\r\n"), QStringLiteral("  ")).replace(QLatin1Char('\n'), QStringLiteral("  "));
    if (entry.IsDurationUnknown()) {
        row.text[JOIN_COL_DURATION] = QStringLiteral("--:--");
    } else {
        const qint64 seconds = std::llround(entry.m_dtDuration.Value() * 86400.0);
        row.text[JOIN_COL_DURATION] = QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    row.text[JOIN_COL_SIZE] = QString::number((static_cast<qint64>(entry.m_dwSize) + 1023) / 1024) + LoadText(IDS_UNIT_KB);
    row.text[JOIN_COL_PROTECTED] = entry.m_bProtected ? QStringLiteral("Si") : LoadText(IDS_NO);
    return row;
}

qint64 RowStartSeconds(const JoinRow& row)
{
    QString date = row.text[JOIN_COL_DATE];
    date.remove(QLatin1Char(' '));
    const QString& time = row.text[JOIN_COL_TIME];
    const QDate day(Digits(date, 6, 4), Digits(date, 3, 2), Digits(date, 0, 2));
    const QTime clock(Digits(time, 0, 2), Digits(time, 3, 2), Digits(time, 6, 2));
    if (!day.isValid() || !clock.isValid())
        return -1;
    return QDateTime(day, clock, QTimeZone::utc()).toSecsSinceEpoch();
}

int DurationTextSeconds(const QString& text)
{
    const int colon = text.indexOf(QLatin1Char(':'));
    bool minutesOk = false;
    bool secondsOk = false;
    const int minutes = text.left(colon).toInt(&minutesOk);
    const int seconds = text.mid(colon + 1, 2).toInt(&secondsOk);
    return colon > 0 && minutesOk && secondsOk ? minutes * 60 + seconds : 0;
}

std::vector<int> FollowingRows(const std::vector<JoinRow>& rows, int first,
                               const std::function<bool(const JoinRow&)>& inUse)
{
    std::vector<int> chain{first};
    int current = first;
    for (;;) {
        const qint64 start = RowStartSeconds(rows[static_cast<size_t>(current)]);
        if (start < 0)
            break;
        int next = -1;
        qint64 nextStart = 0;
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            const qint64 candidate = RowStartSeconds(rows[static_cast<size_t>(i)]);
            if (candidate <= start || candidate - start > kSearchWindow)
                continue;
            if (next < 0 || candidate < nextStart) {
                next = i;
                nextStart = candidate;
            }
        }
        const qint64 end = start + DurationTextSeconds(rows[static_cast<size_t>(current)].text[JOIN_COL_DURATION]);
        if (next < 0 || nextStart > end + kGapAllowed || inUse(rows[static_cast<size_t>(next)]))
            break;
        chain.push_back(next);
        current = next;
    }
    return chain;
}

QString FormatJoinSize(qint64 bytes)
{
    constexpr qint64 kKilo = 1024, kMega = 1048576, kGiga = 1073741824;
    if (bytes < kMega)
        return QStringLiteral("%1.%2").arg(bytes / kKilo).arg(bytes % kKilo / 100) + LoadText(IDS_UNIT_KB);
    if (bytes < kGiga)
        return QStringLiteral("%1.%2").arg(bytes / kMega).arg(bytes % kMega / 100000) + LoadText(IDS_UNIT_MB);
    return QStringLiteral("%1.%2").arg(bytes / kGiga).arg(bytes % kGiga / 100000000) + LoadText(IDS_UNIT_GB);
}

QString FormatJoinDuration(qint64 seconds)
{
    const qint64 ofDay = seconds % 86400;
    return QStringLiteral("%1:%2:%3")
        .arg(ofDay / 3600, 2, 10, QLatin1Char('0'))
        .arg(ofDay / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

bool IsReservedJoinName(const QString& name)
{
    return name == LoadText(IDS_TEMP_RECORDING_NAME) || name == LoadText(IDS_JOIN_TEMP_NAME) ||
           name == LoadText(IDS_TAG_TEMP_NAME);
}

QString JoinNameAfterEdit(const QString& typed, int folderLength)
{
    QString name = typed;
    while (name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    // Typed characters arrive at the end, pasted ones anywhere: every forbidden one goes.
    static const QString forbidden = QStringLiteral("<>:/|*?\\\",");
    name.removeIf([](QChar c) { return forbidden.contains(c); });
    if (folderLength + name.size() > 260)
        name.truncate(std::max(0, 260 - folderLength));
    return name;
}

}  // namespace sonvelle
