#include "mainwnd/ControlRules.h"

#include "resources/StringTable.h"

namespace sonvelle {

bool IsAutoRecordingOn(int state)
{
    return state >= STATE_LISTENING && state <= STATE_AUTO_RECORDING_WHILE_PLAYING;
}

bool IsRecordingOrPlaying(int state)
{
    return state != STATE_IDLE && state != STATE_LISTENING;
}

RecordButtonsLook RecordButtonsFor(int state, bool soundCardPresent)
{
    RecordButtonsLook look;
    look.autoRecordingImages = IsAutoRecordingOn(state);
    look.recordEnabled = !look.autoRecordingImages;
    look.disableStop = !look.autoRecordingImages && state != STATE_PLAYING;
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
    const int s = now.recordingState;
    const bool playAllowed = s == STATE_IDLE || s == STATE_PLAYING || s == STATE_LISTENING_WHILE_PLAYING;
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
    QString caption = LoadText(354);
    if (!operatorName.isEmpty())
        caption += QStringLiteral(" (") + operatorName + QLatin1Char(')');
    return caption;
}

}  // namespace sonvelle
