#include "SingleInstance.h"

#include "PrivateFiles.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvelle {

namespace {

// A folder only we can write to, so nobody else can plant or hold our lock.
bool IsPrivateFolder(const QByteArray& path)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

CSingleInstanceGuard::CSingleInstanceGuard(const QString& name) : m_name(name) {}

CSingleInstanceGuard::~CSingleInstanceGuard()
{
    if (m_fd >= 0)
        close(m_fd);
}

QString CSingleInstanceGuard::LockFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && runtime.startsWith('/') && IsPrivateFolder(runtime))
        return QFile::decodeName(runtime) + '/';
    // Never a shared folder such as /tmp: another user could make our name first.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || !cache.startsWith('/'))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString folder = cache + QStringLiteral("/Sonvelle");
    if (!MakePrivatePath(folder))
        return {};
    const QByteArray encoded = QFile::encodeName(folder);
    if (!IsPrivateFolder(encoded) || chmod(encoded.constData(), 0700) != 0)
        return {};
    return folder + '/';
}

QString CSingleInstanceGuard::LockFilePath() const
{
    const QString folder = LockFolder();
    return folder.isEmpty() ? QString() : folder + m_name + ".lock";
}

bool CSingleInstanceGuard::Acquire()
{
    if (m_fd >= 0)
        return true;
    const QString path = LockFilePath();
    if (path.isEmpty())
        return false;
    const int fd = open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

}  // namespace sonvelle
