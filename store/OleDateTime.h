#pragma once
// A date and time held as days since 30 December 1899 (a double), with a
// status. The integer part counts days, the fraction is the time of day; a
// duration is held the same way, as a time of day on the zero day.

#include <QDateTime>
#include <QString>

namespace sonvelle {

class COleDateTime {
public:
    enum DateTimeStatus { valid = 0, invalid = 1, null = 2 };

    COleDateTime() = default;
    explicit COleDateTime(double value) : m_dt(value) {}
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    static COleDateTime GetCurrentTime();
    // A pure time of day (on the zero day) from a count of seconds; wraps past 24 hours.
    static COleDateTime FromSeconds(double seconds);
    static COleDateTime FromQDateTime(const QDateTime& dt);

    // False (status invalid, value unchanged otherwise) when the parts are out of range.
    bool SetDateTime(int year, int month, int day, int hour, int minute, int second);
    bool SetDate(int year, int month, int day) { return SetDateTime(year, month, day, 0, 0, 0); }
    bool SetTime(int hour, int minute, int second) { return SetDateTime(1899, 12, 30, hour, minute, second); }

    double Value() const { return m_dt; }
    void SetValue(double value) { m_dt = value; m_status = valid; }
    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    bool IsValid() const { return m_status == valid; }

    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    // Whole seconds of the time of day (0..86399).
    int SecondsOfDay() const;
    // Midnight of the same day.
    COleDateTime DatePart() const;
    // Time of day on the zero day.
    COleDateTime TimePart() const;

    QDateTime ToQDateTime() const;

    // Patterns with %d %m %Y %y %H %M %S and %%; empty when the status is not valid.
    QString Format(const QString& pattern) const;

    COleDateTime operator+(const COleDateTime& other) const;
    bool operator==(const COleDateTime& other) const { return m_dt == other.m_dt && m_status == other.m_status; }

private:
    struct Parts {
        int year, month, day, hour, minute, second;
    };
    Parts Split() const;

    double m_dt = 0.0;
    DateTimeStatus m_status = valid;
};

}  // namespace sonvelle
