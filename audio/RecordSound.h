#pragma once
// The capture thread: owns the wave-input device and its buffers, measures
// every returned buffer, runs the voice gate and hands the buffers that belong
// to the recording to the writer thread. It keeps the optional sample log
// (arrival gaps in "LogCampionamenti.log", raw copies "WavLogRec_*.wav"),
// switched on by the presence of "LogCampionamenti.log".
//
// Messages it receives:
//   WM_REC_START, WM_REC_STOP, WM_REC_CLOSE      0 / 0
//   WM_REC_SET_WRITER                             0 / CWriteSoundFile*
//   WM_REC_VOICE_ACTIVATION                       0 off, non-zero on / 0
//   MM_WIM_DATA                                   device number / 0, payload CWaveBuffer
//   WM_WAVEIN_LOST                                device number / error
// It posts WM_INPUT_LEVEL (peak / lowest), WM_VOICE_DETECTED and
// WM_CAPTURE_STATE to the main window, and the writer's messages (see
// WriteSoundFile.h) to the writer.
//
// The sound server may go away at any time. A device that reports the loss,
// or that delivers nothing for the stall limit, is closed: a running voice
// segment is handed over as at its end, the writer closes its file, and the
// main window hears WM_CAPTURE_STATE once per outage. Every second the thread
// tries the server again; when one answers, listening for voice resumes by
// itself and the window hears that capture is back (a manual recording is
// stored and started again by the window).

#include "audio/LevelGate.h"
#include "audio/WaveInput.h"
#include "platform/WorkerThread.h"

#include <QFile>
#include <QStringList>

#include <atomic>
#include <memory>

class QTimer;

namespace sonvelle {

class CWriteSoundFile;

// To the main window: wParam one of the CaptureState values, lParam the error number.
constexpr unsigned WM_CAPTURE_STATE = WM_USER + 520;
enum CaptureState : WPARAM {
    kCaptureLost = 0,         // a running capture was cut; what it recorded goes to the writer's file
    kCaptureUnavailable = 1,  // a start found no device; capture starts when one answers
    kCaptureBack = 2,         // a device answers again
};

class CRecordSound : public CWorkerThread {
public:
    explicit CRecordSound(std::uint32_t sampleRate = 32000);
    ~CRecordSound() override;

    std::atomic<QObject*> mainWindow{nullptr};

    // The settings of the gate, stored by the main window; effective from the next buffer.
    void SetAntiBumpEnabled(bool on) { m_gate.antiBumpEnabled = on; }
    void SetActivationThreshold(std::int32_t value) { m_gate.threshold = value; }
    void SetSilenceSeconds(std::int32_t seconds) { m_gate.silenceSeconds = seconds; }

    // True while the device is open and capturing.
    bool IsRecording() const { return m_recording.load(); }

    // The device to open at each start; the default follows CreateDefaultWaveInput.
    void SetWaveInputFactory(WaveInputFactory factory) { m_factory = std::move(factory); }

    // Real time without a buffer after which a running device counts as lost; 0 never.
    void SetStallLimitMs(int ms) { m_stallLimitMs = ms; }

    static constexpr int kBufferCount = 6;
    static constexpr std::uint32_t kDeviceRefreshMs = 15 * 60 * 1000;
    static constexpr int kStallLimitMs = 3000;
    static constexpr int kReconnectMs = 1000;
    static constexpr int kWatchMs = 250;
    static constexpr int kErrorStalled = 0x7FFF;  // the error of a loss found by the stall limit

protected:
    void OnMessage(CMessage& message) override;
    void OnThreadStart() override;
    void OnThreadEnd() override;

private:
    void OnStartRecording();
    // Opens and starts the device; 0 or the error of the open or the start.
    int OpenAndStart(bool logFailure);
    void OnStopRecording();
    void OnDeviceLost(std::uintptr_t deviceId, int error);
    void BeginOutage(CaptureState state, int error);
    void OnWatch();
    void RemoveStaleWriterFile();
    void RestartCapture();
    void OnWimData(std::unique_ptr<CWaveBuffer> buffer);
    void OnClose();
    void FeedSampleLog(const CWaveBuffer& buffer);
    void EndSampleLog(bool on);

    std::uint32_t m_lastDeviceOpen = 0;
    QStringList m_sampleTimes;
    QFile m_wavLog;
    bool m_samplingPhaseOpen = false;
    std::uint32_t m_samplingPhaseStart = 0;
    CLevelGate m_gate;
    std::unique_ptr<IWaveInput> m_device;
    WaveFormat m_format;
    std::atomic<bool> m_recording{false};
    std::atomic<CWriteSoundFile*> m_writer{nullptr};
    QString m_logFolder;
    bool m_sampleLogOn = false;
    WaveInputFactory m_factory;

    // Outage: no device since a loss or a failed start; the server is tried every kReconnectMs.
    bool m_outage = false;
    bool m_resume = false;  // capture restarts by itself when a device answers
    bool m_restarting = false;
    QTimer* m_watch = nullptr;
    std::int64_t m_lastBufferMs = 0;   // real time, for the stall limit
    std::int64_t m_lastAttemptMs = 0;  // real time of the last reconnection attempt
    std::atomic<int> m_stallLimitMs{kStallLimitMs};
};

// The fixed 58-byte header written over the start of every WAV log.
QByteArray WavLogHeader();

}  // namespace sonvelle
