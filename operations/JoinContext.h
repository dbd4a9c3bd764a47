#pragma once
// What the join wizard's pages share: the catalogue, the main window's list
// (its recordings in list order and its selection) and the steps the window
// lends it.

#include "operations/JoinFiles.h"

#include <functional>
#include <vector>

class QWidget;

namespace sonvelle {

class CRecordingEntry;
class CRecordingList;

struct JoinContext {
    CRecordingList* catalogue = nullptr;
    // The main list's recordings in its order, and the positions of its selected rows.
    std::vector<CRecordingEntry*> mainRows;
    std::vector<int> mainSelection;
    // Asks for the key word and removes the protection for good; false leaves
    // it protected. Empty: UnprotectForJoining.
    std::function<bool(CRecordingEntry& entry, QWidget* parent)> unprotect;
    // The main list shows the recording as unprotected.
    std::function<void(const QString& name)> rowUnprotected;
    // How joined sources leave the catalogue and the disk; empty: to the trash.
    CJoinFiles::Remover remover;
};

}  // namespace sonvelle
