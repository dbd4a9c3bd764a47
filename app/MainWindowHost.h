#pragma once
// What the start-up and close sequences need from the main window. The main
// window implements it; the sequences (StartupSequence.h) run the steps in
// their binding order and call back here for everything that is the window's.
// Hooks of subsystems that are not built yet do nothing and fake no result.

#include "platform/RecorderState.h"

#include <QString>

#include <vector>

namespace sonvelle {

class CWorkerThread;
struct CAppSettings;

class IMainWindowHost {
public:
    virtual ~IMainWindowHost() = default;

    // Window basics.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    virtual bool HasLargeFonts() const = 0;           // dialog base units' high word > 16
    virtual void SetupControls() = 0;                  // bitmaps, captions, columns, menus, fonts
    virtual void SetWindowIcons() = 0;                 // icon 128, system menu items 5 and 6 greyed
    virtual void EnableControl(int id, bool enable) = 0;
    virtual void SetCaption(const QString& caption) = 0;
    virtual void PostCloseToSelf() = 0;                // WM_CLOSE posted to the window
    virtual void StartOneShotTimer(int id, int ms) = 0;

    // Worker threads (created, started and handed their settings by the window).
    virtual void CreateWorkerThreads() = 0;
    virtual void StartWorkerThreads(const QString& programFolder, const QString& workFolder) = 0;
    virtual CWorkerThread* CaptureThread() const = 0;

    // Recording state and the operations the sequences trigger.
    virtual RecorderState RecordingState() const = 0;
    virtual void SetRecordingStateIdle() = 0;          // idle, and the record buttons updated
    virtual void SwitchAutoRecordingOn() = 0;
    virtual void SwitchAutoRecordingOff() = 0;
    virtual void StopManualRecording() = 0;            // shows the save dialog
    virtual void HideToTray() = 0;
    virtual void RemoveTrayIcon() = 0;

    // Mixer lines.
    virtual void LogMixerLines() = 0;
    virtual void SetupMixer(const CAppSettings& settings, bool firstStart) = 0;
    virtual void RestoreVolumes() = 0;                 // speakers, then microphone monitor

    // Catalogue and list.
    virtual void LoadCatalogueAndFillList(const CAppSettings& settings) = 0;
    virtual void SaveCatalogueIndex() = 0;
    virtual void ClearPlayState() = 0;                 // paused position, entry played, selection
    virtual void DeleteFindDialog() = 0;

    // After the notice that the earlier work folder is back: the import of
    // recordings, its file selection starting in the fallback folder. The
    // import clears the realign-pending flag. Does nothing until import exists.
    virtual void ImportAfterRealignment(const QString& /*fallbackFolder*/) {}
};

}  // namespace sonvelle
