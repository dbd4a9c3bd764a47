#include "Log.h"

#include "PrivateFiles.h"
#include "ProgramFolder.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace sonvelle {

namespace {
QMutex g_logMutex;  // lines from the worker threads must not interleave
}

QString LogFilePath(const QString& fileName)
{
    return DataFolder() + fileName;
}

bool WriteLog(const QString& text, const QString& fileName)
{
    QMutexLocker lock(&g_logMutex);
    QFile file(LogFilePath(fileName));
    if (!OpenPrivate(file, QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray line = text.toUtf8() + "\r\n";
    return file.write(line) == line.size();
}

bool WriteLog(const QString& text)
{
    return WriteLog(text, QStringLiteral("SN.log"));
}

void DeleteLog()
{
    QMutexLocker lock(&g_logMutex);
    QFile::remove(LogFilePath());
}

}  // namespace sonvelle
