#include "support/PrivateSoundServer.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace sonvelle::test {

CPrivateSoundServer::CPrivateSoundServer()
    : m_folder(m_dir.path() + QStringLiteral("/server")),
      m_previousAddress(qgetenv("PULSE_SERVER")),
      m_pipewire(qEnvironmentVariable("SONVELLE_SOUND_SERVER_KIND") == QLatin1String("pipewire"))
{
}

CPrivateSoundServer::~CPrivateSoundServer()
{
    if (m_started)
        Stop();
    qputenv("PULSE_SERVER", m_previousAddress);
}

bool CPrivateSoundServer::Start()
{
    QString exports;
    if (!m_dir.isValid() || !Run(QStringLiteral("start"), &exports))
        return false;
    m_started = true;
    static const QRegularExpression exported(QStringLiteral("^export PULSE_SERVER=(\\S+)"),
                                             QRegularExpression::MultilineOption);
    const QRegularExpressionMatch address = exported.match(exports);
    if (address.hasMatch())
        qputenv("PULSE_SERVER", address.captured(1).toUtf8());
    return address.hasMatch();
}

bool CPrivateSoundServer::Stop()
{
    m_started = false;
    return Run(QStringLiteral("stop"));
}

qint64 CPrivateSoundServer::Pid() const
{
    QFile file(m_folder + QStringLiteral("/pid"));
    return !m_pipewire && file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toLongLong() : 0;
}

bool CPrivateSoundServer::Run(const QString& command, QString* output)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(m_pipewire ? QStringLiteral("SONVELLE_PIPEWIRE_DIR") : QStringLiteral("SONVELLE_SOUND_DIR"), m_folder);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("bash"), {QStringLiteral(SONVELLE_SCRIPTS_DIR) +
                                         (m_pipewire ? QStringLiteral("/pipewire-server") : QStringLiteral("/sound-server")),
                                     command});
    if (!p.waitForFinished(30000))
        return false;
    if (output)
        *output = QString::fromUtf8(p.readAllStandardOutput());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

}  // namespace sonvelle::test
