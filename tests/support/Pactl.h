#pragma once
// The sound server as pactl reports it: an independent view of what the
// program's mixer changed.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace sonvelle::test {

inline QString Pactl(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("pactl"), args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The first channel's raw volume of a sink or source ("sink"/"source"); all ones when unreadable.
inline std::uint32_t PactlVolume(const QString& kind, const QString& device)
{
    const auto match = QRegularExpression(QStringLiteral(":\\s*(\\d+)\\s*/"))
                           .match(Pactl({QStringLiteral("get-%1-volume").arg(kind), device}));
    return match.hasMatch() ? match.captured(1).toUInt() : 0xFFFFFFFFu;
}

}  // namespace sonvelle::test
