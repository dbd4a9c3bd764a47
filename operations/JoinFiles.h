#pragma once
// Makes one recording out of several: their MPEG frames, in join order, behind
// a fresh tag, without re-encoding. Nothing that exists is touched until the
// joined file is complete, on the disk, under its name and tagged; only then
// do the sources go. A failure before that leaves every recording as it was
// and no work file behind.

#include "store/RecordingEntry.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace sonvelle {

class CRecordingList;

class CJoinFiles {
public:
    // Removes recordings whose audio now lives in the joined file: names to
    // delete with their files, names to drop from the catalogue only (their
    // file is the joined one now). False when any of them stays.
    using Remover = std::function<bool(const QStringList& deleteFiles, const QStringList& catalogueOnly)>;
    // Sources copied so far, out of all of them.
    using Progress = std::function<void(int done, int total)>;

    explicit CJoinFiles(CRecordingList& catalogue);

    void SetRemover(Remover remover) { m_remover = std::move(remover); }
    void SetProgress(Progress progress) { m_progress = std::move(progress); }

    // `replaced`: the recording the user agreed to have replaced by the new
    // one, or null. On success the catalogue holds the new entry instead of
    // the sources (and of `replaced`), and the result is that entry.
    CRecordingEntry* Join(const std::vector<CRecordingEntry*>& sources, std::unique_ptr<CRecordingEntry> newEntry,
                          const CRecordingEntry* replaced);

    // The joined file alone, under its final name and tagged; the catalogue
    // is not changed. False leaves no new file and every existing one as it was.
    bool WriteJoinedFile(const std::vector<CRecordingEntry*>& sources, CRecordingEntry& newEntry,
                         const CRecordingEntry* replaced);

    // The work file the audio is gathered in, in a folder.
    static QString TemporaryPath(const QString& folder);
    // The recordings' own way out of the catalogue: files to the trash (an
    // entry whose file will not go stays listed), entries and records dropped.
    static bool RemoveFromCatalogue(CRecordingList& catalogue, const QStringList& deleteFiles,
                                    const QStringList& catalogueOnly);

private:
    bool RemoveJoined(const std::vector<CRecordingEntry*>& sources, const CRecordingEntry& newEntry,
                      const CRecordingEntry* replaced);

    CRecordingList& m_catalogue;
    Remover m_remover;
    Progress m_progress;
};

}  // namespace sonvelle
