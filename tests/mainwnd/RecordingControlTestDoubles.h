#pragma once
// Doubles of the window, catalogue, players and worker threads for the
// recording control: each records what it was told, and the window runs its
// timers against the manual clock so that warning-sound times are exact.

#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "platform/Clock.h"
#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"
#include "store/RecordingSave.h"
#include "support/TagBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sonvelle::testing {

using S = RecorderState;

using test::ReadBytes;
using test::WriteBytes;

class CFakeCatalogue : public IRecordingCatalogue {
public:
    explicit CFakeCatalogue(QString folder) : m_folder(std::move(folder)) {}

    CRecordingEntry* CreateRecording(const QString&) override
    {
        auto entry = std::make_unique<CRecordingEntry>();
        entry->m_strName = QStringLiteral("Recording %1").arg(m_counter++);
        entry->m_strFolder = m_folder;
        entry->SetState(kStateRecording);
        entries.push_back(std::move(entry));
        return entries.back().get();
    }
    CRecordingEntry* FirstInState(int state) override
    {
        auto it = std::ranges::find_if(entries, [&](const auto& e) { return e->GetState() == state; });
        return it == entries.end() ? nullptr : it->get();
    }
    bool Contains(const CRecordingEntry* entry) const override
    {
        return std::ranges::any_of(entries, [&](const auto& e) { return e.get() == entry; });
    }
    void SaveIndex() override { ++indexSaves; }
    QString WorkFolder() const override { return m_folder; }

    std::vector<std::unique_ptr<CRecordingEntry>> entries;
    int indexSaves = 0;

private:
    QString m_folder;
    int m_counter = 1;
};

class CFakeWindow : public IRecordingWindow {
public:
    explicit CFakeWindow(CFakeCatalogue& catalogue) : m_catalogue(catalogue) {}

    void EnableControl(int, bool) override {}
    void SetFocusTo(int) override {}

    void StartTimer(int id, int periodMs) override
    {
        timers[id] = {periodMs, timeGetSystemTime() + static_cast<std::uint32_t>(periodMs)};
    }
    void KillTimer(int id) override { timers.erase(id); }

    void ShowAutoRecordingOn() override {}
    void UpdateRecordButtons() override {}
    void UpdateListDependentControls() override {}
    int ListItemCount() const override { return static_cast<int>(rows.size()); }
    void ShowRecordingStarted() override {}
    void ShowRecordingTime(std::int64_t seconds) override { recordingSeconds = seconds; }
    void ShowPlayingTime(std::int64_t) override {}
    void ShowPlayingIdle() override {}
    void ShowPaused() override {}
    void EnablePositionBar(bool) override {}
    void SetPositionBar(int) override {}
    int PositionBarRange() const override { return positionBarRange; }
    void SetLevel(int) override {}
    void SetLevelAtRest() override {}
    void SetThresholdMark(int) override {}

    std::uint32_t SpeakerVolume() override { return speakerVolume; }
    void SetSpeakerVolume(std::uint32_t volume) override { speakerVolume = volume; }
    bool IsVolumeSliderEnabled() const override { return sliderEnabled; }
    void EnableVolumeSlider(bool enable) override { sliderEnabled = enable; }
    void SetVolumeSlider(std::uint32_t) override {}
    void InsertRowAtTop(CRecordingEntry& entry, bool select) override
    {
        rows.insert(rows.begin(), &entry);
        if (select)
            selected = &entry;
    }
    void UpdateRow(CRecordingEntry&) override {}
    void RemoveRowAndEntry(CRecordingEntry& entry) override
    {
        std::erase(rows, &entry);
        if (selected == &entry)
            selected = rows.empty() ? nullptr : rows.front();
        std::erase_if(m_catalogue.entries, [&](const auto& e) { return e.get() == &entry; });
    }
    void ShowRowNotPlaying(CRecordingEntry&) override {}
    CRecordingEntry* SelectedRecording() const override { return selected; }
    void SaveTypedNameAndNotes() override {}
    void ShowNameAndNotes(CRecordingEntry&) override {}
    bool IsInTray() const override { return false; }
    void SetTrayIcon(int, const QString&) override {}
    // As the dialog answers: a name confirms through the store, an empty text cancels.
    bool ShowSaveDialog(CRecordingEntry& entry, const QString& file) override
    {
        dialogFiles.push_back(file);
        if (onSaveDialog)
            onSaveDialog(entry, file);
        const QString name = saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        if (name.isEmpty()) {
            MarkRecordingDiscarded(entry);
            return false;
        }
        QString audio = file;
        return ConfirmSaveRecording(entry, m_catalogue.WorkFolder(), audio, name, entry.m_strNotes);
    }

    void Play() override { ++playCommands; }
    void ReloadCatalogueAndList() override
    {
        rows.clear();
        selected = nullptr;
        m_catalogue.entries.clear();
    }

    // Fires due timers while the clock moves forward in steps.
    void RunFor(CManualClock& clock, std::uint32_t ms, std::uint32_t step = 100)
    {
        for (std::uint32_t t = 0; t < ms; t += step) {
            clock.Advance(step);
            const std::uint32_t now = clock.NowMs();
            // Over a copy: a handler may start or kill timers.
            for (const auto& [id, timer] : std::map(timers)) {
                auto it = timers.find(id);
                if (it == timers.end() || static_cast<std::int32_t>(now - it->second.second) < 0)
                    continue;
                it->second.second = now + static_cast<std::uint32_t>(it->second.first);
                control->OnTimer(id);
            }
        }
    }

    CRecordingControl* control = nullptr;
    std::map<int, std::pair<int, std::uint32_t>> timers;  // id → period, next due
    std::int64_t recordingSeconds = -1;
    int positionBarRange = 100;
    std::uint32_t speakerVolume = 40000;
    bool sliderEnabled = true;
    std::vector<CRecordingEntry*> rows;
    CRecordingEntry* selected = nullptr;
    std::vector<QString> dialogFiles;
    QStringList saveAnswers;
    std::function<void(CRecordingEntry&, const QString&)> onSaveDialog;
    int playCommands = 0;

private:
    CFakeCatalogue& m_catalogue;
};

class CFakePlayer : public IRecordingPlayer {
public:
    bool Play(const QString& path, bool) override
    {
        played.push_back({path, timeGetSystemTime()});
        return playSucceeds;
    }
    void Stop() override { ++stops; }
    bool Pause() override { ++pauses; return true; }
    bool Seek(std::uint32_t positionMs) override { seeks.push_back(positionMs); return true; }
    void GetStatus(std::uint32_t& lengthMs, std::uint32_t& positionMs) override { lengthMs = length, positionMs = position; }
    std::uint32_t FastForward(std::uint32_t positionMs, bool apply) override
    {
        steps.push_back({true, positionMs, apply});
        return stepResult;
    }
    std::uint32_t Rewind(std::uint32_t positionMs, bool apply) override
    {
        steps.push_back({false, positionMs, apply});
        return stepResult;
    }
    bool MeasureSeconds(const QString&, bool, std::int64_t& seconds) override
    {
        seconds = measuredSeconds;
        return true;
    }

    struct Step {
        bool forward;
        std::uint32_t from;
        bool apply;
    };
    std::vector<std::pair<QString, std::uint32_t>> played;
    bool playSucceeds = true;
    int stops = 0, pauses = 0;
    std::vector<std::uint32_t> seeks;
    std::vector<Step> steps;
    std::uint32_t stepResult = 0, length = 0, position = 0;
    std::int64_t measuredSeconds = 0;
};

class CFakeEngine : public IRecordingEngine {
public:
    void Registra() override { commands.push_back("start"); }
    void StopRecording() override
    {
        commands.push_back("stop");
        if (onStop)
            onStop();
    }
    void EnableVoiceActivation() override { commands.push_back("voice on"); }
    void DisableVoiceActivation() override { commands.push_back("voice off"); }
    void SetCaptureSettings(int, bool, int threshold) override { captureThreshold = threshold; }
    void SetCaptureThreshold(int threshold) override { captureThreshold = threshold; }
    void SetWriterOneFile(bool oneFile) override { writerOneFile = oneFile; }
    void GiveWriterMainWindow() override {}

    std::vector<std::string> commands;
    std::function<void()> onStop;
    int captureThreshold = -1;
    bool writerOneFile = false;
};

class CFakeSettings : public IRecordingSettings {
public:
    RecordingSettings Current() const override { return values; }
    void ReloadAutoRecordingValues() override {}
    void SaveThreshold(int) override {}

    RecordingSettings values;
};

// Everything wired together over a fresh work folder and a manual clock.
struct RecordingRig {
    RecordingRig()
        : folder(QDir(dir.path()).absolutePath() + "/"), catalogue(folder), window(catalogue),
          control(window, catalogue, player, warning, engine, settings)
    {
        SetSystemClock(&clock);
        SetPrompt(&prompt);
        window.control = &control;
        control.SetSleepForTesting([](int) {});
        settings.values.warningFile = "/nowhere/Beep1.wav";
    }
    ~RecordingRig()
    {
        SetSystemClock(nullptr);
        SetPrompt(nullptr);
    }

    QString TempFile() const { return folder + LoadText(IDS_TEMP_RECORDING_FILE); }
    // What the writer does at the end of a segment in separate-file mode.
    QString HandOver(const QByteArray& audio, int n)
    {
        const QString path = folder + QStringLiteral("TEM%1.snx").arg(n);
        WriteBytes(path, audio);
        return path;
    }
    // A stored recording of 60 s in the list, selected, playing in the given state.
    CRecordingEntry* PlayStored(RecorderState state, std::uint32_t positionMs = 0)
    {
        CRecordingEntry* e = catalogue.CreateRecording("");
        e->SetState(kStateSaved);
        window.rows.push_back(e);
        window.selected = e;
        control.SetState(state);
        control.SetPlayingRecording(e, 60);
        window.StartTimer(TIMER_PLAYING_POSITION, 450);
        player.position = positionMs;
        return e;
    }
    CRecordingEntry* Segment(std::uint32_t lengthMs)
    {
        control.OnVoiceDetected();
        clock.Advance(lengthMs);
        return control.CurrentRecording();
    }
    // One-file mode: the segment comes in the writer's own file.
    CRecordingEntry* SegmentFile(const QByteArray& audio, std::uint32_t lengthMs = 3000, bool discard = false)
    {
        CRecordingEntry* entry = Segment(lengthMs);
        WriteBytes(TempFile(), audio);
        control.OnRecordingFileReady(TempFile(), discard);
        return entry;
    }

    QTemporaryDir dir;
    QString folder;
    CManualClock clock{1000};
    CScriptedPrompt prompt;
    CFakeCatalogue catalogue;
    CFakeWindow window;
    CFakePlayer player;
    CFakePlayer warning;
    CFakeEngine engine;
    CFakeSettings settings;
    CRecordingControl control;
};

}  // namespace sonvelle::testing
