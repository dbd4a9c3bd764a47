#include "store/RecordingRename.h"

#include "resources/StringTable.h"
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace sonvelle {

namespace {

const QString kMp3 = QStringLiteral(".mp3");

bool SameFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo ia(a), ib(b);
    return ia.absoluteFilePath() == ib.absoluteFilePath();
}

}  // namespace

bool FolderHoldsNameIgnoringCase(const QString& folder, const QString& fileName, const QString& exceptPath)
{
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().compare(fileName, Qt::CaseInsensitive) == 0 && !SameFile(it.filePath(), exceptPath))
            return true;
    }
    return false;
}

FileError RenameRecordingFile(const QString& fromPath, const QString& folder, const QString& name, QString* reason)
{
    auto refuse = [reason](FileError error, int code) {
        if (reason)
            *reason = QString::fromLocal8Bit(std::strerror(code));
        return error;
    };
    const QString fileName = name + kMp3;
    // Refused before the system is asked: the wording is the one it gives for such a name or target.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || HasForbiddenNameCharacter(fileName))
        return refuse(FileError::BadPath, EINVAL);
    if (FolderHoldsNameIgnoringCase(folder, fileName, fromPath))
        return refuse(FileError::AccessDenied, EEXIST);
    errno = 0;
    const FileError error = MoveFileNoReplace(fromPath, folder + fileName);
    const int code = errno;
    if (error != FileError::None && reason)
        *reason = code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : QString();
    return error;
}

int RenameFailureTextId(FileError error)
{
    switch (error) {
    case FileError::None:
        return 0;
    case FileError::AccessDenied:
        return IDS_NAME_EXISTS;
    case FileError::BadPath:
        return IDS_NAME_FORBIDDEN_CHARS;
    case FileError::NotFound:
    case FileError::Other:
        break;
    }
    return IDS_TEMP_FILE_PROBLEM;
}

}  // namespace sonvelle
