// Runs one catalogue action as whichever user starts it, then prints one line
// per recording: name|notes|protected|date|operator.
//   store_probe HOME list FOLDER  |  store_probe HOME save FOLDER NAME NOTES
#include "platform/ProgramFolder.h"
#include "store/RecordingList.h"

#include <QCoreApplication>

#include <cstdio>

using namespace sonvelle;

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const QString home = QString::fromLocal8Bit(argv[1]) + "/";
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "config"));
    SetProgramFolderForTesting(home);
    const QString action = QString::fromLocal8Bit(argv[2]);
    CRecordingList list;
    if (!list.Load(QString::fromLocal8Bit(argv[3])))
        return 3;
    if (action == "save" && argc == 6) {
        CRecordingEntry* entry = list.FindByName(QString::fromUtf8(argv[4]));
        if (!entry)
            return 4;
        entry->m_strNotes = QString::fromUtf8(argv[5]);
        entry->SetState(kStateTagPending);
        std::printf("%s\n", list.SavePending() ? "saved" : "not saved");
    }
    list.Sort(kColumnName, true);
    for (const auto& e : list.Entries()) {
        std::printf("%s|%s|%d|%s|%s\n", e->m_strName.toUtf8().constData(), e->m_strNotes.toUtf8().constData(),
                    int(e->m_bProtected), e->m_dtDate.Format("%d/%m/%Y %H:%M:%S").toUtf8().constData(),
                    e->m_strOperator.toUtf8().constData());
    }
    return 0;
}
