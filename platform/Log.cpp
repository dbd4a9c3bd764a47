#include "Log.h"

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

void WriteLog(const QString& text, const QString& fileName)
{
    QMutexLocker lock(&g_logMutex);
    QFile file(LogFilePath(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return;
    file.write(text.toUtf8());
    file.write("\r\n", 2);
}

void WriteLog(const QString& text)
{
    WriteLog(text, QStringLiteral("SN.log"));
}

void DeleteLog()
{
    QMutexLocker lock(&g_logMutex);
    QFile::remove(LogFilePath());
}

}  // namespace sonvelle
