#pragma once
// The main window as the start-up and close sequences see it: its controls,
// the worker threads, the recording control and the call log.

#include "app/MainWindowHost.h"
#include "mainwnd/MainWindowMixer.h"

namespace sonvelle {

class CMainDlg;
class CRecordingControl;
class CRecordingEngine;
class CStartupSequence;

class CMainWindowStartupHost : public IMainWindowHost {
public:
    CMainWindowStartupHost(CMainDlg& window, CRecordingEngine& engine, CRecordingControl& control);
    // A window that goes without its close still puts the user's volumes back.
    ~CMainWindowStartupHost() override;
    // The sequence that answers whether a sound card was found; set once it exists.
    void SetSequence(const CStartupSequence* sequence) { m_sequence = sequence; }

    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    bool HasLargeFonts() const override;
    void SetupControls() override;
    void SetWindowIcons() override;
    void EnableControl(int id, bool enable) override;
    void SetCaption(const QString& caption) override;
    void PostCloseToSelf() override;
    void StartOneShotTimer(int id, int ms) override;
    void CreateWorkerThreads() override;
    void StartWorkerThreads(const QString& programFolder, const QString& workFolder) override;
    CWorkerThread* CaptureThread() const override;
    RecorderState RecordingState() const override;
    void SetRecordingStateIdle() override;
    void SwitchAutoRecordingOn() override;
    void SwitchAutoRecordingOff() override;
    void StopManualRecording() override;
    void LoadCatalogueAndFillList(const CAppSettings& settings) override;
    void SaveCatalogueIndex() override;
    void ClearPlayState() override;
    void DeleteFindDialog() override;
    void ImportAfterRealignment(const QString& fallbackFolder) override;

    void HideToTray() override;
    void RemoveTrayIcon() override;

    void LogMixerLines() override;
    void SetupMixer(const CAppSettings& settings, bool firstStart) override;
    void RestoreVolumes() override;

private:
    CMainDlg& m_window;
    CRecordingEngine& m_engine;
    CRecordingControl& m_control;
    const CStartupSequence* m_sequence = nullptr;
    int m_waitCursorDepth = 0;
    CMainWindowMixer m_mixer;
};

}  // namespace sonvelle
