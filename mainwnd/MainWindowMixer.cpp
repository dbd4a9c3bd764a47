#include "mainwnd/MainWindowMixer.h"

#include "app/AppSettings.h"
#include "platform/Log.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

#include <algorithm>

namespace sonvelle {

ISpeakerLine* CMainWindowMixer::OpenSpeakers(bool firstStart)
{
    std::uint32_t volume = 0;
    if (m_speakers.OpenLine(m_notify, false, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS) &&
        m_speakers.GetCurrentVolume(volume)) {
        m_oldSpeakerVolume = volume;
        return &m_speakerLine;
    }
    m_speakers.CloseMixer();
    if (firstStart) {
        const QString error = QStringLiteral("ErroreAudioSpeaker");
        MessageBox(LoadText(IDS_VOLUME_CONTROL_ERROR) + error, PromptIcon::Stop);
        WriteLog(error);
    }
    return nullptr;
}

void CMainWindowMixer::SetupMicrophoneOutput()
{
    std::uint32_t volume = 0;
    if (!m_microphoneOut.OpenLine(m_notify, false, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE) ||
        !m_microphoneOut.GetCurrentVolume(volume)) {
        m_microphoneOut.CloseMixer();
        WriteLog(QStringLiteral("ErroreAudioMicrofonoOut"));
        return;
    }
    // Remembered for the close only. This line is the capture source itself
    // here, so it is not turned down: should the recording volume then fail
    // to be set, every recording of the run would be silent.
    m_oldMicrophoneVolume = volume;
}

void CMainWindowMixer::SetupMicrophoneInput(const CAppSettings& settings, bool firstStart)
{
    QString error;
    std::uint32_t volume = 0;
    if (!m_microphoneIn.OpenLine(m_notify, true, MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE))
        error = QStringLiteral("ErroreOpenMicrofonoIn");
    else if (settings.SelectMicrophone && !m_microphoneIn.AbilitaDisabilitaSulMixer(true))
        error = QStringLiteral("ErroreAbilitaMicrofonoIn");
    else if (!m_microphoneIn.GetCurrentVolume(volume))
        error = QStringLiteral("ErroreGetVolunmeMicrofonoIn");
    if (error.isEmpty()) {
        const std::uint32_t maximum = m_microphoneIn.GetMaximum();
        // A stored value out of the line's range (negative, or far above it)
        // would ask the server for an amplification nobody chose.
        const std::uint32_t wanted = settings.VolumeRegistrazioneStored
                                         ? static_cast<std::uint32_t>(std::clamp<std::int64_t>(
                                               settings.VolumeRegistrazione, m_microphoneIn.GetMinimum(), maximum))
                                         : maximum / 2;
        m_microphoneIn.SetVolume(wanted);
        if (firstStart)
            m_microphoneIn.SwitchOffMicSwitches();
    }
    m_microphoneIn.CloseMixer();
    if (!error.isEmpty() && firstStart) {
        MessageBox(LoadText(IDS_VOLUME_CONTROL_ERROR), PromptIcon::Stop);
        WriteLog(QStringLiteral("Errore nella selezione del microfono di ingresso"));
        WriteLog(error);
    }
}

void CMainWindowMixer::RestoreVolumes()
{
    if (m_oldSpeakerVolume)
        m_speakers.SetVolume(*m_oldSpeakerVolume);
    m_speakers.CloseMixer();
    if (m_oldMicrophoneVolume)
        m_microphoneOut.SetVolume(*m_oldMicrophoneVolume);
    m_microphoneOut.CloseMixer();
    m_oldSpeakerVolume.reset();
    m_oldMicrophoneVolume.reset();
}

}  // namespace sonvelle
