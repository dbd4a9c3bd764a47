#include "audio/FileWaveInput.h"

#include <QFile>

#include <sndfile.h>

#include <cmath>

namespace sonvelle {

CFileFedSource::CFileFedSource(const QString& path, double speed) : m_speed(speed > 0 ? speed : 1.0)
{
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f) {
        m_error = QStringLiteral("cannot open %1: %2").arg(path, QString::fromUtf8(sf_strerror(nullptr)));
        return;
    }
    if (info.samplerate != kSampleRate || info.channels < 1) {
        m_error = QStringLiteral("%1 is at %2 Hz; the microphone file must be at 32000 Hz").arg(path).arg(info.samplerate);
        sf_close(f);
        return;
    }
    std::vector<std::int16_t> frames(static_cast<std::size_t>(info.frames) * static_cast<std::size_t>(info.channels));
    const sf_count_t read = sf_readf_short(f, frames.data(), info.frames);
    sf_close(f);
    m_samples.resize(static_cast<std::size_t>(read));
    for (sf_count_t i = 0; i < read; ++i) {
        long sum = 0;
        for (int c = 0; c < info.channels; ++c)
            sum += frames[static_cast<std::size_t>(i * info.channels + c)];
        m_samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(sum / info.channels);
    }
}

std::shared_ptr<CFileFedSource> CFileFedSource::FromEnvironment()
{
    static std::shared_ptr<CFileFedSource> source = [] {
        bool ok = false;
        double speed = qEnvironmentVariable("SONVELLE_WAVE_INPUT_SPEED").toDouble(&ok);
        if (!ok || speed <= 0)
            speed = 1.0;
        auto s = std::make_shared<CFileFedSource>(qEnvironmentVariable("SONVELLE_WAVE_INPUT"), speed);
        if (s->Valid())
            SetSystemClock(s.get());  // lives to the end of the process
        return s;
    }();
    return source;
}

bool CFileFedSource::StartTimeline()
{
    bool first = false;
    std::call_once(m_started, [this, &first] {
        first = true;
        m_origin = std::chrono::steady_clock::now();
        m_originMs = CSteadyClock().NowMs();
        m_running.store(true);
    });
    return first;
}

std::uint64_t CFileFedSource::Position()
{
    if (!m_running.load())
        return 0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_origin).count();
    return static_cast<std::uint64_t>(seconds * m_speed * kSampleRate);
}

std::chrono::steady_clock::time_point CFileFedSource::TimeOf(std::uint64_t position)
{
    StartTimeline();
    const double seconds = static_cast<double>(position) / kSampleRate / m_speed;
    return m_origin + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
}

std::uint32_t CFileFedSource::NowMs()
{
    // Until the microphone first runs, time passes as usual.
    if (!m_running.load())
        return CSteadyClock().NowMs();
    return m_originMs + static_cast<std::uint32_t>(Position() * 1000 / kSampleRate);
}

void CFileFedSource::Read(std::uint64_t position, std::int16_t* out, std::size_t count) const
{
    for (std::size_t i = 0; i < count; ++i) {
        std::uint64_t p = position + i;
        if (m_looping && !m_samples.empty())
            p %= m_samples.size();
        out[i] = p < m_samples.size() ? m_samples[static_cast<std::size_t>(p)] : 0;
    }
}

CFileWaveInput::CFileWaveInput(std::shared_ptr<CFileFedSource> source) : m_source(std::move(source)) {}

CFileWaveInput::~CFileWaveInput()
{
    Close();
}

int CFileWaveInput::Open(QObject* notify, const WaveFormat& format)
{
    if (!m_source || !m_source->Valid())
        return kErrorNoFile;
    if (format.formatTag != 1 || format.channels != 1 || format.bitsPerSample != 16 ||
        format.samplesPerSec != static_cast<std::uint32_t>(kSampleRate))
        return kErrorFormat;
    m_queue.SetTarget(notify, NextWaveDeviceId());
    m_open = true;
    return 0;
}

void CFileWaveInput::AddBuffer(std::unique_ptr<CWaveBuffer> buffer)
{
    m_queue.Add(std::move(buffer));
}

int CFileWaveInput::Start()
{
    if (!m_open)
        return kErrorNotOpen;
    std::lock_guard lock(m_mutex);
    if (m_running)
        return 0;
    m_running = true;
    // The first device hears the file from its first sample.
    const std::uint64_t from = m_source->StartTimeline() ? 0 : m_source->Position();
    m_thread = std::thread([this, from] { Run(from); });
    return 0;
}

void CFileWaveInput::Run(std::uint64_t position)
{
    // Capture begins with the sound at its start on the timeline, one buffer at a time.
    std::vector<std::int16_t> chunk(kSamplesPerBuffer);
    std::unique_lock lock(m_mutex);
    while (m_running) {
        const auto due = m_source->TimeOf(position + kSamplesPerBuffer);
        if (m_wake.wait_until(lock, due, [this] { return !m_running; }))
            break;
        m_source->Read(position, chunk.data(), chunk.size());
        position += kSamplesPerBuffer;
        lock.unlock();
        m_queue.Fill(reinterpret_cast<const char*>(chunk.data()), chunk.size() * sizeof(std::int16_t));
        lock.lock();
    }
}

void CFileWaveInput::Halt()
{
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

int CFileWaveInput::Reset()
{
    if (!m_open)
        return kErrorNotOpen;
    Halt();
    m_queue.ReturnAll();
    return 0;
}

int CFileWaveInput::Stop()
{
    if (!m_open)
        return kErrorNotOpen;
    Halt();
    return 0;
}

int CFileWaveInput::Close()
{
    Halt();
    if (m_open)
        m_queue.ReturnAll();
    m_open = false;
    return 0;
}

QString CFileWaveInput::ErrorText(int error) const
{
    switch (error) {
    case kErrorNoFile:
        return m_source ? m_source->Error() : QStringLiteral("no microphone file");
    case kErrorFormat:
        return QStringLiteral("unsupported wave format");
    case kErrorNotOpen:
        return QStringLiteral("the device is not open");
    default:
        return QStringLiteral("unknown error %1").arg(error);
    }
}

}  // namespace sonvelle
