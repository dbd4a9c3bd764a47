#pragma once
// Which controls the main window enables, as plain functions of its state,
// so the rules can be checked without a window.

#include "platform/RecorderState.h"

#include <QString>

#include <optional>

namespace sonvelle {

// Anything but idle and plain listening.
bool IsRecordingOrPlaying(RecorderState state);

struct RecordButtonsLook {
    bool autoRecordingImages = false;   // the "on" picture on the auto-recording button
    bool autoRecordingEnabled = true;
    bool recordEnabled = true;
    bool disableStop = false;           // true: disable; false: leave as it is
};

// A machine without a sound card keeps recording switched off whatever the state.
RecordButtonsLook RecordButtonsFor(RecorderState state, bool soundCardPresent);

struct ListControlsNow {
    int itemCount = 0;
    RecorderState recordingState = RecorderState::Idle;
    bool soundCardPresent = true;
    bool noSend = false;
    bool playEnabled = false;
    bool findEnabled = false;
    bool deleteEnabled = false;
    bool sendEnabled = false;
};

// Changes to make; an empty optional leaves that control as it is.
struct ListControlChanges {
    std::optional<bool> editsEnabled;     // name and notes edits
    bool clearEdits = false;
    bool forgetSelection = false;
    std::optional<bool> saveEnabled;
    std::optional<bool> playEnabled;
    std::optional<bool> findEnabled;
    std::optional<bool> deleteEnabled;
    std::optional<bool> sendEnabled;
    std::optional<bool> toolsItemsEnabled;  // Find, Delete, Send, Protect, Join
};

ListControlChanges ListDependentChanges(const ListControlsNow& now);

// The program's name, and the operator in brackets when one is set.
QString MainWindowCaption(const QString& operatorName);

}  // namespace sonvelle
