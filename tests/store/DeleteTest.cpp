#include "store/RecordingDeleter.h"
#include "store/RecordingList.h"
#include "tests/store/WorkFolderTest.h"

#include <QUrl>

using namespace sonvelle;
using namespace sonvelle::testing;

// The trash of a home of the test's own, whose data folder does not exist yet.
TEST(DeleteToTrash, WhatWasTrashedOrWasGoneLeavesTheCatalogueWhatCouldNotGoStays)
{
    test::CTestFolders dirs;
    const QString folder = dirs.WorkDir();
    qputenv("HOME", QFile::encodeName(dirs.Path("home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dirs.Path("home/.local/share")));
    const QString cwd = QDir::currentPath();
    QDir().mkpath(dirs.Path("cwd"));
    QDir::setCurrent(dirs.Path("cwd"));
    for (const char* name : {"Call 1", "Call 2", "Call 3", "Call 7"})
        MakeRecording(folder, name);
    CRecordingList list;
    ASSERT_TRUE(list.Load(folder));
    ASSERT_TRUE(list.IsIndexOpen());

    // An unknown name (names are exact) stops everything before any file moves.
    EXPECT_TRUE(DeleteRecordings(list, {"Call 1", "call 7"}, true).removed.isEmpty());
    EXPECT_EQ(list.GetCount(), 4);

    QFile::remove(folder + "Call 2.mp3");  // removed behind the program's back
    const auto refuseCall3 = [](const QString& path) { return !path.endsWith("Call 3.mp3") && MoveFileToTrash(path); };
    const DeleteOutcome outcome = DeleteRecordings(list, {"Call 1", "Call 2", "Call 3"}, true, refuseCall3);
    EXPECT_EQ(outcome.removed, (QStringList{"Call 1", "Call 2"}));
    EXPECT_EQ(outcome.kept, QStringList{"Call 3"});
    EXPECT_TRUE(QFile::exists(folder + "Call 3.mp3"));
    // Where it came from, so that it can be restored (the trashing itself is met in MainWindowDeleteProtectTest).
    const QByteArray info = ReadBytes(dirs.Path("home/.local/share/Trash/info/Call 1.mp3.trashinfo"));
    const qsizetype path = info.indexOf("\nPath=") + 6;
    EXPECT_EQ(QUrl::fromPercentEncoding(info.mid(path, info.indexOf('\n', path) - path)), folder + "Call 1.mp3");
    EXPECT_TRUE(QDir(dirs.Path("cwd")).isEmpty()) << "a trash was made in the current directory";
    QDir::setCurrent(cwd);

    // The catalogue-only form touches no file.
    EXPECT_TRUE(DeleteRecordings(list, {"Call 7", "Call 7"}, false).Complete());
    EXPECT_TRUE(QFile::exists(folder + "Call 7.mp3"));

    // The index kept up: a fresh load lists the recording that could not go, and the one whose file stayed.
    list.Clear();
    ASSERT_TRUE(list.Load(folder));
    EXPECT_EQ(NamesOf(list), (QStringList{"Call 3", "Call 7"}));
}
