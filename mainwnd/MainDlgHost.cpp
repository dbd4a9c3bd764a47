// What the start-up and close sequences ask of the main window.

#include "app/StartupSequence.h"
#include "mainwnd/ControlRules.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingWindowBridge.h"
#include "platform/Log.h"
#include "platform/Message.h"
#include "platform/ProgramFolder.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"

#include <QApplication>

namespace sonvelle {

bool CMainDlg::OnInitDialog()
{
    if (m_bInitialised)
        return true;
    m_bInitialised = true;
    return m_startup->OnInitDialog();
}

void CMainDlg::InitialiseWindowOnly()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;
    BeginWaitCursor();
    SetupControls();
    SetWindowIcons();
    SetRecordingStateIdle();
    LoadWorkFolder(m_appSettings.WorkDir);
    EnableControl(IDC_STOP, false);
    ClearPlayState();
    for (int id : {IDC_SAVE, IDC_PAUSE, IDC_FAST_FORWARD, IDC_FAST_REWIND})
        EnableControl(id, false);
    EndWaitCursor();
}

void CMainDlg::OnClose()
{
    m_bCloseDone = true;
    // Ends a running recording (with its save), saves the index, restores the
    // volumes and waits for the capture thread.
    m_startup->OnClose();
}

void CMainDlg::BeginWaitCursor()
{
    ++m_waitCursorDepth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CMainDlg::EndWaitCursor()
{
    if (m_waitCursorDepth == 0)
        return;
    --m_waitCursorDepth;
    QApplication::restoreOverrideCursor();
}

void CMainDlg::SetWindowIcons()
{
    // The window manager owns the system menu here; only the icon is ours to set.
    setWindowIcon(LoadIconResource(kIconProgram));
}

void CMainDlg::EnableControl(int id, bool enable)
{
    if (QWidget* control = Control(id))
        control->setEnabled(enable);
}

void CMainDlg::SetCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void CMainDlg::PostCloseToSelf()
{
    PostMessageTo(this, WM_CLOSE);
}

void CMainDlg::StartOneShotTimer(int id, int ms)
{
    // Each handler kills its timer first, which makes it one-shot.
    SetTimer(id, ms);
}

void CMainDlg::SetRecordingStateIdle()
{
    m_recording->SetStateIdle();
}

void CMainDlg::StopManualRecording()
{
    m_recording->EndManualRecording();
}

void CMainDlg::SwitchAutoRecordingOn()
{
    if (m_recording->Control().State() < 4)
        m_recording->AutoRecording();
}

void CMainDlg::SwitchAutoRecordingOff()
{
    m_recording->EndAutoRecording();
}

void CMainDlg::CreateWorkerThreads()
{
    m_recording->CreateWorkerThreads();
}

void CMainDlg::StartWorkerThreads(const QString& programFolder, const QString& workFolder)
{
    m_recording->StartWorkerThreads(programFolder, workFolder);
}

CWorkerThread* CMainDlg::CaptureThread() const
{
    return m_recording->CaptureThread();
}

void CMainDlg::LoadCatalogueAndFillList(const CAppSettings& settings)
{
    // The sound-card check has run by now; Play follows its answer.
    m_bSoundCardPresent = m_startup->SoundCardPresent();
    LoadWorkFolder(settings.WorkDir);
}

void CMainDlg::LoadWorkFolder(const QString& workFolder)
{
    m_callLog.Load(WithTrailingSlash(workFolder), m_appSettings.PlayAlternativo);
    UpdateListDependentControls();
}

void CMainDlg::SaveCatalogueIndex()
{
    m_callLog.SavePending();
}

void CMainDlg::ClearPlayState()
{
    m_callLog.SetPlayingName(QString());
}

void CMainDlg::DeleteFindDialog()
{
    delete m_findWindow.data();
    m_findWindow = nullptr;
}

void CMainDlg::OnFallbackNoticeTimer()
{
    KillTimer(TIMER_FALLBACK_NOTICE);
    m_startup->OnTimer(TIMER_FALLBACK_NOTICE);
}

void CMainDlg::OnRealignNoticeTimer()
{
    KillTimer(TIMER_REALIGN_NOTICE);
    m_startup->OnTimer(TIMER_REALIGN_NOTICE);
}

// Mixer and notification area: hooks until those parts exist.

void CMainDlg::HideToTray() {}
void CMainDlg::RemoveTrayIcon() {}
void CMainDlg::LogMixerLines() {}
void CMainDlg::SetupMixer(const CAppSettings& /*settings*/, bool /*firstStart*/) {}
void CMainDlg::RestoreVolumes() {}

}  // namespace sonvelle
