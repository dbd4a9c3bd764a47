#pragma once
// The capture and writer threads and the two players (recordings, warning
// sound): owned here, commanded by the recording control. Finished files and
// voice notices go to the main window, which these threads post to.

#include "audio/SoundPlayer.h"
#include "mainwnd/RecordingControlPorts.h"
#include "mainwnd/SoundPlayerPort.h"

#include <memory>

class QObject;

namespace sonvelle {

class CRecordSound;
class CWorkerThread;
class CWriteSoundFile;
struct CAppSettings;

class CRecordingEngine : public IRecordingEngine {
public:
    CRecordingEngine(QObject& mainWindow, const CAppSettings& settings);
    ~CRecordingEngine() override;

    void CreateWorkerThreads();
    void StartWorkerThreads(const QString& programFolder, const QString& workFolder);
    CWorkerThread* CaptureThread() const;
    CRecordSound* Capture() const { return m_capture.get(); }
    CWriteSoundFile* Writer() const { return m_writer.get(); }

    CSoundPlayer& RecordingsPlayer() { return m_recordings; }
    IRecordingPlayer& RecordingsPort() { return m_recordingsPort; }
    IRecordingPlayer& WarningPort() { return m_warningPort; }

    void Registra() override;
    void StopRecording() override;
    void EnableVoiceActivation() override;
    void DisableVoiceActivation() override;
    void SetCaptureSettings(int silenceSeconds, bool oneFile, int threshold) override;
    void SetCaptureThreshold(int threshold) override;
    void SetWriterOneFile(bool oneFile) override;
    void GiveWriterMainWindow() override;

private:
    QObject& m_mainWindow;
    const CAppSettings& m_settings;
    CSoundPlayer m_recordings;  // `moRegistra`
    CSoundPlayer m_warning;
    CSoundPlayerPort m_recordingsPort{m_recordings};
    CSoundPlayerPort m_warningPort{m_warning};
    // The capture thread holds a pointer to the writer: it goes first.
    std::unique_ptr<CWriteSoundFile> m_writer;
    std::unique_ptr<CRecordSound> m_capture;
};

}  // namespace sonvelle
