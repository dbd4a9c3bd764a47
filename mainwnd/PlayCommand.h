#pragma once
// The main window's Play command (button 1022, a double click on a row, the
// Enter key): which states start a playback, what is refused, and what the
// window is told to do. The window itself stays behind IPlayCommandWindow.

#include "platform/RecorderState.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace sonvelle {

class CSoundPlayer;

// The selected recording as the Play command needs it.
struct CPlayableRecording {
    QString folder;         // ends with "/"
    QString name;           // without ".mp3"
    int entryState = 0;     // 2 and 3 are in use
    bool isProtected = false;
    int durationSeconds = 0;  // stored duration
};

class IPlayCommandWindow {
public:
    virtual ~IPlayCommandWindow() = default;

    virtual RecorderState RecordingState() const = 0;
    virtual void SetRecordingState(RecorderState state) = 0;
    // 0 when not paused.
    virtual std::uint32_t PausedPosition() const = 0;
    virtual void ClearPausedPosition() = 0;
    // The stop-playing handler: stops the player and resets the window's play state.
    virtual void StopPlaying() = 0;

    // The selected row's recording; none when the list is empty or nothing is selected.
    virtual std::optional<CPlayableRecording> SelectedRecording() const = 0;
    // The recording being played, kept while paused.
    virtual std::optional<CPlayableRecording> PlayingRecording() const = 0;
    virtual void SetPlayingRecording(const CPlayableRecording& recording) = 0;
    virtual bool IndexInUse() const = 0;
    virtual void UpdateIndexEntry(const CPlayableRecording& recording) = 0;

    // Asks for the key word and makes the deciphered working copy (".snx").
    // Until that dialog exists, a protected recording is refused, never played enciphered.
    virtual bool UnlockProtectedRecording(const CPlayableRecording& /*recording*/) { return false; }

    virtual void SetPositionBarRange(int seconds) = 0;
    // Stop, pause, rewind and forward.
    virtual void EnablePlayingControls() = 0;
    // Timer 1022, 450 ms.
    virtual void RestartPlayTimer() = 0;

    virtual bool PlayAlternativo() const = 0;
};

// The file that plays for a recording: its deciphered copy when protected.
QString PlayablePath(const CPlayableRecording& recording);

// Runs the Play command. True when a playback started or resumed.
bool RunPlayCommand(IPlayCommandWindow& window, CSoundPlayer& player);

}  // namespace sonvelle
