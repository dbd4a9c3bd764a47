#pragma once
// The wave input on the sound server: a record stream on the default source,
// s16le mono 32000 Hz, run by libpulse's threaded main loop.

#include "audio/WaveInput.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace sonvelle {

class CPulseWaveInput : public IWaveInput {
public:
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

private:
    static void OnContextState(pa_context* c, void* self);
    static void OnStreamState(pa_stream* s, void* self);
    static void OnRead(pa_stream* s, std::size_t bytes, void* self);
    int Cork(bool cork);
    int Fail(int error);

    QString m_server;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    CBufferQueue m_queue;
};

}  // namespace sonvelle
