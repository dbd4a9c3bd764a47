// Import of 1,000 one-minute MP3 files into a work folder, list updated,
// against `cp` of the same files into another folder.

#include "mainwnd/CallLog.h"
#include "operations/ImportRecordings.h"
#include "platform/Prompt.h"
#include "store/RecordingList.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeView>

#include <cstdio>
#include <sys/resource.h>

using namespace sonvelle;

namespace {

bool Run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Processor seconds (user and system) of this process or of its finished children: the
// machine is shared, so the wall clock alone says little.
double CpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000;
    CScriptedPrompt prompt;
    SetPrompt(&prompt);

    QTemporaryDir root(QDir::currentPath() + QStringLiteral("/bench-import-XXXXXX"));
    const QString sources = root.filePath(QStringLiteral("sources"));
    const QString copies = root.filePath(QStringLiteral("cp"));
    const QString work = root.filePath(QStringLiteral("work")) + QLatin1Char('/');
    for (const QString& dir : {sources, copies, work})
        QDir().mkpath(dir);
    const QString wav = root.filePath(QStringLiteral("tone.wav"));
    const QString mp3 = root.filePath(QStringLiteral("tone.mp3"));
    if (!Run(QStringLiteral("sox"), {"-n", "-r", "32000", "-c", "1", "-b", "16", wav, "synth", "60", "sine", "440"}) ||
        !Run(QStringLiteral("lame"), {"--quiet", "-b", "32", "-m", "m", "--resample", "32", wav, mp3})) {
        std::fprintf(stderr, "sox and lame are needed\n");
        return 1;
    }
    QStringList chosen;
    for (int i = 0; i < files; ++i) {
        const QString path = sources + QStringLiteral("/Call %1.mp3").arg(i, 4, 10, QLatin1Char('0'));
        QFile::copy(mp3, path);
        chosen << path;
    }
    const double megabytes = double(QFile(mp3).size()) * files / 1e6;
    Run(QStringLiteral("sync"), {});

    const double childrenBefore = CpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer timer;
    timer.start();
    QStringList cpArguments = chosen;
    cpArguments << copies + QLatin1Char('/');
    Run(QStringLiteral("cp"), cpArguments);
    const double cpSeconds = timer.nsecsElapsed() / 1e9;
    const double cpCpu = CpuSeconds(RUSAGE_CHILDREN) - childrenBefore;
    // The import flushes every file it writes; cp leaves that to the kernel.
    Run(QStringLiteral("sync"), {});
    const double cpSyncSeconds = timer.nsecsElapsed() / 1e9;

    QTreeView view;
    CCallLog log;
    log.Attach(&view);
    log.Load(work, false);
    const double selfBefore = CpuSeconds(RUSAGE_SELF);
    timer.restart();
    CRecordingImport import(log.Catalogue());
    const ImportOutcome outcome = import.Run(chosen);
    log.Refill(-1, outcome.lastCreated);
    const double importSeconds = timer.nsecsElapsed() / 1e9;
    const double importCpu = CpuSeconds(RUSAGE_SELF) - selfBefore;

    std::printf("%d files, %.0f MB: cp %.2f s, cp then sync %.2f s; import with the list updated %.2f s = %.2fx cp, "
                "%.2fx cp then sync (goal <= 2x cp); %d listed, selected %s\n",
                files, megabytes, cpSeconds, cpSyncSeconds, importSeconds, importSeconds / cpSeconds,
                importSeconds / cpSyncSeconds, log.Model().Count(), qPrintable(log.SelectedName()));
    std::printf("processor time: cp %.2f s, import %.2f s = %.2fx\n", cpCpu, importCpu, importCpu / cpCpu);
    SetPrompt(nullptr);
    return 0;
}
