#pragma once
// Folders of a test's own: configuration (user and machine), the program
// folder that holds the log, and a work folder, all in one temporary folder.

#include "platform/ProgramFolder.h"
#include "platform/Registry.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <utility>
#include <vector>

namespace sonvelle::test {

class CTestFolders {
public:
    CTestFolders();
    ~CTestFolders() { SetProgramFolderForTesting({}); }
    CTestFolders(const CTestFolders&) = delete;
    CTestFolders& operator=(const CTestFolders&) = delete;

    bool IsValid() const { return m_dir.isValid(); }
    QString Path(const QString& sub) const { return m_dir.path() + "/" + sub; }
    QString ProgramDir() const { return Path(QStringLiteral("program/")); }
    QString WorkDir() const { return Path(QStringLiteral("work/")); }
    // Lines of the program's log, without their CR LF.
    QStringList LogLines(const QString& fileName = QStringLiteral("SN.log")) const;

private:
    QTemporaryDir m_dir;
};

// Values of the program's settings key, written as the program stores them; false on any failure.
bool WriteSettings(const std::vector<std::pair<QString, QString>>& values, Hive hive = Hive::CurrentUser);

// Text of a log file in the program folder currently in use.
QString ReadLog(const QString& fileName = QStringLiteral("SN.log"));

}  // namespace sonvelle::test
