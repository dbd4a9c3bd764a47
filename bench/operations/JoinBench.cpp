// Joining ten 60-minute recordings against `cat` of the same files.
// Prints figures and the ratio (goal: at most 1.5); asserts nothing.
#include "operations/JoinFiles.h"
#include "store/RecordingList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

using namespace sonvelle;

namespace {

constexpr int kRecordings = 10;
constexpr int kMinutes = 60;
constexpr int kRuns = 5;

double MedianMs(const std::function<void()>& run, const std::function<void()>& after)
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
        after();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Ten seconds of tone as the recorder's stream (32 kHz mono, 32 kbit/s), made by lame.
QByteArray TenSecondsOfFrames(const QString& folder)
{
    QByteArray pcm;
    for (int i = 0; i < 320000; ++i) {
        const auto sample = static_cast<qint16>(8000 * std::sin(2 * M_PI * 440 * i / 32000.0));
        pcm.append(reinterpret_cast<const char*>(&sample), 2);
    }
    QProcess lame;
    lame.start("lame", {"--quiet", "-r", "-s", "32", "--bitwidth", "16", "--signed", "--little-endian", "-m", "m",
                        "-b", "32", "-", folder + "tone.mp3"});
    lame.write(pcm);
    lame.closeWriteChannel();
    lame.waitForFinished(60000);
    QFile f(folder + "tone.mp3");
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    f.remove();
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QString folder = work.path() + "/";
    const QByteArray tenSeconds = TenSecondsOfFrames(folder);
    if (tenSeconds.isEmpty()) {
        std::printf("lame is needed to make the recordings\n");
        return 1;
    }
    QByteArray hour;
    for (int i = 0; i < kMinutes * 6; ++i)
        hour += tenSeconds;
    QStringList paths;
    for (int i = 0; i < kRecordings; ++i) {
        QFile f(folder + QStringLiteral("Call %1.mp3").arg(i));
        if (!f.open(QIODevice::WriteOnly) || f.write(hour) != hour.size())
            return 1;
        paths << f.fileName();
    }
    CRecordingList catalogue;
    catalogue.Load(folder);  // gives every file its tag
    std::vector<CRecordingEntry*> sources;
    for (int i = 0; i < kRecordings; ++i)
        sources.push_back(catalogue.FindByName(QStringLiteral("Call %1").arg(i)));
    std::printf("%d recordings of %d minutes, %.1f MB each\n", kRecordings, kMinutes, hour.size() / 1048576.0);

    CJoinFiles join(catalogue);
    CRecordingEntry joined;
    joined.m_strName = QStringLiteral("Joined");
    joined.m_strFolder = folder;
    const QString joinedPath = folder + "Joined.mp3";
    const auto removeJoined = [&]() { QFile::remove(joinedPath); };
    const double joinMs = MedianMs([&]() { join.WriteJoinedFile(sources, joined, nullptr); }, removeJoined);
    const double catMs = MedianMs(
        [&]() {
            QProcess cat;
            cat.setStandardOutputFile(joinedPath);
            cat.start("cat", paths);
            cat.waitForFinished(-1);
        },
        removeJoined);
    const double catSyncMs = MedianMs(
        [&]() {
            QProcess cat;
            cat.start("sh", QStringList{"-c", "cat \"$@\" > \"$0\" && sync \"$0\"", joinedPath} + paths);
            cat.waitForFinished(-1);
        },
        removeJoined);
    std::printf("join (tag, frames, flush to disk, rename): %8.1f ms (median of %d)\n", joinMs, kRuns);
    std::printf("cat:                                       %8.1f ms\n", catMs);
    std::printf("cat, then sync of the output:              %8.1f ms\n", catSyncMs);
    std::printf("join / cat = %.2f, join / (cat + sync) = %.2f (goal <= 1.5)\n", joinMs / catMs, joinMs / catSyncMs);
    return 0;
}
