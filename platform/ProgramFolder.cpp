#include "ProgramFolder.h"

#include "PrivateFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>

#include <unistd.h>

namespace sonvelle {

namespace {
QMutex g_mutex;
QString g_override;

QString ExecutablePath()
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return QString::fromLocal8Bit(buf, static_cast<int>(n));
}
}  // namespace

QString WithTrailingSlash(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith('/'))
        return folder;
    return folder + '/';
}

QString ProgramFilePath()
{
    return ExecutablePath();
}

QString ProgramFolder()
{
    {
        QMutexLocker lock(&g_mutex);
        if (!g_override.isEmpty())
            return g_override;
    }
    return WithTrailingSlash(QFileInfo(ExecutablePath()).absolutePath());
}

QString DataFolder()
{
    const QString program = ProgramFolder();
    if (QFileInfo(program).isWritable())
        return program;
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + "/.local/share";
    const QString folder = WithTrailingSlash(base) + "Sonvelle/";
    MakePrivatePath(folder);
    return folder;
}

void SetProgramFolderForTesting(const QString& folder)
{
    QMutexLocker lock(&g_mutex);
    g_override = WithTrailingSlash(folder);
}

}  // namespace sonvelle
