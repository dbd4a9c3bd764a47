#pragma once
// One line of the sound server's mixer: the speakers (the default sink), the
// microphone (the default input source that is not a monitor) or the
// microphone under the recording destination. Volumes are in the server's
// units; GetMinimum/GetMaximum give the range a slider uses. A line the
// server does not have is "not found": OpenLine fails and says so in SN.log.
//
// Main thread only. Change notices of the server's subscription reach the
// notify window as MM_MIXM_CONTROL_CHANGE (wParam = GetMixerHandle(),
// lParam = the id of the control that changed). No call waits on the server
// for longer than a short bounded time.

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QObject;

namespace sonvelle {

constexpr unsigned MM_MIXM_CONTROL_CHANGE = 0x3D1;

// Component types of the lines the program opens.
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 4;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_DST_WAVEIN = 7;
constexpr std::uint32_t MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE = 0x1003;

// Control types.
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_BOOLEAN = 0x20010000;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_ONOFF = 0x20010001;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MUTE = 0x20010002;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_LOUDNESS = 0x20010004;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MIXER = 0x71010001;
constexpr std::uint32_t MIXERCONTROL_CONTROLTYPE_MUX = 0x70010001;

class CMixer {
public:
    CMixer();
    virtual ~CMixer();
    CMixer(const CMixer&) = delete;
    CMixer& operator=(const CMixer&) = delete;

    bool OpenLine(QObject* notifyWindow, bool microphoneUnderRecording, std::uint32_t componentType);
    bool CloseMixer();

    bool GetCurrentVolume(std::uint32_t& value) const;
    bool SetVolume(std::uint32_t value);
    std::uint32_t GetMaximum() const;  // 0 on failure
    std::uint32_t GetMinimum() const;  // 0 on failure
    std::uintptr_t GetMixerHandle() const;  // 0 when closed
    std::intptr_t GetVolumeControlId() const;

    // Makes the line the recording source (the default source, and its port),
    // or stops it being one.
    bool AbilitaDisabilitaSulMixer(bool enable);
    bool TipoControlloMixerMux(std::uint32_t& type);

    bool SetBooleanControl(std::uint32_t id, int value);
    void SwitchOffMicSwitches();
    bool GetBooleanValue(std::uint32_t id) const;
    QString GetControlName(std::uint32_t id) const;

    // Writes the description of the server's sinks, sources and their controls
    // to SN.log (nothing when quiet) and collects the microphone switches.
    void DumpMixer(bool quiet);
    // The microphone switches collected by DumpMixer, in collection order.
    const std::vector<std::uint32_t>& MicrophoneSwitches() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sonvelle
