#include "mainwnd/MainWindowStartupHost.h"

#include "app/AppSettings.h"
#include "app/StartupSequence.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainWindowTray.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "platform/Message.h"
#include "resources/art/Art.h"

#include <QApplication>

namespace sonvelle {

CMainWindowStartupHost::CMainWindowStartupHost(CMainDlg& window, CRecordingEngine& engine,
                                               CRecordingControl& control)
    : m_window(window), m_engine(engine), m_control(control), m_mixer(&window)
{
}

CMainWindowStartupHost::~CMainWindowStartupHost()
{
    // The slider must not keep the line the mixer is about to close.
    m_window.SetSpeakerLine(nullptr);
}

void CMainWindowStartupHost::LogMixerLines()
{
    m_mixer.LogLines();
}

void CMainWindowStartupHost::SetupMixer(const CAppSettings& settings, bool firstStart)
{
    if (ISpeakerLine* speakers = m_mixer.OpenSpeakers(firstStart))
        m_window.SetSpeakerLine(speakers);
    m_mixer.SetupMicrophoneOutput();
    m_mixer.SetupMicrophoneInput(settings, firstStart);
}

void CMainWindowStartupHost::RestoreVolumes()
{
    m_window.SetSpeakerLine(nullptr);
    m_mixer.RestoreVolumes();
}

void CMainWindowStartupHost::BeginWaitCursor()
{
    ++m_waitCursorDepth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CMainWindowStartupHost::EndWaitCursor()
{
    if (m_waitCursorDepth == 0)
        return;
    --m_waitCursorDepth;
    QApplication::restoreOverrideCursor();
}

bool CMainWindowStartupHost::HasLargeFonts() const
{
    return m_window.HasLargeFonts();
}

void CMainWindowStartupHost::SetupControls()
{
    m_window.SetupControls();
}

void CMainWindowStartupHost::SetWindowIcons()
{
    // The window manager owns the system menu here; only the icon is ours to set.
    m_window.setWindowIcon(LoadIconResource(kIconProgram));
}

void CMainWindowStartupHost::EnableControl(int id, bool enable)
{
    m_window.EnableControl(id, enable);
}

void CMainWindowStartupHost::SetCaption(const QString& caption)
{
    m_window.setWindowTitle(caption);
}

void CMainWindowStartupHost::PostCloseToSelf()
{
    PostMessageTo(&m_window, WM_CLOSE);
}

void CMainWindowStartupHost::StartOneShotTimer(int id, int ms)
{
    // Each handler kills its timer first, which makes it one-shot.
    m_window.SetTimer(id, ms);
}

void CMainWindowStartupHost::CreateWorkerThreads()
{
    m_engine.CreateWorkerThreads();
}

void CMainWindowStartupHost::StartWorkerThreads(const QString& programFolder, const QString& workFolder)
{
    m_engine.StartWorkerThreads(programFolder, workFolder);
}

CWorkerThread* CMainWindowStartupHost::CaptureThread() const
{
    return m_engine.CaptureThread();
}

RecorderState CMainWindowStartupHost::RecordingState() const
{
    return m_control.State();
}

void CMainWindowStartupHost::SetRecordingStateIdle()
{
    m_control.SetStateIdle();
}

void CMainWindowStartupHost::SwitchAutoRecordingOn()
{
    if (!IsAutoRecordingOn(m_control.State()))
        m_control.OnAutoRecording();
}

void CMainWindowStartupHost::SwitchAutoRecordingOff()
{
    m_control.EndAutoRecording();
}

void CMainWindowStartupHost::StopManualRecording()
{
    m_control.EndManualRecording();
}

void CMainWindowStartupHost::LoadCatalogueAndFillList(const CAppSettings& settings)
{
    // The sound-card check has run by now; Play follows its answer.
    if (m_sequence)
        m_window.SetSoundCardPresent(m_sequence->SoundCardPresent());
    m_window.LoadWorkFolder(settings.WorkDir);
}

void CMainWindowStartupHost::SaveCatalogueIndex()
{
    m_window.CallLog().SavePending();
}

void CMainWindowStartupHost::ClearPlayState()
{
    m_window.CallLog().SetPlayingName(QString());
}

void CMainWindowStartupHost::HideToTray()
{
    m_window.Tray().GoToNotificationArea();
}

void CMainWindowStartupHost::RemoveTrayIcon()
{
    m_window.Tray().CloseBalloon();
    m_window.Tray().RemoveIcon();
}

void CMainWindowStartupHost::DeleteFindDialog()
{
    m_window.DeleteFindWindow();
}

}  // namespace sonvelle
