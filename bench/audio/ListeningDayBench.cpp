// A simulated day of listening for voice: the file-fed microphone plays, many
// times faster than life, calls and silences alternating (one call of
// 60 s every 5 minutes), through the real capture and writer threads and the
// real encoder. Prints the calls made, the recordings handed over, the sound
// lost at the device and the resident memory hour by hour.
//   bench_listening_day [hours=24] [speed=200]

#include "audio/FileWaveInput.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <sndfile.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace sonvelle;

namespace {

constexpr int kCallSeconds = 60;
constexpr int kCycleSeconds = 300;
std::atomic<std::uint64_t> g_droppedBytes{0};

long ResidentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

// A call: words as bursts of a voiced tone with short pauses; then silence.
bool WriteCycle(const QString& path)
{
    std::vector<short> samples(static_cast<size_t>(kCycleSeconds) * kSampleRate, 0);
    for (int i = 0; i < kCallSeconds * kSampleRate; ++i) {
        const bool word = (i % 22400) < 16000;  // 0.5 s of voice, 0.2 s of pause
        const double t = static_cast<double>(i) / kSampleRate;
        if (word)
            samples[static_cast<size_t>(i)] =
                static_cast<short>(9000 * std::sin(2 * M_PI * 180 * t) + 3000 * std::sin(2 * M_PI * 720 * t));
    }
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
    return true;
}

class CCountingInput : public CFileWaveInput {
public:
    using CFileWaveInput::CFileWaveInput;
    ~CCountingInput() override { g_droppedBytes += DroppedBytes(); }
};

// The main window as the threads see it: counts the calls and stores nothing.
class CWindowStub : public QObject {
public:
    int voices = 0;
    int recordings = 0;
    int discarded = 0;
    int empty = 0;
    qint64 bytes = 0;
    bool event(QEvent* e) override
    {
        if (e->type() != CMessage::EventType())
            return QObject::event(e);
        auto* m = static_cast<CMessage*>(e);
        if (m->Message() == WM_VOICE_DETECTED)
            ++voices;
        if (m->Message() == WM_RECORDING_FILE_READY) {
            const auto path = m->TakePayload<QString>();
            if (m->LParam() != 0) {
                ++discarded;
            } else {
                ++recordings;
                const qint64 size = path ? QFileInfo(*path).size() : 0;
                empty += size <= 0;
                bytes += size;
            }
            if (path)
                QFile::remove(*path);
        }
        return true;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int hours = argc > 1 ? std::max(1, std::atoi(argv[1])) : 24;
    const double speed = argc > 2 ? std::atof(argv[2]) : 200.0;
    QTemporaryDir dir;
    const QString work = dir.path() + "/work/";
    QDir().mkpath(work);
    SetProgramFolderForTesting(dir.path() + "/");
    const QString scene = dir.path() + "/cycle.wav";
    if (!WriteCycle(scene))
        return 1;
    auto source = std::make_shared<CFileFedSource>(scene, speed);
    source->SetLooping(true);
    SetSystemClock(source.get());

    CWindowStub window;
    auto writer = std::make_unique<CWriteSoundFile>();
    auto capture = std::make_unique<CRecordSound>(32000);
    capture->SetWaveInputFactory([source] { return std::make_unique<CCountingInput>(source); });
    capture->mainWindow = &window;
    capture->SetActivationThreshold(2000);
    capture->SetSilenceSeconds(10);
    writer->Start();
    writer->SetFolders(SONVELLE_ENCODER_DIR, work);
    writer->mainWindow = &window;
    capture->Start();
    capture->PostThreadMessage(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(writer.get()));
    capture->PostThreadMessage(WM_REC_VOICE_ACTIVATION, 1);
    capture->PostThreadMessage(WM_REC_START);

    const std::uint64_t total = static_cast<std::uint64_t>(hours) * 3600 * kSampleRate;
    QElapsedTimer real;
    real.start();
    std::vector<long> rss;
    int nextHour = 1;
    // The last call of the day has ended by then; the next one would start at the end.
    while (source->Position() < total - 30ull * kSampleRate) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
        if (source->Position() >= static_cast<std::uint64_t>(nextHour) * 3600 * kSampleRate) {
            rss.push_back(ResidentKiB());
            std::printf("hour %2d: %4d recordings, resident %ld KiB, %.0f s real\n", nextHour, window.recordings,
                        rss.back(), real.elapsed() / 1000.0);
            std::fflush(stdout);
            ++nextHour;
        }
    }
    rss.push_back(ResidentKiB());  // the end of the day
    capture->PostThreadMessage(WM_REC_VOICE_ACTIVATION, 0);
    capture->PostThreadMessage(WM_REC_STOP);
    capture->PostThreadMessage(WM_REC_CLOSE);
    while (capture->IsStillActive())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::processEvents();
    capture.reset();
    writer.reset();

    const int calls = hours * 3600 / kCycleSeconds;
    std::printf("\n%d simulated hours at %.0fx in %.0f s real\n", hours, speed, real.elapsed() / 1000.0);
    std::printf("calls made %d, voice notices %d, recordings handed over %d (empty %d, discarded %d), %.1f MiB of MP3\n",
                calls, window.voices, window.recordings, window.empty, window.discarded, window.bytes / 1048576.0);
    std::printf("sound lost at the device: %llu bytes (%llu buffers)\n",
                static_cast<unsigned long long>(g_droppedBytes.load()),
                static_cast<unsigned long long>(g_droppedBytes.load() / kBufferBytes));
    if (rss.size() >= 2)
        std::printf("resident memory: after hour 1 %ld KiB, at the end %ld KiB (%+.2f %%)\n", rss.front(), rss.back(),
                    100.0 * (rss.back() - rss.front()) / rss.front());
    // At these speeds a scheduling pause of 0.1 s is 10 s of the microphone's
    // time: a pause inside a call can then end its segment early and split it.
    QFile log(LogFilePath());
    const QByteArray lines = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    std::printf("MP3 audio: %.0f s, expected %d s (each call and the %d s of silence that end it); devices lost: %lld\n",
                window.bytes / 4000.0, calls * (kCallSeconds + 10), 10,
                static_cast<long long>(lines.count("dispositivo perso")));
    SetSystemClock(nullptr);
    return 0;
}
