#pragma once
// The main window's three mixer lines: the speakers (the volume slider and the
// warning sound), the microphone output and the microphone under recording.
// Start-up selects the microphone and sets the volumes; whatever the user's
// volumes were at start is put back once, at the close or, should the window
// go without closing, when this object ends.

#include "audio/Mixer.h"
#include "mainwnd/MixerSpeakerLine.h"

#include <QString>

#include <cstdint>
#include <optional>

class QObject;

namespace sonvelle {

struct CAppSettings;

class CMainWindowMixer {
public:
    explicit CMainWindowMixer(QObject* notifyWindow) : m_notify(notifyWindow) {}
    ~CMainWindowMixer() { RestoreVolumes(); }
    CMainWindowMixer(const CMainWindowMixer&) = delete;
    CMainWindowMixer& operator=(const CMainWindowMixer&) = delete;

    // The server's sinks and sources into the log; also collects the microphone switches.
    void LogLines() { m_microphoneIn.DumpMixer(false); }

    // Opens the speakers line and returns it for the slider, or null.
    ISpeakerLine* OpenSpeakers(bool firstStart);
    void SetupMicrophoneOutput();
    void SetupMicrophoneInput(const CAppSettings& settings, bool firstStart);

    // Puts back the volumes found at start and closes those lines; later calls do nothing.
    void RestoreVolumes();

private:
    QObject* m_notify;
    CMixer m_speakers;
    CMixer m_microphoneOut;
    CMixer m_microphoneIn;
    CMixerSpeakerLine m_speakerLine{m_speakers};
    std::optional<std::uint32_t> m_oldSpeakerVolume;
    std::optional<std::uint32_t> m_oldMicrophoneVolume;
};

}  // namespace sonvelle
