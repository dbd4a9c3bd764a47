#include "store/OleDateTime.h"

#include <cmath>

namespace sonvelle {

namespace {

const QDate kZeroDay(1899, 12, 30);
constexpr double kSecondsPerDay = 86400.0;
// 1 January 100 and 31 December 9999, the range a date can hold.
constexpr double kMinDays = -657434.0;
constexpr double kMaxDays = 2958465.999999;

bool InRange(double value)
{
    return std::isfinite(value) && value >= kMinDays && value <= kMaxDays;
}

}  // namespace

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SetDateTime(year, month, day, hour, minute, second);
}

bool COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    const QDate date(year, month, day);
    if (year < 100 || year > 9999 || !date.isValid() || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59) {
        m_status = invalid;
        return false;
    }
    const double days = static_cast<double>(kZeroDay.daysTo(date));
    const double fraction = (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
    // Before the zero day the fraction still counts forward from midnight.
    m_dt = days >= 0 ? days + fraction : days - fraction;
    m_status = valid;
    return true;
}

COleDateTime COleDateTime::GetCurrentTime()
{
    return FromQDateTime(QDateTime::currentDateTime());
}

COleDateTime COleDateTime::FromSeconds(double seconds)
{
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e15)
        seconds = 0;
    long long whole = std::llround(seconds);
    whole %= 86400;
    if (whole < 0)
        whole += 86400;
    return COleDateTime(static_cast<double>(whole) / kSecondsPerDay);
}

COleDateTime COleDateTime::FromQDateTime(const QDateTime& dt)
{
    const QTime t = dt.time();
    return COleDateTime(dt.date().year(), dt.date().month(), dt.date().day(), t.hour(), t.minute(), t.second());
}

COleDateTime::Parts COleDateTime::Split() const
{
    // Values read from a damaged file may hold anything.
    if (!InRange(m_dt))
        return Parts{1899, 12, 30, 0, 0, 0};
    double days = std::trunc(m_dt);
    long long seconds = std::llround(std::fabs(m_dt - days) * kSecondsPerDay);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += m_dt >= 0 ? 1 : -1;
    }
    const QDate date = kZeroDay.addDays(static_cast<qint64>(days));
    return Parts{date.year(), date.month(), date.day(), static_cast<int>(seconds / 3600),
                 static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60)};
}

int COleDateTime::GetYear() const { return Split().year; }
int COleDateTime::GetMonth() const { return Split().month; }
int COleDateTime::GetDay() const { return Split().day; }
int COleDateTime::GetHour() const { return Split().hour; }
int COleDateTime::GetMinute() const { return Split().minute; }
int COleDateTime::GetSecond() const { return Split().second; }

int COleDateTime::SecondsOfDay() const
{
    const Parts p = Split();
    return p.hour * 3600 + p.minute * 60 + p.second;
}

COleDateTime COleDateTime::DatePart() const
{
    const Parts p = Split();
    COleDateTime out;
    out.SetDate(p.year, p.month, p.day);
    out.m_status = m_status;
    return out;
}

COleDateTime COleDateTime::TimePart() const
{
    COleDateTime out(SecondsOfDay() / kSecondsPerDay);
    out.m_status = m_status;
    return out;
}

QDateTime COleDateTime::ToQDateTime() const
{
    const Parts p = Split();
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second));
}

QString COleDateTime::Format(const QString& pattern) const
{
    if (m_status != valid || !InRange(m_dt))
        return {};
    const Parts p = Split();
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    QString out;
    out.reserve(pattern.size() + 8);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (c != QLatin1Char('%') || i + 1 == pattern.size()) {
            out += c;
            continue;
        }
        const QChar code = pattern.at(++i);
        switch (code.unicode()) {
        case 'd': out += two(p.day); break;
        case 'm': out += two(p.month); break;
        case 'Y': out += QString::number(p.year); break;
        case 'y': out += two(p.year % 100); break;
        case 'H': out += two(p.hour); break;
        case 'M': out += two(p.minute); break;
        case 'S': out += two(p.second); break;
        case '%': out += QLatin1Char('%'); break;
        default: out += c; out += code; break;
        }
    }
    return out;
}

COleDateTime COleDateTime::operator+(const COleDateTime& other) const
{
    COleDateTime out(m_dt + other.m_dt);
    if (m_status != valid || other.m_status != valid)
        out.m_status = m_status != valid ? m_status : other.m_status;
    return out;
}

}  // namespace sonvelle
