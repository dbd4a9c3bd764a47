#include "audio/PulseWaveInput.h"

#include <pulse/pulseaudio.h>

#include <vector>

namespace sonvelle {

CPulseWaveInput::CPulseWaveInput(QString server) : m_server(std::move(server)) {}

CPulseWaveInput::~CPulseWaveInput()
{
    Close();
}

void CPulseWaveInput::ReportLoss(int error)
{
    if (m_live.exchange(false))
        m_queue.PostNotice(WM_WAVEIN_LOST, error ? error : PA_ERR_CONNECTIONTERMINATED);
}

void CPulseWaveInput::OnContextState(pa_context* c, void* self)
{
    auto* me = static_cast<CPulseWaveInput*>(self);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(c)))
        me->ReportLoss(pa_context_errno(c));
    pa_threaded_mainloop_signal(me->m_loop, 0);
}

void CPulseWaveInput::OnStreamState(pa_stream* s, void* self)
{
    auto* me = static_cast<CPulseWaveInput*>(self);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(s)))
        me->ReportLoss(pa_context_errno(pa_stream_get_context(s)));
    pa_threaded_mainloop_signal(me->m_loop, 0);
}

void CPulseWaveInput::OnOpenTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    auto* me = static_cast<CPulseWaveInput*>(self);
    me->m_openTimedOut = true;
    pa_threaded_mainloop_signal(me->m_loop, 0);
}

// Called with the loop locked: from now on, waits give up after kOpenTimeoutMs.
void CPulseWaveInput::ArmDeadline()
{
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    if (m_openTimer)
        api->time_free(m_openTimer);
    m_openTimedOut = false;
    timeval deadline{};
    pa_timeval_add(pa_gettimeofday(&deadline), static_cast<pa_usec_t>(kOpenTimeoutMs) * PA_USEC_PER_MSEC);
    m_openTimer = api->time_new(api, &deadline, OnOpenTimeout, this);
}

void CPulseWaveInput::DisarmDeadline()
{
    if (!m_openTimer)
        return;
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    api->time_free(m_openTimer);
    m_openTimer = nullptr;
}

void CPulseWaveInput::OnRead(pa_stream* s, std::size_t, void* self)
{
    auto* me = static_cast<CPulseWaveInput*>(self);
    const void* data = nullptr;
    std::size_t n = 0;
    while (pa_stream_readable_size(s) > 0) {
        if (pa_stream_peek(s, &data, &n) < 0 || n == 0)
            return;
        if (data) {
            me->m_queue.Fill(static_cast<const char*>(data), n);
        } else {
            // A hole in the stream is time that passed without sound: silence.
            const std::vector<char> silence(n, 0);
            me->m_queue.Fill(silence.data(), n);
        }
        pa_stream_drop(s);
    }
}

int CPulseWaveInput::Fail(int error)
{
    if (m_loop)
        pa_threaded_mainloop_unlock(m_loop);
    Close();
    return error ? error : PA_ERR_UNKNOWN;
}

int CPulseWaveInput::Open(QObject* notify, const WaveFormat& format)
{
    if (m_loop)
        return PA_ERR_EXIST;
    if (format.formatTag != 1 || format.bitsPerSample != 16 || format.channels != 1)
        return PA_ERR_NOTSUPPORTED;
    m_queue.SetTarget(notify, NextWaveDeviceId());
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        return PA_ERR_INTERNAL;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Sonvelle");
    if (!m_context) {
        pa_threaded_mainloop_free(m_loop);
        m_loop = nullptr;
        return PA_ERR_INTERNAL;
    }
    pa_context_set_state_callback(m_context, OnContextState, this);
    const QByteArray server = m_server.toUtf8();
    if (pa_context_connect(m_context, m_server.isEmpty() ? nullptr : server.constData(), PA_CONTEXT_NOAUTOSPAWN,
                           nullptr) < 0) {
        const int error = pa_context_errno(m_context);
        Close();
        return error ? error : PA_ERR_CONNECTIONREFUSED;
    }
    pa_threaded_mainloop_lock(m_loop);
    if (pa_threaded_mainloop_start(m_loop) < 0)
        return Fail(PA_ERR_INTERNAL);
    // A server that accepts the connection but never answers (stopped, hung)
    // must not hold the capture thread: the open gives up after a while.
    ArmDeadline();
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(m_context);
        if (state == PA_CONTEXT_READY)
            break;
        if (!PA_CONTEXT_IS_GOOD(state))
            return Fail(pa_context_errno(m_context));
        if (m_openTimedOut)
            return Fail(PA_ERR_TIMEOUT);
        pa_threaded_mainloop_wait(m_loop);
    }

    pa_sample_spec spec{PA_SAMPLE_S16LE, format.samplesPerSec, 1};
    m_stream = pa_stream_new(m_context, "Capture", &spec, nullptr);
    if (!m_stream)
        return Fail(pa_context_errno(m_context));
    pa_stream_set_state_callback(m_stream, OnStreamState, this);
    pa_stream_set_read_callback(m_stream, OnRead, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = kBufferBytes;  // one capture buffer per delivery
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED);
    if (pa_stream_connect_record(m_stream, nullptr, &attr, flags) < 0)
        return Fail(pa_context_errno(m_context));
    for (;;) {
        const pa_stream_state_t state = pa_stream_get_state(m_stream);
        if (state == PA_STREAM_READY)
            break;
        if (!PA_STREAM_IS_GOOD(state))
            return Fail(pa_context_errno(m_context));
        if (m_openTimedOut)
            return Fail(PA_ERR_TIMEOUT);
        pa_threaded_mainloop_wait(m_loop);
    }
    DisarmDeadline();
    m_live = true;
    pa_threaded_mainloop_unlock(m_loop);
    return 0;
}

void CPulseWaveInput::AddBuffer(std::unique_ptr<CWaveBuffer> buffer)
{
    m_queue.Add(std::move(buffer));
}

namespace {
void OnSuccess(pa_stream*, int, void* loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}
}  // namespace

int CPulseWaveInput::Cork(bool cork)
{
    if (!m_stream)
        return PA_ERR_BADSTATE;
    pa_threaded_mainloop_lock(m_loop);
    if (!m_live) {
        // A lost stream has stopped already; it cannot start again.
        pa_threaded_mainloop_unlock(m_loop);
        return cork ? 0 : PA_ERR_CONNECTIONTERMINATED;
    }
    pa_operation* op = pa_stream_cork(m_stream, cork ? 1 : 0, OnSuccess, m_loop);
    if (!op) {
        const int error = pa_context_errno(m_context);
        pa_threaded_mainloop_unlock(m_loop);
        return error ? error : PA_ERR_UNKNOWN;
    }
    // A server that stopped answering (suspended, hung) does not hold the caller.
    ArmDeadline();
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING && m_live && !m_openTimedOut)
        pa_threaded_mainloop_wait(m_loop);
    const bool answered = pa_operation_get_state(op) == PA_OPERATION_DONE;
    DisarmDeadline();
    if (!answered)
        pa_operation_cancel(op);
    pa_operation_unref(op);
    pa_threaded_mainloop_unlock(m_loop);
    return answered || !m_live ? 0 : PA_ERR_TIMEOUT;
}

int CPulseWaveInput::Start()
{
    return Cork(false);
}

int CPulseWaveInput::Stop()
{
    return Cork(true);
}

int CPulseWaveInput::Reset()
{
    if (!m_stream)
        return PA_ERR_BADSTATE;
    const int result = Cork(true);
    pa_threaded_mainloop_lock(m_loop);
    m_queue.ReturnAll();
    pa_threaded_mainloop_unlock(m_loop);
    return result;
}

int CPulseWaveInput::Close()
{
    if (!m_loop)
        return 0;
    pa_threaded_mainloop_lock(m_loop);
    m_live = false;
    m_queue.ReturnAll();  // no buffer is ever kept by a closed device
    DisarmDeadline();
    if (m_stream) {
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }
    pa_threaded_mainloop_unlock(m_loop);
    pa_threaded_mainloop_stop(m_loop);
    pa_threaded_mainloop_free(m_loop);
    m_loop = nullptr;
    return 0;
}

QString CPulseWaveInput::ErrorText(int error) const
{
    return QString::fromUtf8(pa_strerror(error));
}

}  // namespace sonvelle
