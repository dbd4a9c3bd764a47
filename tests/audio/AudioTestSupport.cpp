#include "AudioTestSupport.h"

#include "platform/Log.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <sndfile.h>

#include <cmath>

namespace sonvelle::test {

void EnsureCoreApplication()
{
    static int argc = 1;
    static char arg0[] = "test_audio";
    static char* argv[] = {arg0, nullptr};
    // Never destroyed: Qt's own globals are gone by the time static objects are.
    static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
    (void)app;
}

bool CMainWindowStub::event(QEvent* e)
{
    if (e->type() != CMessage::EventType())
        return QObject::event(e);
    auto* m = static_cast<CMessage*>(e);
    ReceivedMessage r{m->Message(), m->WParam(), m->LParam(), {}};
    if (auto path = m->TakePayload<QString>())
        r.path = *path;
    received.push_back(r);
    return true;
}

int CMainWindowStub::Count(unsigned message) const
{
    return static_cast<int>(Only(message).size());
}

std::vector<ReceivedMessage> CMainWindowStub::Only(unsigned message) const
{
    std::vector<ReceivedMessage> out;
    for (const auto& r : received)
        if (r.message == message)
            out.push_back(r);
    return out;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents();
    return true;
}

DecodedAudio DecodeMp3(const QString& path)
{
    DecodedAudio d;
    const QString wav = path + QStringLiteral(".decoded.wav");
    if (QProcess::execute(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-w"), wav, path}) != 0)
        return d;
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(wav).constData(), SFM_READ, &info);
    if (!f)
        return d;
    d.rate = info.samplerate;
    d.channels = info.channels;
    d.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_read_short(f, d.samples.data(), static_cast<sf_count_t>(d.samples.size()));
    sf_close(f);
    QFile::remove(wav);
    d.ok = true;
    return d;
}

QString ReadLog(const QString& fileName)
{
    QFile f(LogFilePath(fileName));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

std::vector<short> Tone(int samples, double hz, int amplitude)
{
    std::vector<short> out(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i)
        out[static_cast<size_t>(i)] = static_cast<short>(amplitude * std::sin(2 * 3.14159265358979 * hz * i / 32000.0));
    return out;
}

}  // namespace sonvelle::test
