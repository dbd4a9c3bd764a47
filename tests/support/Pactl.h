#pragma once
// The sound server as pactl reports it: an independent view of what the
// program's mixer changed.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <tuple>
#include <vector>

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

// Puts the speakers' and the microphone's volumes back as they were: a quiet
// microphone left by a mixer test silences the recordings of the suites after it.
class CServerVolumesKept {
public:
    CServerVolumesKept() = default;
    ~CServerVolumesKept()
    {
        for (const auto& [kind, device, volume] : m_kept)
            if (volume != 0xFFFFFFFFu)
                Pactl({QStringLiteral("set-%1-volume").arg(kind), device, QString::number(volume)});
    }
    CServerVolumesKept(const CServerVolumesKept&) = delete;
    CServerVolumesKept& operator=(const CServerVolumesKept&) = delete;

private:
    const std::vector<std::tuple<QString, QString, std::uint32_t>> m_kept{
        {"sink", "speakers", PactlVolume("sink", "speakers")},
        {"source", "microphone", PactlVolume("source", "microphone")}};
};

}  // namespace sonvelle::test
