#include "mainwnd/RecordingEngine.h"

#include "app/AppSettings.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "platform/Messages.h"

namespace sonvelle {

CRecordingEngine::CRecordingEngine(QObject& mainWindow, const CAppSettings& settings)
    : m_mainWindow(mainWindow), m_settings(settings)
{
}

CRecordingEngine::~CRecordingEngine()
{
    m_recordings.Stop();
    m_warning.Stop();
    // Threads still running at this point were never closed by the close sequence.
    if (m_capture && m_capture->IsStillActive()) {
        m_capture->PostThreadMessage(WM_REC_CLOSE);
        m_capture->wait(10000);
    }
    if (m_writer && m_writer->IsStillActive()) {
        m_writer->PostThreadMessage(WM_WRITER_QUIT);
        m_writer->wait(10000);
    }
}

void CRecordingEngine::CreateWorkerThreads()
{
    m_capture = std::make_unique<CRecordSound>(32000);
    m_writer = std::make_unique<CWriteSoundFile>(32000);
    m_capture->mainWindow = &m_mainWindow;
}

void CRecordingEngine::StartWorkerThreads(const QString& programFolder, const QString& workFolder)
{
    if (!m_capture)
        CreateWorkerThreads();
    m_capture->SetAntiBumpEnabled(m_settings.AntiBump);
    m_capture->Start();
    m_writer->Start();
    m_writer->SetFolders(programFolder, workFolder);
    m_writer->mainWindow = &m_mainWindow;
    m_capture->PostThreadMessage(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(m_writer.get()));
}

CWorkerThread* CRecordingEngine::CaptureThread() const
{
    return m_capture.get();
}

void CRecordingEngine::Registra()
{
    m_recordings.Registra(m_capture.get());
}

void CRecordingEngine::StopRecording()
{
    m_recordings.StopRecording(m_capture.get(), m_writer.get());
}

void CRecordingEngine::EnableVoiceActivation()
{
    m_recordings.EnableVoiceActivation(m_capture.get());
}

void CRecordingEngine::DisableVoiceActivation()
{
    m_recordings.DisableVoiceActivation(m_capture.get());
}

void CRecordingEngine::SetCaptureSettings(int silenceSeconds, bool /*oneFile*/, int threshold)
{
    if (!m_capture)
        return;
    m_capture->SetSilenceSeconds(silenceSeconds);
    m_capture->SetActivationThreshold(threshold);
    m_capture->SetAntiBumpEnabled(m_settings.AntiBump);
}

void CRecordingEngine::SetCaptureThreshold(int threshold)
{
    if (m_capture)
        m_capture->SetActivationThreshold(threshold);
}

void CRecordingEngine::SetWriterOneFile(bool oneFile)
{
    if (m_writer)
        m_writer->singleFile = oneFile ? 1 : 0;
}

void CRecordingEngine::GiveWriterMainWindow()
{
    if (m_writer)
        m_writer->mainWindow = &m_mainWindow;
}

}  // namespace sonvelle
