#include "mainwnd/ControlRules.h"

#include "resources/StringTable.h"

namespace sonvelle {

bool IsRecordingOrPlaying(RecorderState state)
{
    return state != RecorderState::Idle && state != RecorderState::Listening;
}

RecordButtonsLook RecordButtonsFor(RecorderState state, bool soundCardPresent)
{
    RecordButtonsLook look;
    look.autoRecordingImages = IsAutoRecordingOn(state);
    look.recordEnabled = !look.autoRecordingImages;
    look.disableStop = !look.autoRecordingImages && state != RecorderState::Playing;
    if (!soundCardPresent) {
        look.autoRecordingEnabled = false;
        look.recordEnabled = false;
    }
    return look;
}

ListControlChanges ListDependentChanges(const ListControlsNow& now)
{
    ListControlChanges changes;
    if (now.itemCount <= 0) {
        changes.forgetSelection = true;
        changes.clearEdits = true;
        changes.editsEnabled = false;
        changes.saveEnabled = false;
        changes.playEnabled = false;
        changes.findEnabled = false;
        changes.deleteEnabled = false;
        changes.sendEnabled = false;
        changes.toolsItemsEnabled = false;
        return changes;
    }
    changes.editsEnabled = true;
    const RecorderState s = now.recordingState;
    const bool playAllowed =
        s == RecorderState::Idle || s == RecorderState::Playing || s == RecorderState::ListeningWhilePlaying;
    if (!now.playEnabled && playAllowed && now.soundCardPresent)
        changes.playEnabled = true;
    if (!now.findEnabled || !now.deleteEnabled || !now.sendEnabled) {
        changes.toolsItemsEnabled = true;
        changes.findEnabled = true;
        changes.deleteEnabled = true;
        changes.sendEnabled = !now.noSend;
    }
    // Whatever enabled it, sending stays off while the setting says so.
    if (now.noSend && now.sendEnabled)
        changes.sendEnabled = false;
    return changes;
}

QString MainWindowCaption(const QString& operatorName)
{
    QString caption = LoadText(IDS_WINDOW_CAPTION);
    if (!operatorName.isEmpty())
        caption += QStringLiteral(" (") + operatorName + QLatin1Char(')');
    return caption;
}

}  // namespace sonvelle
