#include "mainwnd/RecordingWindowAdapter.h"

#include "app/AppSettings.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainWindowTray.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingSaveStep.h"
#include "mainwnd/SpeakerLine.h"
#include "resources/StringTable.h"
#include "skin/CColorStatic.h"
#include "skin/CLevelMeter.h"
#include "skin/CPositionBar.h"
#include "store/RecordingDeleter.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QMessageBox>
#include <QSignalBlocker>
#include <QSlider>

#include <chrono>

namespace sonvelle {

void CRecordingWindowAdapter::EnableControl(int id, bool enable)
{
    m_window.EnableControl(id, enable);
}

void CRecordingWindowAdapter::SetFocusTo(int id)
{
    if (QWidget* control = m_window.Control(id))
        control->setFocus();
}

void CRecordingWindowAdapter::StartTimer(int id, int periodMs)
{
    m_window.SetTimer(id, periodMs);
}

void CRecordingWindowAdapter::KillTimer(int id)
{
    m_window.KillTimer(id);
}

void CRecordingWindowAdapter::ShowAutoRecordingOn()
{
    // The window draws the auto-recording picture from the state.
    m_window.UpdateRecordButtons();
}

void CRecordingWindowAdapter::UpdateRecordButtons()
{
    m_window.UpdateRecordButtons();
}

void CRecordingWindowAdapter::UpdateListDependentControls()
{
    m_window.UpdateListDependentControls();
}

int CRecordingWindowAdapter::ListItemCount() const
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

void CRecordingWindowAdapter::ShowRecordingStarted()
{
    SetStatic(m_window, IDC_REC_MINUTES, LoadText(IDS_TIME_ZERO), &kRecordingText);
    SetStatic(m_window, IDC_REC_SECONDS, LoadText(IDS_TIME_ZERO), &kRecordingText);
    SetStatic(m_window, IDC_REC_STATUS, LoadText(IDS_STATUS_REC), &kRecordingText);
    if (CColorStatic* colon = Static(m_window, IDC_REC_COLON))
        colon->SetTextColorAndRedraw(kRecordingText);
}

void CRecordingWindowAdapter::ShowRecordingTime(std::int64_t seconds)
{
    m_window.ShowRecordingTime(std::chrono::seconds(seconds));
}

void CRecordingWindowAdapter::ShowPlayingTime(std::int64_t seconds)
{
    m_window.ShowPlayingTime(std::chrono::seconds(seconds));
}

void CRecordingWindowAdapter::ShowPlayingIdle()
{
    SetStatic(m_window, IDC_PLAY_STATUS, QString(), &kDisplayText);
    SetStatic(m_window, IDC_PLAY_MINUTES, LoadText(IDS_TIME_BLANK), &kDisplayText);
    SetStatic(m_window, IDC_PLAY_SECONDS, LoadText(IDS_TIME_BLANK), &kDisplayText);
}

void CRecordingWindowAdapter::ShowPaused()
{
    SetStatic(m_window, IDC_PLAY_STATUS, LoadText(IDS_STATUS_PAUSE), nullptr);
}

void CRecordingWindowAdapter::EnablePositionBar(bool enable)
{
    if (QWidget* bar = m_window.Control(IDC_POSITION_BAR)) {
        bar->setEnabled(enable);
        if (auto* position = qobject_cast<CPositionBar*>(bar))
            position->EnableSeek(enable);
    }
}

void CRecordingWindowAdapter::SetPositionBar(int seconds)
{
    if (auto* bar = qobject_cast<CPositionBar*>(m_window.Control(IDC_POSITION_BAR)))
        bar->SetPos(seconds);
}

void CRecordingWindowAdapter::SetPositionBarRange(int seconds)
{
    if (auto* bar = qobject_cast<CPositionBar*>(m_window.Control(IDC_POSITION_BAR))) {
        bar->SetRange(0, seconds);
        bar->EnableSeek(true);
    }
    EnablePositionBar(true);
}

int CRecordingWindowAdapter::PositionBarRange() const
{
    auto* bar = qobject_cast<CPositionBar*>(m_window.Control(IDC_POSITION_BAR));
    return bar ? bar->Max() : 0;
}

void CRecordingWindowAdapter::SetLevel(int peak)
{
    if (auto* meter = qobject_cast<CLevelMeter*>(m_window.Control(IDC_LEVEL_METER)))
        meter->SetLevel(peak);
}

void CRecordingWindowAdapter::SetLevelAtRest()
{
    SetLevel(0);
}

void CRecordingWindowAdapter::SetThresholdMark(int threshold)
{
    if (auto* meter = qobject_cast<CLevelMeter*>(m_window.Control(IDC_LEVEL_METER)))
        meter->SetThreshold(threshold);
}

std::uint32_t CRecordingWindowAdapter::SpeakerVolume()
{
    std::uint32_t volume = 0;
    if (m_speakers && m_speakers->GetVolume(volume))
        return volume;
    if (auto* slider = qobject_cast<QSlider*>(m_window.Control(IDC_VOLUME)))
        return static_cast<std::uint32_t>(slider->value());
    return m_volumeWithoutLine;
}

void CRecordingWindowAdapter::SetSpeakerVolume(std::uint32_t volume)
{
    m_volumeWithoutLine = volume;
    if (m_speakers)
        m_speakers->SetVolume(volume);
}

bool CRecordingWindowAdapter::IsVolumeSliderEnabled() const
{
    QWidget* slider = m_window.Control(IDC_VOLUME);
    return !slider || slider->isEnabled();
}

void CRecordingWindowAdapter::EnableVolumeSlider(bool enable)
{
    m_window.EnableControl(IDC_VOLUME, enable);
}

void CRecordingWindowAdapter::SetVolumeSlider(std::uint32_t position)
{
    if (auto* slider = qobject_cast<QSlider*>(m_window.Control(IDC_VOLUME))) {
        const QSignalBlocker block(slider);
        slider->setValue(static_cast<int>(position));
    }
}

QString CRecordingWindowAdapter::ShownName(const CRecordingEntry& entry) const
{
    const auto found = m_shownNames.find(&entry);
    return found != m_shownNames.end() ? found->second : entry.m_strName;
}

void CRecordingWindowAdapter::InsertRowAtTop(CRecordingEntry& entry, bool select)
{
    CCallLog& log = m_window.CallLog();
    if (select)
        log.AddRow(entry, 0);
    else
        log.Model().InsertRow(0, log.MakeRow(entry));
    m_shownNames[&entry] = entry.m_strName;
}

void CRecordingWindowAdapter::UpdateRow(CRecordingEntry& entry)
{
    CCallLog& log = m_window.CallLog();
    if (!log.RewriteRow(ShownName(entry), entry))
        log.RewriteRow(entry.m_strName, entry);
    m_shownNames[&entry] = entry.m_strName;
}

void CRecordingWindowAdapter::RemoveRowAndEntry(CRecordingEntry& entry)
{
    CCallLog& log = m_window.CallLog();
    const int row = log.Model().FindByNameIgnoringCase(ShownName(entry));
    m_shownNames.erase(&entry);
    if (row >= 0)
        log.Model().RemoveRowAt(row);
    m_window.ForgetEntry(&entry);
    // No file is touched: a recording the user declined has none under its name.
    if (log.Catalogue().FindByName(entry.m_strName) == &entry)
        DeleteRecordings(log.Catalogue(), {entry.m_strName}, false);
    else
        log.Catalogue().RemoveEntry(&entry);
    if (log.Model().Count() > 0)
        log.SelectRow(std::min(std::max(row, 0), log.Model().Count() - 1));
}

void CRecordingWindowAdapter::ShowNotice(const QString& text, PromptIcon icon)
{
    // A modal box would run the window's events inside the handler that shows
    // it: new segments, a Stop or a Record would change the recording under it.
    std::erase_if(m_notices, [](const auto& notice) { return !notice.second; });
    if (QPointer<QMessageBox>& open = m_notices[text]; open && open->isVisible()) {
        open->raise();
        return;
    }
    const QMessageBox::Icon shown = icon == PromptIcon::Stop          ? QMessageBox::Critical
                                    : icon == PromptIcon::Exclamation ? QMessageBox::Warning
                                                                      : QMessageBox::Information;
    auto* box = new QMessageBox(shown, LoadText(IDS_APP_NAME), text, QMessageBox::Ok, &m_window);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    m_notices[text] = box;
    box->show();
}

void CRecordingWindowAdapter::Play()
{
    m_window.PlaySelected();
}

void CRecordingWindowAdapter::ShowRowNotPlaying(CRecordingEntry& entry)
{
    m_window.CallLog().SetPlayingName(QString());
    UpdateRow(entry);
}

CRecordingEntry* CRecordingWindowAdapter::SelectedRecording() const
{
    return m_window.CallLog().SelectedEntry();
}

void CRecordingWindowAdapter::SaveTypedNameAndNotes()
{
    m_window.SaveTypedNameAndNotes();
}

void CRecordingWindowAdapter::ShowNameAndNotes(CRecordingEntry& entry)
{
    m_window.ShowNameAndNotes(entry);
}

bool CRecordingWindowAdapter::IsInTray() const
{
    return m_window.Tray().IsInNotificationArea();
}

void CRecordingWindowAdapter::SetTrayIcon(int iconId, const QString& /*tip*/)
{
    m_window.Tray().SetIcon(iconId);
}

bool CRecordingWindowAdapter::ShowSaveDialog(CRecordingEntry& entry, const QString& file)
{
    const QString folder = m_catalogue.WorkFolder();
    if (m_saveStep)
        return m_saveStep(entry, folder, file);
    return RunRecordingSaveStep(&m_window, entry, folder, file, m_settings.PlayAlternativo);
}

void CRecordingWindowAdapter::ReloadCatalogueAndList()
{
    m_shownNames.clear();
    m_window.LoadWorkFolder(m_catalogue.WorkFolder());
}

}  // namespace sonvelle
