#pragma once
// Removing recordings from the catalogue: their files go to the desktop's
// trash (where the user can restore them), their entries leave the list and
// their index records are marked deleted. Nothing is half-done: a recording
// whose file could not be trashed keeps its entry and its record.

#include <QString>
#include <QStringList>

#include <functional>

namespace sonvelle {

class CRecordingList;

// Moves one file to the trash; true when it is there.
using TrashFile = std::function<bool(const QString& path)>;

struct DeleteOutcome {
    QStringList removed;  // names that left the catalogue, in the order asked
    QStringList kept;     // names whose file could not be trashed: still listed
    bool Complete() const { return kept.isEmpty() && !removed.isEmpty(); }
};

// Names are matched exactly. When a name is not in the catalogue (or none is
// given) nothing is done. With toTrash false no file is touched: the entries
// simply leave the catalogue (a new recording the user declined to keep has
// no file under its name). A file that is gone already counts as trashed.
DeleteOutcome DeleteRecordings(CRecordingList& list, const QStringList& names, bool toTrash,
                               const TrashFile& trash = {});

// The freedesktop trash of the user's home.
bool MoveFileToTrash(const QString& path);

}  // namespace sonvelle
