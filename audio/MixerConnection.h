#pragma once
// One connection to the sound server for the mixer: reads and changes the
// volume and mute of sinks and sources and watches them for changes. Every
// request gives up after a bounded wait, so a server that is gone or hung
// costs the caller at most that long. Requests are made from one thread; the
// change callback runs on the connection's own loop thread.

#include <QString>

#include <pulse/pulseaudio.h>

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace sonvelle {

struct MixerCallbacks;

struct MixerDevice {
    bool isSource = false;
    std::uint32_t index = PA_INVALID_INDEX;
    QString name;
    QString description;
    pa_cvolume volume{};
    bool mute = false;
    bool isMonitor = false;
    std::uint32_t monitorOf = PA_INVALID_INDEX;  // the sink a monitor source listens to
    bool running = false;
    bool portUnavailable = false;
    QString activePort;
};

struct MixerServerDefaults {
    QString sink;
    QString source;
};

class CMixerConnection {
public:
    static constexpr int kWaitMs = 1000;

    CMixerConnection();
    ~CMixerConnection();
    CMixerConnection(const CMixerConnection&) = delete;
    CMixerConnection& operator=(const CMixerConnection&) = delete;

    // False when the server cannot be reached within the bound.
    bool Connect();
    // The error number of the last failed request (a server error or PA_ERR_TIMEOUT).
    int LastError() const { return m_lastError; }

    bool GetDefaults(MixerServerDefaults& defaults);
    bool ListDevices(bool sources, std::vector<MixerDevice>& devices);
    bool GetDevice(bool isSource, std::uint32_t index, MixerDevice& device);
    bool SetVolume(bool isSource, std::uint32_t index, const pa_cvolume& volume);
    bool SetMute(bool isSource, std::uint32_t index, bool mute);
    bool SetDefaultSource(const QString& name);
    bool SetSourcePort(std::uint32_t index, const QString& port);

    // Called on the loop thread when a sink's or source's volume or mute has
    // changed from what was last seen.
    using ChangeHandler = std::function<void(bool isSource, std::uint32_t index, bool volumeChanged, bool muteChanged)>;
    bool Subscribe(ChangeHandler handler);

private:
    friend struct MixerCallbacks;
    struct Request;
    template <class Start>
    bool Run(Request& request, Start&& start);
    void Finish(Request& request, bool ok);

    static void OnState(pa_context* c, void* self);
    static void OnSubscription(pa_context* c, pa_subscription_event_type_t type, std::uint32_t index, void* self);
    static void OnWatchedSink(pa_context* c, const pa_sink_info* info, int eol, void* self);
    static void OnWatchedSource(pa_context* c, const pa_source_info* info, int eol, void* self);
    void Compare(bool isSource, std::uint32_t index, const pa_cvolume& volume, bool mute);

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_failed = false;  // the context left the good states; guarded by m_mutex
    bool m_ready = false;   // guarded by m_mutex
    int m_lastError = 0;

    // Loop thread only (or with the loop locked).
    ChangeHandler m_onChange;
    std::map<std::pair<bool, std::uint32_t>, std::pair<pa_cvolume, bool>> m_seen;
};

}  // namespace sonvelle
