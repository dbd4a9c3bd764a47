// CPU time per hour of listening in auto-recording (level meter and gate only,
// no segment), fed by the file microphone at high speed.
//   bench_gate_cpu [speed=100] [hours=1]

#include "audio/FileWaveInput.h"
#include "audio/LevelGate.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <sndfile.h>

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

class CCountingWindow : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != CMessage::EventType())
            return QObject::event(e);
        auto* m = static_cast<CMessage*>(e);
        levelReports += m->Message() == WM_INPUT_LEVEL;
        voice += m->Message() == WM_VOICE_DETECTED;
        return true;
    }
    long levelReports = 0;
    long voice = 0;
};
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double speed = argc > 1 ? std::atof(argv[1]) : 100.0;
    const double hours = argc > 2 ? std::atof(argv[2]) : 1.0;
    QTemporaryDir dir;
    SetProgramFolderForTesting(dir.path() + "/");

    // A minute of room noise well below the threshold, then silence.
    std::vector<short> noise(60 * 32000);
    unsigned seed = 7;
    for (auto& s : noise) {
        seed = seed * 1103515245 + 12345;
        s = static_cast<short>(static_cast<int>(seed >> 16 & 0x3FF) - 512);
    }
    const QString wav = dir.path() + "/room.wav";
    SF_INFO info{};
    info.samplerate = 32000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(wav).constData(), SFM_WRITE, &info);
    sf_write_short(f, noise.data(), static_cast<sf_count_t>(noise.size()));
    sf_close(f);

    // The meter and gate alone, over an hour of these buffers at their own times.
    {
        CLevelGate gate;
        gate.threshold = 20000;
        gate.silenceSeconds = 5;
        gate.SetVoiceActivation(true);
        const long buffers = static_cast<long>(hours * 3600 * 32000 / 1152);
        const double c0 = CpuSeconds();
        long reports = 0;
        for (long i = 0; i < buffers; ++i) {
            const std::size_t at = static_cast<std::size_t>(i % 1600) * 1152;
            reports += gate.Process(noise.data() + at, 1152, static_cast<std::uint32_t>(i * 36)).levelReport;
        }
        const double c = CpuSeconds() - c0;
        std::printf("meter and gate alone: %ld buffers, %ld reports, %.3f s CPU per hour of audio\n", buffers, reports,
                    c / hours);
    }

    auto source = std::make_shared<CFileFedSource>(wav, speed);
    SetSystemClock(source.get());
    CCountingWindow window;
    CWriteSoundFile writer(32000);
    writer.SetFolders(QCoreApplication::applicationDirPath(), dir.path());
    CRecordSound capture(32000);
    capture.mainWindow = &window;
    capture.SetWaveInputFactory([source] { return std::make_unique<CFileWaveInput>(source); });
    capture.SetActivationThreshold(20000);
    capture.SetSilenceSeconds(5);
    writer.Start();
    capture.Start();
    capture.PostThreadMessage(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(&writer));
    capture.PostThreadMessage(WM_REC_VOICE_ACTIVATION, 1);
    capture.PostThreadMessage(WM_REC_START);

    const std::uint32_t startMs = source->NowMs();
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const auto audioMs = static_cast<std::uint32_t>(hours * 3600 * 1000);
    while (source->NowMs() - startMs < audioMs) {
        app.processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    const double cpu = CpuSeconds() - cpu0;
    const double audioHours = (source->NowMs() - startMs) / 3.6e6;
    capture.PostThreadMessage(WM_REC_CLOSE);
    while (capture.IsStillActive()) {
        app.processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    app.processEvents();
    std::printf("listened: %.3f h of audio in %.1f s (speed %.0f), %ld level reports of %.0f expected, %ld detections\n", audioHours,
                wall.elapsed() / 1000.0, speed, window.levelReports, audioHours * 3600 * 1000 / 144, window.voice);
    std::printf("whole capture path, process CPU: %.3f s, %.3f s per hour of audio (includes the simulated device, its %.0f wake-ups per second, and the queue)\n", cpu,
                cpu / audioHours, speed * 32000 / 1152);
    SetSystemClock(nullptr);
    SetProgramFolderForTesting({});
    return 0;
}
