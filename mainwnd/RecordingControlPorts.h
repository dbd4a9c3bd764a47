#pragma once
// What the recording control needs from the main window, the catalogue, the
// players and the worker threads. The main window implements them over its
// widgets and the real objects; tests put doubles in their place, so that
// every transition runs without a display, a sound server or a person.

#include "platform/Prompt.h"

#include <QString>

#include <cstdint>

namespace sonvelle {

class CRecordingEntry;

// The window's side: controls, timers, displays, list rows, speakers, tray.
class IRecordingWindow {
public:
    virtual ~IRecordingWindow() = default;

    virtual void EnableControl(int id, bool enable) = 0;
    virtual void SetFocusTo(int id) = 0;

    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void KillTimer(int id) = 0;

    // Auto-recording button in its "on" picture for all four images, repainted.
    virtual void ShowAutoRecordingOn() = 0;
    virtual void UpdateRecordButtons() = 0;
    virtual void UpdateListDependentControls() = 0;
    virtual int ListItemCount() const = 0;

    // "REC" with "00:00" in the recording colour.
    virtual void ShowRecordingStarted() = 0;
    virtual void ShowRecordingTime(std::int64_t seconds) = 0;
    virtual void ShowPlayingTime(std::int64_t seconds) = 0;
    // Play label empty, playing time "- -", in the display colour.
    virtual void ShowPlayingIdle() = 0;
    virtual void ShowPaused() = 0;  // play label "PAUSE"

    virtual void EnablePositionBar(bool enable) = 0;
    virtual void SetPositionBar(int seconds) = 0;
    virtual int PositionBarRange() const = 0;  // the bar's maximum, in seconds

    virtual void SetLevel(int peak) = 0;
    virtual void SetLevelAtRest() = 0;
    virtual void SetThresholdMark(int threshold) = 0;

    virtual std::uint32_t SpeakerVolume() = 0;
    virtual void SetSpeakerVolume(std::uint32_t volume) = 0;
    virtual bool IsVolumeSliderEnabled() const = 0;
    virtual void EnableVolumeSlider(bool enable) = 0;
    virtual void SetVolumeSlider(std::uint32_t position) = 0;

    // List rows. Inserting at the top with `select` clears the selection and
    // selects row 0. Removing drops the row and the catalogue entry, never a
    // file, and selects the row now at that place.
    virtual void InsertRowAtTop(CRecordingEntry& entry, bool select) = 0;
    virtual void UpdateRow(CRecordingEntry& entry) = 0;
    virtual void RemoveRowAndEntry(CRecordingEntry& entry) = 0;
    virtual void ShowRowNotPlaying(CRecordingEntry& entry) = 0;  // image 2, or 3 when protected

    // Name and notes under the list.
    virtual CRecordingEntry* SelectedRecording() const = 0;
    virtual void SaveTypedNameAndNotes() = 0;  // unsaved edits of the selected recording
    virtual void ShowNameAndNotes(CRecordingEntry& entry) = 0;  // modified marks cleared

    virtual bool IsInTray() const = 0;
    virtual void SetTrayIcon(int iconId, const QString& tip) = 0;

    // The save dialog, modal. `file` is empty for the writer's temporary file.
    // False when the user cancelled (the entry is then marked "**del**").
    virtual bool ShowSaveDialog(CRecordingEntry& entry, const QString& file) = 0;

    // A message for the user that the recording does not wait for: a handler
    // goes on, and recording goes on, while it is shown. The window shows one
    // box per text until the user closes it. Modal by default.
    virtual void ShowNotice(const QString& text, PromptIcon icon) { MessageBox(text, icon); }

    // The Play command (resumes a paused play).
    virtual void Play() = 0;

    // Catalogue reloaded from the work folder, list refilled and repainted.
    virtual void ReloadCatalogueAndList() = 0;
};

// The catalogue's side.
class IRecordingCatalogue {
public:
    virtual ~IRecordingCatalogue() = default;
    // A new entry in state 2 with a unique default name, dated now, in the catalogue.
    virtual CRecordingEntry* CreateRecording(const QString& operatorName) = 0;
    virtual CRecordingEntry* FirstInState(int state) = 0;
    virtual bool Contains(const CRecordingEntry* entry) const = 0;
    virtual void SaveIndex() = 0;
    virtual QString WorkFolder() const = 0;
};

// A player: `moRegistra` for recordings, the second one for the warning sound.
class IRecordingPlayer {
public:
    virtual ~IRecordingPlayer() = default;
    virtual bool Play(const QString& path, bool alternative) = 0;
    virtual void Stop() = 0;
    virtual bool Pause() = 0;
    virtual bool Seek(std::uint32_t positionMs) = 0;
    virtual void GetStatus(std::uint32_t& lengthMs, std::uint32_t& positionMs) = 0;
    virtual std::uint32_t FastForward(std::uint32_t positionMs, bool apply) = 0;
    virtual std::uint32_t Rewind(std::uint32_t positionMs, bool apply) = 0;
    // Whole seconds; false when the file cannot be measured.
    virtual bool MeasureSeconds(const QString& path, bool alternative, std::int64_t& seconds) = 0;
};

// The capture and writer threads: commands (through `moRegistra`) and the
// settings the window stores into their fields.
class IRecordingEngine {
public:
    virtual ~IRecordingEngine() = default;
    virtual void Registra() = 0;
    virtual void StopRecording() = 0;  // waits up to 1.5 s for the writer to close its file
    virtual void EnableVoiceActivation() = 0;
    virtual void DisableVoiceActivation() = 0;

    virtual void SetCaptureSettings(int silenceSeconds, bool oneFile, int threshold) = 0;
    virtual void SetCaptureThreshold(int threshold) = 0;
    virtual void SetWriterOneFile(bool oneFile) = 0;
    virtual void GiveWriterMainWindow() = 0;
};

// The settings the recording control reads, as the settings store holds them now.
struct RecordingSettings {
    QString operatorName;
    int silenceSeconds = 10;
    bool oneFile = false;
    int threshold = 15000;
    bool askConfirmation = false;
    bool warningSound = false;
    bool warningAfter = true;
    int warningAfterSeconds = 15;
    bool warningEvery = false;
    int warningEverySeconds = 10;
    QString warningFile;
    bool playAlternative = false;
};

class IRecordingSettings {
public:
    virtual ~IRecordingSettings() = default;
    virtual RecordingSettings Current() const = 0;
    // Re-reads the silence time, the one-file mode and the threshold.
    virtual void ReloadAutoRecordingValues() = 0;
    virtual void SaveThreshold(int threshold) = 0;
};

}  // namespace sonvelle
