#pragma once
// The wave input on the sound server: a record stream on the default source,
// s16le mono 32000 Hz, run by libpulse's threaded main loop. The context and
// the stream are watched: when the server goes away the owner gets
// WM_WAVEIN_LOST, and a server that does not answer fails an open, a start or
// a stop after kOpenTimeoutMs instead of hanging the caller.

#include "audio/WaveInput.h"

#include <atomic>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_time_event;
struct pa_mainloop_api;

namespace sonvelle {

class CPulseWaveInput : public IWaveInput {
public:
    static constexpr int kOpenTimeoutMs = 2000;

    // An empty server means the usual one (PULSE_SERVER or the session's).
    explicit CPulseWaveInput(QString server = {});
    ~CPulseWaveInput() override;

    int Open(QObject* notify, const WaveFormat& format) override;
    void AddBuffer(std::unique_ptr<CWaveBuffer> buffer) override;
    int Start() override;
    int Reset() override;
    int Stop() override;
    int Close() override;
    QString ErrorText(int error) const override;
    int QueuedBuffers() const override { return m_queue.Size(); }
    std::uint64_t DroppedBytes() const override { return m_queue.Dropped(); }
    std::uintptr_t DeviceId() const override { return m_queue.DeviceId(); }

private:
    static void OnContextState(pa_context* c, void* self);
    static void OnStreamState(pa_stream* s, void* self);
    static void OnRead(pa_stream* s, std::size_t bytes, void* self);
    static void OnOpenTimeout(pa_mainloop_api* api, pa_time_event* e, const struct timeval* tv, void* self);
    void ReportLoss(int error);
    void ArmDeadline();
    void DisarmDeadline();
    int Cork(bool cork);
    int Fail(int error);

    QString m_server;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_time_event* m_openTimer = nullptr;
    bool m_openTimedOut = false;
    // Open and running: a failure from now on is a loss, told once.
    std::atomic<bool> m_live{false};
    CBufferQueue m_queue;
};

}  // namespace sonvelle
