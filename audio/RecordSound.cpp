#include "audio/RecordSound.h"

#include "audio/WriteSoundFile.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/Messages.h"

#include "resources/StringTable.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTimer>
#include <QtEndian>

#include <chrono>

namespace sonvelle {

namespace {

const QString kSampleLog = QStringLiteral("LogCampionamenti.log");

// Outages and stalls are judged on real time: the process clock may be a
// file-fed microphone's timeline or a test's manual clock.
std::int64_t RealMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString LocalStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

void PutU32(QByteArray& out, std::uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void PutU16(QByteArray& out, std::uint16_t v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

}  // namespace

QByteArray WavLogHeader()
{
    QByteArray h;
    h.append("RIFF", 4);
    PutU32(h, 82240050);
    h.append("WAVE", 4);
    h.append("fmt ", 4);
    PutU32(h, 18);
    PutU16(h, 1);
    PutU16(h, 1);
    PutU32(h, 32000);
    PutU32(h, 64000);
    PutU16(h, 2);
    PutU16(h, 16);
    PutU16(h, 0);
    h.append("fact", 4);
    PutU32(h, 4);
    PutU32(h, 41120000);
    h.append("data", 4);
    PutU32(h, 82240000);
    return h;
}

CRecordSound::CRecordSound(std::uint32_t sampleRate) : m_factory(CreateDefaultWaveInput)
{
    m_format.samplesPerSec = sampleRate;
    m_format.avgBytesPerSec = 2 * sampleRate;
    m_gate.antiBumpEnabled = true;
}

CRecordSound::~CRecordSound()
{
    if (isRunning()) {
        quit();
        wait();
    }
    // Devices stop before their buffers' receiver goes away.
    if (m_device)
        m_device->Close();
    m_device.reset();
}

void CRecordSound::OnThreadStart()
{
    m_logFolder = QFileInfo(LogFilePath(kSampleLog)).absolutePath() + QLatin1Char('/');
    m_sampleLogOn = QFile::exists(m_logFolder + kSampleLog);
    m_watch = new QTimer;
    m_watch->setInterval(kWatchMs);
    QObject::connect(m_watch, &QTimer::timeout, m_watch, [this] { OnWatch(); });
    m_watch->start();
}

void CRecordSound::OnThreadEnd()
{
    delete m_watch;
    m_watch = nullptr;
    if (m_device) {
        m_device->Reset();
        m_device->Close();
        m_device.reset();
    }
    m_recording = false;
    if (m_wavLog.isOpen())
        m_wavLog.close();
}

void CRecordSound::OnMessage(CMessage& message)
{
    switch (message.Message()) {
    case WM_REC_START:
        OnStartRecording();
        break;
    case WM_REC_STOP:
        OnStopRecording();
        break;
    case WM_REC_CLOSE:
        OnClose();
        break;
    case WM_REC_SET_WRITER:
        m_writer = reinterpret_cast<CWriteSoundFile*>(message.LParam());
        break;
    case WM_REC_VOICE_ACTIVATION:
        m_gate.SetVoiceActivation(message.WParam() != 0);
        break;
    case MM_WIM_DATA:
        OnWimData(message.TakePayload<CWaveBuffer>());
        break;
    case WM_WAVEIN_LOST:
        OnDeviceLost(message.WParam(), static_cast<int>(message.LParam()));
        break;
    default:
        break;
    }
}

void CRecordSound::OnStartRecording()
{
    m_gate.ClearTriggered();
    if (m_recording)
        return;
    const int error = OpenAndStart(true);
    if (error == 0)
        return;
    // Told, and tried again until a device answers: a start is never just ignored.
    m_resume = true;
    RemoveStaleWriterFile();
    BeginOutage(m_restarting ? kCaptureLost : kCaptureUnavailable, error);
}

int CRecordSound::OpenAndStart(bool logFailure)
{
    std::unique_ptr<IWaveInput> device = m_factory ? m_factory() : nullptr;
    const int opened = device ? device->Open(Receiver(), m_format) : -1;
    m_lastDeviceOpen = timeGetSystemTime();
    if (opened != 0) {
        if (logFailure)
            WriteLog(QStringLiteral("WAVEIN:%1:%2").arg(static_cast<unsigned>(opened), 0, 16)
                         .arg(device ? device->ErrorText(opened) : QStringLiteral("no device")));
        return opened;
    }
    for (int i = 0; i < kBufferCount; ++i)
        device->AddBuffer(AllocCaptureBuffer());
    const int started = device->Start();
    if (started != 0) {
        if (logFailure)
            WriteLog(QStringLiteral("WAVEIN:%1:%2").arg(static_cast<unsigned>(started), 0, 16).arg(device->ErrorText(started)));
        // Not left open: its buffers come back and are released.
        device->Reset();
        device->Close();
        return started;
    }
    m_device = std::move(device);
    m_recording = true;
    m_lastBufferMs = RealMs();
    if (CWriteSoundFile* writer = m_writer.load())
        writer->PostThreadMessage(WM_WRITER_CREATE_FILE, 0, 0, std::make_unique<CCaptureStartRecord>(m_format));
    return 0;
}

// The writer's file may still hold the audio of an earlier recording that was
// not kept; a start that records nothing must not leave it to be stored again.
void CRecordSound::RemoveStaleWriterFile()
{
    CWriteSoundFile* writer = m_writer.load();
    if (!writer || !writer->IsStreamClosed())
        return;
    const QString folder = writer->WorkFolder();
    const QString name = LoadText(IDS_TEMP_RECORDING_FILE);
    if (!folder.isEmpty())
        QFile::remove(folder + (name.isEmpty() ? QStringLiteral("tmp_nome_reg.dtm") : name));
}

void CRecordSound::BeginOutage(CaptureState state, int error)
{
    m_lastAttemptMs = RealMs();
    if (m_outage)
        return;  // the window was told when this outage began
    m_outage = true;
    PostMessageTo(mainWindow.load(), WM_CAPTURE_STATE, state, error);
}

void CRecordSound::OnDeviceLost(std::uintptr_t deviceId, int error)
{
    // A notice of a device closed since (a restart) concerns nobody.
    if (!m_recording || !m_device || (deviceId != 0 && m_device->DeviceId() != deviceId))
        return;
    WriteLog(QStringLiteral("WAVEIN:%1:%2 - dispositivo perso").arg(static_cast<unsigned>(error), 0, 16)
                 .arg(error == kErrorStalled ? QStringLiteral("nessun dato") : m_device->ErrorText(error)));
    const bool voice = m_gate.VoiceActivation();
    CWriteSoundFile* writer = m_writer.load();
    // The segment so far is a recording of its own, handed over as at its end.
    if (voice && m_gate.Forwarding() && writer)
        writer->PostThreadMessage(WM_WRITER_HAND_OVER, 0);
    m_gate.ClearForwarding();
    m_recording = false;
    // Closed without a stop: a server that hangs would never answer one.
    m_device->Close();
    m_device.reset();
    if (writer)
        writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    EndSampleLog(m_sampleLogOn);
    // Listening resumes here; a manual recording is stored and restarted by the window.
    m_resume = voice;
    BeginOutage(kCaptureLost, error);
}

void CRecordSound::OnWatch()
{
    const std::int64_t now = RealMs();
    const int stallLimit = m_stallLimitMs.load();
    if (m_recording && stallLimit > 0 && now - m_lastBufferMs > stallLimit && m_device) {
        OnDeviceLost(m_device->DeviceId(), kErrorStalled);
        return;
    }
    if (!m_outage || m_recording || now - m_lastAttemptMs < kReconnectMs)
        return;
    m_lastAttemptMs = now;
    if (m_resume) {
        m_gate.ClearTriggered();  // a fresh start: the next call is announced again
        if (OpenAndStart(false) != 0)
            return;
        WriteLog(QStringLiteral("WAVEIN: dispositivo di nuovo disponibile, acquisizione ripresa"));
    } else {
        // Nothing to capture: only whether a server answers again.
        std::unique_ptr<IWaveInput> probe = m_factory ? m_factory() : nullptr;
        if (!probe || probe->Open(Receiver(), m_format) != 0)
            return;
        probe->Close();
        WriteLog(QStringLiteral("WAVEIN: dispositivo di nuovo disponibile"));
    }
    m_outage = false;
    PostMessageTo(mainWindow.load(), WM_CAPTURE_STATE, kCaptureBack, 0);
}

void CRecordSound::OnStopRecording()
{
    WriteLog(QStringLiteral("RecordSound: OnStopRecording"));
    m_resume = false;
    if (!m_recording)
        return;
    m_gate.ClearForwarding();
    if (m_device->Reset() != 0)
        WriteLog(QStringLiteral("waveInReset Fallita"));
    // A device that cannot stop is closed all the same: kept open it would
    // hold the recording flag and every later start would be ignored.
    if (m_device->Stop() != 0)
        WriteLog(QStringLiteral("waveInStop Fallita"));
    m_recording = false;
    m_device->Close();
    m_device.reset();
    if (CWriteSoundFile* writer = m_writer.load())
        writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    EndSampleLog(m_sampleLogOn);
}

void CRecordSound::RestartCapture()
{
    OnStopRecording();
    m_format = WaveFormat{};
    m_restarting = true;  // a failure now cuts a running capture
    OnStartRecording();
    m_restarting = false;
}

void CRecordSound::OnWimData(std::unique_ptr<CWaveBuffer> buffer)
{
    if (!buffer)
        return;
    m_lastBufferMs = RealMs();
    if (m_writer.load()) {
        const auto count = std::min<std::size_t>(buffer->bytesRecorded, static_cast<std::size_t>(buffer->data.size())) / 2;
        const auto* samples = reinterpret_cast<const std::int16_t*>(buffer->data.constData());
        const CLevelGate::Step step = m_gate.Process(samples, count, timeGetSystemTime());
        if (step.levelReport)
            PostMessageTo(mainWindow.load(), WM_INPUT_LEVEL, static_cast<WPARAM>(step.peak), step.lowest);
        if (step.voiceDetected)
            PostMessageTo(mainWindow.load(), WM_VOICE_DETECTED);
        if (step.segmentEnd != CLevelGate::SegmentEnd::None) {
            const bool discard = step.segmentEnd == CLevelGate::SegmentEnd::AntiBump;
            if (CWriteSoundFile* writer = m_writer.load())
                writer->PostThreadMessage(WM_WRITER_HAND_OVER, discard ? 1 : 0);
            RestartCapture();
            if (!discard)
                EndSampleLog(m_sampleLogOn);
        }
        if (m_gate.Forwarding() && m_recording) {
            auto copy = std::make_unique<CWaveBuffer>(*buffer);
            copy->data.detach();  // the writer's own block
            if (m_sampleLogOn)
                FeedSampleLog(*copy);
            if (CWriteSoundFile* writer = m_writer.load())
                writer->PostThreadMessage(WM_WRITER_DATA, reinterpret_cast<WPARAM>(this), 0, std::move(copy));
        }
    }
    // Every returned buffer is replaced while capture runs; a restarted device
    // is brought back to six, not beyond, so restarts do not pile buffers up.
    if (m_recording && m_device && m_device->QueuedBuffers() < kBufferCount) {
        buffer->bytesRecorded = 0;
        buffer->data.fill('\0');
        m_device->AddBuffer(std::move(buffer));
    }
    if (m_recording && m_gate.VoiceActivation() && !m_gate.Forwarding()) {
        const std::uint32_t now = timeGetSystemTime();
        if (ElapsedMs(m_lastDeviceOpen, now) >= kDeviceRefreshMs) {
            RestartCapture();
            m_lastDeviceOpen = timeGetSystemTime();
        }
    }
}

void CRecordSound::OnClose()
{
    if (m_recording)
        OnStopRecording();
    if (CWriteSoundFile* writer = m_writer.load()) {
        writer->PostThreadMessage(WM_WRITER_QUIT);
        WriteLog(QStringLiteral("Chiudo il thread Write Sound"));
        int waits = 0;
        while (waits < 100 && writer->IsStillActive()) {
            writer->wait(100);
            ++waits;
        }
        WriteLog(QStringLiteral("Thread Record Sound chiuso"));
        if (waits == 100)
            WriteLog(QStringLiteral("Attesa oltre il timeout"));
    } else {
        WriteLog(QStringLiteral("Thread Record Sound chiuso"));
    }
    EndThread();
}

void CRecordSound::FeedSampleLog(const CWaveBuffer& buffer)
{
    const std::uint32_t now = timeGetSystemTime();
    if (!m_samplingPhaseOpen) {
        const QStringList old = QDir(m_logFolder).entryList({QStringLiteral("WavLogRec_*.wav")}, QDir::Files);
        if (!old.isEmpty())
            QFile::remove(m_logFolder + old.first());
        const QString stamp = LocalStamp();
        m_wavLog.setFileName(m_logFolder + QStringLiteral("WavLogRec_%1.wav").arg(stamp));
        m_wavLog.open(QIODevice::WriteOnly | QIODevice::Truncate);
        m_samplingPhaseStart = now;
        m_samplingPhaseOpen = true;
        WriteLog(QStringLiteral("****** Inizio campionamenti - %1 ******").arg(stamp), kSampleLog);
    }
    if (m_wavLog.isOpen())
        m_wavLog.write(buffer.data);
    m_sampleTimes.append(QString::number(static_cast<std::int32_t>(now - m_samplingPhaseStart)));
}

void CRecordSound::EndSampleLog(bool on)
{
    if (!on || m_sampleTimes.isEmpty())
        return;
    std::int64_t previous = 0;
    for (const QString& time : m_sampleTimes) {
        const std::int64_t t = time.toLongLong();
        WriteLog(QString::number(t - previous), kSampleLog);
        previous = t;
    }
    WriteLog(QStringLiteral("****** Fine fase campionamenti  %1 ******").arg(LocalStamp()), kSampleLog);
    m_sampleTimes.clear();
    if (m_wavLog.isOpen()) {
        m_wavLog.seek(0);
        m_wavLog.write(WavLogHeader());
        m_wavLog.close();
    }
    m_samplingPhaseStart = 0;
    m_samplingPhaseOpen = false;
}

}  // namespace sonvelle
