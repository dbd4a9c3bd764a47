#include "mainwnd/PlayCommandWindow.h"

#include "app/AppSettings.h"
#include "mainwnd/CallLog.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

namespace sonvelle {

namespace {

constexpr int kPlayTimerMs = 450;

CPlayableRecording Playable(const CRecordingEntry& entry)
{
    CPlayableRecording playable;
    playable.folder = entry.m_strFolder;
    playable.name = entry.m_strName;
    playable.entryState = entry.GetState();
    playable.isProtected = entry.m_bProtected;
    playable.durationSeconds = entry.IsDurationUnknown() ? 0 : entry.m_dtDuration.SecondsOfDay();
    return playable;
}

}  // namespace

RecorderState CPlayCommandWindow::RecordingState() const
{
    return m_control.State();
}

void CPlayCommandWindow::SetRecordingState(RecorderState state)
{
    m_control.SetState(state);
}

std::uint32_t CPlayCommandWindow::PausedPosition() const
{
    return m_control.PausedPosition();
}

void CPlayCommandWindow::ClearPausedPosition()
{
    m_control.ClearPausedPosition();
}

void CPlayCommandWindow::StopPlaying()
{
    m_control.OnStopPlaying();
}

std::optional<CPlayableRecording> CPlayCommandWindow::SelectedRecording() const
{
    if (m_window.ListItemCount() == 0)
        return std::nullopt;
    CRecordingEntry* entry = m_window.SelectedRecording();
    if (!entry)
        return std::nullopt;
    return Playable(*entry);
}

std::optional<CPlayableRecording> CPlayCommandWindow::PlayingRecording() const
{
    CRecordingEntry* entry = m_control.PlayingRecording();
    if (!entry)
        return std::nullopt;
    return Playable(*entry);
}

void CPlayCommandWindow::SetPlayingRecording(const CPlayableRecording& recording)
{
    CRecordingEntry* entry = m_callLog.Catalogue().FindByName(recording.name);
    m_control.SetPlayingRecording(entry, recording.durationSeconds);
    m_callLog.SetPlayingName(recording.name);
    if (entry)
        m_window.UpdateRow(*entry);
}

bool CPlayCommandWindow::IndexInUse() const
{
    return m_callLog.Catalogue().IsIndexOpen();
}

void CPlayCommandWindow::UpdateIndexEntry(const CPlayableRecording& recording)
{
    if (CRecordingEntry* entry = m_callLog.Catalogue().FindByName(recording.name))
        m_callLog.Catalogue().RefreshEntry(*entry);
}

void CPlayCommandWindow::SetPositionBarRange(int seconds)
{
    m_window.SetPositionBarRange(seconds);
}

void CPlayCommandWindow::EnablePlayingControls()
{
    for (int id : {IDC_STOP, IDC_PAUSE, IDC_FAST_REWIND, IDC_FAST_FORWARD})
        m_window.EnableControl(id, true);
}

void CPlayCommandWindow::RestartPlayTimer()
{
    m_window.StartTimer(TIMER_PLAYING_POSITION, kPlayTimerMs);
}

bool CPlayCommandWindow::UnlockProtectedRecording(const CPlayableRecording& recording)
{
    // The key word flow works on the selected row: it must be the recording asked for.
    const CRecordingEntry* selected = m_window.SelectedRecording();
    return m_unlock && selected && selected->m_strName == recording.name && m_unlock();
}

bool CPlayCommandWindow::PlayAlternativo() const
{
    return m_settings.PlayAlternativo;
}

}  // namespace sonvelle
