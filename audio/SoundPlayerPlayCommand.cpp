#include "audio/SoundPlayerPlayCommand.h"

#include "audio/SoundPlayer.h"
#include "platform/Log.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"

namespace sonvelle {
namespace {

constexpr int kIdle = 0;
constexpr int kListening = 4;
constexpr int kPlaying = 1;
constexpr int kListeningWhilePlaying = 6;

bool IsPlayingState(int state)
{
    return state == 1 || state == 3 || state == 6 || state == 7;
}

bool IsInUse(const CPlayableRecording& recording)
{
    return recording.entryState == 2 || recording.entryState == 3;
}

}  // namespace

QString PlayablePath(const CPlayableRecording& recording)
{
    return recording.folder + recording.name + (recording.isProtected ? QStringLiteral(".snx") : QStringLiteral(".mp3"));
}

bool RunPlayCommand(IPlayCommandWindow& window, CSoundPlayer& player)
{
    int state = window.RecordingState();
    if (IsPlayingState(state)) {
        window.StopPlaying();
        state = window.RecordingState();
        // A stop that left the window playing would loop here.
        if (IsPlayingState(state))
            return false;
    }
    if (state != kIdle && state != kListening)
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
    window.SetRecordingState(state == kIdle ? kPlaying : kListeningWhilePlaying);

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
        MessageBox(LoadText(92), PromptIcon::Stop);
    }
    return started;
}

}  // namespace sonvelle
