// The capture thread between a scripted wave-input device (no sound card in
// a test) and a writer thread that records what reaches it.

#include "audio/RecordSound.h"
#include "audio/SoundPlayer.h"
#include "audio/WriteSoundFile.h"

#include "support/EventWait.h"
#include "support/PostedMessages.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

// What the scripted devices answer and saw; shared with the test thread.
struct DeviceScript {
    std::atomic<int> openResult{0}, startResult{0}, stopResult{0};
    std::atomic<int> opens{0}, closes{0}, added{0};
    std::mutex mutex;  // guards the open device
    class CScriptedInput* current = nullptr;
};

class CScriptedInput : public IWaveInput {
public:
    explicit CScriptedInput(std::shared_ptr<DeviceScript> script) : m_script(std::move(script)) {}
    ~CScriptedInput() override
    {
        std::lock_guard lock(m_script->mutex);
        if (m_script->current == this)
            m_script->current = nullptr;
    }
    int Open(QObject* notify, const WaveFormat&) override
    {
        std::lock_guard lock(m_script->mutex);
        ++m_script->opens;
        if (m_script->openResult == 0) {
            queue.SetTarget(notify, NextWaveDeviceId());
            m_script->current = this;
        }
        return m_script->openResult;
    }
    void AddBuffer(std::unique_ptr<CWaveBuffer> b) override
    {
        ++m_script->added;
        queue.Add(std::move(b));
    }
    int Start() override { return m_script->startResult; }
    int Reset() override { queue.ReturnAll(); return 0; }
    int Stop() override { return m_script->stopResult; }
    int Close() override
    {
        std::lock_guard lock(m_script->mutex);
        ++m_script->closes;
        if (m_script->current == this)
            m_script->current = nullptr;
        return 0;
    }
    QString ErrorText(int) const override { return QStringLiteral("scripted failure"); }
    int QueuedBuffers() const override { return queue.Size(); }
    std::uint64_t DroppedBytes() const override { return queue.Dropped(); }
    std::uintptr_t DeviceId() const override { return queue.DeviceId(); }

    CBufferQueue queue;

private:
    std::shared_ptr<DeviceScript> m_script;
};

// A writer that records the messages it gets (and still ends on the quit);
// with writeFiles it also does its real work.
class CObservedWriter : public CWriteSoundFile {
public:
    std::atomic<bool> writeFiles{false};

    std::vector<unsigned> Numbers()
    {
        std::lock_guard lock(m_mutex);
        return m_numbers;
    }
    std::vector<QByteArray> Data()
    {
        std::lock_guard lock(m_mutex);
        return m_data;
    }
    int Count(unsigned message)
    {
        const auto numbers = Numbers();
        return static_cast<int>(std::count(numbers.begin(), numbers.end(), message));
    }

protected:
    void OnMessage(CMessage& message) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_numbers.push_back(message.Message());
            if (message.Message() == WM_WRITER_DATA && !writeFiles)
                if (auto b = message.TakePayload<CWaveBuffer>())
                    m_data.push_back(b->data);
        }
        if (message.Message() == WM_WRITER_QUIT || writeFiles)
            CWriteSoundFile::OnMessage(message);
    }

private:
    std::mutex m_mutex;
    std::vector<unsigned> m_numbers;
    std::vector<QByteArray> m_data;
};

class Capture : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureCoreApplication();
        SetProgramFolderForTesting(m_programDir.path() + "/");
        SetSystemClock(&clock);
        script = std::make_shared<DeviceScript>();
    }
    void StartThreads(bool withWriter = true)
    {
        capture = std::make_unique<CRecordSound>(32000);
        capture->mainWindow = &window;
        capture->SetWaveInputFactory([s = script] { return std::make_unique<CScriptedInput>(s); });
        capture->SetStallLimitMs(stallLimitMs);
        writer = std::make_unique<CObservedWriter>();
        writer->Start();
        capture->Start();
        if (withWriter)
            capture->PostThreadMessage(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(writer.get()));
    }
    void TearDown() override
    {
        if (capture && capture->IsStillActive()) {
            capture->PostThreadMessage(WM_REC_CLOSE);
            EXPECT_TRUE(WaitUntil([&] { return !capture->IsStillActive(); }));
        }
        capture.reset();
        writer.reset();
        SetSystemClock(nullptr);
        SetProgramFolderForTesting({});
    }

    std::vector<WPARAM> CaptureStates() const
    {
        std::vector<WPARAM> out;
        for (const auto& m : window.Only(WM_CAPTURE_STATE))
            out.push_back(m.wParam);
        return out;
    }
    void StartListening(std::int32_t threshold, std::int32_t silenceSeconds)
    {
        capture->SetActivationThreshold(threshold);
        capture->SetSilenceSeconds(silenceSeconds);
        Post(WM_REC_VOICE_ACTIVATION, 1);
        Post(WM_REC_START);
        WaitRecording(true);
    }

    int Queued()
    {
        std::lock_guard lock(script->mutex);
        return script->current ? script->current->QueuedBuffers() : -1;
    }
    // The device fills its first queued buffer with this peak and returns it.
    bool Deliver(std::int16_t peak)
    {
        std::vector<std::int16_t> samples(kSamplesPerBuffer, 0);
        samples[10] = peak;
        samples[11] = static_cast<std::int16_t>(-peak / 2);
        samples[0] = static_cast<std::int16_t>(m_sequence++);  // tells the buffers apart
        std::lock_guard lock(script->mutex);
        if (!script->current)
            return false;
        script->current->queue.Fill(reinterpret_cast<const char*>(samples.data()), kBufferBytes);
        return true;
    }
    // Delivers buffers one at a time, each after the capture thread has put the last one back.
    void DeliverAndSettle(std::int16_t peak, int buffers = 1, std::uint32_t advanceMs = 36)
    {
        for (int i = 0; i < buffers; ++i) {
            clock.Advance(advanceMs);
            ASSERT_TRUE(WaitUntil([&] { return Queued() == CRecordSound::kBufferCount; }));
            ASSERT_TRUE(Deliver(peak));
            ASSERT_TRUE(WaitUntil([&] { return Queued() == CRecordSound::kBufferCount; }));
        }
    }
    void Post(unsigned message, WPARAM w = 0, LPARAM l = 0) { capture->PostThreadMessage(message, w, l); }
    void WaitRecording(bool on)
    {
        ASSERT_TRUE(WaitUntil([&] { return capture->IsRecording() == on; }));
    }

    int stallLimitMs = 0;  // the scripted device delivers only when told
    CManualClock clock{5000};
    CMainWindowStub window;
    std::shared_ptr<DeviceScript> script;
    std::unique_ptr<CRecordSound> capture;
    std::unique_ptr<CObservedWriter> writer;

private:
    QTemporaryDir m_programDir;
    int m_sequence = 1;
};

TEST_F(Capture, ManualRecordingForwardsEveryBufferInOrderToTheWriterAndToOneSampleCopy)
{
    // With the sample log on, a wav copy of the latest recording replaces the one before.
    const QDir logs(QFileInfo(LogFilePath()).absolutePath());
    for (const char* name : {"LogCampionamenti.log", "WavLogRec_19990101_000000.wav"}) {
        QFile file(logs.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    StartThreads(false);
    Post(WM_REC_STOP);   // idle: only the log line
    Post(WM_REC_START);
    Post(WM_REC_START);  // already recording
    WaitRecording(true);
    // Before the writer is known, buffers are recycled without a report.
    DeliverAndSettle(20000, 8);
    EXPECT_TRUE(window.received.empty());
    EXPECT_TRUE(writer->Numbers().empty());
    Post(WM_REC_SET_WRITER, 0, reinterpret_cast<LPARAM>(writer.get()));
    DeliverAndSettle(3000, 20);
    Post(WM_REC_STOP);
    WaitRecording(false);
    // The reset handed six buffers back; a further stop lets the thread see them all.
    Post(WM_REC_STOP);
    ASSERT_TRUE(WaitUntil([&] { return ReadLog().count("RecordSound: OnStopRecording") == 3; }));

    // No create: capture started before the writer was known.
    ASSERT_TRUE(WaitUntil([&] { return writer->Numbers().size() >= 21u; }));
    EXPECT_EQ(writer->Numbers().size(), 21u);
    EXPECT_EQ(writer->Numbers().back(), WM_WRITER_CLOSE_FILE);
    const auto data = writer->Data();
    ASSERT_EQ(data.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(data[static_cast<size_t>(i)].size(), kBufferBytes);
        std::int16_t first = 0;
        std::memcpy(&first, data[static_cast<size_t>(i)].constData(), 2);
        EXPECT_EQ(first, 8 + i + 1);
    }
    EXPECT_EQ(window.Only(WM_INPUT_LEVEL).at(0).wParam, 3000u);
    EXPECT_TRUE(CaptureStates().empty());
    EXPECT_EQ(script->opens, 1);
    EXPECT_EQ(script->closes, 1);
    EXPECT_EQ(script->added, 6 + 8 + 20);  // buffers returned after the stop are not queued again
    ASSERT_TRUE(WaitUntil([&] { return ReadLog("LogCampionamenti.log").contains("Fine fase campionamenti"); }));
    const QStringList wavs = logs.entryList({"WavLogRec_*.wav"});
    ASSERT_EQ(wavs.size(), 1);
    EXPECT_NE(wavs[0], "WavLogRec_19990101_000000.wav");
    EXPECT_TRUE(WaitUntil([&] { return QFileInfo(logs.filePath(wavs[0])).size() == 20 * kBufferBytes; }));
}

TEST_F(Capture, EachOutageIsToldOnceAndNoDeviceIsLeftOpenNorAStaleFileBehind)
{
    QTemporaryDir work;
    QFile stale(work.path() + "/tmp_nome_reg.dtm");
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly) && stale.write("audio of a recording that was not kept") > 0);
    stale.close();
    script->openResult = 0x20;
    stallLimitMs = 300;
    StartThreads();
    writer->SetFolders(SONVELLE_ENCODER_DIR, work.path() + "/");
    Post(WM_REC_START);
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_CAPTURE_STATE) == 1; }));
    EXPECT_EQ(window.Only(WM_CAPTURE_STATE)[0].lParam, 0x20);
    EXPECT_FALSE(stale.exists());
    // Tried again about every second, told only once.
    ASSERT_TRUE(WaitUntil([&] { return script->opens >= 3; }, std::chrono::seconds(5)));
    EXPECT_EQ(window.Count(WM_CAPTURE_STATE), 1);

    // A device answers; then nothing more arrives from it: a manual recording ends
    // as at a stop, for the window to store and restart, and the outage is news again.
    script->openResult = 0;
    WaitRecording(true);
    DeliverAndSettle(3000);
    ASSERT_TRUE(WaitUntil([&] { return CaptureStates().size() == 4; }, std::chrono::seconds(5)));
    EXPECT_FALSE(capture->IsRecording());  // the probe found a device but did not record
    EXPECT_EQ(CaptureStates(), (std::vector<WPARAM>{kCaptureUnavailable, kCaptureBack, kCaptureLost, kCaptureBack}));
    EXPECT_EQ(writer->Numbers(), (std::vector<unsigned>{WM_WRITER_CREATE_FILE, WM_WRITER_DATA, WM_WRITER_CLOSE_FILE}));

    // A device that opens but cannot start is not left open either.
    capture->SetStallLimitMs(0);
    script->startResult = 7;
    Post(WM_REC_START);
    ASSERT_TRUE(WaitUntil([&] { return ReadLog().contains("WAVEIN:7:scripted failure"); }));
    EXPECT_FALSE(capture->IsRecording());
    EXPECT_EQ(Queued(), -1);  // no device open

    // Retried until it starts; one that cannot stop is freed all the same, and the
    // player's stop also ends listening: the next manual recording keeps quiet audio.
    script->startResult = 0;
    ASSERT_TRUE(WaitUntil([&] { return CaptureStates().size() == 6; }, std::chrono::seconds(5)));
    EXPECT_EQ(CaptureStates()[4], kCaptureUnavailable);
    script->stopResult = 9;
    StartListening(30000, 10);
    CSoundPlayer().StopRecording(capture.get(), writer.get());
    WaitRecording(false);
    EXPECT_TRUE(ReadLog().contains("waveInStop Fallita"));
    const int opens = script->opens;
    Post(WM_REC_START);
    WaitRecording(true);
    EXPECT_EQ(script->opens, opens + 1);
    DeliverAndSettle(100);
    EXPECT_TRUE(WaitUntil([&] { return writer->Count(WM_WRITER_DATA) == 2; }));
}

// Listening refreshes its device every fifteen minutes; a close right after a
// segment end must still let the writer store that segment whole.
TEST_F(Capture, ListeningRefreshesTheDeviceAndShutdownAfterASegmentEndLosesNoBuffer)
{
    QTemporaryDir work;
    StartThreads();
    writer->writeFiles = true;
    writer->SetFolders(SONVELLE_ENCODER_DIR, work.path());
    writer->mainWindow = &window;
    StartListening(1000, 0);
    DeliverAndSettle(100, 1, CRecordSound::kDeviceRefreshMs - 1);
    EXPECT_EQ(script->opens, 1);
    DeliverAndSettle(100, 1, 1);
    ASSERT_TRUE(WaitUntil([&] { return writer->Count(WM_WRITER_CREATE_FILE) == 2; }));
    EXPECT_EQ(script->opens, 2);

    DeliverAndSettle(5000, 30);
    clock.Advance(36);
    ASSERT_TRUE(Deliver(100));
    Post(WM_REC_CLOSE);
    ASSERT_TRUE(WaitUntil([&] { return !capture->IsStillActive(); }));
    EXPECT_FALSE(writer->IsStillActive());
    EXPECT_TRUE(writer->IsStreamClosed());
    EXPECT_EQ(writer->Numbers().back(), WM_WRITER_QUIT);
    ASSERT_TRUE(WaitUntil([&] { return window.Count(WM_RECORDING_FILE_READY) == 1; }));
    const Pcm d = DecodeMp3(window.Only(WM_RECORDING_FILE_READY)[0].path);
    ASSERT_TRUE(d.ok);
    EXPECT_GE(static_cast<int>(d.samples.size()), (30 - 6) * 1152);
    const QString log = ReadLog();
    EXPECT_LT(log.indexOf("Chiudo il thread Write Sound"), log.indexOf("Thread Record Sound chiuso"));
    EXPECT_FALSE(log.contains("Attesa oltre il timeout"));
}

}  // namespace
