#pragma once
// A main window stand-in that records, in order, every call the sequences make.

#include "app/AppSettings.h"
#include "app/MainWindowHost.h"
#include "platform/WorkerThread.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace sonvelle {

class CRecordingHost : public IMainWindowHost {
public:
    QStringList calls;
    QStringList startedWith;  // the folders the worker threads were given
    RecorderState recordingState = RecorderState::Idle;
    std::unique_ptr<CWorkerThread> capture;  // handed out by CaptureThread()

    bool Called(const QString& call) const { return calls.contains(call); }
    int IndexOf(const QString& call) const { return static_cast<int>(calls.indexOf(call)); }

    void BeginWaitCursor() override { calls << "BeginWaitCursor"; }
    void EndWaitCursor() override { calls << "EndWaitCursor"; }
    bool HasLargeFonts() const override { return false; }
    void SetupControls() override { calls << "SetupControls"; }
    void SetWindowIcons() override { calls << "SetWindowIcons"; }
    void EnableControl(int id, bool on) override
    {
        calls << QString("EnableControl %1 %2").arg(id).arg(on ? "on" : "off");
    }
    void SetCaption(const QString& caption) override { calls << "SetCaption " + caption; }
    void PostCloseToSelf() override { calls << "PostCloseToSelf"; }
    void StartOneShotTimer(int id, int ms) override { calls << QString("StartOneShotTimer %1 %2").arg(id).arg(ms); }
    void CreateWorkerThreads() override { calls << "CreateWorkerThreads"; }
    void StartWorkerThreads(const QString& programFolder, const QString& workFolder) override
    {
        calls << "StartWorkerThreads";
        startedWith = {programFolder, workFolder};
    }
    CWorkerThread* CaptureThread() const override { return capture.get(); }
    RecorderState RecordingState() const override { return recordingState; }
    void SetRecordingStateIdle() override { calls << "SetRecordingStateIdle"; }
    void SwitchAutoRecordingOn() override { calls << "SwitchAutoRecordingOn"; }
    void SwitchAutoRecordingOff() override { calls << "SwitchAutoRecordingOff"; }
    void StopManualRecording() override { calls << "StopManualRecording"; }
    void HideToTray() override { calls << "HideToTray"; }
    void RemoveTrayIcon() override { calls << "RemoveTrayIcon"; }
    void LogMixerLines() override { calls << "LogMixerLines"; }
    void SetupMixer(const CAppSettings&, bool first) override { calls << "SetupMixer first=" + QString::number(first); }
    void RestoreVolumes() override { calls << "RestoreVolumes"; }
    void LoadCatalogueAndFillList(const CAppSettings& s) override { calls << "LoadCatalogueAndFillList " + s.WorkDir; }
    void SaveCatalogueIndex() override { calls << "SaveCatalogueIndex"; }
    void ClearPlayState() override { calls << "ClearPlayState"; }
    void DeleteFindDialog() override { calls << "DeleteFindDialog"; }
    void ImportAfterRealignment(const QString& folder) override { calls << "ImportAfterRealignment " + folder; }
};

}  // namespace sonvelle
