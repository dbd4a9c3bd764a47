#include "mainwnd/RecordingWindowBridge.h"

#include "app/AppSettings.h"
#include "app/SettingsStore.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingSaveStep.h"
#include "mainwnd/SpeakerLine.h"
#include "platform/Log.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "resources/StringTable.h"
#include "skin/CColorStatic.h"
#include "skin/CLevelMeter.h"
#include "skin/CPositionBar.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTreeView>

#include <chrono>

namespace sonvelle {

class CRecordingBridge::CPlayerPort : public IRecordingPlayer {
public:
    explicit CPlayerPort(CSoundPlayer& player) : m_player(player) {}
    bool Play(const QString& path, bool alternative) override { return m_player.Play(path, nullptr, alternative); }
    void Stop() override { m_player.Stop(); }
    bool Pause() override { return m_player.Pause(); }
    bool Seek(std::uint32_t positionMs) override { return m_player.Seek(positionMs); }
    void GetStatus(std::uint32_t& lengthMs, std::uint32_t& positionMs) override
    {
        m_player.GetStatus(lengthMs, positionMs);
    }
    std::uint32_t FastForward(std::uint32_t positionMs, bool apply) override
    {
        return m_player.FastForward(positionMs, apply);
    }
    std::uint32_t Rewind(std::uint32_t positionMs, bool apply) override { return m_player.Rewind(positionMs, apply); }
    bool MeasureSeconds(const QString& path, bool alternative, std::int64_t& seconds) override
    {
        std::chrono::seconds duration{0};
        const bool ok = m_player.CalcolaDurata(path, alternative, duration);
        seconds = duration.count();
        return ok;
    }

private:
    CSoundPlayer& m_player;
};

// The Play command's view of the window: the state and the paused position are the recording control's.
class CRecordingBridge::CPlayCommandPort : public IPlayCommandWindow {
public:
    explicit CPlayCommandPort(CRecordingBridge& bridge) : m_bridge(bridge) {}

    int RecordingState() const override { return m_bridge.Control().State(); }
    void SetRecordingState(int state) override
    {
        m_bridge.Control().SetState(state);
        m_bridge.SyncWindowState();
    }
    std::uint32_t PausedPosition() const override { return m_bridge.Control().PausedPosition(); }
    void ClearPausedPosition() override { m_bridge.Control().ClearPausedPosition(); }
    void StopPlaying() override
    {
        m_bridge.Control().OnStopPlaying();
        m_bridge.SyncWindowState();
    }
    std::optional<CPlayableRecording> SelectedRecording() const override
    {
        if (m_bridge.ListItemCount() == 0)
            return std::nullopt;
        CRecordingEntry* entry = m_bridge.SelectedRecording();
        if (!entry)
            return std::nullopt;
        return Playable(*entry);
    }
    std::optional<CPlayableRecording> PlayingRecording() const override
    {
        CRecordingEntry* entry = m_bridge.Control().PlayingRecording();
        if (!entry)
            return std::nullopt;
        return Playable(*entry);
    }
    void SetPlayingRecording(const CPlayableRecording& recording) override
    {
        CRecordingEntry* entry = m_bridge.m_window.CallLog().Catalogue().FindByName(recording.name);
        m_bridge.Control().SetPlayingRecording(entry, recording.durationSeconds);
        m_bridge.m_window.CallLog().SetPlayingName(recording.name);
        if (entry)
            m_bridge.UpdateRow(*entry);
    }
    bool IndexInUse() const override { return m_bridge.m_window.CallLog().Catalogue().IsIndexOpen(); }
    void UpdateIndexEntry(const CPlayableRecording& recording) override
    {
        if (CRecordingEntry* entry = m_bridge.m_window.CallLog().Catalogue().FindByName(recording.name))
            m_bridge.m_window.CallLog().Catalogue().RefreshEntry(*entry);
    }
    void SetPositionBarRange(int seconds) override
    {
        if (auto* bar = qobject_cast<CPositionBar*>(m_bridge.m_window.Control(IDC_POSITION_BAR))) {
            bar->SetRange(0, seconds);
            bar->EnableSeek(true);
        }
        m_bridge.EnablePositionBar(true);
    }
    void EnablePlayingControls() override
    {
        for (int id : {IDC_STOP, IDC_PAUSE, IDC_FAST_REWIND, IDC_FAST_FORWARD})
            m_bridge.EnableControl(id, true);
    }
    void RestartPlayTimer() override { m_bridge.StartTimer(TIMER_PLAYING_POSITION, 450); }
    bool PlayAlternativo() const override { return m_bridge.m_settings.PlayAlternativo; }

private:
    static CPlayableRecording Playable(const CRecordingEntry& entry)
    {
        CPlayableRecording playable;
        playable.folder = entry.m_strFolder;
        playable.name = entry.m_strName;
        playable.entryState = entry.GetState();
        playable.isProtected = entry.m_bProtected;
        playable.durationSeconds = entry.IsDurationUnknown() ? 0 : entry.m_dtDuration.SecondsOfDay();
        return playable;
    }

    CRecordingBridge& m_bridge;
};

CRecordingBridge::CRecordingBridge(CMainDlg& window, CAppSettings& settings, CSettingsStore& store)
    : m_window(window), m_settings(settings), m_store(store)
{
    m_registraPort = std::make_unique<CPlayerPort>(m_registra);
    m_warningPort = std::make_unique<CPlayerPort>(m_warning);
    m_control = std::make_unique<CRecordingControl>(*this, *this, *m_registraPort, *m_warningPort, *this, *this);
    m_playCommand = std::make_unique<CPlayCommandPort>(*this);
}

CRecordingBridge::~CRecordingBridge()
{
    m_registra.Stop();
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

void CRecordingBridge::SyncWindowState()
{
    m_window.SetRecordingState(m_control->State());
}

// ---------------------------------------------------------------------------
// Worker threads

void CRecordingBridge::CreateWorkerThreads()
{
    m_capture = std::make_unique<CRecordSound>(32000);
    m_writer = std::make_unique<CWriteSoundFile>(32000);
    m_capture->mainWindow = &m_window;
}

void CRecordingBridge::StartWorkerThreads(const QString& programFolder, const QString& workFolder)
{
    if (!m_capture)
        CreateWorkerThreads();
    m_capture->SetAntiBumpEnabled(m_settings.AntiBump);
    m_capture->Start();
    m_writer->Start();
    m_writer->SetFolders(programFolder, workFolder);
    m_writer->mainWindow = &m_window;
    m_capture->PostThreadMessage(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(m_writer.get()));
}

CWorkerThread* CRecordingBridge::CaptureThread() const
{
    return m_capture.get();
}

// ---------------------------------------------------------------------------
// Commands

void CRecordingBridge::OnPlay()
{
    RunPlayCommand(*m_playCommand, m_registra);
    SyncWindowState();
}

void CRecordingBridge::PlayRow(int row)
{
    m_window.CallLog().SelectRow(row);
    OnPlay();
}

void CRecordingBridge::Play()
{
    OnPlay();
}

void CRecordingBridge::Record() { m_control->OnRecord(); SyncWindowState(); }
void CRecordingBridge::Stop() { m_control->OnStop(); SyncWindowState(); }
void CRecordingBridge::StopPlaying() { m_control->OnStopPlaying(); SyncWindowState(); }
void CRecordingBridge::Pause() { m_control->OnPause(); SyncWindowState(); }
void CRecordingBridge::AutoRecording() { m_control->OnAutoRecording(); SyncWindowState(); }
void CRecordingBridge::VoiceDetected() { m_control->OnVoiceDetected(); SyncWindowState(); }
void CRecordingBridge::ButtonRepeat(int controlId) { m_control->OnButtonRepeat(controlId); SyncWindowState(); }
void CRecordingBridge::SeekPosition(int seconds) { m_control->OnSeekPosition(seconds); SyncWindowState(); }
void CRecordingBridge::InputLevel(int peak) { m_control->OnInputLevel(peak); }
int CRecordingBridge::ThresholdChanged(int threshold) { return m_control->OnThresholdChanged(threshold); }
void CRecordingBridge::Timer(int id) { m_control->OnTimer(id); SyncWindowState(); }
void CRecordingBridge::SetStateIdle() { m_control->SetStateIdle(); SyncWindowState(); }
void CRecordingBridge::EndAutoRecording() { m_control->EndAutoRecording(); SyncWindowState(); }
void CRecordingBridge::EndManualRecording() { m_control->EndManualRecording(); SyncWindowState(); }

void CRecordingBridge::RecordingFileReady(const QString& path, bool discard)
{
    m_control->OnRecordingFileReady(path, discard);
    SyncWindowState();
}

// ---------------------------------------------------------------------------
// IRecordingWindow

void CRecordingBridge::EnableControl(int id, bool enable)
{
    m_window.EnableControl(id, enable);
}

void CRecordingBridge::SetFocusTo(int id)
{
    if (QWidget* control = m_window.Control(id))
        control->setFocus();
}

bool CRecordingBridge::HasFocus(int id) const
{
    QWidget* control = m_window.Control(id);
    return control && control->hasFocus();
}

void CRecordingBridge::StartTimer(int id, int periodMs)
{
    m_window.SetTimer(id, periodMs);
}

void CRecordingBridge::KillTimer(int id)
{
    m_window.KillTimer(id);
}

void CRecordingBridge::ShowAutoRecordingOn()
{
    // The window draws the auto-recording picture from the state.
    SyncWindowState();
    m_window.UpdateRecordButtons();
}

void CRecordingBridge::UpdateRecordButtons()
{
    SyncWindowState();
    m_window.UpdateRecordButtons();
}

void CRecordingBridge::UpdateListDependentControls()
{
    SyncWindowState();
    m_window.UpdateListDependentControls();
}

int CRecordingBridge::ListItemCount() const
{
    return m_window.CallLog().Model().Count();
}

namespace {

CColorStatic* Static(CMainDlg& window, int id)
{
    return qobject_cast<CColorStatic*>(window.Control(id));
}

void SetStatic(CMainDlg& window, int id, const QString& text, const QColor* colour)
{
    if (CColorStatic* field = Static(window, id)) {
        field->SetCaption(text);
        if (colour)
            field->SetTextColorAndRedraw(*colour);
    }
}

}  // namespace

void CRecordingBridge::ShowRecordingStarted()
{
    SetStatic(m_window, IDC_REC_MINUTES, LoadText(6), &kRecordingText);
    SetStatic(m_window, IDC_REC_SECONDS, LoadText(6), &kRecordingText);
    SetStatic(m_window, IDC_REC_STATUS, LoadText(5), &kRecordingText);
    if (CColorStatic* colon = Static(m_window, IDC_REC_COLON))
        colon->SetTextColorAndRedraw(kRecordingText);
}

void CRecordingBridge::ShowRecordingTime(std::int64_t seconds)
{
    m_window.ShowRecordingTime(std::chrono::seconds(seconds));
}

void CRecordingBridge::ShowPlayingTime(std::int64_t seconds)
{
    m_window.ShowPlayingTime(std::chrono::seconds(seconds));
}

void CRecordingBridge::ShowPlayingIdle()
{
    SetStatic(m_window, IDC_PLAY_STATUS, QString(), &kDisplayText);
    SetStatic(m_window, IDC_PLAY_MINUTES, LoadText(2), &kDisplayText);
    SetStatic(m_window, IDC_PLAY_SECONDS, LoadText(2), &kDisplayText);
}

void CRecordingBridge::ShowPaused()
{
    SetStatic(m_window, IDC_PLAY_STATUS, LoadText(152), nullptr);
}

void CRecordingBridge::EnablePositionBar(bool enable)
{
    if (QWidget* bar = m_window.Control(IDC_POSITION_BAR)) {
        bar->setEnabled(enable);
        if (auto* position = qobject_cast<CPositionBar*>(bar))
            position->EnableSeek(enable);
    }
}

void CRecordingBridge::SetPositionBar(int seconds)
{
    if (auto* bar = qobject_cast<CPositionBar*>(m_window.Control(IDC_POSITION_BAR)))
        bar->SetPos(seconds);
}

int CRecordingBridge::PositionBarRange() const
{
    auto* bar = qobject_cast<CPositionBar*>(m_window.Control(IDC_POSITION_BAR));
    return bar ? bar->Max() : 0;
}

void CRecordingBridge::SetLevel(int peak)
{
    if (auto* meter = qobject_cast<CLevelMeter*>(m_window.Control(IDC_LEVEL_METER)))
        meter->SetLevel(peak);
}

void CRecordingBridge::SetLevelAtRest()
{
    SetLevel(0);
}

void CRecordingBridge::SetThresholdMark(int threshold)
{
    if (auto* meter = qobject_cast<CLevelMeter*>(m_window.Control(IDC_LEVEL_METER)))
        meter->SetThreshold(threshold);
}

std::uint32_t CRecordingBridge::SpeakerVolume()
{
    std::uint32_t volume = 0;
    if (m_speakers && m_speakers->GetVolume(volume))
        return volume;
    if (auto* slider = qobject_cast<QSlider*>(m_window.Control(IDC_VOLUME)))
        return static_cast<std::uint32_t>(slider->value());
    return m_volumeWithoutLine;
}

void CRecordingBridge::SetSpeakerVolume(std::uint32_t volume)
{
    m_volumeWithoutLine = volume;
    if (m_speakers)
        m_speakers->SetVolume(volume);
}

bool CRecordingBridge::IsVolumeSliderEnabled() const
{
    QWidget* slider = m_window.Control(IDC_VOLUME);
    return !slider || slider->isEnabled();
}

void CRecordingBridge::EnableVolumeSlider(bool enable)
{
    m_window.EnableControl(IDC_VOLUME, enable);
}

void CRecordingBridge::SetVolumeSlider(std::uint32_t position)
{
    if (auto* slider = qobject_cast<QSlider*>(m_window.Control(IDC_VOLUME))) {
        const QSignalBlocker block(slider);
        slider->setValue(static_cast<int>(position));
    }
}

QString CRecordingBridge::ShownName(const CRecordingEntry& entry) const
{
    const auto found = m_shownNames.find(&entry);
    return found != m_shownNames.end() ? found->second : entry.m_strName;
}

void CRecordingBridge::InsertRowAtTop(CRecordingEntry& entry, bool select)
{
    CCallLog& log = m_window.CallLog();
    if (select)
        log.AddRow(entry, 0);
    else
        log.Model().InsertRow(0, log.MakeRow(entry));
    m_shownNames[&entry] = entry.m_strName;
}

void CRecordingBridge::UpdateRow(CRecordingEntry& entry)
{
    CCallLog& log = m_window.CallLog();
    if (!log.RewriteRow(ShownName(entry), entry))
        log.RewriteRow(entry.m_strName, entry);
    m_shownNames[&entry] = entry.m_strName;
}

void CRecordingBridge::RemoveRowAndEntry(CRecordingEntry& entry)
{
    CCallLog& log = m_window.CallLog();
    const int row = log.Model().FindByNameIgnoringCase(ShownName(entry));
    m_shownNames.erase(&entry);
    if (row >= 0)
        log.Model().RemoveRowAt(row);
    m_window.ForgetEntry(&entry);
    log.Catalogue().RemoveEntry(&entry);
    if (log.Model().Count() > 0)
        log.SelectRow(std::min(std::max(row, 0), log.Model().Count() - 1));
}

void CRecordingBridge::ShowRowNotPlaying(CRecordingEntry& entry)
{
    m_window.CallLog().SetPlayingName(QString());
    UpdateRow(entry);
}

CRecordingEntry* CRecordingBridge::SelectedRecording() const
{
    return m_window.CallLog().SelectedEntry();
}

void CRecordingBridge::SaveTypedNameAndNotes()
{
    m_window.SaveTypedNameAndNotes();
}

void CRecordingBridge::ShowNameAndNotes(CRecordingEntry& entry)
{
    m_window.ShowNameAndNotes(entry);
}

bool CRecordingBridge::IsInTray() const
{
    return false;
}

void CRecordingBridge::SetTrayIcon(int /*iconId*/, const QString& /*tip*/) {}

bool CRecordingBridge::ShowSaveDialog(CRecordingEntry& entry, const QString& file)
{
    if (m_saveStep)
        return m_saveStep(entry, WorkFolder(), file);
    return RunRecordingSaveStep(&m_window, entry, WorkFolder(), file, m_settings.PlayAlternativo);
}

void CRecordingBridge::ReloadCatalogueAndList()
{
    m_shownNames.clear();
    m_window.LoadWorkFolder(WorkFolder());
}

// ---------------------------------------------------------------------------
// IRecordingCatalogue

CRecordingEntry* CRecordingBridge::CreateRecording(const QString& operatorName)
{
    CRecordingList& catalogue = m_window.CallLog().Catalogue();
    CRecordingEntry* entry = catalogue.CreateEntry({}, operatorName);
    if (entry)
        entry->m_strOperator = operatorName;
    return entry;
}

CRecordingEntry* CRecordingBridge::FirstInState(int state)
{
    for (const auto& entry : m_window.CallLog().Catalogue().Entries())
        if (entry->GetState() == state)
            return entry.get();
    return nullptr;
}

bool CRecordingBridge::Contains(const CRecordingEntry* entry) const
{
    return m_window.CallLog().Catalogue().IndexOf(entry) >= 0;
}

void CRecordingBridge::SaveIndex()
{
    m_window.CallLog().SavePending();
}

QString CRecordingBridge::WorkFolder() const
{
    const QString folder = m_window.CallLog().Catalogue().Folder();
    return folder.isEmpty() ? WithTrailingSlash(m_settings.WorkDir) : folder;
}

// ---------------------------------------------------------------------------
// IRecordingEngine

void CRecordingBridge::Registra()
{
    m_registra.Registra(m_capture.get());
}

void CRecordingBridge::StopRecording()
{
    m_registra.StopRecording(m_capture.get(), m_writer.get());
}

void CRecordingBridge::EnableVoiceActivation()
{
    m_registra.EnableVoiceActivation(m_capture.get());
}

void CRecordingBridge::DisableVoiceActivation()
{
    m_registra.DisableVoiceActivation(m_capture.get());
}

void CRecordingBridge::SetCaptureSettings(int silenceSeconds, bool /*oneFile*/, int threshold)
{
    if (!m_capture)
        return;
    m_capture->SetSilenceSeconds(silenceSeconds);
    m_capture->SetActivationThreshold(threshold);
    m_capture->SetAntiBumpEnabled(m_settings.AntiBump);
}

void CRecordingBridge::SetCaptureThreshold(int threshold)
{
    if (m_capture)
        m_capture->SetActivationThreshold(threshold);
}

void CRecordingBridge::SetWriterOneFile(bool oneFile)
{
    if (m_writer)
        m_writer->singleFile = oneFile ? 1 : 0;
}

void CRecordingBridge::GiveWriterMainWindow()
{
    if (m_writer)
        m_writer->mainWindow = &m_window;
}

// ---------------------------------------------------------------------------
// IRecordingSettings

RecordingSettings CRecordingBridge::Current() const
{
    RecordingSettings s;
    s.operatorName = m_settings.Operatore;
    s.silenceSeconds = LeadingInt(m_settings.TempoAttesaRegAuto);
    s.oneFile = IsFlagOn(m_settings.RegAutoSalvaUnicoFile);
    s.threshold = LeadingInt(m_settings.SogliaAttivazioneRegAuto);
    s.askConfirmation = m_settings.ChiediConfermaAutoRec;
    s.warningSound = m_settings.AbilitaSegnaleAcustico;
    s.warningAfter = m_settings.SegnaleAcusticoInviaDopo;
    s.warningAfterSeconds = m_settings.SegnaleAcusticoInviaDopoValore;
    s.warningEvery = m_settings.SegnaleAcusticoInviaOgni;
    s.warningEverySeconds = m_settings.SegnaleAcusticoInviaOgniValore;
    s.warningFile = m_settings.SegnaleAcusticoFile;
    s.playAlternative = m_settings.PlayAlternativo;
    return s;
}

void CRecordingBridge::ReloadAutoRecordingValues()
{
    m_store.ReloadAutoRecordingValues();
}

void CRecordingBridge::SaveThreshold(int threshold)
{
    m_store.SaveThreshold(threshold);
}

}  // namespace sonvelle
