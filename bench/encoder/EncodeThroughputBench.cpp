// Encoding throughput of the writer path (posted buffers → encoder library →
// file) against the lame command line on the same 32 kHz mono WAV.
//   bench_encoder [minutes=30]

#include "audio/WriteSoundFile.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sndfile.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

using namespace sonvelle;

namespace {

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Speech-like material: a gliding voiced tone with syllable envelope and a little noise.
std::vector<short> MakeSignal(long samples)
{
    std::vector<short> s(static_cast<size_t>(samples));
    unsigned seed = 1;
    double phase = 0;
    for (long i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / 32000.0;
        const double pitch = 140 + 40 * std::sin(2 * M_PI * 0.7 * t);
        phase += 2 * M_PI * pitch / 32000.0;
        const double envelope = 0.5 + 0.5 * std::sin(2 * M_PI * 4 * t);
        seed = seed * 1103515245 + 12345;
        const double noise = static_cast<double>(static_cast<int>(seed >> 16 & 0x7FFF) - 16384) / 16384.0;
        const double v = envelope * (0.6 * std::sin(phase) + 0.25 * std::sin(3 * phase) + 0.1 * std::sin(5 * phase)) + 0.03 * noise;
        s[static_cast<size_t>(i)] = static_cast<short>(9000 * v);
    }
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int minutes = argc > 1 ? std::atoi(argv[1]) : 30;
    QTemporaryDir dir;
    const long samples = static_cast<long>(minutes) * 60 * 32000;
    const std::vector<short> signal = MakeSignal(samples);

    const QString wav = dir.path() + "/input.wav";
    SF_INFO info{};
    info.samplerate = 32000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(wav).constData(), SFM_WRITE, &info);
    sf_write_short(f, signal.data(), samples);
    sf_close(f);

    // The writer path, as the capture thread feeds it: one posted buffer per 1152 samples.
    SetProgramFolderForTesting(dir.path() + "/");
    CWriteSoundFile writer(32000);
    writer.SetFolders(QCoreApplication::applicationDirPath(), dir.path());
    writer.Start();
    QElapsedTimer wall;
    const double cpu0 = CpuSeconds();
    wall.start();
    writer.PostThreadMessage(WM_WRITER_CREATE_FILE, 0, 0, std::make_unique<CCaptureStartRecord>(WaveFormat{}));
    for (long pos = 0; pos < samples; pos += 1152) {
        auto b = std::make_unique<CWaveBuffer>();
        const long n = std::min<long>(1152, samples - pos);
        b->data = QByteArray(reinterpret_cast<const char*>(signal.data() + pos), static_cast<qsizetype>(n * 2));
        b->bytesRecorded = static_cast<std::uint32_t>(n * 2);
        writer.PostThreadMessage(WM_WRITER_DATA, 1, 0, std::move(b));
    }
    writer.PostThreadMessage(WM_WRITER_CLOSE_FILE);
    writer.PostThreadMessage(WM_WRITER_QUIT);
    writer.wait();
    const double ourSeconds = wall.elapsed() / 1000.0;
    const double ourCpu = CpuSeconds() - cpu0;
    const qint64 ourBytes = QFileInfo(dir.path() + "/tmp_nome_reg.dtm").size();

    // The same material through lame itself.
    rusage before{};
    getrusage(RUSAGE_CHILDREN, &before);
    wall.restart();
    const int rc = QProcess::execute("lame", {"--quiet", "-b", "32", "-m", "m", "--resample", "32", wav, dir.path() + "/lame.mp3"});
    const double lameSeconds = wall.elapsed() / 1000.0;
    rusage after{};
    getrusage(RUSAGE_CHILDREN, &after);
    const auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; };
    const double lameCpu = seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) - seconds(before.ru_stime);
    const qint64 lameBytes = QFileInfo(dir.path() + "/lame.mp3").size();

    std::printf("audio: %d min of 32 kHz mono (%ld samples)\n", minutes, samples);
    std::printf("writer path: %.2f s wall, %.2f s CPU, %lld bytes (%.0fx real time)\n", ourSeconds, ourCpu,
                static_cast<long long>(ourBytes), minutes * 60 / ourSeconds);
    std::printf("lame -b 32 -m m --resample 32: %.2f s wall, %.2f s CPU, %lld bytes, exit %d (%.0fx real time)\n",
                lameSeconds, lameCpu, static_cast<long long>(lameBytes), rc, minutes * 60 / lameSeconds);
    std::printf("ratio writer/lame: wall %.3f, CPU %.3f (goal <= 1.10; the machine is shared, CPU is the steadier figure)\n",
                ourSeconds / lameSeconds, ourCpu / lameCpu);
    SetProgramFolderForTesting({});
    return 0;
}
