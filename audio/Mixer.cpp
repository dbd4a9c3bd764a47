#include "audio/Mixer.h"

#include "audio/MixerConnection.h"
#include "platform/Log.h"
#include "platform/Message.h"

#include <algorithm>
#include <atomic>

namespace sonvelle {

namespace {

// What a source that is not a microphone reports as its component type.
constexpr std::uint32_t kComponentSourceUndefined = 0x1000;
constexpr int kControlsPerLine = 2;

// A control id names the device (sink or source, by the server's index) and
// the control on it, so that it stays the same for as long as the device
// exists and every object of the program agrees on it.
enum class ControlKind : std::uint32_t { Volume = 1, Mute = 2 };

std::uint32_t ControlId(bool isSource, std::uint32_t index, ControlKind kind)
{
    return ((index + 1) << 4) | (isSource ? 8u : 0u) | static_cast<std::uint32_t>(kind);
}

struct ControlRef {
    bool isSource = false;
    std::uint32_t index = 0;
    ControlKind kind = ControlKind::Volume;
};

bool DecodeControl(std::uint32_t id, ControlRef& ref)
{
    const std::uint32_t kind = id & 7u;
    if ((id >> 4) == 0 || (kind != 1 && kind != 2))
        return false;
    ref.isSource = (id & 8u) != 0;
    ref.index = (id >> 4) - 1;
    ref.kind = static_cast<ControlKind>(kind);
    return true;
}

QString ControlName(ControlKind kind)
{
    return kind == ControlKind::Volume ? QStringLiteral("Volume") : QStringLiteral("Mute");
}

std::uint32_t ControlType(ControlKind kind)
{
    return kind == ControlKind::Volume ? MIXERCONTROL_CONTROLTYPE_VOLUME : MIXERCONTROL_CONTROLTYPE_MUTE;
}

// The microphone: the default source unless that is a monitor (what a sink
// plays), else the first source that is not one.
const MixerDevice* PickMicrophone(const std::vector<MixerDevice>& sources, const QString& defaultSource)
{
    for (const MixerDevice& source : sources)
        if (!source.isMonitor && source.name == defaultSource)
            return &source;
    for (const MixerDevice& source : sources)
        if (!source.isMonitor)
            return &source;
    return nullptr;
}

const MixerDevice* PickSpeakers(const std::vector<MixerDevice>& sinks, const QString& defaultSink)
{
    for (const MixerDevice& sink : sinks)
        if (sink.name == defaultSink)
            return &sink;
    return sinks.empty() ? nullptr : &sinks.front();
}

std::atomic<std::uintptr_t> g_nextHandle{1};

void Log(const QString& text)
{
    WriteLog(text);
}

}  // namespace

struct CMixer::Impl {
    std::unique_ptr<CMixerConnection> connection;
    std::uintptr_t handle = 0;
    QObject* notify = nullptr;
    MixerDevice line;
    std::uint32_t componentType = 0;
    std::vector<std::uint32_t> switches;
    bool recordingSelectKnown = false;
    std::int32_t lineIndex = -1;

    void OnChange(bool isSource, std::uint32_t index, bool volumeChanged, bool muteChanged) const
    {
        if (volumeChanged)
            PostMessageTo(notify, MM_MIXM_CONTROL_CHANGE, handle,
                          static_cast<LPARAM>(ControlId(isSource, index, ControlKind::Volume)));
        if (muteChanged)
            PostMessageTo(notify, MM_MIXM_CONTROL_CHANGE, handle,
                          static_cast<LPARAM>(ControlId(isSource, index, ControlKind::Mute)));
    }
};

CMixer::CMixer() : m_impl(std::make_unique<Impl>()) {}

CMixer::~CMixer()
{
    CloseMixer();
}

bool CMixer::OpenLine(QObject* notifyWindow, bool microphoneUnderRecording, std::uint32_t componentType)
{
    if (m_impl->handle)
        CloseMixer();
    auto connection = std::make_unique<CMixerConnection>();
    if (!connection->Connect())
        return false;

    MixerServerDefaults defaults;
    std::vector<MixerDevice> devices;
    const MixerDevice* found = nullptr;
    if (microphoneUnderRecording) {
        if (!connection->GetDefaults(defaults))
            return false;
        if (!connection->ListDevices(true, devices)) {
            Log(QStringLiteral("GetLineInfo con id sorgente non riuscita"));
            return false;
        }
        found = PickMicrophone(devices, defaults.source);
        if (!found) {
            Log(QStringLiteral("Linea SRC_MICROPHONE non trovata"));
            return false;
        }
    } else {
        const bool speakers = componentType == MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
        const bool microphone = componentType == MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
        if ((speakers || microphone) && connection->GetDefaults(defaults) &&
            connection->ListDevices(microphone, devices))
            found = speakers ? PickSpeakers(devices, defaults.sink) : PickMicrophone(devices, defaults.source);
        if (!found) {
            Log(QStringLiteral("GetLineInfo con component type non riuscita"));
            return false;
        }
    }
    if (found->volume.channels == 0) {
        Log(QStringLiteral("GetLineControls ALL non riuscita"));
        return false;
    }

    m_impl->line = *found;
    m_impl->componentType = microphoneUnderRecording ? MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE : componentType;
    m_impl->notify = notifyWindow;
    m_impl->handle = g_nextHandle.fetch_add(1);
    const Impl* impl = m_impl.get();
    if (!connection->Subscribe([impl](bool isSource, std::uint32_t index, bool volume, bool mute) {
            impl->OnChange(isSource, index, volume, mute);
        })) {
        Log(QStringLiteral("GetLineControls ALL non riuscita"));
        m_impl->handle = 0;
        return false;
    }
    m_impl->connection = std::move(connection);
    return true;
}

bool CMixer::CloseMixer()
{
    if (!m_impl->handle)
        return false;
    // Stops the loop thread first: no notice is posted after this.
    m_impl->connection.reset();
    m_impl->handle = 0;
    m_impl->notify = nullptr;
    return true;
}

bool CMixer::GetCurrentVolume(std::uint32_t& value) const
{
    if (!m_impl->handle)
        return false;
    MixerDevice device;
    if (!m_impl->connection->GetDevice(m_impl->line.isSource, m_impl->line.index, device) ||
        device.volume.channels == 0) {
        Log(QStringLiteral("GetCurrentVolume fallita"));
        return false;
    }
    value = device.volume.values[0];
    return true;
}

bool CMixer::SetVolume(std::uint32_t value)
{
    if (!m_impl->handle)
        return false;
    const unsigned channels = m_impl->line.volume.channels;
    if (channels > 10)
        Log(QString::asprintf("ATTENZIONE: m_xLine.cChannels = %d", static_cast<int>(channels)));
    pa_cvolume volume{};
    // Values above the server's own maximum are clamped to it.
    pa_cvolume_set(&volume, channels, static_cast<pa_volume_t>(value));
    if (!m_impl->connection->SetVolume(m_impl->line.isSource, m_impl->line.index, volume)) {
        Log(QStringLiteral("SetVolume fallita"));
        return false;
    }
    return true;
}

std::uint32_t CMixer::GetMaximum() const
{
    return m_impl->handle ? PA_VOLUME_NORM : 0;
}

std::uint32_t CMixer::GetMinimum() const
{
    return PA_VOLUME_MUTED;
}

std::uintptr_t CMixer::GetMixerHandle() const
{
    return m_impl->handle;
}

std::intptr_t CMixer::GetVolumeControlId() const
{
    if (!m_impl->handle)
        return 0;
    return static_cast<std::intptr_t>(ControlId(m_impl->line.isSource, m_impl->line.index, ControlKind::Volume));
}

bool CMixer::AbilitaDisabilitaSulMixer(bool enable)
{
    if (!m_impl->handle)
        return false;
    MixerDevice device;
    const bool read = m_impl->connection->GetDevice(m_impl->line.isSource, m_impl->line.index, device);
    Log(QString::asprintf("Abilitazione sul mixer della linea=%x", m_impl->line.index));
    if (!read)
        return false;
    bool ok = true;
    // The recording source is the server's default source; a sink only has its mute.
    if (enable && device.isSource) {
        ok = m_impl->connection->SetDefaultSource(device.name);
        if (ok && !device.activePort.isEmpty())
            ok = m_impl->connection->SetSourcePort(device.index, device.activePort);
    }
    if (ok)
        ok = SetBooleanControl(ControlId(device.isSource, device.index, ControlKind::Mute), enable ? 0 : 1);
    if (!ok)
        Log(QStringLiteral("Abilitazione/disabilitazione controllo fallita in AbilitaDisabilitaSulMixer"));
    return ok;
}

bool CMixer::TipoControlloMixerMux(std::uint32_t& type)
{
    if (!m_impl->recordingSelectKnown) {
        if (!m_impl->handle) {
            Log(QStringLiteral("Impossibile reperire la LineInfo di DST_WAVEIN dentro TipoControlloMixerMux"));
            return false;
        }
        // The server has one default source: a single choice among the sources.
        Log(QStringLiteral("Il controllo registrazione è MUX"));
        m_impl->recordingSelectKnown = true;
    }
    type = MIXERCONTROL_CONTROLTYPE_MUX;
    m_impl->lineIndex = -1;
    std::vector<MixerDevice> sources;
    if (m_impl->handle && m_impl->line.isSource && m_impl->connection->ListDevices(true, sources)) {
        std::int32_t position = 0;
        for (const MixerDevice& source : sources) {
            if (source.isMonitor)
                continue;
            if (source.index == m_impl->line.index) {
                m_impl->lineIndex = position;
                break;
            }
            ++position;
        }
    }
    if (m_impl->lineIndex < 0) {
        Log(QStringLiteral("Impossibile trovare l'indice del controllo dentro TipoControlloMixerMux"));
        return false;
    }
    return true;
}

bool CMixer::SetBooleanControl(std::uint32_t id, int value)
{
    if (!m_impl->handle)
        return false;
    Log(QString::asprintf("Abilitazione controllo id=%x, valore=%d", id, value));
    ControlRef ref;
    if (!DecodeControl(id, ref) || ref.kind != ControlKind::Mute)
        return false;
    return m_impl->connection->SetMute(ref.isSource, ref.index, value != 0);
}

void CMixer::SwitchOffMicSwitches()
{
    for (std::uint32_t id : m_impl->switches)
        SetBooleanControl(id, 0);
}

bool CMixer::GetBooleanValue(std::uint32_t id) const
{
    if (!m_impl->handle)
        return false;
    ControlRef ref;
    MixerDevice device;
    if (!DecodeControl(id, ref) || ref.kind != ControlKind::Mute) {
        Log(QString::asprintf("GetBooleanValue fallita, errore: %d", static_cast<int>(PA_ERR_INVALID)));
        return false;
    }
    if (!m_impl->connection->GetDevice(ref.isSource, ref.index, device)) {
        Log(QString::asprintf("GetBooleanValue fallita, errore: %d", m_impl->connection->LastError()));
        return false;
    }
    return device.mute;
}

QString CMixer::GetControlName(std::uint32_t id) const
{
    ControlRef ref;
    MixerDevice device;
    int error = PA_ERR_INVALID;
    if (m_impl->handle && DecodeControl(id, ref)) {
        if (m_impl->connection->GetDevice(ref.isSource, ref.index, device))
            return ControlName(ref.kind);
        error = m_impl->connection->LastError();
    } else if (!m_impl->handle) {
        error = PA_ERR_BADSTATE;
    }
    Log(QString::asprintf("Error #%d calling mixerGetLineControls()", error));
    return {};
}

namespace {

void LogControls(const MixerDevice& device, bool quiet)
{
    if (quiet)
        return;
    for (ControlKind kind : {ControlKind::Volume, ControlKind::Mute}) {
        const QByteArray name = ControlName(kind).toUtf8();
        Log(QString::asprintf("\t\t\tControllo %s, id= %x, Type=%x, MultipleItems=%x", name.constData(),
                              ControlId(device.isSource, device.index, kind), ControlType(kind), 0u));
    }
}

void LogSource(unsigned long position, const MixerDevice& source, bool quiet)
{
    if (quiet)
        return;
    const QByteArray name = source.description.toUtf8();
    const std::uint32_t type = source.isMonitor ? kComponentSourceUndefined : MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
    Log(QString::asprintf("\tSource #%lu = %s,  lineID=%x, CompType=%x, Controlli=%d", position, name.constData(),
                          source.index, type, kControlsPerLine));
    Log(QString::asprintf("\t\tTipo linea Sorgente %d, Attiva=%d, Disconnessa=%d, dwType=%x", 1,
                          source.running ? 1 : 0, source.portUnavailable ? 1 : 0, 0u));
    LogControls(source, quiet);
    Log(QStringLiteral(" "));
}

}  // namespace

void CMixer::DumpMixer(bool quiet)
{
    // Collected afresh each time: a second dump must not list a switch twice.
    m_impl->switches.clear();
    CMixerConnection connection;
    if (!connection.Connect()) {
        Log(QStringLiteral("ERROR: Can't open Mixer Device! "));
        return;
    }
    MixerServerDefaults defaults;
    std::vector<MixerDevice> sinks;
    std::vector<MixerDevice> sources;
    if (!connection.GetDefaults(defaults) || !connection.ListDevices(false, sinks) ||
        !connection.ListDevices(true, sources) || (sinks.empty() && sources.empty()))
        return;

    // Each sink is a destination; a monitor source belongs to its sink.
    for (std::size_t i = 0; i < sinks.size(); ++i) {
        const MixerDevice& sink = sinks[i];
        if (!quiet) {
            const QByteArray name = sink.description.toUtf8();
            Log(QString::asprintf("Destination #%lu = %s, Tipo=%x", static_cast<unsigned long>(i), name.constData(),
                                  MIXERLINE_COMPONENTTYPE_DST_SPEAKERS));
            LogControls(sink, quiet);
            Log(QStringLiteral(" "));
        }
        for (std::size_t s = 0; s < sources.size(); ++s)
            if (sources[s].monitorOf == sink.index)
                LogSource(static_cast<unsigned long>(s), sources[s], quiet);
    }
    // The inputs, among which the default source is the recording choice.
    bool anyInput = false;
    for (std::size_t s = 0; s < sources.size(); ++s) {
        if (sources[s].isMonitor && sources[s].monitorOf != PA_INVALID_INDEX &&
            std::any_of(sinks.begin(), sinks.end(), [&](const MixerDevice& k) { return k.index == sources[s].monitorOf; }))
            continue;
        anyInput = anyInput || !sources[s].isMonitor;
        LogSource(static_cast<unsigned long>(s), sources[s], quiet);
    }
    if (anyInput) {
        m_impl->recordingSelectKnown = true;
        if (!quiet)
            Log(QStringLiteral("Trovato Controllo MixerMux"));
    }
    if (const MixerDevice* microphone = PickMicrophone(sources, defaults.source))
        m_impl->switches.push_back(ControlId(true, microphone->index, ControlKind::Mute));
}

const std::vector<std::uint32_t>& CMixer::MicrophoneSwitches() const
{
    return m_impl->switches;
}

}  // namespace sonvelle
