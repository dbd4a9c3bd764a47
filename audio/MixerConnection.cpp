#include "audio/MixerConnection.h"

#include <chrono>
#include <type_traits>

namespace sonvelle {

struct CMixerConnection::Request {
    CMixerConnection* owner = nullptr;
    bool done = false;
    bool ok = false;
    std::vector<MixerDevice>* devices = nullptr;
    MixerServerDefaults* defaults = nullptr;
};

namespace {

template <class Info>
MixerDevice DeviceOf(const Info& info, bool isSource)
{
    MixerDevice device;
    device.isSource = isSource;
    device.index = info.index;
    device.name = QString::fromUtf8(info.name ? info.name : "");
    device.description = QString::fromUtf8(info.description ? info.description : "");
    device.volume = info.volume;
    device.mute = info.mute != 0;
    // Sinks and sources share the numbers of their states.
    const int state = static_cast<int>(info.state);
    device.running = state == PA_SINK_RUNNING || state == PA_SINK_IDLE;
    if (info.active_port) {
        device.activePort = QString::fromUtf8(info.active_port->name);
        device.portUnavailable = info.active_port->available == PA_PORT_AVAILABLE_NO;
    }
    return device;
}

}  // namespace

CMixerConnection::CMixerConnection() = default;

CMixerConnection::~CMixerConnection()
{
    if (!m_loop)
        return;
    // Once the loop has stopped no callback can run any more.
    pa_threaded_mainloop_stop(m_loop);
    if (m_context) {
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    pa_threaded_mainloop_free(m_loop);
}

void CMixerConnection::Finish(Request& request, bool ok)
{
    {
        std::lock_guard lock(m_mutex);
        request.done = true;
        request.ok = ok;
    }
    m_cv.notify_all();
}

void CMixerConnection::OnState(pa_context* c, void* self)
{
    auto* me = static_cast<CMixerConnection*>(self);
    const pa_context_state_t state = pa_context_get_state(c);
    {
        std::lock_guard lock(me->m_mutex);
        if (!PA_CONTEXT_IS_GOOD(state))
            me->m_failed = true;
        if (state == PA_CONTEXT_READY)
            me->m_ready = true;
    }
    me->m_cv.notify_all();
}

bool CMixerConnection::Connect()
{
    if (m_loop)
        return false;
    m_loop = pa_threaded_mainloop_new();
    if (!m_loop)
        return false;
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Sonvelle mixer");
    if (!m_context)
        return false;
    pa_context_set_state_callback(m_context, OnState, this);
    pa_threaded_mainloop_lock(m_loop);
    bool started = pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
                   pa_threaded_mainloop_start(m_loop) >= 0;
    if (!started)
        m_lastError = pa_context_errno(m_context);
    pa_threaded_mainloop_unlock(m_loop);
    if (!started)
        return false;

    const auto ready = [this] { return m_failed || m_ready; };
    std::unique_lock lock(m_mutex);
    const bool decided = m_cv.wait_for(lock, std::chrono::milliseconds(kWaitMs), ready);
    const bool ok = decided && !m_failed;
    if (!ok) {
        m_failed = true;
        m_lastError = decided ? PA_ERR_CONNECTIONREFUSED : PA_ERR_TIMEOUT;
    }
    return ok;
}

template <class Start>
bool CMixerConnection::Run(Request& request, Start&& start)
{
    request.owner = this;
    if (!m_context) {
        m_lastError = PA_ERR_BADSTATE;
        return false;
    }
    pa_threaded_mainloop_lock(m_loop);
    pa_operation* op = nullptr;
    if (pa_context_get_state(m_context) == PA_CONTEXT_READY)
        op = start(m_context);
    const int startError = op ? 0 : pa_context_errno(m_context);
    pa_threaded_mainloop_unlock(m_loop);
    if (!op) {
        m_lastError = startError ? startError : PA_ERR_CONNECTIONTERMINATED;
        return false;
    }
    {
        std::unique_lock lock(m_mutex);
        m_cv.wait_for(lock, std::chrono::milliseconds(kWaitMs), [&] { return request.done || m_failed; });
    }
    // With the loop locked no callback runs: after the cancel none will, and
    // the request on the caller's stack is safe to leave.
    pa_threaded_mainloop_lock(m_loop);
    bool done = false;
    bool failed = false;
    {
        std::lock_guard lock(m_mutex);
        done = request.done;
        failed = m_failed;
    }
    if (!done)
        pa_operation_cancel(op);
    pa_operation_unref(op);
    const int serverError = pa_context_errno(m_context);
    pa_threaded_mainloop_unlock(m_loop);
    if (!done)
        m_lastError = failed ? PA_ERR_CONNECTIONTERMINATED : PA_ERR_TIMEOUT;
    else if (!request.ok)
        m_lastError = serverError ? serverError : PA_ERR_UNKNOWN;
    return done && request.ok;
}

// The callbacks need the private Request; they reach it through these.
struct MixerCallbacks {
    static void Success(pa_context*, int success, void* userdata)
    {
        auto* request = static_cast<CMixerConnection::Request*>(userdata);
        request->owner->Finish(*request, success != 0);
    }
    template <class Info>
    static void Device(const Info* info, int eol, void* userdata, bool isSource)
    {
        auto* request = static_cast<CMixerConnection::Request*>(userdata);
        if (eol != 0) {
            request->owner->Finish(*request, eol > 0);
            return;
        }
        if (info && request->devices) {
            MixerDevice device = DeviceOf(*info, isSource);
            if constexpr (std::is_same_v<Info, pa_source_info>)
            {
                device.monitorOf = info->monitor_of_sink;
                device.isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
            }
            request->devices->push_back(std::move(device));
        }
    }
    static void Sink(pa_context*, const pa_sink_info* info, int eol, void* userdata)
    {
        Device(info, eol, userdata, false);
    }
    static void Source(pa_context*, const pa_source_info* info, int eol, void* userdata)
    {
        Device(info, eol, userdata, true);
    }
    static void Server(pa_context*, const pa_server_info* info, void* userdata)
    {
        auto* request = static_cast<CMixerConnection::Request*>(userdata);
        if (info && request->defaults) {
            request->defaults->sink = QString::fromUtf8(info->default_sink_name ? info->default_sink_name : "");
            request->defaults->source =
                QString::fromUtf8(info->default_source_name ? info->default_source_name : "");
        }
        request->owner->Finish(*request, info != nullptr);
    }
};

bool CMixerConnection::GetDefaults(MixerServerDefaults& defaults)
{
    Request request;
    request.defaults = &defaults;
    return Run(request, [&](pa_context* c) { return pa_context_get_server_info(c, MixerCallbacks::Server, &request); });
}

bool CMixerConnection::ListDevices(bool sources, std::vector<MixerDevice>& devices)
{
    devices.clear();
    Request request;
    request.devices = &devices;
    return Run(request, [&](pa_context* c) {
        return sources ? pa_context_get_source_info_list(c, MixerCallbacks::Source, &request)
                       : pa_context_get_sink_info_list(c, MixerCallbacks::Sink, &request);
    });
}

bool CMixerConnection::GetDevice(bool isSource, std::uint32_t index, MixerDevice& device)
{
    std::vector<MixerDevice> found;
    Request request;
    request.devices = &found;
    const bool ok = Run(request, [&](pa_context* c) {
        return isSource ? pa_context_get_source_info_by_index(c, index, MixerCallbacks::Source, &request)
                        : pa_context_get_sink_info_by_index(c, index, MixerCallbacks::Sink, &request);
    });
    if (!ok || found.empty()) {
        if (ok)
            m_lastError = PA_ERR_NOENTITY;
        return false;
    }
    device = found.front();
    return true;
}

bool CMixerConnection::SetVolume(bool isSource, std::uint32_t index, const pa_cvolume& volume)
{
    Request request;
    return Run(request, [&](pa_context* c) {
        return isSource ? pa_context_set_source_volume_by_index(c, index, &volume, MixerCallbacks::Success, &request)
                        : pa_context_set_sink_volume_by_index(c, index, &volume, MixerCallbacks::Success, &request);
    });
}

bool CMixerConnection::SetMute(bool isSource, std::uint32_t index, bool mute)
{
    Request request;
    return Run(request, [&](pa_context* c) {
        return isSource ? pa_context_set_source_mute_by_index(c, index, mute, MixerCallbacks::Success, &request)
                        : pa_context_set_sink_mute_by_index(c, index, mute, MixerCallbacks::Success, &request);
    });
}

bool CMixerConnection::SetDefaultSource(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    Request request;
    return Run(request, [&](pa_context* c) {
        return pa_context_set_default_source(c, utf8.constData(), MixerCallbacks::Success, &request);
    });
}

bool CMixerConnection::SetSourcePort(std::uint32_t index, const QString& port)
{
    const QByteArray utf8 = port.toUtf8();
    Request request;
    return Run(request, [&](pa_context* c) {
        return pa_context_set_source_port_by_index(c, index, utf8.constData(), MixerCallbacks::Success, &request);
    });
}

void CMixerConnection::Compare(bool isSource, std::uint32_t index, const pa_cvolume& volume, bool mute)
{
    const auto key = std::make_pair(isSource, index);
    auto it = m_seen.find(key);
    if (it == m_seen.end()) {
        m_seen.emplace(key, std::make_pair(volume, mute));
        return;
    }
    const bool volumeChanged = !pa_cvolume_equal(&it->second.first, &volume);
    const bool muteChanged = it->second.second != mute;
    it->second = std::make_pair(volume, mute);
    if ((volumeChanged || muteChanged) && m_onChange)
        m_onChange(isSource, index, volumeChanged, muteChanged);
}

void CMixerConnection::OnWatchedSink(pa_context*, const pa_sink_info* info, int eol, void* self)
{
    if (eol == 0 && info)
        static_cast<CMixerConnection*>(self)->Compare(false, info->index, info->volume, info->mute != 0);
}

void CMixerConnection::OnWatchedSource(pa_context*, const pa_source_info* info, int eol, void* self)
{
    if (eol == 0 && info)
        static_cast<CMixerConnection*>(self)->Compare(true, info->index, info->volume, info->mute != 0);
}

void CMixerConnection::OnSubscription(pa_context* c, pa_subscription_event_type_t type, std::uint32_t index,
                                      void* self)
{
    auto* me = static_cast<CMixerConnection*>(self);
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
        me->m_seen.erase(std::make_pair(facility == PA_SUBSCRIPTION_EVENT_SOURCE, index));
        return;
    }
    // A change event says only that something changed (often just the
    // running state): the fresh values tell whether a control did.
    pa_operation* op = nullptr;
    if (facility == PA_SUBSCRIPTION_EVENT_SINK)
        op = pa_context_get_sink_info_by_index(c, index, OnWatchedSink, me);
    else if (facility == PA_SUBSCRIPTION_EVENT_SOURCE)
        op = pa_context_get_source_info_by_index(c, index, OnWatchedSource, me);
    if (op)
        pa_operation_unref(op);
}

bool CMixerConnection::Subscribe(ChangeHandler handler)
{
    if (!m_context)
        return false;
    pa_threaded_mainloop_lock(m_loop);
    m_onChange = std::move(handler);
    pa_context_set_subscribe_callback(m_context, OnSubscription, this);
    // Sent before the subscription, so their answers (what is "seen" now)
    // arrive before the subscription's own answer.
    if (pa_context_get_state(m_context) == PA_CONTEXT_READY) {
        if (pa_operation* op = pa_context_get_sink_info_list(m_context, OnWatchedSink, this))
            pa_operation_unref(op);
        if (pa_operation* op = pa_context_get_source_info_list(m_context, OnWatchedSource, this))
            pa_operation_unref(op);
    }
    pa_threaded_mainloop_unlock(m_loop);
    Request request;
    return Run(request, [&](pa_context* c) {
        const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE);
        return pa_context_subscribe(c, mask, MixerCallbacks::Success, &request);
    });
}

}  // namespace sonvelle
