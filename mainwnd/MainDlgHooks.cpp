// Handlers whose features are built in their own files later. Each stays an
// empty hook until then: the control exists, nothing pretends to work. A
// feature replaces its block here with a one-line call into its own class.

#include "audio/RecordSound.h"
#include "mainwnd/ControlRules.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingWindowBridge.h"
#include "platform/Log.h"
#include "platform/Message.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "skin/CLevelMeter.h"

#include <QTreeView>

namespace sonvelle {

// Recording control ---------------------------------------------------------

void CMainDlg::OnRecord() { m_recording->Record(); }
void CMainDlg::OnStop() { m_recording->Stop(); }
void CMainDlg::OnStopPlaying() { m_recording->StopPlaying(); }
void CMainDlg::OnPause() { m_recording->Pause(); }
void CMainDlg::OnAutoRecording() { m_recording->AutoRecording(); }
void CMainDlg::OnVoiceDetected() { m_recording->VoiceDetected(); }

void CMainDlg::OnRecordingFileReady(CMessage& message)
{
    const std::unique_ptr<QString> path = message.TakePayload<QString>();
    m_recording->RecordingFileReady(path ? *path : QString(), message.LParam() != 0);
}

// The sound server went away or answers again. The capture thread has already
// handed the running segment over and resumes listening by itself; a manual
// recording is stored here as at a Stop and started again when the server is back.
void CMainDlg::OnCaptureState(WPARAM state, LPARAM error)
{
    CRecordingControl& control = m_recording->Control();
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
        if (control.State() == kIdle || control.State() == kPlaying)
            m_recording->Record();
        return;
    }
    WriteLog(QStringLiteral("Acquisizione interrotta (errore %1)").arg(error));
    const int mode = control.State();
    if (state == kCaptureLost && (mode == kRecording || mode == kRecordingWhilePlaying)) {
        m_resumeManualRecording = true;
        m_captureBackWhileStoring = false;
        m_recording->EndManualRecording();
        if (m_captureBackWhileStoring) {
            m_captureBackWhileStoring = false;
            m_resumeManualRecording = false;
            if (control.State() == kIdle || control.State() == kPlaying)
                m_recording->Record();
        }
    }
    // One notice per outage, and never a second box over an open one.
    if (m_captureLossTold || m_captureNoticeOpen)
        return;
    m_captureLossTold = true;
    m_captureNoticeOpen = true;
    MessageBox(LoadText(state == kCaptureLost ? 433 : 434), PromptIcon::Exclamation);
    m_captureNoticeOpen = false;
}

void CMainDlg::OnButtonRepeat(int controlId) { m_recording->ButtonRepeat(controlId); }
void CMainDlg::OnSeekPosition(int seconds) { m_recording->SeekPosition(seconds); }
void CMainDlg::OnInputLevel(WPARAM peak, LPARAM /*lowest*/) { m_recording->InputLevel(static_cast<int>(peak)); }
void CMainDlg::OnThresholdChanged(int threshold) { m_recording->ThresholdChanged(threshold); }
void CMainDlg::OnRecordingTimeTimer() { m_recording->Timer(TIMER_RECORDING_TIME); }
void CMainDlg::OnPlayingPositionTimer() { m_recording->Timer(TIMER_PLAYING_POSITION); }
void CMainDlg::OnWarningSoundTimer() { m_recording->Timer(TIMER_WARNING_SOUND); }
void CMainDlg::OnWarningSoundEndTimer() { m_recording->Timer(TIMER_WARNING_SOUND_END); }

// Playback --------------------------------------------------------------------

void CMainDlg::OnPlay() { m_recording->OnPlay(); }
void CMainDlg::OnListDoubleClick(int row) { m_recording->PlayRow(row); }
void CMainDlg::PlaySelected() { m_recording->OnPlay(); }

// Save, rename, protection, delete -----------------------------------------------

// The name and notes fields and renaming in place: MainDlgInfoEditor.cpp.
void CMainDlg::OnListClick(int /*row*/) {}
void CMainDlg::OnListKeyDown(int /*key*/) {}
void CMainDlg::OnProtect() {}
void CMainDlg::OnDelete() {}

// Operations --------------------------------------------------------------------

void CMainDlg::OnImport() {}
void CMainDlg::OnJoin() {}
void CMainDlg::OnFind() {}
void CMainDlg::OnSend() {}

// Options, help, notification area ---------------------------------------------

void CMainDlg::OnOptions() {}
void CMainDlg::OnHelp() {}
void CMainDlg::OnOnlinePage() {}
void CMainDlg::OnTrayNotify(WPARAM /*id*/, LPARAM /*mouseMessage*/) {}
void CMainDlg::OnBalloonTimer() { KillTimer(TIMER_BALLOON_CLOSE); }
void CMainDlg::OnMinimizeRequested() { HideToTray(); }

}  // namespace sonvelle
