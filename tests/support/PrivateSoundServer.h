#pragma once
// A sound server of a test's or bench's own, started and stopped by the
// project's scripts in a private folder (PulseAudio, or PipeWire's pulse
// server when SONVELLE_SOUND_SERVER_KIND is "pipewire").

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace sonvelle::test {

class CPrivateSoundServer {
public:
    CPrivateSoundServer();
    ~CPrivateSoundServer();  // stops it and restores the process's PULSE_SERVER
    CPrivateSoundServer(const CPrivateSoundServer&) = delete;
    CPrivateSoundServer& operator=(const CPrivateSoundServer&) = delete;

    // Starts it (again) and points this process at it; the address stays the same across restarts.
    bool Start();
    bool Stop();
    QString Kind() const { return m_pipewire ? QStringLiteral("PipeWire") : QStringLiteral("PulseAudio"); }
    // The server's process, 0 when unknown (PipeWire runs several).
    qint64 Pid() const;

private:
    bool Run(const QString& command, QString* output = nullptr);

    QTemporaryDir m_dir;
    QString m_folder;
    QByteArray m_previousAddress;
    bool m_pipewire = false;
    bool m_started = false;
};

}  // namespace sonvelle::test
