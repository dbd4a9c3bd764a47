#pragma once
// Connects the recording control to the real main window, catalogue, players,
// worker threads and settings. The main window owns one and forwards its
// recording and playback commands, timers and messages to it.

#include "audio/SoundPlayer.h"
#include "audio/SoundPlayerPlayCommand.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingControlPorts.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace sonvelle {

class CMainDlg;
class CRecordSound;
class CWriteSoundFile;
class CWorkerThread;
class CSettingsStore;
class ISpeakerLine;
struct CAppSettings;

class CRecordingBridge : public IRecordingWindow,
                         public IRecordingCatalogue,
                         public IRecordingEngine,
                         public IRecordingSettings {
public:
    CRecordingBridge(CMainDlg& window, CAppSettings& settings, CSettingsStore& store);
    ~CRecordingBridge() override;

    CRecordingControl& Control() { return *m_control; }
    CSoundPlayer& RecordingsPlayer() { return m_registra; }
    // The mixer's speakers line once it exists; null until then.
    void SetSpeakerLine(ISpeakerLine* line) { m_speakers = line; }

    // The worker threads: created, started and given their folders and each other.
    void CreateWorkerThreads();
    void StartWorkerThreads(const QString& programFolder, const QString& workFolder);
    CWorkerThread* CaptureThread() const;
    CWriteSoundFile* Writer() const { return m_writer.get(); }
    CRecordSound* Capture() const { return m_capture.get(); }

    // End-to-end tests answer the save dialog with a script: (entry, folder, file) → confirmed.
    using SaveStep = std::function<bool(CRecordingEntry&, const QString&, const QString&)>;
    void SetSaveStepForTesting(SaveStep step) { m_saveStep = std::move(step); }

    // The window's commands, messages and timers; the window's copy of the state follows each.
    void Record();
    void Stop();
    void StopPlaying();
    void Pause();
    void AutoRecording();
    void VoiceDetected();
    void RecordingFileReady(const QString& path, bool discard);
    void ButtonRepeat(int controlId);
    void SeekPosition(int seconds);
    void InputLevel(int peak);
    int ThresholdChanged(int threshold);
    void Timer(int id);
    void OnPlay();
    void PlayRow(int row);
    // Start-up and close.
    void SetStateIdle();
    void EndAutoRecording();
    void EndManualRecording();
    void SyncWindowState();

    // IRecordingWindow.
    void EnableControl(int id, bool enable) override;
    void SetFocusTo(int id) override;
    bool HasFocus(int id) const override;
    void StartTimer(int id, int periodMs) override;
    void KillTimer(int id) override;
    void ShowAutoRecordingOn() override;
    void UpdateRecordButtons() override;
    void UpdateListDependentControls() override;
    int ListItemCount() const override;
    void ShowRecordingStarted() override;
    void ShowRecordingTime(std::int64_t seconds) override;
    void ShowPlayingTime(std::int64_t seconds) override;
    void ShowPlayingIdle() override;
    void ShowPaused() override;
    void EnablePositionBar(bool enable) override;
    void SetPositionBar(int seconds) override;
    int PositionBarRange() const override;
    void SetLevel(int peak) override;
    void SetLevelAtRest() override;
    void SetThresholdMark(int threshold) override;
    std::uint32_t SpeakerVolume() override;
    void SetSpeakerVolume(std::uint32_t volume) override;
    bool IsVolumeSliderEnabled() const override;
    void EnableVolumeSlider(bool enable) override;
    void SetVolumeSlider(std::uint32_t position) override;
    void InsertRowAtTop(CRecordingEntry& entry, bool select) override;
    void UpdateRow(CRecordingEntry& entry) override;
    void RemoveRowAndEntry(CRecordingEntry& entry) override;
    void ShowRowNotPlaying(CRecordingEntry& entry) override;
    CRecordingEntry* SelectedRecording() const override;
    void SaveTypedNameAndNotes() override;
    void ShowNameAndNotes(CRecordingEntry& entry) override;
    bool IsInTray() const override;
    void SetTrayIcon(int iconId, const QString& tip) override;
    bool ShowSaveDialog(CRecordingEntry& entry, const QString& file) override;
    void Play() override;
    void ReloadCatalogueAndList() override;

    // IRecordingCatalogue.
    CRecordingEntry* CreateRecording(const QString& operatorName) override;
    CRecordingEntry* FirstInState(int state) override;
    bool Contains(const CRecordingEntry* entry) const override;
    void SaveIndex() override;
    QString WorkFolder() const override;

    // IRecordingEngine.
    void Registra() override;
    void StopRecording() override;
    void EnableVoiceActivation() override;
    void DisableVoiceActivation() override;
    void SetCaptureSettings(int silenceSeconds, bool oneFile, int threshold) override;
    void SetCaptureThreshold(int threshold) override;
    void SetWriterOneFile(bool oneFile) override;
    void GiveWriterMainWindow() override;

    // IRecordingSettings.
    RecordingSettings Current() const override;
    void ReloadAutoRecordingValues() override;
    void SaveThreshold(int threshold) override;

private:
    class CPlayerPort;
    class CPlayCommandPort;
    QString ShownName(const CRecordingEntry& entry) const;

    CMainDlg& m_window;
    CAppSettings& m_settings;
    CSettingsStore& m_store;
    ISpeakerLine* m_speakers = nullptr;
    std::uint32_t m_volumeWithoutLine = 0;

    CSoundPlayer m_registra;
    CSoundPlayer m_warning;
    std::unique_ptr<CPlayerPort> m_registraPort;
    std::unique_ptr<CPlayerPort> m_warningPort;
    // The capture thread holds a pointer to the writer: it goes first.
    std::unique_ptr<CWriteSoundFile> m_writer;
    std::unique_ptr<CRecordSound> m_capture;
    std::unique_ptr<CRecordingControl> m_control;
    std::unique_ptr<CPlayCommandPort> m_playCommand;

    SaveStep m_saveStep;
    std::map<const CRecordingEntry*, QString> m_shownNames;  // a row is found by the name it shows
};

}  // namespace sonvelle
