// Audio kept when the program is killed outright at a random moment of an
// automatic recording: the program records speech from a file-fed microphone,
// is killed with SIGKILL, and is started again, which stores what was left.
// Seconds lost = seconds recorded until the kill - seconds stored.
//   bench_kill_loss [rounds=5]   (needs PULSE_SERVER of scripts/sound-server)

#include "platform/Registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <functional>

using namespace sonvelle;

namespace {

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

double DecodedSeconds(const QString& mp3)
{
    const QString wav = mp3 + ".wav";
    if (QProcess::execute("mpg123", {"-q", "-w", wav, mp3}) != 0)
        return -1;
    QProcess p;
    p.start("soxi", {"-D", wav});
    p.waitForFinished(30000);
    bool ok = false;
    const double s = QString::fromUtf8(p.readAllStandardOutput()).trimmed().toDouble(&ok);
    QFile::remove(wav);
    return ok ? s : -1;
}

void Launch(QProcess& program, const QString& root, const QString& microphone)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", root + "/config");
    env.insert("XDG_RUNTIME_DIR", root + "/runtime");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SONVELLE_WAVE_INPUT", microphone);
    program.setProcessEnvironment(env);
    program.start(QCoreApplication::applicationDirPath() + "/sonvelle", QStringList());
    program.waitForStarted(10000);
}

void Kill(QProcess& program)
{
    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    program.waitForFinished(10000);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir media;
    QString words;
    for (int i = 0; i < 20; ++i)
        words += "The quarterly figures arrive on Thursday and the meeting moves to room four. ";
    const QString raw = media.path() + "/raw.wav", speech = media.path() + "/speech.wav";
    const QString silence = media.path() + "/silence.wav";
    QProcess::execute("espeak-ng", {"-w", raw, words});
    QProcess::execute("sox", {raw, "-r", "32000", "-c", "1", "-b", "16", speech});
    QProcess::execute("sox", {"-n", "-r", "32000", "-c", "1", "-b", "16", silence, "trim", "0", "60"});
    std::printf("round  recorded_s  stored_s  lost_s\n");
    double worst = 0, total = 0;
    int measured = 0;
    for (int round = 1; round <= rounds; ++round) {
        QTemporaryDir dir;
        const QString root = dir.path(), work = root + "/work/";
        QDir().mkpath(work);
        QDir().mkpath(root + "/runtime");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config"));
        {
            CRegKey key;
            key.Create(Hive::CurrentUser, "Software\\Orsolan\\Sonvelle");
            for (const auto& [name, text] : QList<QPair<QString, QString>>{
                     {"WorkDir", work}, {"PrimoLancio", "0"}, {"AvviaInAutoReg", "1"}, {"TempoAttesaRegAuto", "15"},
                     {"SogliaAttivazioneRegAuto", "2000"}, {"ChiediConfermaAutoRec", "0"}})
                key.WriteText(name, text);
        }
        QProcess first;
        Launch(first, root, speech);
        const QString temporary = work + "tmp_nome_reg.dtm";
        if (!WaitUntil([&] { return QFileInfo(temporary).size() > 0; }, 30000)) {
            std::printf("%5d  the recording never started\n", round);
            Kill(first);
            continue;
        }
        QElapsedTimer since;
        since.start();
        const int killAtMs = 3000 + static_cast<int>(QRandomGenerator::global()->bounded(40000));
        QThread::msleep(static_cast<unsigned long>(killAtMs));
        Kill(first);
        const double recorded = static_cast<double>(since.elapsed()) / 1000;

        QProcess second;
        Launch(second, root, silence);
        // The recording the second start stored: the only ".mp3" of the folder.
        QString stored;
        WaitUntil(
            [&] {
                const QStringList found = QDir(work).entryList({"*.mp3"}, QDir::Files);
                stored = found.isEmpty() ? QString() : work + found.first();
                return !stored.isEmpty();
            },
            30000);
        QThread::msleep(500);
        Kill(second);
        const double kept = DecodedSeconds(stored);
        const double lost = kept < 0 ? recorded : recorded - kept;
        std::printf("%5d  %10.1f  %8.1f  %6.1f\n", round, recorded, kept, lost);
        worst = std::max(worst, lost);
        total += lost;
        ++measured;
    }
    if (measured > 0)
        std::printf("seconds lost: mean %.2f, worst %.2f over %d kills (goal: at most 5)\n", total / measured, worst,
                    measured);
    return 0;
}
