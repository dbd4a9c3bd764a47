#pragma once
// The Play command's view of the main window: the state and the paused
// position are the recording control's, the recordings the call log's.

#include "mainwnd/PlayCommand.h"

#include <functional>

namespace sonvelle {

class CCallLog;
class CRecordingControl;
class CRecordingWindowAdapter;
struct CAppSettings;

class CPlayCommandWindow : public IPlayCommandWindow {
public:
    CPlayCommandWindow(CRecordingControl& control, CRecordingWindowAdapter& window, CCallLog& callLog,
                       const CAppSettings& settings)
        : m_control(control), m_window(window), m_callLog(callLog), m_settings(settings)
    {
    }

    RecorderState RecordingState() const override;
    void SetRecordingState(RecorderState state) override;
    std::uint32_t PausedPosition() const override;
    void ClearPausedPosition() override;
    void StopPlaying() override;
    std::optional<CPlayableRecording> SelectedRecording() const override;
    std::optional<CPlayableRecording> PlayingRecording() const override;
    void SetPlayingRecording(const CPlayableRecording& recording) override;
    bool IndexInUse() const override;
    void UpdateIndexEntry(const CPlayableRecording& recording) override;
    void SetPositionBarRange(int seconds) override;
    void EnablePlayingControls() override;
    void RestartPlayTimer() override;
    bool PlayAlternativo() const override;
    bool UnlockProtectedRecording(const CPlayableRecording& recording) override;

    // Asks for the selected recording's key word and makes its working copy.
    void SetUnlock(std::function<bool()> unlock) { m_unlock = std::move(unlock); }

private:
    CRecordingControl& m_control;
    CRecordingWindowAdapter& m_window;
    CCallLog& m_callLog;
    const CAppSettings& m_settings;
    std::function<bool()> m_unlock;
};

}  // namespace sonvelle
