#include "RecordingSalvage.h"

#include "platform/FileOps.h"
#include "platform/Log.h"
#include "platform/ProgramFolder.h"
#include "resources/StringTable.h"
#include "store/Id3Tag.h"
#include "store/IndexFile.h"
#include "store/RecordingEntry.h"
#include "store/RecordingList.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvelle {

namespace {

// The recording began its length before its last write.
QDateTime StartOf(const QFileInfo& info, double seconds)
{
    return info.lastModified().addMSecs(-static_cast<qint64>(seconds * 1000));
}

bool WriteNewFile(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::fchmod(fd, 0600);
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
    const bool ok = done == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok)
        QFile::remove(path);
    return ok;
}

}  // namespace

CRecordingSalvage::CRecordingSalvage(const QString& workFolder) : m_folder(WithTrailingSlash(workFolder)) {}

QStringList CRecordingSalvage::Run()
{
    QStringList stored;
    if (m_folder.size() <= 1 || !QFileInfo(m_folder).isDir())
        return stored;
    QStringList leftovers = QDir(m_folder).entryList({QStringLiteral("*.snx")}, QDir::Files | QDir::Hidden, QDir::Time | QDir::Reversed);
    const QString temporary = LoadText(IDS_TEMP_RECORDING_FILE);
    if (QFileInfo(m_folder + temporary).isFile())
        leftovers.append(temporary);  // the newest: it was being written when the program ended
    for (const QString& name : leftovers) {
        const QString path = m_folder + name;
        const QFileInfo info(path);
        if (info.isSymLink())
            continue;
        if (name.endsWith(QLatin1String(".snx")) && IsWorkingCopy(name)) {
            WriteLog(QStringLiteral("Recupero: copia di lavoro eliminata %1").arg(path));
            QFile::remove(path);
            continue;
        }
        if (info.size() == 0) {
            QFile::remove(path);
            continue;
        }
        const QString given = Salvage(path);
        if (!given.isEmpty())
            stored.append(given);
    }
    return stored;
}

// A working copy, or the leftover of a killed protect or unprotect, is named
// after the recording beside it. A name the writer or the recording control
// gives its segments is a working copy only beside a protected recording:
// a segment must never be deleted because a recording happens to share its name.
bool CRecordingSalvage::IsWorkingCopy(const QString& fileName) const
{
    const QString base = fileName.left(fileName.size() - 4);
    const QString recording = m_folder + base + LoadText(IDS_EXT_MP3);
    if (!QFileInfo(recording).isFile())
        return false;
    static const QRegularExpression segmentName(QStringLiteral("^(TEM[0-9A-F]{1,4}|tempReg|SEG_[0-9]+|AUTO_[0-9]+)$"));
    if (!segmentName.match(base).hasMatch())
        return true;
    CId3Tag tag;
    if (!tag.Open(recording) || tag.Read() != 1)
        return false;
    return std::any_of(tag.Frames().begin(), tag.Frames().end(), [](const auto& frame) { return frame->IsProtected(); });
}

// A default name that neither a file nor an index record holds: the record
// of the entry the crashed run was recording must not be taken for this file.
QString CRecordingSalvage::FreeDefaultName() const
{
    QSet<QString> recorded;
    CIndexFile index;
    const QString indexPath = m_folder + LoadText(IDS_INDEX_FILE);
    if (QFileInfo(indexPath).isFile() && index.Open(indexPath)) {
        for (CRecordingEntry entry; index.ReadRecord(entry);)
            recorded.insert(entry.m_strName.toCaseFolded());
        index.Close();
    }
    const QString pattern = LoadText(IDS_DEFAULT_NAME);
    for (int n = 1; n < 1000000; ++n) {
        QString name = pattern;
        name.replace(QStringLiteral("%d"), QString::number(n));
        if (!recorded.contains(name.toCaseFolded()) && !QFileInfo::exists(m_folder + name + LoadText(IDS_EXT_MP3)))
            return name;
    }
    return {};
}

QString CRecordingSalvage::Salvage(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        WriteLog(QStringLiteral("Recupero: impossibile leggere %1 (%2)").arg(path, in.errorString()));
        return {};
    }
    const QByteArray data = in.readAll();
    in.close();
    const MpegFrameRun run = FindMpegFrameRun(data);
    if (run.IsEmpty()) {
        WriteLog(QStringLiteral("Recupero: nessun audio in %1, lasciato dove si trova").arg(path));
        return {};
    }
    const QFileInfo info(path);
    CRecordingEntry entry;
    entry.m_strName = FreeDefaultName();
    entry.m_strFolder = m_folder;
    entry.m_dtDate = COleDateTime::FromQDateTime(StartOf(info, run.seconds));
    entry.m_dtDuration = COleDateTime::FromSeconds(run.seconds);
    const QString target = entry.FilePath();
    // The audio reaches its new name whole before the leftover goes.
    if (entry.m_strName.isEmpty() || !WriteNewFile(target, data.mid(run.begin, run.end - run.begin))) {
        WriteLog(QStringLiteral("Recupero: impossibile salvare %1 in %2").arg(path, target));
        return {};
    }
    if (!CRecordingList::WriteEntryTags(entry))
        WriteLog(QStringLiteral("Recupero: tag non scritto su %1").arg(target));
    QFile::remove(path);
    WriteLog(QStringLiteral("Recupero: %1 salvato come %2 (%3 s)").arg(path, target).arg(run.seconds, 0, 'f', 1));
    return entry.m_strName;
}

}  // namespace sonvelle
