#pragma once
// The main window's control of recording and of the transport: the recording
// state (0..7), Record, Stop, Pause, stop-playing, the wind buttons and seek,
// auto-recording on and off, voice detection, finished recording files, the
// elapsed-time and warning-sound timers, the level meter and its threshold.
// All on the window's thread; the window forwards its commands, timers and
// messages here. Durations are taken on the millisecond tick clock
// (timeGetSystemTime), which tests replace.

#include "mainwnd/RecordingControlPorts.h"
#include "platform/FileOps.h"
#include "store/RecordingFileStore.h"
#include "platform/RecorderState.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <unordered_map>

namespace sonvelle {

// Where a Stop comes from: the Stop button (and the tray's Stop) only ends a
// play while one runs or is paused; the auto-recording button ends auto-recording.
enum class StopOrigin { StopCommand, AutoRecordingCommand };

class CRecordingControl {
public:
    CRecordingControl(IRecordingWindow& window, IRecordingCatalogue& catalogue, IRecordingPlayer& player,
                      IRecordingPlayer& warningPlayer, IRecordingEngine& engine, IRecordingSettings& settings);

    // Tests make the waits (600 ms after auto-recording on, 500 ms between
    // store attempts) instant.
    void SetSleepForTesting(std::function<void(int ms)> sleep) { m_sleep = std::move(sleep); }

    RecorderState State() const { return m_state; }
    // Used by the Play command (idle → playing, listening → listening while playing).
    void SetState(RecorderState state) { m_state = state; }
    void SetStateIdle();

    // Commands and messages.
    void OnRecord();
    void OnStop(StopOrigin origin = StopOrigin::StopCommand);
    void OnStopPlaying();
    void OnPause();
    void OnAutoRecording();
    void OnVoiceDetected();
    void OnRecordingFileReady(const QString& path, bool discard);
    void OnButtonRepeat(int controlId);
    void OnSeekPosition(int seconds);
    void OnInputLevel(int peak);
    int OnThresholdChanged(int threshold);
    void OnTimer(int id);

    // At close: whatever runs is ended and saved, also while a play runs.
    void EndAutoRecording();
    void EndManualRecording();

    // What the Play command shares with this state machine.
    bool IsPlayingOrPaused() const;
    std::uint32_t PausedPosition() const { return m_pausedPositionMs; }
    void ClearPausedPosition() { m_pausedPositionMs = 0; }
    CRecordingEntry* PlayingRecording() const { return m_playing; }
    void SetPlayingRecording(CRecordingEntry* entry, int durationSeconds);

    CRecordingEntry* CurrentRecording() const { return m_current; }
    bool IsSaveDialogOpen() const { return m_saveDialogOpen; }
    void SetSaveDialogOpenForTesting(bool open) { m_saveDialogOpen = open; }
    std::size_t PendingCount() const { return m_pending.size(); }

    // An entry leaves the catalogue elsewhere: no reference to it is kept.
    void Forget(const CRecordingEntry* entry);
    // The catalogue is about to drop every entry: a play of one ends, no reference is kept.
    void OnCatalogueCleared();

private:
    void StartRecordingDisplayAndTimers(CRecordingEntry& entry);
    void StartWarningTimer(const RecordingSettings& settings);
    void StopWarning();
    void EnablePlayIfListHasItems();
    void RemoveRecording(CRecordingEntry& entry);
    void ForgetAllEntries();
    bool RecordingInProgress() const;
    QString LocateSingleFile(const CRecordingEntry& entry);

    std::int64_t MsSinceStart(const CRecordingEntry& entry) const;
    void SetDurationMs(CRecordingEntry& entry, std::int64_t ms);
    void SetSizeFromFile(CRecordingEntry& entry, const QString& path);

    void StoreFinishedFile(CRecordingEntry& entry, const QString& path);
    void StoreArrivedWithoutRecording(const QString& path);
    QString TakeSegmentFile(const QString& path);
    void AddSegmentToSingleFile(CRecordingEntry& entry, const QString& segmentPath);
    QString SingleFileForSaveDialog();
    void DeleteHandedOverFile(const QString& path);
    QString WriterTemporaryPath() const;

    IRecordingWindow& m_window;
    IRecordingCatalogue& m_catalogue;
    IRecordingPlayer& m_player;
    IRecordingPlayer& m_warningPlayer;
    IRecordingEngine& m_engine;
    IRecordingSettings& m_settings;

    RecorderState m_state = RecorderState::Idle;
    CRecordingEntry* m_current = nullptr;
    std::deque<CRecordingEntry*> m_pending;  // newest first
    std::uint32_t m_segmentStartTick = 0;
    std::uint32_t m_recordingStartTick = 0;
    std::unordered_map<const CRecordingEntry*, std::uint32_t> m_startTicks;
    int m_openSegments = 0;  // voice detected, file not arrived yet
    bool m_saveDialogOpen = false;
    std::uint32_t m_savedSpeakerVolume = 0;
    std::uint32_t m_pausedPositionMs = 0;
    CRecordingEntry* m_playing = nullptr;
    int m_playingDurationSeconds = 0;

    // One-file mode: the single automatic recording, where its audio lies and how long it is.
    CRecordingEntry* m_singleFileEntry = nullptr;
    QString m_singleFilePath;  // empty until its first segment is in
    FileIdentity m_singleFileId;
    std::int64_t m_singleFileMs = 0;

    std::function<void(int)> m_sleep;
};

}  // namespace sonvelle
