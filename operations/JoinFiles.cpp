#include "operations/JoinFiles.h"

#include "platform/FileOps.h"
#include "platform/Log.h"
#include "resources/StringTable.h"
#include "store/Id3Tag.h"
#include "store/RecordingDeleter.h"
#include "store/RecordingFileStore.h"
#include "store/RecordingList.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace sonvelle {

namespace {

// Where a source's audio begins: read from its file, because an entry loaded
// from the index may not know its tag's length yet. -1 when it cannot be read.
qint64 AudioStart(const QString& path)
{
    CId3Tag tag;
    if (!tag.Open(path))
        return -1;
    const int read = tag.Read();
    if (read < 0)
        return -1;
    return read == 1 ? static_cast<qint64>(tag.TagSize()) : 0;
}

bool SyncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

}  // namespace

CJoinFiles::CJoinFiles(CRecordingList& catalogue) : m_catalogue(catalogue) {}

QString CJoinFiles::TemporaryPath(const QString& folder)
{
    return folder + LoadText(IDS_JOIN_TEMP_FILE);
}

bool CJoinFiles::WriteJoinedFile(const std::vector<CRecordingEntry*>& sources, CRecordingEntry& newEntry,
                                 const CRecordingEntry* replaced)
{
    if (sources.empty())
        return false;
    // Enciphered audio would be joined as noise.
    for (const CRecordingEntry* source : sources)
        if (!source || source->m_bProtected || source->IsInUse())
            return false;

    const QString temp = TemporaryPath(newEntry.m_strFolder);
    // A work file left by an earlier run is ours; anything else in its place stops the join.
    if (QFileInfo(temp).isFile() && !QFile::remove(temp))
        return false;
    {
        // Owner-only while it fills: the sources may be private.
        QFile created(temp);
        if (!created.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
            return false;
    }
    auto fail = [&temp]() {
        QFile::remove(temp);
        return false;
    };

    // The tag goes in first, on the empty file, so that the audio is written once.
    if (!CRecordingList::WriteEntryTagsTo(newEntry, temp))
        return fail();
    const int total = static_cast<int>(sources.size());
    for (int i = 0; i < total; ++i) {
        const QString path = sources[static_cast<size_t>(i)]->FilePath();
        const qint64 start = AudioStart(path);
        if (start < 0 || !AppendFileTo(path, temp, AppendTarget::OwnFile, start))
            return fail();
        if (m_progress)
            m_progress(i + 1, total);
    }
    // Readable by whom the first source was; set after the tag, which needs to write.
    if (!QFile::setPermissions(temp, QFile::permissions(sources.front()->FilePath())) || !SyncPath(temp, O_RDONLY))
        return fail();

    // Only a source of that very name, or the recording the user gave up, may be replaced.
    const QString target = newEntry.FilePath();
    bool mayReplace = replaced && replaced->FilePath() == target;
    for (const CRecordingEntry* source : sources)
        mayReplace = mayReplace || source->FilePath() == target;
    const bool placed = mayReplace
        ? std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) == 0
        : MoveFileNoReplace(temp, target) == FileError::None;
    if (!placed)
        return fail();
    SyncPath(newEntry.m_strFolder, O_RDONLY | O_DIRECTORY);
    newEntry.m_dwSize = static_cast<std::uint32_t>(QFileInfo(target).size());
    return true;
}

CRecordingEntry* CJoinFiles::Join(const std::vector<CRecordingEntry*>& sources,
                                  std::unique_ptr<CRecordingEntry> newEntry, const CRecordingEntry* replaced)
{
    if (!newEntry || !WriteJoinedFile(sources, *newEntry, replaced))
        return nullptr;
    if (!RemoveJoined(sources, *newEntry, replaced))
        WriteLog(QStringLiteral("Unione: registrazioni originali non rimosse"));
    return m_catalogue.AddEntry(std::move(newEntry));
}

bool CJoinFiles::RemoveJoined(const std::vector<CRecordingEntry*>& sources, const CRecordingEntry& newEntry,
                              const CRecordingEntry* replaced)
{
    std::vector<const CRecordingEntry*> gone(sources.begin(), sources.end());
    if (replaced)
        gone.push_back(replaced);
    QStringList deleteFiles;
    QStringList catalogueOnly;
    for (const CRecordingEntry* entry : gone) {
        QStringList& list = entry->FilePath() == newEntry.FilePath() ? catalogueOnly : deleteFiles;
        if (!list.contains(entry->m_strName))
            list << entry->m_strName;
    }
    return m_remover ? m_remover(deleteFiles, catalogueOnly) : RemoveFromCatalogue(m_catalogue, deleteFiles, catalogueOnly);
}

bool CJoinFiles::RemoveFromCatalogue(CRecordingList& catalogue, const QStringList& deleteFiles,
                                     const QStringList& catalogueOnly)
{
    const bool trashed = deleteFiles.isEmpty() || DeleteRecordings(catalogue, deleteFiles, true).Complete();
    const bool dropped = catalogueOnly.isEmpty() || DeleteRecordings(catalogue, catalogueOnly, false).Complete();
    return trashed && dropped;
}

}  // namespace sonvelle
