// Handlers whose features are built in their own files later. Each stays an
// empty hook until then: the control exists, nothing pretends to work. A
// feature replaces its block here with a one-line call into its own class.

#include "mainwnd/ControlRules.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "platform/Message.h"
#include "skin/CLevelMeter.h"

#include <QTreeView>

namespace sonvelle {

// Recording control ---------------------------------------------------------

void CMainDlg::OnRecord() {}
void CMainDlg::OnStop() {}
void CMainDlg::OnStopPlaying() {}
void CMainDlg::OnPause() {}
void CMainDlg::OnAutoRecording() {}
void CMainDlg::OnVoiceDetected() {}

void CMainDlg::OnRecordingFileReady(CMessage& message)
{
    // The path text belongs to the window; taking it frees it even while nothing uses it.
    (void)message.TakePayload<QString>();
}

void CMainDlg::OnButtonRepeat(int /*controlId*/)
{
    // Without a play to wind, the focus just goes to the list.
    m_list->setFocus();
}

void CMainDlg::OnSeekPosition(int /*seconds*/) {}

void CMainDlg::OnInputLevel(WPARAM peak, LPARAM /*lowest*/)
{
    if (m_nRecordingState == STATE_IDLE || m_nRecordingState == STATE_PLAYING)
        return;
    m_levelMeter->SetLevel(static_cast<int>(peak));
}

void CMainDlg::OnThresholdChanged(int /*threshold*/) {}
void CMainDlg::OnRecordingTimeTimer() { KillTimer(TIMER_RECORDING_TIME); }
void CMainDlg::OnPlayingPositionTimer() { KillTimer(TIMER_PLAYING_POSITION); }
void CMainDlg::OnWarningSoundTimer() { KillTimer(TIMER_WARNING_SOUND); }
void CMainDlg::OnWarningSoundEndTimer() { KillTimer(TIMER_WARNING_SOUND_END); }

// Playback --------------------------------------------------------------------

void CMainDlg::OnPlay() {}
void CMainDlg::OnListDoubleClick(int /*row*/) {}
void CMainDlg::PlaySelected() {}

// Save, rename, protection, delete -----------------------------------------------

void CMainDlg::OnSave() {}
void CMainDlg::OnListClick(int /*row*/) {}
void CMainDlg::OnListSelectionChanged() {}
void CMainDlg::OnListKeyDown(int /*key*/) {}
bool CMainDlg::OnBeginLabelEdit(int /*row*/) { return false; }
void CMainDlg::OnEndLabelEdit(int /*row*/, const QString& /*newName*/) {}
void CMainDlg::OnNameKillFocus() {}
void CMainDlg::OnNotesKillFocus() {}
void CMainDlg::OnNameChanged() {}
void CMainDlg::OnNotesChanged() {}
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
