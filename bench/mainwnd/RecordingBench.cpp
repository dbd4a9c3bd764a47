// Figures of the recording control in the real window (offscreen):
//  - from Stop (manual) and from the end of silence (automatic, no
//    confirmation) to the recording listed, for a 60-minute recording,
//    beside the time a plain rename and a plain copy of that file take;
//  - CPU of the whole program while listening in auto-recording with the
//    level meter moving (file-fed microphone, real capture and writer threads).

#include "audio/FileWaveInput.h"
#include "audio/RecordSound.h"
#include "mainwnd/CallLogModel.h"
#include "mainwnd/MainDlg.h"
#include "mainwnd/MainDlgIds.h"
#include "mainwnd/RecordingControl.h"
#include "mainwnd/RecordingEngine.h"
#include "mainwnd/RecordingWindowAdapter.h"
#include "platform/Clock.h"
#include "platform/FileOps.h"
#include "platform/Message.h"
#include "platform/ProgramFolder.h"
#include "resources/StringTable.h"
#include "store/RecordingEntry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QEventLoop>

#include <sndfile.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <memory>

using namespace sonvelle;

namespace {

constexpr qint64 kSixtyMinutesBytes = 60LL * 60 * 4000;  // 32 kbit/s

void WriteFileOfSize(const QString& path, qint64 bytes)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    const QByteArray block(1 << 20, '\x55');
    for (qint64 left = bytes; left > 0; left -= block.size())
        f.write(block.constData(), std::min<qint64>(left, block.size()));
}

double Ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

struct Window {
    explicit Window(const QString& work)
    {
        dlg = std::make_unique<CMainDlg>();
        dlg->AppSettings().WorkDir = work;
        dlg->AppSettings().TempoAttesaRegAuto = "15";
        dlg->AppSettings().SogliaAttivazioneRegAuto = "15000";
        dlg->AppSettings().RegAutoSalvaUnicoFile = "0";
        dlg->RecordingWindow().SetSaveStepForTesting([](CRecordingEntry& e, const QString& folder, const QString& file) {
            const QString from = file.isEmpty() ? e.m_strFolder + LoadText(IDS_TEMP_RECORDING_FILE) : file;
            e.SetState(kStateTagPending);
            return MoveFileNoReplace(from, folder + e.m_strName + ".mp3") == FileError::None;
        });
        dlg->InitialiseWindowOnly();
    }
    std::unique_ptr<CMainDlg> dlg;
};

void StopToListed(const QString& root)
{
    const QString work = root + "/stop/";
    QDir().mkpath(work);
    Window w(work);
    CRecordingControl& r = w.dlg->RecordingControl();

    // Manual: Record, the writer's file grows to 60 minutes, Stop, the save dialog confirms.
    r.OnRecord();
    WriteFileOfSize(work + LoadText(IDS_TEMP_RECORDING_FILE), kSixtyMinutesBytes);
    QElapsedTimer t;
    t.start();
    r.OnStop();
    const double manualMs = Ms(t);
    const bool manualListed = w.dlg->CallLog().Model().Count() == 1 && r.State() == RecorderState::Idle;

    // Automatic: voice, then the writer hands the finished 60-minute segment over.
    r.OnAutoRecording();
    r.OnVoiceDetected();
    const QString handed = work + "TEM1.snx";
    WriteFileOfSize(handed, kSixtyMinutesBytes);
    t.restart();
    r.OnRecordingFileReady(handed, false);
    const double autoMs = Ms(t);
    const bool autoListed = w.dlg->CallLog().Model().Count() == 2 && !QFile::exists(handed);

    // Peers: the bare rename and a copy of the same file.
    const QString a = work + "peer.a";
    WriteFileOfSize(a, kSixtyMinutesBytes);
    t.restart();
    QFile::rename(a, work + "peer.b");
    const double renameMs = Ms(t);
    t.restart();
    QFile::copy(work + "peer.b", work + "peer.c");
    const double copyMs = Ms(t);

    std::printf("stop to listed, 60-minute recording (%lld bytes):\n", kSixtyMinutesBytes);
    std::printf("  manual Stop -> listed:           %8.2f ms (%s)\n", manualMs, manualListed ? "listed" : "NOT LISTED");
    std::printf("  end of silence -> listed:        %8.2f ms (%s)\n", autoMs, autoListed ? "listed" : "NOT LISTED");
    std::printf("  peer: rename alone               %8.2f ms\n", renameMs);
    std::printf("  peer: copy of the file           %8.2f ms\n", copyMs);
    std::printf("  ratio automatic / copy           %8.3f\n", copyMs > 0 ? autoMs / copyMs : 0.0);
    r.OnAutoRecording();
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

void ListeningCpu(const QString& root, int seconds)
{
    const QString work = root + "/listen/";
    QDir().mkpath(work);
    // Murmur under the threshold: the meter moves, nothing is recorded.
    std::vector<short> scene(static_cast<size_t>(seconds + 2) * 32000);
    for (size_t i = 0; i < scene.size(); ++i)
        scene[i] = static_cast<short>(3000 * std::sin(2 * 3.14159265 * 300 * static_cast<double>(i) / 32000) *
                                      (0.5 + 0.5 * std::sin(static_cast<double>(i) / 16000)));
    const QString sceneFile = root + "/murmur.wav";
    SF_INFO info{};
    info.samplerate = 32000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(sceneFile).constData(), SFM_WRITE, &info);
    sf_write_short(f, scene.data(), static_cast<sf_count_t>(scene.size()));
    sf_close(f);

    auto source = std::make_shared<CFileFedSource>(sceneFile, 1.0);
    SetSystemClock(source.get());
    {
        Window w(work);
        w.dlg->show();
        CRecordingEngine& r = w.dlg->RecordingEngine();
        r.CreateWorkerThreads();
        r.Capture()->SetWaveInputFactory([source] { return std::make_unique<CFileWaveInput>(source); });
        r.StartWorkerThreads(SONVELLE_ENCODER_DIR, work);
        PostMessageTo(w.dlg.get(), WM_COMMAND, IDC_AUTO_RECORD);
        QApplication::processEvents();

        const double cpu0 = CpuSeconds();
        QElapsedTimer wall;
        wall.start();
        // The window's own event loop, idle but for what the program does.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        const double cpu = CpuSeconds() - cpu0;
        const double wallSeconds = wall.elapsed() / 1000.0;
        std::printf("listening in auto-recording, level meter moving, %d s:\n", seconds);
        std::printf("  state %d, recordings %d\n", static_cast<int>(w.dlg->RecordingControl().State()),
                    w.dlg->CallLog().Model().Count());
        std::printf("  CPU of the whole process:        %8.2f %% of one core (goal < 2 %%)\n",
                    100.0 * cpu / wallSeconds);
        w.dlg->RecordingControl().EndAutoRecording();
        r.Capture()->PostThreadMessage(WM_REC_CLOSE);
        r.Capture()->wait(10000);
    }
    SetSystemClock(nullptr);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    QApplication app(argc, argv);
    SetProgramFolderForTesting(home.path() + "/");
    StopToListed(home.path());
    ListeningCpu(home.path(), argc > 1 ? std::atoi(argv[1]) : 10);
    return 0;
}
