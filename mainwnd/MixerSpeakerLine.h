#pragma once
// The volume slider's speakers line on the mixer's speakers instance.

#include "audio/Mixer.h"
#include "mainwnd/SpeakerLine.h"

namespace sonvelle {

class CMixerSpeakerLine : public ISpeakerLine {
public:
    explicit CMixerSpeakerLine(CMixer& mixer) : m_mixer(mixer) {}
    std::uint32_t Minimum() const override { return m_mixer.GetMinimum(); }
    std::uint32_t Maximum() const override { return m_mixer.GetMaximum(); }
    bool GetVolume(std::uint32_t& volume) const override { return m_mixer.GetCurrentVolume(volume); }
    bool SetVolume(std::uint32_t volume) override { return m_mixer.SetVolume(volume); }
    bool IsOwnVolumeControl(std::uintptr_t mixer, std::intptr_t controlId) const override
    {
        return mixer != 0 && mixer == m_mixer.GetMixerHandle() && controlId == m_mixer.GetVolumeControlId();
    }

private:
    CMixer& m_mixer;
};

}  // namespace sonvelle
