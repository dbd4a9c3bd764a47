// The window's start and close, and the few operations the start-up host asks of it.

#include "app/StartupSequence.h"
#include "mainwnd/ControlRules.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/MainWindowStartupHost.h"
#include "mainwnd/RecordingControl.h"
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
    m_startupHost->BeginWaitCursor();
    SetupControls();
    m_startupHost->SetWindowIcons();
    m_control->SetStateIdle();
    LoadWorkFolder(m_appSettings.WorkDir);
    EnableControl(IDC_STOP, false);
    m_startupHost->ClearPlayState();
    for (int id : {IDC_SAVE, IDC_PAUSE, IDC_FAST_FORWARD, IDC_FAST_REWIND})
        EnableControl(id, false);
    m_startupHost->EndWaitCursor();
}

void CMainDlg::OnClose()
{
    m_bCloseDone = true;
    // Ends a running recording (with its save), saves the index, restores the
    // volumes and waits for the capture thread.
    m_startup->OnClose();
    RemoveWorkingCopies();
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

void CMainDlg::LoadWorkFolder(const QString& workFolder)
{
    m_callLog.Load(WithTrailingSlash(workFolder), m_appSettings.PlayAlternativo);
    UpdateListDependentControls();
}

void CMainDlg::DeleteFindWindow()
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

}  // namespace sonvelle
