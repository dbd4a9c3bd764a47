#pragma once
// Naming a recording that has just ended: the save dialog, modal.

#include <QString>

class QWidget;

namespace sonvelle {

class CRecordingEntry;

// `file` holds the audio; empty for the writer's temporary file. True when the
// recording was stored under its name; false when the user discarded it (the
// entry is then marked "**del**") or it could not be stored (no mark, and the
// audio stays where it was).
bool RunRecordingSaveStep(QWidget* parent, CRecordingEntry& entry, const QString& folder, const QString& file,
                          bool alternativePlay);

}  // namespace sonvelle
