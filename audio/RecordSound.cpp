#include "audio/RecordSound.h"

#include "audio/WriteSoundFile.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/Messages.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QtEndian>

namespace sonvelle {

namespace {

const QString kSampleLog = QStringLiteral("LogCampionamenti.log");

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
}

void CRecordSound::OnThreadEnd()
{
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
    default:
        break;
    }
}

void CRecordSound::OnStartRecording()
{
    m_gate.ClearTriggered();
    if (m_recording)
        return;
    std::unique_ptr<IWaveInput> device = m_factory ? m_factory() : nullptr;
    const int opened = device ? device->Open(Receiver(), m_format) : -1;
    m_lastDeviceOpen = timeGetSystemTime();
    if (opened != 0) {
        WriteLog(QStringLiteral("WAVEIN:%1:%2").arg(static_cast<unsigned>(opened), 0, 16)
                     .arg(device ? device->ErrorText(opened) : QStringLiteral("no device")));
        return;
    }
    for (int i = 0; i < kBufferCount; ++i)
        device->AddBuffer(AllocCaptureBuffer());
    const int started = device->Start();
    if (started != 0) {
        WriteLog(QStringLiteral("WAVEIN:%1:%2").arg(static_cast<unsigned>(started), 0, 16).arg(device->ErrorText(started)));
        // Not left open: its buffers come back and are released.
        device->Reset();
        device->Close();
        return;
    }
    m_device = std::move(device);
    m_recording = true;
    if (CWriteSoundFile* writer = m_writer.load())
        writer->PostThreadMessage(WM_WRITER_CREATE_FILE, 0, 0, std::make_unique<CCaptureStartRecord>(m_format));
}

void CRecordSound::OnStopRecording()
{
    WriteLog(QStringLiteral("RecordSound: OnStopRecording"));
    if (!m_recording)
        return;
    m_gate.ClearForwarding();
    if (m_device->Reset() != 0)
        WriteLog(QStringLiteral("waveInReset Fallita"));
    if (m_device->Stop() != 0) {
        WriteLog(QStringLiteral("waveInStop Fallita"));
    } else {
        m_recording = false;
        m_device->Close();
        m_device.reset();
    }
    if (CWriteSoundFile* writer = m_writer.load())
        writer->PostThreadMessage(WM_WRITER_CLOSE_FILE);
    EndSampleLog(m_sampleLogOn);
}

void CRecordSound::RestartCapture()
{
    OnStopRecording();
    m_format = WaveFormat{};
    OnStartRecording();
}

void CRecordSound::OnWimData(std::unique_ptr<CWaveBuffer> buffer)
{
    if (!buffer)
        return;
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
