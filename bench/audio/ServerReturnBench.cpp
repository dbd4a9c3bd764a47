// The sound server going away and coming back under a capture that listens
// for voice: the time from the loss to the capture noticing it, and from the
// server answering again to capture running again.
//   bench_server_return [rounds=5]
// Starts a private server of its own with scripts/sound-server, or with
// scripts/pipewire-server when SONVELLE_SOUND_SERVER_KIND=pipewire.

#include "audio/RecordSound.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "support/PrivateSoundServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace sonvelle;

namespace {

// Milliseconds until the condition holds (polling every millisecond), or -1 after 10 s.
template <class F>
long WaitMs(F condition)
{
    QElapsedTimer t;
    t.start();
    while (!condition()) {
        if (t.elapsed() > 10000)
            return -1;
        QThread::msleep(1);
    }
    return static_cast<long>(t.elapsed());
}

void Print(const char* what, std::vector<long> v)
{
    std::sort(v.begin(), v.end());
    if (v.empty())
        return;
    std::printf("%-40s min %5ld ms   median %5ld ms   max %5ld ms\n", what, v.front(), v[v.size() / 2], v.back());
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir dir;
    SetProgramFolderForTesting(dir.path() + "/");
    test::CPrivateSoundServer server;
    if (!server.Start()) {
        std::fprintf(stderr, "the private server did not start\n");
        return 1;
    }
    auto capture = std::make_unique<CRecordSound>(32000);
    capture->SetActivationThreshold(32767);  // listening, never triggered
    capture->Start();
    capture->PostThreadMessage(WM_REC_VOICE_ACTIVATION, 1);
    capture->PostThreadMessage(WM_REC_START);
    if (WaitMs([&] { return capture->IsRecording(); }) < 0) {
        std::fprintf(stderr, "capture did not start\n");
        return 1;
    }
    std::vector<long> noticed, resumed;
    for (int round = 0; round < rounds; ++round) {
        QThread::msleep(500);
        server.Stop();
        noticed.push_back(WaitMs([&] { return !capture->IsRecording(); }));
        QThread::msleep(2000);
        server.Start();  // returns once the server answers
        resumed.push_back(WaitMs([&] { return capture->IsRecording(); }));
    }
    // A suspended server (stopped, then continued): nothing tells the client, the stall limit finds it.
    std::vector<long> stalled, continued;
    const qint64 pid = server.Pid();
    for (int round = 0; pid > 0 && round < rounds; ++round) {
        QThread::msleep(500);
        ::kill(static_cast<pid_t>(pid), SIGSTOP);
        stalled.push_back(WaitMs([&] { return !capture->IsRecording(); }));
        QThread::msleep(2000);
        ::kill(static_cast<pid_t>(pid), SIGCONT);
        continued.push_back(WaitMs([&] { return capture->IsRecording(); }));
    }
    std::printf("%s, %d rounds (capture retries every %d ms, stall limit %d ms)\n", qPrintable(server.Kind()),
                rounds, CRecordSound::kReconnectMs, CRecordSound::kStallLimitMs);
    Print("loss to capture stopped:", noticed);
    Print("server answering to capture running:", resumed);
    Print("suspend to capture stopped:", stalled);
    Print("continue to capture running:", continued);
    capture->PostThreadMessage(WM_REC_CLOSE);
    capture->wait(10000);
    capture.reset();
    return 0;
}
