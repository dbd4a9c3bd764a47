// A capture on the sound server with the other core kept busy: buffers lost
// and the delay from a sound entering the microphone to its MP3 bytes in the file.
//   bench_capture [seconds=600]      (needs PULSE_SERVER of scripts/sound-server)

#include "audio/PulseWaveInput.h"
#include "audio/RecordSound.h"
#include "audio/WriteSoundFile.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

using namespace sonvelle;

namespace {

QElapsedTimer g_clock;

class CTimingWriter : public CWriteSoundFile {
public:
    std::atomic<long> buffers{0};
    std::mutex mutex;
    std::vector<qint64> loudAt;  // ms at which a loud buffer's MP3 bytes were in the file

protected:
    void OnMessage(CMessage& message) override
    {
        bool loud = false;
        if (message.Message() == WM_WRITER_DATA) {
            ++buffers;
            // Peek without taking: the base class takes the payload.
            auto b = message.TakePayload<CWaveBuffer>();
            if (b) {
                const auto* s = reinterpret_cast<const std::int16_t*>(b->data.constData());
                for (int i = 0; i < b->data.size() / 2; ++i)
                    loud = loud || s[i] > 8000;
                CMessage again(WM_WRITER_DATA, message.WParam(), message.LParam(), std::move(b));
                CWriteSoundFile::OnMessage(again);
            }
        } else {
            CWriteSoundFile::OnMessage(message);
        }
        if (loud) {
            std::lock_guard lock(mutex);
            loudAt.push_back(g_clock.elapsed());
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 600;
    QTemporaryDir dir;
    SetProgramFolderForTesting(dir.path() + "/");
    g_clock.start();

    // A 100 ms beep, played into the microphone every 10 s.
    std::vector<short> beep(3200);
    for (size_t i = 0; i < beep.size(); ++i)
        beep[i] = static_cast<short>(20000 * std::sin(2 * M_PI * 1000 * static_cast<double>(i) / 32000));
    const QString beepFile = dir.path() + "/beep.wav";
    SF_INFO info{};
    info.samplerate = 32000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(beepFile).constData(), SFM_WRITE, &info);
    sf_write_short(f, beep.data(), static_cast<sf_count_t>(beep.size()));
    sf_close(f);

    std::atomic<bool> busy{true};
    std::thread spinner([&] {
        volatile unsigned long x = 0;
        while (busy.load(std::memory_order_relaxed))
            x = x + 1;
    });

    CTimingWriter writer;
    writer.SetFolders(QCoreApplication::applicationDirPath(), dir.path());
    CRecordSound capture(32000);
    capture.SetWaveInputFactory([] { return std::make_unique<CPulseWaveInput>(); });
    writer.Start();
    capture.Start();
    capture.PostThreadMessage(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(&writer));
    capture.PostThreadMessage(WM_REC_START);
    while (!capture.IsRecording() && g_clock.elapsed() < 5000)
        QThread::msleep(1);
    if (!capture.IsRecording()) {
        std::printf("capture did not start (is the sound server running? see SN.log)\n");
        busy = false;
        spinner.join();
        return 1;
    }
    const qint64 started = g_clock.elapsed();
    std::vector<qint64> beepAt;
    qint64 nextBeep = started + 2000;
    while (g_clock.elapsed() - started < seconds * 1000LL) {
        if (g_clock.elapsed() >= nextBeep) {
            beepAt.push_back(g_clock.elapsed());
            QProcess::startDetached("paplay", {"-d", "micfeed", beepFile});
            nextBeep += 10000;
        }
        app.processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    capture.PostThreadMessage(WM_REC_STOP);
    const double captured = (g_clock.elapsed() - started) / 1000.0;
    capture.PostThreadMessage(WM_REC_CLOSE);
    while (capture.IsStillActive())
        QThread::msleep(5);
    busy = false;
    spinner.join();

    const double expected = captured * 32000 / 1152;
    std::vector<qint64> delays;
    {
        std::lock_guard lock(writer.mutex);
        // The first loud buffer after each beep.
        for (qint64 t : beepAt) {
            auto it = std::lower_bound(writer.loudAt.begin(), writer.loudAt.end(), t);
            if (it != writer.loudAt.end() && *it - t < 5000)
                delays.push_back(*it - t);
        }
    }
    std::sort(delays.begin(), delays.end());
    std::printf("captured %.1f s with one core busy: %ld buffers written, %.0f expected, lost about %.0f\n", captured,
                writer.buffers.load(), expected, std::max(0.0, expected - static_cast<double>(writer.buffers.load())));
    if (!delays.empty())
        std::printf("beep to MP3 in the file (includes paplay's start-up): %zu beeps, median %lld ms, max %lld ms\n",
                    delays.size(), static_cast<long long>(delays[delays.size() / 2]),
                    static_cast<long long>(delays.back()));
    SetProgramFolderForTesting({});
    return 0;
}
