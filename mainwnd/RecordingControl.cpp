#include "mainwnd/RecordingControl.h"

#include "mainwnd/MainDlgIds.h"
#include "store/RecordingFileStore.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace sonvelle {

namespace {

constexpr int kRecordingTimerMs = 100;
constexpr int kPlayTimerMs = 450;
constexpr int kStoreAttempts = 10;
constexpr int kStorePauseMs = 500;
constexpr int kAutoOnSettleMs = 600;
constexpr int kIconRecording = 324;
constexpr int kIconNormal = 241;

// The save dialog's mark for a recording the user declined to keep.
bool IsRecordingDiscarded(const CRecordingEntry& entry)
{
    return entry.m_strKeyWord == QLatin1String("**del**");
}

QString MessageWithPath(int textId, const QString& path)
{
    QString text = LoadText(textId);
    const int at = text.indexOf(QLatin1String("%s"));
    return at < 0 ? text : text.replace(at, 2, path);
}

}  // namespace

CRecordingControl::CRecordingControl(IRecordingWindow& window, IRecordingCatalogue& catalogue,
                                     IRecordingPlayer& player, IRecordingPlayer& warningPlayer,
                                     IRecordingEngine& engine, IRecordingSettings& settings)
    : m_window(window), m_catalogue(catalogue), m_player(player), m_warningPlayer(warningPlayer),
      m_engine(engine), m_settings(settings), m_sleep([](int ms) { QThread::msleep(ms); })
{
}

void CRecordingControl::SetStateIdle()
{
    m_state = RecorderState::Idle;
    m_window.UpdateRecordButtons();
}

bool CRecordingControl::IsPlayingOrPaused() const
{
    return m_pausedPositionMs > 0 || IsPlaying(m_state);
}

void CRecordingControl::SetPlayingRecording(CRecordingEntry* entry, int durationSeconds)
{
    m_playing = entry;
    m_playingDurationSeconds = durationSeconds;
}

std::int64_t CRecordingControl::MsSinceStart(const CRecordingEntry& entry) const
{
    const auto found = m_startTicks.find(&entry);
    const std::uint32_t start = found != m_startTicks.end() ? found->second : m_recordingStartTick;
    return ElapsedMs(start, timeGetSystemTime());
}

void CRecordingControl::SetDurationMs(CRecordingEntry& entry, std::int64_t ms)
{
    entry.m_dtDuration = COleDateTime::FromSeconds(static_cast<double>(ms) / 1000.0);
}

void CRecordingControl::SetSizeFromFile(CRecordingEntry& entry, const QString& path)
{
    const QFileInfo info(path);
    entry.m_dwSize = info.exists() ? static_cast<std::uint32_t>(info.size()) : 0;
}

void CRecordingControl::EnablePlayIfListHasItems()
{
    if (m_window.ListItemCount() > 0)
        m_window.EnableControl(IDC_PLAY, true);
}

void CRecordingControl::StartWarningTimer(const RecordingSettings& settings)
{
    if (settings.warningAfter)
        m_window.StartTimer(TIMER_WARNING_SOUND, settings.warningAfterSeconds * 1000);
    else if (settings.warningEvery)
        m_window.StartTimer(TIMER_WARNING_SOUND, settings.warningEverySeconds * 1000);
}

void CRecordingControl::StopWarning()
{
    m_window.KillTimer(TIMER_WARNING_SOUND);
    m_warningPlayer.Stop();
}

void CRecordingControl::Forget(const CRecordingEntry* entry)
{
    if (!entry)
        return;
    if (m_current == entry)
        m_current = nullptr;
    if (m_playing == entry)
        m_playing = nullptr;
    if (m_singleFileEntry == entry) {
        m_singleFileEntry = nullptr;
        m_singleFilePath.clear();
        m_singleFileId = {};
        m_singleFileMs = 0;
    }
    m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), entry), m_pending.end());
    m_startTicks.erase(entry);
}

void CRecordingControl::RemoveRecording(CRecordingEntry& entry)
{
    Forget(&entry);
    m_window.RemoveRowAndEntry(entry);
}

// The catalogue is about to be rebuilt: every entry pointer goes stale.
void CRecordingControl::ForgetAllEntries()
{
    m_current = nullptr;
    m_playing = nullptr;
    m_pending.clear();
    m_startTicks.clear();
    m_singleFileEntry = nullptr;
}

void CRecordingControl::OnCatalogueCleared()
{
    // The played entry still exists here: its play ends with it, paused or not.
    OnStopPlaying();
    ForgetAllEntries();
}

bool CRecordingControl::RecordingInProgress() const
{
    return IsRecording(m_state) || m_openSegments > 0 || !m_pending.empty() || m_singleFileEntry != nullptr;
}

void CRecordingControl::StartRecordingDisplayAndTimers(CRecordingEntry& entry)
{
    m_window.ShowRecordingStarted();
    m_window.StartTimer(TIMER_RECORDING_TIME, kRecordingTimerMs);
    m_recordingStartTick = timeGetSystemTime();
    m_startTicks[&entry] = m_recordingStartTick;
}

void CRecordingControl::OnRecord()
{
    if (m_state == RecorderState::Idle || m_state == RecorderState::Playing) {
        WriteLog(QStringLiteral("Registrazione avviata"));
        OnStopPlaying();
        m_engine.DisableVoiceActivation();
        m_window.EnableControl(IDC_STOP, true);
        m_window.EnableControl(IDC_RECORD, false);
        m_window.EnableControl(IDC_AUTO_RECORD, false);
        m_window.EnableControl(IDC_PLAY, false);
        m_state = RecorderState::Recording;

        const RecordingSettings settings = m_settings.Current();
        WriteLog(QStringLiteral("-->Inserisco elemento in lista"));
        CRecordingEntry* entry = m_catalogue.CreateRecording(settings.operatorName);
        if (entry) {
            m_current = entry;
            m_window.InsertRowAtTop(*entry, true);
        }
        WriteLog(QStringLiteral("-->Imposto il timer"));
        m_window.ShowRecordingStarted();
        m_window.StartTimer(TIMER_RECORDING_TIME, kRecordingTimerMs);
        m_recordingStartTick = timeGetSystemTime();
        m_segmentStartTick = m_recordingStartTick;
        if (entry)
            m_startTicks[entry] = m_recordingStartTick;
        if (settings.warningSound) {
            WriteLog(QStringLiteral("-->Segnale Acustico"));
            StartWarningTimer(settings);
        }
        WriteLog(QStringLiteral("-->Inizio moRegistra.Registra"));
        m_engine.Registra();
    }
    m_window.SetFocusTo(IDC_CALL_LOG);
}

void CRecordingControl::OnStop(StopOrigin origin)
{
    if (IsPlayingOrPaused()) {
        // Only the auto-recording command reaches past a play, running or paused.
        const bool endsAutoRecording = origin == StopOrigin::AutoRecordingCommand && IsAutoRecordingOn(m_state);
        if (!endsAutoRecording) {
            OnStopPlaying();
            return;
        }
    }

    m_window.KillTimer(TIMER_RECORDING_TIME);
    const RecorderState stateAtStop = m_state;
    const bool segmentRunning = stateAtStop == RecorderState::AutoRecording || stateAtStop == RecorderState::AutoRecordingWhilePlaying;

    // A single automatic file whose last segment ended by a discard is no longer current; it still needs saving.
    if (!m_current && m_singleFileEntry)
        m_current = m_singleFileEntry;

    const bool singleFile = m_current && m_current == m_singleFileEntry;
    if (m_current) {
        if (IsManualRecording(stateAtStop))
            SetDurationMs(*m_current, MsSinceStart(*m_current));
        else if (singleFile && segmentRunning) {
            m_singleFileMs += ElapsedMs(m_segmentStartTick, timeGetSystemTime());
            SetDurationMs(*m_current, m_singleFileMs);
        } else if (!singleFile)
            SetDurationMs(*m_current, MsSinceStart(*m_current));
    }

    m_engine.StopRecording();

    m_window.EnableControl(IDC_PLAY, false);
    m_pending.clear();
    m_openSegments = 0;
    StopWarning();
    m_window.SetLevelAtRest();

    if (CRecordingEntry* selected = m_window.SelectedRecording(); selected && selected->IsInUse())
        m_window.SaveTypedNameAndNotes();

    if (!m_window.IsVolumeSliderEnabled()) {
        m_window.SetSpeakerVolume(m_savedSpeakerVolume);
        m_window.EnableVolumeSlider(true);
        m_window.SetVolumeSlider(m_savedSpeakerVolume);
        EnablePlayIfListHasItems();
    }

    m_state = IsPlaying(stateAtStop) ? RecorderState::Playing : RecorderState::Idle;
    m_window.UpdateRecordButtons();

    if (CRecordingEntry* entry = m_current) {
        // The running segment of the single file is in the writer's file now that it is closed.
        if (singleFile && segmentRunning)
            AddSegmentToSingleFile(*entry, TakeSegmentFile(WriterTemporaryPath()));
        const QString file = singleFile ? SingleFileForSaveDialog() : QString();

        if (singleFile && file.isEmpty()) {
            // Every segment was discarded: nothing was recorded to save.
            RemoveRecording(*entry);
        }
    }
    if (CRecordingEntry* entry = m_current) {
        const QString file = entry == m_singleFileEntry ? m_singleFilePath : QString();
        m_saveDialogOpen = true;
        const bool confirmed = m_window.ShowSaveDialog(*entry, file);
        m_saveDialogOpen = false;

        if (m_current == entry) {
            if (!confirmed || IsRecordingDiscarded(*entry)) {
                // A manual recording's audio stays in the writer's file until the next
                // recording; the single file's goes only when the user discarded it.
                if (!file.isEmpty() && IsRecordingDiscarded(*entry))
                    QFile::remove(file);
                RemoveRecording(*entry);
            } else {
                entry->SetState(kStateTagPending);
                SetSizeFromFile(*entry, entry->FilePath());
                m_catalogue.SaveIndex();
                m_window.UpdateRow(*entry);
                if (m_window.SelectedRecording() == entry)
                    m_window.ShowNameAndNotes(*entry);
                Forget(entry);
            }
        }
        m_current = nullptr;
    }
    m_singleFileEntry = nullptr;
    m_singleFilePath.clear();
    m_singleFileId = {};
    m_singleFileMs = 0;
    m_startTicks.clear();
    m_window.UpdateListDependentControls();
}

void CRecordingControl::OnStopPlaying()
{
    if (!IsPlayingOrPaused())
        return;
    WriteLog(QStringLiteral("Stop play"));
    m_player.Stop();
    m_window.KillTimer(TIMER_PLAYING_POSITION);
    m_window.EnablePositionBar(false);
    m_window.SetPositionBar(0);

    EnablePlayIfListHasItems();
    // A manual recording still running keeps its Stop button.
    if (m_state != RecorderState::RecordingWhilePlaying)
        m_window.EnableControl(IDC_STOP, false);
    m_window.EnableControl(IDC_PAUSE, false);
    m_window.EnableControl(IDC_FAST_FORWARD, false);
    m_window.EnableControl(IDC_FAST_REWIND, false);

    if (m_playing) {
        m_window.ShowRowNotPlaying(*m_playing);
        if (m_playing->m_bProtected)
            QFile::remove(m_playing->m_strFolder + m_playing->m_strName + QStringLiteral(".snx"));
    }
    m_window.ShowPlayingIdle();

    m_pausedPositionMs = 0;
    m_playing = nullptr;
    m_state = WithoutPlay(m_state);
}

void CRecordingControl::OnPause()
{
    if (!IsPlaying(m_state)) {
        m_window.Play();
        return;
    }
    std::uint32_t length = 0;
    std::uint32_t position = 0;
    m_player.GetStatus(length, position);
    // 0 means "not paused": a pause at the very start keeps the smallest position instead.
    m_pausedPositionMs = std::max<std::uint32_t>(position, 1);
    m_player.Pause();
    m_window.EnableControl(IDC_PLAY, true);
    if (m_state != RecorderState::RecordingWhilePlaying)
        m_window.ShowPaused();
    m_state = WithoutPlay(m_state);
}

void CRecordingControl::OnAutoRecording()
{
    if (!IsAutoRecordingOn(m_state)) {
        // A manual recording is ended and saved first, or its audio would run into the first automatic one.
        if (IsManualRecording(m_state) && IsPlayingOrPaused())
            OnStopPlaying();
        if (m_state == RecorderState::Recording)
            OnStop();

        m_window.ShowAutoRecordingOn();
        m_state = m_state == RecorderState::Playing ? RecorderState::ListeningWhilePlaying : RecorderState::Listening;
        m_window.EnableControl(IDC_RECORD, false);

        m_engine.GiveWriterMainWindow();
        m_settings.ReloadAutoRecordingValues();
        const RecordingSettings settings = m_settings.Current();
        m_window.SetThresholdMark(settings.threshold);

        if (settings.warningSound) {
            m_savedSpeakerVolume = m_window.SpeakerVolume();
            m_window.SetSpeakerVolume(0);
            m_window.EnableVolumeSlider(false);
            m_window.SetVolumeSlider(0);
        }
        m_engine.SetCaptureSettings(settings.silenceSeconds, settings.oneFile, settings.threshold);
        // In one-file mode the writer would hand each segment over in its own file and
        // truncate it for the next segment before this window could take it: it hands
        // segments over under their own names, and the single file grows here.
        m_engine.SetWriterOneFile(false);
        m_openSegments = 0;

        m_engine.EnableVoiceActivation();
        m_engine.Registra();
        if (m_sleep)
            m_sleep(kAutoOnSettleMs);
    } else {
        OnStop(StopOrigin::AutoRecordingCommand);
    }
    m_window.SetFocusTo(IDC_CALL_LOG);
}

void CRecordingControl::EndAutoRecording()
{
    if (!IsAutoRecordingOn(m_state))
        return;
    // The play ends too, also a paused one: nothing is left to play to at close.
    if (IsPlayingOrPaused())
        OnStopPlaying();
    OnAutoRecording();
}

void CRecordingControl::EndManualRecording()
{
    // Stop would only end a play, running or paused.
    if (IsManualRecording(m_state) && IsPlayingOrPaused())
        OnStopPlaying();
    if (m_state == RecorderState::Recording)
        OnStop();
}

void CRecordingControl::OnVoiceDetected()
{
    // A notice posted just before auto-recording was switched off starts nothing.
    if (!IsAutoRecordingOn(m_state))
        return;
    if (m_state == RecorderState::ListeningWhilePlaying)
        m_state = RecorderState::AutoRecordingWhilePlaying;
    else if (m_state == RecorderState::Listening)
        m_state = RecorderState::AutoRecording;
    OnStopPlaying();
    m_window.EnableControl(IDC_PLAY, false);

    const RecordingSettings settings = m_settings.Current();
    CRecordingEntry* entry = nullptr;
    bool reused = false;
    if (settings.oneFile) {
        entry = m_singleFileEntry ? m_singleFileEntry : m_catalogue.FirstInState(kStateOneFileAuto);
        reused = entry != nullptr;
    }
    if (!entry) {
        entry = m_catalogue.CreateRecording(settings.operatorName);
        if (!entry) {
            WriteLog(QStringLiteral("OnVoiceDetected: impossibile creare la registrazione"));
            return;
        }
        if (settings.oneFile)
            entry->SetState(kStateOneFileAuto);
    }
    if (settings.oneFile && m_singleFileEntry != entry) {
        m_singleFileEntry = entry;
        m_singleFilePath.clear();
        m_singleFileId = {};
        m_singleFileMs = 0;
    }
    m_current = entry;
    if (std::find(m_pending.begin(), m_pending.end(), entry) == m_pending.end())
        m_pending.push_front(entry);
    ++m_openSegments;

    StartRecordingDisplayAndTimers(*entry);
    m_segmentStartTick = m_recordingStartTick;
    if (settings.warningSound)
        StartWarningTimer(settings);

    if (reused)
        m_window.UpdateRow(*entry);
    else
        m_window.InsertRowAtTop(*entry, true);

    if (m_window.IsInTray())
        m_window.SetTrayIcon(kIconRecording, LoadText(IDS_TRAY_TIP));
}

void CRecordingControl::OnRecordingFileReady(const QString& handedOverPath, bool discard)
{
    if (m_window.IsInTray())
        m_window.SetTrayIcon(kIconNormal, LoadText(IDS_TRAY_TIP));
    m_window.SetFocusTo(IDC_STOP);
    StopWarning();
    m_window.SaveTypedNameAndNotes();

    const RecordingSettings settings = m_settings.Current();
    const bool autoOn = IsAutoRecordingOn(m_state);
    if (m_openSegments > 0)
        --m_openSegments;
    // A newer segment may already run (its voice notice overtook this file).
    const bool newerSegmentRuns = m_openSegments > 0;
    if (autoOn && !newerSegmentRuns)
        m_state = m_state == RecorderState::AutoRecordingWhilePlaying ? RecorderState::ListeningWhilePlaying : RecorderState::Listening;

    if (m_pending.empty()) {
        // Auto-recording was switched off (or the program is closing) while this
        // file was on its way: it is a recording all the same.
        if (discard)
            DeleteHandedOverFile(handedOverPath);
        else
            StoreArrivedWithoutRecording(handedOverPath);
        return;
    }

    CRecordingEntry* entry = m_pending.back();
    const bool singleFile = settings.oneFile && entry == m_singleFileEntry;
    if (!singleFile)
        m_pending.pop_back();
    m_current = entry;

    if (singleFile) {
        // A discarded bump adds nothing to the single file, so neither to its length.
        if (!discard)
            m_singleFileMs += ElapsedMs(m_segmentStartTick, timeGetSystemTime());
        SetDurationMs(*entry, m_singleFileMs);
    } else {
        SetDurationMs(*entry, MsSinceStart(*entry));
        SetSizeFromFile(*entry, handedOverPath);
    }

    if (!newerSegmentRuns) {
        m_window.KillTimer(TIMER_RECORDING_TIME);
        m_window.UpdateRecordButtons();
    }

    if (discard) {
        DeleteHandedOverFile(handedOverPath);
        if (singleFile)
            m_window.UpdateRow(*entry);
        else
            RemoveRecording(*entry);
        if (m_current == entry)
            m_current = nullptr;
        EnablePlayIfListHasItems();
        return;
    }

    if (singleFile) {
        AddSegmentToSingleFile(*entry, TakeSegmentFile(handedOverPath));
        m_window.UpdateRow(*entry);
        EnablePlayIfListHasItems();
        return;
    }

    m_startTicks.erase(entry);
    if (settings.askConfirmation) {
        m_saveDialogOpen = true;
        const bool confirmed = m_window.ShowSaveDialog(*entry, handedOverPath);
        m_saveDialogOpen = false;
        if (!m_catalogue.Contains(entry)) {
            if (m_current == entry)
                m_current = nullptr;
            return;
        }
        if (!confirmed || IsRecordingDiscarded(*entry)) {
            if (IsRecordingDiscarded(*entry))
                QFile::remove(handedOverPath);
            RemoveRecording(*entry);
            EnablePlayIfListHasItems();
            return;
        }
        m_window.UpdateRow(*entry);
        if (m_window.SelectedRecording() == entry)
            m_window.ShowNameAndNotes(*entry);
        m_window.UpdateListDependentControls();
        m_catalogue.SaveIndex();
        EnablePlayIfListHasItems();
        // Stored now: a later Stop must not take it for a recording in progress.
        if (m_current == entry)
            m_current = nullptr;
        return;
    }

    StoreFinishedFile(*entry, handedOverPath);
}

void CRecordingControl::StoreFinishedFile(CRecordingEntry& entry, const QString& path)
{
    const QString folder = m_catalogue.WorkFolder();
    const QString target = folder + entry.m_strName + LoadText(IDS_EXT_MP3);
    const StoreResult result = StoreFileWithRetries(path, target, kStoreAttempts, kStorePauseMs, m_sleep);
    if (result.stored) {
        entry.SetState(kStateTagPending);
        entry.m_strFolder = folder;
        SetSizeFromFile(entry, target);
        m_window.UpdateRow(entry);
        if (m_current == &entry)
            m_current = nullptr;
        m_catalogue.SaveIndex();
        EnablePlayIfListHasItems();
        return;
    }

    // Shown without holding this handler: nothing below waits on the user.
    m_window.ShowNotice(MessageWithPath(IDS_SAVE_FAILED, path), PromptIcon::Stop);
    WriteLog(QStringLiteral("Move e Copia falliti per 10 volte: Lasterror: 0x%1, File: %2")
                 .arg(SystemErrorNumber(result.lastError), 0, 16)
                 .arg(path));
    if (m_current == &entry)
        m_current = nullptr;
    EnablePlayIfListHasItems();
    if (RecordingInProgress()) {
        // A rebuilt list would drop the recording running now: only the failed one leaves it.
        RemoveRecording(entry);
        return;
    }
    // The rebuilt catalogue replaces every entry; a play of one of them ends first.
    OnStopPlaying();
    ForgetAllEntries();
    m_window.ReloadCatalogueAndList();
}

void CRecordingControl::StoreArrivedWithoutRecording(const QString& handedOverPath)
{
    const QString path = TakeSegmentFile(handedOverPath);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        WriteLog(QStringLiteral("OnRecordingFileReady: file assente %1").arg(handedOverPath));
        return;
    }
    const RecordingSettings settings = m_settings.Current();
    CRecordingEntry* entry = m_catalogue.CreateRecording(settings.operatorName);
    if (!entry) {
        WriteLog(QStringLiteral("OnRecordingFileReady: registrazione non creata, file lasciato in %1").arg(path));
        return;
    }
    std::int64_t seconds = 0;
    if (m_player.MeasureSeconds(path, settings.playAlternative, seconds))
        SetDurationMs(*entry, seconds * 1000);
    else
        entry->m_dtDuration = COleDateTime(-1.0);
    SetSizeFromFile(*entry, path);
    m_window.InsertRowAtTop(*entry, false);
    StoreFinishedFile(*entry, path);
}

QString CRecordingControl::WriterTemporaryPath() const
{
    return m_catalogue.WorkFolder() + LoadText(IDS_TEMP_RECORDING_FILE);
}

// The writer hands one-file segments over in its own temporary file, which it
// truncates for the next segment: the segment is moved out of its way first.
QString CRecordingControl::TakeSegmentFile(const QString& path)
{
    if (QFileInfo(path).absoluteFilePath() != QFileInfo(WriterTemporaryPath()).absoluteFilePath())
        return path;
    const QString staged = UnusedFilePath(m_catalogue.WorkFolder(), QStringLiteral("SEG_"), QStringLiteral(".snx"));
    const FileError error = MoveFileNoReplace(path, staged);
    if (error != FileError::None) {
        WriteLog(QStringLiteral("Segmento non spostato da %1 (errore %2)").arg(path).arg(SystemErrorNumber(error)));
        return QString();
    }
    return staged;
}

// Where the growing single file is now. A rename of the entry while it records
// changes its name, and the file follows; a rename in place has already moved
// the file itself, which is known by its identity, never by its name alone.
QString CRecordingControl::LocateSingleFile(const CRecordingEntry& entry)
{
    const QString wanted = entry.m_strFolder + entry.m_strName + LoadText(IDS_EXT_MP3);
    if (m_singleFilePath.isEmpty() || wanted == m_singleFilePath)
        return m_singleFilePath;
    if (QFileInfo::exists(m_singleFilePath)) {
        if (MoveFileNoReplace(m_singleFilePath, wanted) == FileError::None)
            m_singleFilePath = wanted;
    } else if (!m_singleFileId.IsEmpty() && IdentityOf(wanted) == m_singleFileId) {
        m_singleFilePath = wanted;
    }
    return m_singleFilePath;
}

void CRecordingControl::AddSegmentToSingleFile(CRecordingEntry& entry, const QString& segmentPath)
{
    if (segmentPath.isEmpty())
        return;
    bool added = false;
    if (m_singleFilePath.isEmpty()) {
        // The first piece makes a file of its own; a file already under the
        // recording's name (not listed, or someone else's) is never written into.
        QString target = entry.FilePath();
        added = AppendFileTo(segmentPath, target, AppendTarget::NewFile);
        if (!added && QFileInfo::exists(target)) {
            target = UnusedFilePath(m_catalogue.WorkFolder(), QStringLiteral("AUTO_"), QStringLiteral(".snx"));
            added = AppendFileTo(segmentPath, target, AppendTarget::NewFile);
        }
        if (added)
            m_singleFilePath = target;
    } else {
        added = AppendFileTo(segmentPath, LocateSingleFile(entry));
    }

    if (added) {
        m_singleFileId = IdentityOf(m_singleFilePath);
        QFile::remove(segmentPath);
    } else {
        WriteLog(QStringLiteral("Segmento non aggiunto a %1, lasciato in %2").arg(m_singleFilePath, segmentPath));
        m_window.ShowNotice(MessageWithPath(IDS_SAVE_FAILED, segmentPath), PromptIcon::Stop);
    }
    SetSizeFromFile(entry, m_singleFilePath);
}

// The save dialog renames the recording's audio to its final name: the single
// file is handed to it under a name of its own, as the writer hands segments over.
QString CRecordingControl::SingleFileForSaveDialog()
{
    if (m_singleFileEntry)
        LocateSingleFile(*m_singleFileEntry);
    if (m_singleFilePath.isEmpty() || !QFileInfo::exists(m_singleFilePath))
        return QString();
    const QString staged = UnusedFilePath(m_catalogue.WorkFolder(), QStringLiteral("AUTO_"), QStringLiteral(".snx"));
    if (MoveFileNoReplace(m_singleFilePath, staged) != FileError::None)
        return m_singleFilePath;
    m_singleFilePath = staged;
    return staged;
}

void CRecordingControl::DeleteHandedOverFile(const QString& path)
{
    // The writer's own file is reused for the next segment; it is never deleted here.
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(WriterTemporaryPath()).absoluteFilePath())
        return;
    QFile::remove(path);
}

void CRecordingControl::OnButtonRepeat(int controlId)
{
    if (!IsPlayingOrPaused() || (controlId != IDC_FAST_FORWARD && controlId != IDC_FAST_REWIND)) {
        m_window.SetFocusTo(IDC_CALL_LOG);
        return;
    }
    const bool forward = controlId == IDC_FAST_FORWARD;
    std::uint32_t position = 0;
    if (m_pausedPositionMs > 0) {
        position = forward ? m_player.FastForward(m_pausedPositionMs, false) : m_player.Rewind(m_pausedPositionMs, false);
        if (position > 0)
            m_pausedPositionMs = position;
        else
            position = m_pausedPositionMs;
    } else {
        position = forward ? m_player.FastForward(0, true) : m_player.Rewind(0, true);
    }
    const int seconds = static_cast<int>(position / 1000);
    m_window.ShowPlayingTime(seconds);
    m_window.SetPositionBar(seconds);
    m_window.SetFocusTo(IDC_CALL_LOG);
}

void CRecordingControl::OnSeekPosition(int seconds)
{
    if (!IsPlayingOrPaused())
        return;
    const int range = m_window.PositionBarRange();
    std::uint32_t length = 0;
    std::uint32_t position = 0;
    m_player.GetStatus(length, position);
    std::uint32_t target = 0;
    if (range > 0)
        target = static_cast<std::uint32_t>(std::llround(static_cast<double>(seconds) / range * length));
    if (m_pausedPositionMs > 0)
        m_pausedPositionMs = std::max<std::uint32_t>(target, 1);
    else
        m_player.Seek(target);
    m_window.ShowPlayingTime(seconds);
    m_window.SetPositionBar(seconds);
}

void CRecordingControl::OnInputLevel(int peak)
{
    if (m_state == RecorderState::Idle || m_state == RecorderState::Playing)
        return;
    m_window.SetLevel(peak);
}

int CRecordingControl::OnThresholdChanged(int threshold)
{
    m_settings.SaveThreshold(threshold);
    m_engine.SetCaptureThreshold(threshold);
    return 1;
}

void CRecordingControl::OnTimer(int id)
{
    switch (id) {
    case TIMER_RECORDING_TIME: {
        std::int64_t seconds = ElapsedMs(m_recordingStartTick, timeGetSystemTime()) / 1000;
        if (IsAutoRecordingOn(m_state) && IsRecording(m_state) && m_current &&
            m_current == m_singleFileEntry)
            seconds += m_singleFileMs / 1000;
        m_window.ShowRecordingTime(seconds);
        break;
    }
    case TIMER_PLAYING_POSITION: {
        std::uint32_t length = 0;
        std::uint32_t position = 0;
        m_player.GetStatus(length, position);
        const int seconds =
            length > 0 ? static_cast<int>(static_cast<double>(position) / length * m_playingDurationSeconds) : 0;
        m_window.SetPositionBar(seconds);
        m_window.ShowPlayingTime(seconds);
        if (position >= length)
            OnStopPlaying();
        break;
    }
    case TIMER_WARNING_SOUND: {
        StopWarning();
        if (!IsRecording(m_state))
            break;
        const RecordingSettings settings = m_settings.Current();
        if (settings.warningEvery)
            m_window.StartTimer(TIMER_WARNING_SOUND, settings.warningEverySeconds * 1000);
        const bool automatic = IsAutoRecordingOn(m_state) && IsRecording(m_state);
        if (automatic)
            m_window.SetSpeakerVolume(m_savedSpeakerVolume);
        if (!m_warningPlayer.Play(settings.warningFile, settings.playAlternative)) {
            m_window.ShowNotice(LoadText(IDS_WARNING_UNPLAYABLE), PromptIcon::Exclamation);
            m_warningPlayer.Stop();
            if (IsAutoRecordingOn(m_state))
                m_window.SetSpeakerVolume(0);
            break;
        }
        std::uint32_t length = 0;
        std::uint32_t position = 0;
        m_warningPlayer.GetStatus(length, position);
        if (length > 0)
            m_window.StartTimer(TIMER_WARNING_SOUND_END, static_cast<int>(length));
        break;
    }
    case TIMER_WARNING_SOUND_END:
        m_window.KillTimer(TIMER_WARNING_SOUND_END);
        if (IsAutoRecordingOn(m_state))
            m_window.SetSpeakerVolume(0);
        break;
    default:
        break;
    }
}

}  // namespace sonvelle
