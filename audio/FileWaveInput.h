#pragma once
// The file-fed microphone for tests and demos. A WAV file at 32000 Hz (16-bit
// or any sample format libsndfile reads, any channel count, mixed down to
// mono) plays as the microphone at real-time pace, N times faster with a
// speed N, and is followed by silence. The source runs on its own timeline
// from its first start, like a real microphone, and the process clock follows
// that timeline so that the gate's times stay exact at any speed.

#include "audio/WaveInput.h"
#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace sonvelle {

class CFileFedSource : public IClock {
public:
    // Loads the file; Valid() tells whether it could be used and why not.
    CFileFedSource(const QString& path, double speed);

    bool Valid() const { return m_error.isEmpty(); }
    const QString& Error() const { return m_error; }
    double Speed() const { return m_speed; }
    std::size_t Samples() const { return m_samples.size(); }

    // The process-wide source of SONVELLE_WAVE_INPUT and SONVELLE_WAVE_INPUT_SPEED,
    // made once; it also becomes the process clock.
    static std::shared_ptr<CFileFedSource> FromEnvironment();

    // The timeline starts with the first device that runs on it.
    bool StartTimeline();  // true for the call that started it
    // Sample position of the timeline now (0 until it starts).
    std::uint64_t Position();
    // Real time at which the timeline reaches a position.
    std::chrono::steady_clock::time_point TimeOf(std::uint64_t position);
    // Copies samples of the timeline; past the file's end they are silence,
    // or the file again from its start when looping (long unattended runs).
    void SetLooping(bool on) { m_looping = on; }
    void Read(std::uint64_t position, std::int16_t* out, std::size_t count) const;

    // IClock: milliseconds of the timeline (what the gate and the refresh see).
    std::uint32_t NowMs() override;

private:
    std::vector<std::int16_t> m_samples;
    double m_speed = 1.0;
    std::atomic<bool> m_looping{false};
    QString m_error;
    std::once_flag m_started;
    std::atomic<bool> m_running{false};
    std::chrono::steady_clock::time_point m_origin;
    std::uint32_t m_originMs = 0;
};

class CFileWaveInput : public IWaveInput {
public:
    explicit CFileWaveInput(std::shared_ptr<CFileFedSource> source);
    ~CFileWaveInput() override;

    int Open(QObject* notify, const WaveFormat& format) override;
    void AddBuffer(std::unique_ptr<CWaveBuffer> buffer) override;
    int Start() override;
    int Reset() override;
    int Stop() override;
    int Close() override;
    QString ErrorText(int error) const override;
    int QueuedBuffers() const override { return m_queue.Size(); }
    std::uint64_t DroppedBytes() const override { return m_queue.Dropped(); }

    static constexpr int kErrorNoFile = 2;
    static constexpr int kErrorFormat = 32;
    static constexpr int kErrorNotOpen = 5;

private:
    void Run(std::uint64_t position);
    void Halt();

    std::shared_ptr<CFileFedSource> m_source;
    CBufferQueue m_queue;
    bool m_open = false;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_running = false;
};

}  // namespace sonvelle
