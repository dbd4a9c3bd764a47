#pragma once
// Helpers shared by the audio engine's tests: one application object for the
// executable, a stand-in main window that collects the posted messages, waits
// that keep the main thread's queue moving, and file fixtures.

#include "platform/Message.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace sonvelle::test {

// Creates the application object unless another test already did.
void EnsureCoreApplication();

struct ReceivedMessage {
    unsigned message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QString path;  // WM_RECORDING_FILE_READY payload
};

// The main window as the worker threads see it.
class CMainWindowStub : public QObject {
public:
    bool event(QEvent* e) override;
    std::vector<ReceivedMessage> received;
    int Count(unsigned message) const;
    std::vector<ReceivedMessage> Only(unsigned message) const;
};

// Processes the main thread's events until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// mpg123 as an independent decoder: rate, channels and samples of an MP3 file.
struct DecodedAudio {
    bool ok = false;
    int rate = 0;
    int channels = 0;
    std::vector<short> samples;
};
DecodedAudio DecodeMp3(const QString& path);

// Text of a log file in the program folder (the tests point it at a temporary folder).
QString ReadLog(const QString& fileName = QStringLiteral("SN.log"));

// A tone or silence of n samples at 32 kHz.
std::vector<short> Tone(int samples, double hz, int amplitude);

}  // namespace sonvelle::test
