// What the periodic flush of the temporary recording to the disk costs: a
// 60-minute recording fed to the writer as fast as it takes it, once flushing
// every 5 s of audio and once never; CPU and wall time of each.
//   bench_flush_cost [folder on the disk to measure=build folder] [minutes=60]

#include "audio/WriteSoundFile.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <sys/resource.h>
#include <sys/statfs.h>

#include <atomic>
#include <cmath>
#include <cstdio>

using namespace sonvelle;

namespace {

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Counts what it has taken, so that the feeder keeps its queue short as the
// capture thread's pace would.
class CCountingWriter : public CWriteSoundFile {
public:
    std::atomic<long> taken{0};

protected:
    void OnMessage(CMessage& message) override
    {
        CWriteSoundFile::OnMessage(message);
        if (message.Message() == WM_WRITER_DATA)
            ++taken;
    }
};

struct Run {
    double wall = 0;
    double cpu = 0;
    qint64 bytes = 0;
};

Run Record(const QString& folder, int minutes, std::uint32_t syncSeconds)
{
    CCountingWriter writer;
    writer.SetFolders(QCoreApplication::applicationDirPath(), folder);
    writer.SetSyncEverySeconds(syncSeconds);
    writer.Start();
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    writer.PostThreadMessage(WM_WRITER_CREATE_FILE, 0, 0, std::make_unique<CCaptureStartRecord>(WaveFormat{}));
    const long buffers = static_cast<long>(minutes) * 60 * 32000 / 1152;
    std::uint32_t phase = 12345;
    for (long b = 0; b < buffers; ++b) {
        auto buffer = std::make_unique<CWaveBuffer>();
        buffer->data = QByteArray(1152 * 2, '\0');
        auto* s = reinterpret_cast<std::int16_t*>(buffer->data.data());
        for (int i = 0; i < 1152; ++i) {  // a voice-like tone with some noise
            phase = phase * 1103515245u + 12345u;
            s[i] = static_cast<std::int16_t>(6000 * std::sin((b * 1152 + i) * 0.07) + ((phase >> 16) & 0x3FF) - 512);
        }
        buffer->bytesRecorded = 1152 * 2;
        writer.PostThreadMessage(WM_WRITER_DATA, 1, 0, std::move(buffer));
        while (b - writer.taken.load() > 64)
            QThread::usleep(200);
    }
    writer.PostThreadMessage(WM_WRITER_CLOSE_FILE);
    writer.PostThreadMessage(WM_WRITER_QUIT);
    writer.wait();
    Run r;
    r.wall = static_cast<double>(wall.elapsed()) / 1000;
    r.cpu = CpuSeconds() - cpu0;
    r.bytes = QFile(folder + "tmp_nome_reg.dtm").size();
    QFile::remove(folder + "tmp_nome_reg.dtm");
    return r;
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString folder = WithTrailingSlash(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    const int minutes = argc > 2 ? std::atoi(argv[2]) : 60;
    struct statfs fs {};
    statfs(QFile::encodeName(folder).constData(), &fs);
    std::printf("folder %s (file system 0x%lx), %d minutes of audio\n", qPrintable(folder),
                static_cast<unsigned long>(fs.f_type), minutes);
    Run with{}, without{};
    for (int round = 0; round < 2; ++round) {  // alternate, so that caches favour neither
        const Run a = Record(folder, minutes, CWriteSoundFile::kSyncEverySeconds);
        const Run b = Record(folder, minutes, 0);
        with.wall += a.wall / 2, with.cpu += a.cpu / 2, with.bytes = a.bytes;
        without.wall += b.wall / 2, without.cpu += b.cpu / 2, without.bytes = b.bytes;
    }
    std::printf("flush every %us: wall %.2f s, cpu %.2f s, %lld bytes, %ld flushes\n",
                CWriteSoundFile::kSyncEverySeconds, with.wall, with.cpu, static_cast<long long>(with.bytes),
                static_cast<long>(minutes) * 60 / CWriteSoundFile::kSyncEverySeconds);
    std::printf("never flushed:   wall %.2f s, cpu %.2f s, %lld bytes\n", without.wall, without.cpu,
                static_cast<long long>(without.bytes));
    std::printf("cost: wall %+.1f %%, cpu %+.1f %%, %.3f ms of wall per flush\n",
                100 * (with.wall - without.wall) / without.wall, 100 * (with.cpu - without.cpu) / without.cpu,
                1000 * (with.wall - without.wall) / (static_cast<double>(minutes) * 60 / CWriteSoundFile::kSyncEverySeconds));
    return 0;
}
