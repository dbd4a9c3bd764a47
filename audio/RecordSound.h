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
// It posts WM_INPUT_LEVEL (peak / lowest) and WM_VOICE_DETECTED to the main
// window, and the writer's messages (see WriteSoundFile.h) to the writer.

#include "audio/LevelGate.h"
#include "audio/WaveInput.h"
#include "platform/WorkerThread.h"

#include <QFile>
#include <QStringList>

#include <atomic>
#include <memory>

namespace sonvelle {

class CWriteSoundFile;

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

    static constexpr int kBufferCount = 6;
    static constexpr std::uint32_t kDeviceRefreshMs = 15 * 60 * 1000;

protected:
    void OnMessage(CMessage& message) override;
    void OnThreadStart() override;
    void OnThreadEnd() override;

private:
    void OnStartRecording();
    void OnStopRecording();
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
};

// The fixed 58-byte header written over the start of every WAV log.
QByteArray WavLogHeader();

}  // namespace sonvelle
