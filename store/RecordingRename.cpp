#include "store/RecordingRename.h"

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

FileError RenameRecordingFile(const QString& fromPath, const QString& folder, const QString& name)
{
    const QString fileName = name + kMp3;
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || HasForbiddenNameCharacter(fileName))
        return FileError::BadPath;
    if (FolderHoldsNameIgnoringCase(folder, fileName, fromPath))
        return FileError::AccessDenied;
    return MoveFileNoReplace(fromPath, folder + fileName);
}

int RenameFailureTextId(FileError error)
{
    switch (error) {
    case FileError::None:
        return 0;
    case FileError::AccessDenied:
        return 17;
    case FileError::BadPath:
        return 27;
    case FileError::NotFound:
    case FileError::Other:
        break;
    }
    return 73;
}

QString FileErrorText(FileError error)
{
    int code = 0;
    switch (error) {
    case FileError::None:
        return QString::fromLocal8Bit(std::strerror(0));
    case FileError::AccessDenied:
        code = EEXIST;
        break;
    case FileError::BadPath:
        code = EINVAL;
        break;
    case FileError::NotFound:
        code = ENOENT;
        break;
    case FileError::Other:
        code = EIO;
        break;
    }
    return QString::fromLocal8Bit(std::strerror(code));
}

}  // namespace sonvelle
