#pragma once
// The classic playing method: a file decoded block by block and fed to a
// playback stream of the sound server. Decoding and feeding run on libpulse's
// own thread; every call here returns within a bounded wait.

#include "audio/PlaybackDecoder.h"

#include <QString>

#include <atomic>
#include <cstdint>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace sonvelle {

class CPlaybackStream {
public:
    CPlaybackStream();
    ~CPlaybackStream();
    CPlaybackStream(const CPlaybackStream&) = delete;
    CPlaybackStream& operator=(const CPlaybackStream&) = delete;

    // Opens the file and connects to the sound server; nothing plays yet.
    bool Open(const QString& path, QString& error);

    // Plays from the position (a new stream each time, so nothing of the old
    // position is heard after the jump).
    bool PlayFrom(std::uint32_t positionMs, QString& error);
    bool Pause();

    std::uint32_t LengthMs() const { return m_lengthMs; }
    // What is being heard now; the length once the last sample has been played.
    std::uint32_t PositionMs();

    // The server went away or refused the stream after playback had started.
    bool HasFailed() const { return m_failed.load(); }
    QString FailureText() const;

private:
    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnStreamWrite(pa_stream* stream, std::size_t bytes, void* self);
    static void OnDrained(pa_stream* stream, int success, void* self);

    void Feed(pa_stream* stream, std::size_t bytes);
    void DropStream();      // mainloop locked
    void UpdatePosition();  // mainloop locked, stream present
    void Shutdown();

    CPlaybackDecoder m_decoder;
    pa_threaded_mainloop* m_mainloop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    std::uint32_t m_lengthMs = 0;
    std::uint32_t m_startMs = 0;          // position the current stream started from
    std::uint32_t m_lastPositionMs = 0;
    bool m_paused = false;
    bool m_decoderEnded = false;         // mainloop thread, or locked
    std::atomic<bool> m_drained{false};
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_failureCode{0};
};

}  // namespace sonvelle
