#pragma once
// The main window as the recording control sees it: its controls, timers,
// displays, list rows, speakers and the save dialog.

#include "mainwnd/RecordingControlPorts.h"

#include <QPointer>

#include <functional>
#include <map>

class QMessageBox;

namespace sonvelle {

class CMainDlg;
class ISpeakerLine;
struct CAppSettings;

class CRecordingWindowAdapter : public IRecordingWindow {
public:
    CRecordingWindowAdapter(CMainDlg& window, IRecordingCatalogue& catalogue, const CAppSettings& settings)
        : m_window(window), m_catalogue(catalogue), m_settings(settings)
    {
    }

    // The mixer's speakers line once it exists; null until then.
    void SetSpeakerLine(ISpeakerLine* line) { m_speakers = line; }

    // End-to-end tests answer the save dialog with a script: (entry, folder, file) → confirmed.
    using SaveStep = std::function<bool(CRecordingEntry&, const QString&, const QString&)>;
    void SetSaveStepForTesting(SaveStep step) { m_saveStep = std::move(step); }

    // A play starts: the bar spans the recording and takes clicks.
    void SetPositionBarRange(int seconds);

    void EnableControl(int id, bool enable) override;
    void SetFocusTo(int id) override;
    bool HasFocus(int id) const override;
    void StartTimer(int id, int periodMs) override;
    void KillTimer(int id) override;
    void ShowAutoRecordingOn() override;
    void UpdateRecordButtons() override;
    void UpdateListDependentControls() override;
    int ListItemCount() const override;
    void ShowRecordingStarted() override;
    void ShowRecordingTime(std::int64_t seconds) override;
    void ShowPlayingTime(std::int64_t seconds) override;
    void ShowPlayingIdle() override;
    void ShowPaused() override;
    void EnablePositionBar(bool enable) override;
    void SetPositionBar(int seconds) override;
    int PositionBarRange() const override;
    void SetLevel(int peak) override;
    void SetLevelAtRest() override;
    void SetThresholdMark(int threshold) override;
    std::uint32_t SpeakerVolume() override;
    void SetSpeakerVolume(std::uint32_t volume) override;
    bool IsVolumeSliderEnabled() const override;
    void EnableVolumeSlider(bool enable) override;
    void SetVolumeSlider(std::uint32_t position) override;
    void InsertRowAtTop(CRecordingEntry& entry, bool select) override;
    void UpdateRow(CRecordingEntry& entry) override;
    void RemoveRowAndEntry(CRecordingEntry& entry) override;
    void ShowRowNotPlaying(CRecordingEntry& entry) override;
    CRecordingEntry* SelectedRecording() const override;
    void SaveTypedNameAndNotes() override;
    void ShowNameAndNotes(CRecordingEntry& entry) override;
    bool IsInTray() const override;
    void SetTrayIcon(int iconId, const QString& tip) override;
    bool ShowSaveDialog(CRecordingEntry& entry, const QString& file) override;
    void ShowNotice(const QString& text, PromptIcon icon) override;
    void Play() override;
    void ReloadCatalogueAndList() override;

    // The catalogue is about to drop every entry: the rows' names known by entry go with them.
    void OnCatalogueCleared() { m_shownNames.clear(); }
    // An entry the catalogue is about to delete.
    void ForgetEntry(const CRecordingEntry* entry) { m_shownNames.erase(entry); }

private:
    QString ShownName(const CRecordingEntry& entry) const;

    CMainDlg& m_window;
    IRecordingCatalogue& m_catalogue;
    const CAppSettings& m_settings;
    ISpeakerLine* m_speakers = nullptr;
    std::uint32_t m_volumeWithoutLine = 0;
    SaveStep m_saveStep;
    std::map<const CRecordingEntry*, QString> m_shownNames;  // a row is found by the name it shows
    std::map<QString, QPointer<QMessageBox>> m_notices;       // open until the user closes them
};

}  // namespace sonvelle
