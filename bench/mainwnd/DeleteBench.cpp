// Deleting 1,000 selected recordings from the real window: the question
// answered, the files moved to a trash of the bench's own, the catalogue, the
// index and the list updated. Prints the figure; asserts nothing.
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "platform/Prompt.h"
#include "support/TagBytes.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <cstdlib>

using namespace sonvelle;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString home = dir.path() + "/home";
    QDir().mkpath(home + "/data");
    setenv("HOME", home.toUtf8().constData(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").toUtf8().constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").toUtf8().constData(), 1);
    QApplication app(argc, argv);

    constexpr int kRecordings = 1000;
    const QString work = dir.path() + "/work/";
    QDir().mkpath(work);
    for (int i = 0; i < kRecordings; ++i) {
        const QByteArray name = "Call " + QByteArray::number(i);
        test::WriteBytes(work + name + ".mp3", test::TagBytes(test::FullFrames(name)) + test::FakeAudio(4000));
    }
    CScriptedPrompt prompt;
    SetPrompt(&prompt);
    CMainDlg dlg;
    dlg.AppSettings().WorkDir = work;
    dlg.InitialiseWindowOnly();
    auto* list = static_cast<QTreeView*>(dlg.Control(IDC_CALL_LOG));
    list->selectAll();

    QElapsedTimer timer;
    timer.start();
    dlg.DeleteSelected();
    const double ms = timer.nsecsElapsed() / 1e6;
    const qsizetype left = QDir(work).entryList({"*.mp3"}, QDir::Files).size();
    const qsizetype trashed = QDir(home + "/data/Trash/files").entryList(QDir::Files).size();
    std::printf("delete %d selected recordings to the trash: %.1f ms (rows left %d, files left %lld, in the trash %lld)\n",
                kRecordings, ms, dlg.CallLog().Model().Count(), static_cast<long long>(left), static_cast<long long>(trashed));
    SetPrompt(nullptr);
    return 0;
}
