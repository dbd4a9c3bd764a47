// Handlers whose features are built in their own files later. Each stays an
// empty hook until then: the control exists, nothing pretends to work. A
// feature replaces its block here with a one-line call into its own class.

#include "audio/RecordSound.h"
#include "mainwnd/ControlRules.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/MainWindowStartupHost.h"
#include "mainwnd/PlayCommand.h"
#include "mainwnd/PlayCommandWindow.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "platform/Log.h"
#include "platform/Message.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "skin/CLevelMeter.h"

#include <QTreeView>

namespace sonvelle {

// Recording control ---------------------------------------------------------

void CMainDlg::OnRecord() { m_control->OnRecord(); }
void CMainDlg::OnStop()
{
    m_control->OnStop();
    ApplyDeferredWorkFolder();
}
void CMainDlg::OnStopPlaying() { m_control->OnStopPlaying(); }
void CMainDlg::OnPause() { m_control->OnPause(); }
void CMainDlg::OnAutoRecording()
{
    m_control->OnAutoRecording();
    ApplyDeferredWorkFolder();
}
void CMainDlg::OnVoiceDetected() { m_control->OnVoiceDetected(); }

void CMainDlg::OnRecordingFileReady(CMessage& message)
{
    const std::unique_ptr<QString> path = message.TakePayload<QString>();
    m_control->OnRecordingFileReady(path ? *path : QString(), message.LParam() != 0);
}

// The sound server went away or answers again. The capture thread has already
// handed the running segment over and resumes listening by itself; a manual
// recording is stored here as at a Stop and started again when the server is back.
void CMainDlg::OnCaptureState(WPARAM state, LPARAM error)
{
    CRecordingControl& control = *m_control;
    if (state == kCaptureBack) {
        WriteLog(QStringLiteral("Acquisizione di nuovo disponibile"));
        m_captureLossTold = false;
        if (!m_resumeManualRecording)
            return;
        if (control.IsSaveDialogOpen()) {
            m_captureBackWhileStoring = true;  // the Stop below still runs
            return;
        }
        m_resumeManualRecording = false;
        if (control.State() == RecorderState::Idle || control.State() == RecorderState::Playing)
            m_control->OnRecord();
        return;
    }
    WriteLog(QStringLiteral("Acquisizione interrotta (errore %1)").arg(error));
    const RecorderState mode = control.State();
    if (state == kCaptureLost && IsManualRecording(mode)) {
        m_resumeManualRecording = true;
        m_captureBackWhileStoring = false;
        m_control->EndManualRecording();
        if (m_captureBackWhileStoring) {
            m_captureBackWhileStoring = false;
            m_resumeManualRecording = false;
            if (control.State() == RecorderState::Idle || control.State() == RecorderState::Playing)
                m_control->OnRecord();
        }
    }
    // One notice per outage, and never a second box over an open one.
    if (m_captureLossTold || m_captureNoticeOpen)
        return;
    m_captureLossTold = true;
    m_captureNoticeOpen = true;
    MessageBox(LoadText(state == kCaptureLost ? IDS_SOUND_SERVER_LOST : IDS_SOUND_SERVER_ABSENT), PromptIcon::Exclamation);
    m_captureNoticeOpen = false;
}

void CMainDlg::OnButtonRepeat(int controlId) { m_control->OnButtonRepeat(controlId); }
void CMainDlg::OnSeekPosition(int seconds) { m_control->OnSeekPosition(seconds); }
void CMainDlg::OnInputLevel(WPARAM peak, LPARAM /*lowest*/) { m_control->OnInputLevel(static_cast<int>(peak)); }
void CMainDlg::OnThresholdChanged(int threshold) { m_control->OnThresholdChanged(threshold); }
void CMainDlg::OnRecordingTimeTimer() { m_control->OnTimer(TIMER_RECORDING_TIME); }
void CMainDlg::OnPlayingPositionTimer() { m_control->OnTimer(TIMER_PLAYING_POSITION); }
void CMainDlg::OnWarningSoundTimer() { m_control->OnTimer(TIMER_WARNING_SOUND); }
void CMainDlg::OnWarningSoundEndTimer() { m_control->OnTimer(TIMER_WARNING_SOUND_END); }

// Playback --------------------------------------------------------------------

void CMainDlg::OnPlay() { PlaySelected(); }
void CMainDlg::PlaySelected() { RunPlayCommand(*m_playWindow, m_engine->RecordingsPlayer()); }

void CMainDlg::OnListDoubleClick(int row)
{
    m_callLog.SelectRow(row);
    PlaySelected();
}

// Save, rename, protection, delete -----------------------------------------------

// The name and notes fields and renaming in place: MainDlgInfoEditor.cpp.
void CMainDlg::OnListClick(int /*row*/) {}
// Protection: MainDlgProtect.cpp. Delete and the Delete key: MainDlgDelete.cpp.

// Operations: MainDlgFind.cpp, MainDlgImport.cpp, MainDlgJoin.cpp, MainDlgMail.cpp.

// Options, help, notification area ---------------------------------------------

// Options: MainDlgOptions.cpp. Help and the on-line page: MainDlgHelp.cpp.
// Notification area: MainDlgTray.cpp.

}  // namespace sonvelle
