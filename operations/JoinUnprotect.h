#pragma once
// A protected recording chosen for joining: its key word is asked for and its
// protection removed for good, so that its audio can be joined as it is.

class QWidget;

namespace sonvelle {

class CRecordingEntry;
class CRecordingList;

// True when the recording is unprotected now; a cancelled dialog or a wrong
// key word leaves it protected and untouched.
bool UnprotectForJoining(CRecordingList& catalogue, CRecordingEntry& entry, QWidget* parent);

}  // namespace sonvelle
