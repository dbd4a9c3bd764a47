#include "mainwnd/PlayCommand.h"

#include "audio/SoundPlayer.h"
#include "platform/Log.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"

namespace sonvelle {
namespace {

bool IsInUse(const CPlayableRecording& recording)
{
    return recording.entryState == kStateRecording || recording.entryState == kStateOneFileAuto;
}

}  // namespace

QString PlayablePath(const CPlayableRecording& recording)
{
    return recording.folder + recording.name + (recording.isProtected ? QStringLiteral(".snx") : QStringLiteral(".mp3"));
}

bool RunPlayCommand(IPlayCommandWindow& window, CSoundPlayer& player)
{
    RecorderState state = window.RecordingState();
    if (IsPlaying(state)) {
        window.StopPlaying();
        state = window.RecordingState();
        // A stop that left the window playing would loop here.
        if (IsPlaying(state))
            return false;
    }
    if (state != RecorderState::Idle && state != RecorderState::Listening)
        return false;

    const std::uint32_t paused = window.PausedPosition();
    std::optional<CPlayableRecording> recording;
    if (paused == 0) {
        recording = window.SelectedRecording();
        if (!recording || IsInUse(*recording))
            return false;
        WriteLog(QStringLiteral("Comando Play del file"));
        window.SetPlayingRecording(*recording);
        if (window.IndexInUse()) {
            WriteLog(QStringLiteral("Aggiornamento elemento lista-indice"));
            window.UpdateIndexEntry(*recording);
        }
        if (recording->isProtected) {
            WriteLog(QStringLiteral("Registrazione protetta"));
            if (!window.UnlockProtectedRecording(*recording))
                return false;
        }
        window.SetPositionBarRange(recording->durationSeconds);
    } else {
        recording = window.PlayingRecording();
        if (!recording)
            return false;
    }

    window.EnablePlayingControls();
    WriteLog(QStringLiteral("Impostazione timer play"));
    window.RestartPlayTimer();
    window.SetRecordingState(state == RecorderState::Idle ? RecorderState::Playing : RecorderState::ListeningWhilePlaying);

    bool started = false;
    if (paused > 0) {
        started = player.Seek(paused);
        window.ClearPausedPosition();
    } else {
        WriteLog(QStringLiteral("Comando play"));
        started = player.Play(PlayablePath(*recording), nullptr, window.PlayAlternativo());
    }
    if (!started) {
        WriteLog(QStringLiteral("Errore durante il comando play"));
        window.StopPlaying();
        MessageBox(LoadText(IDS_RECORDING_FILE_MISSING), PromptIcon::Stop);
    }
    return started;
}

}  // namespace sonvelle
