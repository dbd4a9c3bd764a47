#include "mainwnd/RecordingFileStore.h"

#include <QFile>
#include <QFileInfo>

namespace sonvelle {

StoreResult StoreFileWithRetries(const QString& from, const QString& to, int attempts, int pauseMs,
                                 const std::function<void(int)>& sleep)
{
    StoreResult result;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        result.attempts = attempt;
        result.lastError = MoveFileNoReplace(from, to);
        if (result.lastError == FileError::None) {
            result.stored = true;
            return result;
        }
        result.lastError = CopyFileNoReplace(from, to);
        if (result.lastError == FileError::None) {
            QFile::remove(from);
            result.stored = true;
            return result;
        }
        if (attempt < attempts && sleep)
            sleep(pauseMs);
    }
    return result;
}

bool AppendFileTo(const QString& segment, const QString& target)
{
    QFile in(segment);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QFile out(target);
    if (!out.open(QIODevice::ReadWrite))
        return false;
    const qint64 oldSize = out.size();
    if (!out.seek(oldSize))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got < 0 || (got > 0 && out.write(buffer, got) != got)) {
            out.resize(oldSize);
            return false;
        }
        if (got == 0)
            break;
    }
    if (!out.flush()) {
        out.resize(oldSize);
        return false;
    }
    return true;
}

QString UnusedFilePath(const QString& folder, const QString& prefix, const QString& extension)
{
    for (unsigned n = 1; n <= 0xFFFF; ++n) {
        const QString candidate = folder + prefix + QString::number(n, 16).toUpper() + extension;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
    return folder + prefix + extension;
}

unsigned SystemErrorNumber(FileError error)
{
    switch (error) {
    case FileError::None: return 0;
    case FileError::AccessDenied: return 5;    // ERROR_ACCESS_DENIED
    case FileError::BadPath: return 161;       // ERROR_BAD_PATHNAME
    case FileError::NotFound: return 2;        // ERROR_FILE_NOT_FOUND
    case FileError::Other: return 31;          // ERROR_GEN_FAILURE
    }
    return 31;
}

}  // namespace sonvelle
