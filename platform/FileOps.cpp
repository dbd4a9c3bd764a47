#include "FileOps.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvelle {

namespace {

FileError FromErrno(int error)
{
    switch (error) {
    case 0: return FileError::None;
    case EEXIST:
    case ENOTEMPTY:
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY:
    case ETXTBSY: return FileError::AccessDenied;
    case ENOENT:
    case ENOTDIR: return FileError::NotFound;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return FileError::BadPath;
    default: return FileError::Other;
    }
}

// Renames without replacing; where the file system refuses the flag, a hard
// link does the same in one step.
int RenameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (error != EINVAL && error != ENOSYS && error != ENOTSUP)
        return error;
    struct stat st;
    if (lstat(from.constData(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return error;
    if (link(from.constData(), to.constData()) != 0)
        return errno;
    if (unlink(from.constData()) != 0) {
        const int unlinkError = errno;
        unlink(to.constData());
        return unlinkError;
    }
    return 0;
}

bool TargetNameIsBad(const QString& to)
{
    const QString name = QFileInfo(to).fileName();
    return name.isEmpty() || name == "." || name == ".." || HasForbiddenNameCharacter(name);
}

// Copies into a new, unique file in the target's folder, then puts it in
// place without replacing anything. Nobody ever sees a half-written target.
FileError CopyIntoPlace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const int in = open(source.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return FromErrno(errno);
    struct stat st;
    if (fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(in);
        return FileError::AccessDenied;
    }
    const QString folder = QFileInfo(to).absolutePath();
    QByteArray temp = QFile::encodeName(folder + "/." + QFileInfo(to).fileName() + ".XXXXXX");
    const int out = mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        const int error = errno;
        close(in);
        return FromErrno(error);
    }
    fchmod(out, st.st_mode & 07777);
    char buffer[64 * 1024];
    int error = 0;
    for (;;) {
        const ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                error = errno;
                break;
            }
            done += w;
        }
        if (error)
            break;
    }
    close(in);
    if (!error && fsync(out) != 0)
        error = errno;
    if (close(out) != 0 && !error)
        error = errno;
    if (!error)
        error = RenameNoReplace(temp, QFile::encodeName(to));
    if (error) {
        unlink(temp.constData());
        return error == ENOSPC ? FileError::Other : FromErrno(error);
    }
    return FileError::None;
}

}  // namespace

bool HasForbiddenNameCharacter(const QString& name)
{
    for (QChar c : name) {
        const char16_t u = c.unicode();
        // "/" too: in a name it would quietly put the file in another folder.
        if (u < 0x20 || u == '<' || u == '>' || u == ':' || u == '"' || u == '\\' || u == '|' || u == '?' ||
            u == '*' || u == '/')
            return true;
    }
    return false;
}

FileError MoveFileNoReplace(const QString& from, const QString& to)
{
    if (from.isEmpty() || TargetNameIsBad(to))
        return FileError::BadPath;
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    struct stat st;
    if (lstat(source.constData(), &st) != 0)
        return FromErrno(errno);
    // A file renamed to its own name stays as it is.
    if (QDir::cleanPath(QFileInfo(from).absoluteFilePath()) == QDir::cleanPath(QFileInfo(to).absoluteFilePath()))
        return FileError::None;
    const int error = RenameNoReplace(source, target);
    if (error != EXDEV)
        return FromErrno(error);
    if (!S_ISREG(st.st_mode))
        return FileError::Other;
    const FileError copied = CopyIntoPlace(from, to);
    if (copied != FileError::None)
        return copied;
    if (unlink(source.constData()) != 0)
        return FromErrno(errno);  // the copy stays: nothing is lost
    return FileError::None;
}

FileError CopyFileNoReplace(const QString& from, const QString& to)
{
    if (from.isEmpty() || TargetNameIsBad(to))
        return FileError::BadPath;
    struct stat st;
    if (lstat(QFile::encodeName(to).constData(), &st) == 0)
        return FileError::AccessDenied;
    return CopyIntoPlace(from, to);
}

}  // namespace sonvelle
