#include "audio/PlaybackStream.h"

#include <pulse/pulseaudio.h>

#include <chrono>
#include <thread>
#include <vector>

namespace sonvelle {
namespace {

constexpr auto kConnectTimeout = std::chrono::seconds(5);
constexpr std::uint32_t kBufferMs = 250;

class CLocked {
public:
    explicit CLocked(pa_threaded_mainloop* loop) : m_loop(loop) { pa_threaded_mainloop_lock(m_loop); }
    ~CLocked() { pa_threaded_mainloop_unlock(m_loop); }
    CLocked(const CLocked&) = delete;
    CLocked& operator=(const CLocked&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

// Waits with the lock released between looks, so that a server that never
// answers costs a bounded time, not a hang.
template <class Done>
bool WaitUntil(pa_threaded_mainloop* loop, Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + kConnectTimeout;
    for (;;) {
        {
            CLocked lock(loop);
            if (done())
                return true;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

CPlaybackStream::CPlaybackStream() = default;

CPlaybackStream::~CPlaybackStream()
{
    Shutdown();
}

QString CPlaybackStream::FailureText() const
{
    return QString::fromLocal8Bit(pa_strerror(m_failureCode.load()));
}

void CPlaybackStream::Shutdown()
{
    if (!m_mainloop)
        return;
    {
        CLocked lock(m_mainloop);
        DropStream();
        if (m_context) {
            pa_context_set_state_callback(m_context, nullptr, nullptr);
            pa_context_disconnect(m_context);
        }
    }
    pa_threaded_mainloop_stop(m_mainloop);
    if (m_context)
        pa_context_unref(m_context);
    m_context = nullptr;
    pa_threaded_mainloop_free(m_mainloop);
    m_mainloop = nullptr;
}

bool CPlaybackStream::Open(const QString& path, QString& error)
{
    Shutdown();
    m_failed = false;
    if (!m_decoder.Open(path, error))
        return false;
    m_lengthMs = m_decoder.LengthMs(false);

    m_mainloop = pa_threaded_mainloop_new();
    if (!m_mainloop) {
        error = QStringLiteral("no sound server main loop");
        return false;
    }
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_mainloop);
    m_context = pa_context_new(api, "Sonvelle");
    pa_context_set_state_callback(m_context, &CPlaybackStream::OnContextState, this);
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
        || pa_threaded_mainloop_start(m_mainloop) < 0) {
        error = QString::fromLocal8Bit(pa_strerror(pa_context_errno(m_context)));
        Shutdown();
        return false;
    }
    pa_context_state_t state = PA_CONTEXT_UNCONNECTED;
    const bool answered = WaitUntil(m_mainloop, [&] {
        state = pa_context_get_state(m_context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    if (!answered || state != PA_CONTEXT_READY) {
        {
            CLocked lock(m_mainloop);
            error = answered ? QString::fromLocal8Bit(pa_strerror(pa_context_errno(m_context)))
                             : QStringLiteral("the sound server does not answer");
        }
        Shutdown();
        return false;
    }
    return true;
}

bool CPlaybackStream::PlayFrom(std::uint32_t positionMs, QString& error)
{
    if (!m_mainloop || !m_decoder.IsOpen()) {
        error = QStringLiteral("nothing is open");
        return false;
    }
    if (m_lengthMs > 0 && positionMs > m_lengthMs)
        positionMs = m_lengthMs;
    pa_stream* stream = nullptr;
    {
        CLocked lock(m_mainloop);
        if (pa_context_get_state(m_context) != PA_CONTEXT_READY) {
            error = QString::fromLocal8Bit(pa_strerror(pa_context_errno(m_context)));
            return false;
        }
        DropStream();
        if (!m_decoder.SeekMs(positionMs)) {
            error = QStringLiteral("cannot seek to %1 ms").arg(positionMs);
            return false;
        }
        m_startMs = positionMs;
        m_lastPositionMs = positionMs;
        m_decoderEnded = false;
        m_paused = false;
        m_drained = false;
        m_failed = false;

        pa_sample_spec format{};
        format.format = PA_SAMPLE_S16LE;
        format.rate = static_cast<std::uint32_t>(m_decoder.Rate());
        format.channels = static_cast<std::uint8_t>(m_decoder.Channels());
        if (!pa_sample_spec_valid(&format)) {
            error = QStringLiteral("unsupported sound format");
            return false;
        }
        m_stream = pa_stream_new(m_context, "Sonvelle playback", &format, nullptr);
        if (!m_stream) {
            error = QString::fromLocal8Bit(pa_strerror(pa_context_errno(m_context)));
            return false;
        }
        pa_stream_set_state_callback(m_stream, &CPlaybackStream::OnStreamState, this);
        pa_stream_set_write_callback(m_stream, &CPlaybackStream::OnStreamWrite, this);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kBufferMs * PA_USEC_PER_MSEC, &format));
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = static_cast<std::uint32_t>(-1);
        attr.fragsize = static_cast<std::uint32_t>(-1);
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE
                                                          | PA_STREAM_ADJUST_LATENCY);
        if (pa_stream_connect_playback(m_stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
            error = QString::fromLocal8Bit(pa_strerror(pa_context_errno(m_context)));
            DropStream();
            return false;
        }
        stream = m_stream;
    }
    pa_stream_state_t state = PA_STREAM_UNCONNECTED;
    const bool answered = WaitUntil(m_mainloop, [&] {
        state = pa_stream_get_state(stream);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
    if (!answered || state != PA_STREAM_READY) {
        CLocked lock(m_mainloop);
        error = answered ? QString::fromLocal8Bit(pa_strerror(pa_context_errno(m_context)))
                         : QStringLiteral("the sound server does not answer");
        DropStream();
        return false;
    }
    return true;
}

bool CPlaybackStream::Pause()
{
    if (!m_mainloop)
        return false;
    pa_operation* operation = nullptr;
    {
        CLocked lock(m_mainloop);
        if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY)
            return false;
        UpdatePosition();
        operation = pa_stream_cork(m_stream, 1, nullptr, nullptr);
        if (!operation)
            return false;
    }
    const bool done = WaitUntil(m_mainloop, [&] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
    CLocked lock(m_mainloop);
    const bool corked = done && pa_operation_get_state(operation) == PA_OPERATION_DONE;
    pa_operation_unref(operation);
    if (corked) {
        // The server's clock may run on past the cork for a moment; the heard position may not.
        m_paused = true;
    }
    return corked;
}

std::uint32_t CPlaybackStream::PositionMs()
{
    if (!m_mainloop)
        return 0;
    if (m_drained.load() || m_failed.load())
        return m_lengthMs;
    CLocked lock(m_mainloop);
    if (!m_stream || m_paused)
        return m_lastPositionMs;
    UpdatePosition();
    return m_lastPositionMs;
}

void CPlaybackStream::UpdatePosition()
{
    pa_usec_t played = 0;
    if (pa_stream_get_time(m_stream, &played) == 0) {
        std::uint64_t position = m_startMs + played / PA_USEC_PER_MSEC;
        // The length is an estimate until the end: never report the end before it is heard.
        if (m_lengthMs > 0 && position >= m_lengthMs)
            position = m_lengthMs - 1;
        m_lastPositionMs = static_cast<std::uint32_t>(position);
    }
}

void CPlaybackStream::DropStream()
{
    if (!m_stream)
        return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void CPlaybackStream::OnContextState(pa_context* context, void* self)
{
    auto* me = static_cast<CPlaybackStream*>(self);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) && !me->m_failed.load()) {
        me->m_failureCode = pa_context_errno(context);
        me->m_failed = true;
    }
}

void CPlaybackStream::OnStreamState(pa_stream* stream, void* self)
{
    auto* me = static_cast<CPlaybackStream*>(self);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream)) && !me->m_failed.load()) {
        me->m_failureCode = pa_context_errno(pa_stream_get_context(stream));
        me->m_failed = true;
    }
}

void CPlaybackStream::OnStreamWrite(pa_stream* stream, std::size_t bytes, void* self)
{
    static_cast<CPlaybackStream*>(self)->Feed(stream, bytes);
}

void CPlaybackStream::OnDrained(pa_stream* stream, int success, void* self)
{
    auto* me = static_cast<CPlaybackStream*>(self);
    if (success && stream == me->m_stream)
        me->m_drained = true;
}

void CPlaybackStream::Feed(pa_stream* stream, std::size_t bytes)
{
    while (bytes > 0 && !m_decoderEnded) {
        void* buffer = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(stream, &buffer, &size) < 0 || !buffer || size == 0)
            return;
        const std::size_t got = m_decoder.Read(buffer, size);
        if (got == 0) {
            pa_stream_cancel_write(stream);
            m_decoderEnded = true;
            if (pa_operation* drain = pa_stream_drain(stream, &CPlaybackStream::OnDrained, this))
                pa_operation_unref(drain);
            return;
        }
        pa_stream_write(stream, buffer, got, nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= got < bytes ? got : bytes;
    }
}

}  // namespace sonvelle
