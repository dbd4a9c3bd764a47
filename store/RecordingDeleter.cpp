#include "store/RecordingDeleter.h"

#include "platform/Log.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace sonvelle {

bool MoveFileToTrash(const QString& path)
{
    QFile file(path);
    return file.moveToTrash();
}

DeleteOutcome DeleteRecordings(CRecordingList& list, const QStringList& names, bool toTrash, const TrashFile& trash)
{
    DeleteOutcome outcome;
    std::vector<CRecordingEntry*> entries;
    entries.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) {
        CRecordingEntry* entry = list.FindByName(name);
        if (!entry)
            return outcome;
        if (std::find(entries.begin(), entries.end(), entry) == entries.end())
            entries.push_back(entry);
    }
    if (entries.empty())
        return outcome;

    const TrashFile move = trash ? trash : TrashFile(MoveFileToTrash);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        CRecordingEntry* entry = entries[i];
        const QString name = entry->m_strName;
        if (toTrash) {
            const QString path = entry->FilePath();
            // A file removed behind our back needs no trash; its row still goes.
            const bool gone = !QFileInfo(path).exists() && !QFileInfo(path).isSymLink();
            if (!gone && !move(path)) {
                WriteLog(QStringLiteral("Impossibile spostare nel cestino: %1").arg(path));
                outcome.kept.append(name);
                continue;
            }
        }
        list.RemoveEntry(entry);
        outcome.removed.append(name);
    }
    return outcome;
}

}  // namespace sonvelle
