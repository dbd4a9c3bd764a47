#include "PrivateFiles.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace sonvelle {

namespace {
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
}

void KeepNewFilesPrivate()
{
    umask(077);
}

bool MakePrivatePath(const QString& folder)
{
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(path).isDir())
        return true;
    const QString parent = QFileInfo(path).path();
    if (parent != path && !MakePrivatePath(parent))
        return false;
    // mkdir applies the umask on top of 0700, which can only narrow it.
    return mkdir(QFile::encodeName(path).constData(), 0700) == 0 || (errno == EEXIST && QFileInfo(path).isDir());
}

bool OpenPrivate(QFileDevice& file, QIODevice::OpenMode mode)
{
    bool opened = false;
    if (auto* plain = qobject_cast<QFile*>(&file))
        opened = plain->open(mode, kOwnerOnly);  // the permissions of a new file
    else
        opened = file.open(mode);
    if (!opened)
        return false;
    if (file.permissions() != kOwnerOnly)
        file.setPermissions(kOwnerOnly);
    return true;
}

}  // namespace sonvelle
