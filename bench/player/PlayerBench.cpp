// Starting and seeking a 3-hour recording with both playing methods, the
// player's resident memory, and mpg123 doing the same jump as a peer.
// Needs a sound server (PULSE_SERVER); prints figures, asserts nothing.

#include "audio/SoundPlayer.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <fstream>
#include <string>

using namespace sonvelle;

namespace {

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

bool Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(600000) && process.exitCode() == 0;
}

// One minute encoded without a frame-count header, repeated: frames of a
// constant bit rate stream join into one long recording.
QString MakeLongRecording(const QTemporaryDir& dir, int minutes)
{
    const QString wav = dir.filePath(QStringLiteral("minute.wav"));
    const QString minute = dir.filePath(QStringLiteral("minute.mp3"));
    if (!Run(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("32000"),
                                      QStringLiteral("-c"), QStringLiteral("1"), QStringLiteral("-b"),
                                      QStringLiteral("16"), wav, QStringLiteral("synth"), QStringLiteral("60"),
                                      QStringLiteral("sine"), QStringLiteral("300-900"), QStringLiteral("vol"),
                                      QStringLiteral("0.2")})
        || !Run(QStringLiteral("lame"), {QStringLiteral("-t"), QStringLiteral("--quiet"), QStringLiteral("-b"),
                                         QStringLiteral("32"), QStringLiteral("-m"), QStringLiteral("m"),
                                         QStringLiteral("--resample"), QStringLiteral("32"), wav, minute}))
        return {};
    QFile in(minute);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = in.readAll();
    const QString path = dir.filePath(QStringLiteral("three hours.mp3"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    for (int i = 0; i < minutes; ++i)
        out.write(bytes);
    return path;
}

double Ms(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void Measure(const QString& path, bool alternative)
{
    const char* name = alternative ? "alternative (playbin)" : "classic (decoder + server stream)";
    const long before = ResidentKiB();
    CSoundPlayer player;
    QElapsedTimer timer;
    // The first start of a method in a process also loads its libraries and plug-ins.
    timer.start();
    const bool first = player.Play(path, nullptr, alternative);
    const double firstMs = Ms(timer);
    player.Stop();
    timer.restart();
    const bool started = first && player.Play(path, nullptr, alternative);
    const double startMs = Ms(timer);
    if (!started) {
        std::printf("%s: Play failed (see SN.log)\n", name);
        return;
    }
    std::uint32_t length = 0;
    std::uint32_t position = 0;
    player.GetStatus(length, position);
    std::printf("%s\n  first start in the process: %.1f ms; start: %.1f ms (length reported %u ms)\n", name, firstMs,
                startMs, length);

    const std::uint32_t targets[] = {5400000, 600000, 10500000, 3600000, 7777000};
    double worst = 0;
    double total = 0;
    for (std::uint32_t target : targets) {
        timer.restart();
        const bool ok = player.Seek(target);
        const double ms = Ms(timer);
        worst = std::max(worst, ms);
        total += ms;
        QThread::msleep(300);
        player.GetStatus(length, position);
        std::printf("  seek to %7.1f s: %6.1f ms%s, heard at %.1f s\n", target / 1000.0, ms, ok ? "" : " FAILED",
                    position / 1000.0);
    }
    std::printf("  seek mean %.1f ms, worst %.1f ms\n", total / 5, worst);
    std::printf("  resident memory while playing: %ld KiB (%+ld KiB over the idle process)\n", ResidentKiB(),
                ResidentKiB() - before);
    player.Stop();

    std::chrono::seconds duration{0};
    timer.restart();
    player.CalcolaDurata(path, alternative, duration);
    std::printf("  CalcolaDurata: %lld s in %.1f ms\n", static_cast<long long>(duration.count()), Ms(timer));
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    SetProgramFolderForTesting(dir.path());
    if (qgetenv("PULSE_SERVER").isEmpty() && !Run(QStringLiteral("pactl"), {QStringLiteral("info")})) {
        std::fprintf(stderr, "no sound server: eval \"$(scripts/sound-server start)\" first\n");
        return 1;
    }
    const QString path = MakeLongRecording(dir, 180);
    if (path.isEmpty()) {
        std::fprintf(stderr, "sox or lame could not make the 3-hour recording\n");
        return 1;
    }
    std::printf("3-hour recording: %.1f MB, idle process %ld KiB resident\n", QFile(path).size() / 1e6, ResidentKiB());
    Measure(path, false);
    Measure(path, true);

    // Peer: mpg123 opening the same file and decoding one frame at 1.5 hours.
    QElapsedTimer timer;
    timer.start();
    Run(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-t"), QStringLiteral("-k"),
                                   QStringLiteral("150000"), QStringLiteral("-n"), QStringLiteral("1"), path});
    std::printf("peer: mpg123 process jumping to 1.5 h and decoding a frame: %.1f ms\n", Ms(timer));
    return 0;
}
