#include "support/TestFolders.h"

#include "support/TagBytes.h"

#include "platform/Log.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>

namespace sonvelle::test {

CTestFolders::CTestFolders()
{
    for (const char* sub : {"user", "machine", "program", "work"})
        QDir(m_dir.path()).mkpath(QString::fromLatin1(sub));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(Path(QStringLiteral("user"))));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(Path(QStringLiteral("machine"))));
    SetProgramFolderForTesting(ProgramDir());
}

QStringList CTestFolders::LogLines(const QString& fileName) const
{
    QString text = QString::fromUtf8(ReadBytes(ProgramDir() + fileName));
    if (text.endsWith(QStringLiteral("\r\n")))
        text.chop(2);
    return text.isEmpty() ? QStringList{} : text.split(QStringLiteral("\r\n"));
}

bool WriteSettings(const std::vector<std::pair<QString, QString>>& values, Hive hive)
{
    CRegKey key;
    bool written = key.Create(hive, QStringLiteral("Software\\Orsolan\\Sonvelle"));
    for (const auto& [name, text] : values)
        written = written && key.WriteText(name, text);
    return written;
}

QString ReadLog(const QString& fileName)
{
    return QString::fromUtf8(ReadBytes(LogFilePath(fileName)));
}

}  // namespace sonvelle::test
