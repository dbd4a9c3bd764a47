// The wind step rule and the capture commands: logic that needs no sound.

#include "audio/SoundPlayer.h"
#include "platform/Messages.h"

#include "AudioTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <utility>
#include <vector>

using namespace sonvelle;

namespace {

constexpr std::uint32_t kSecond = 1000;
constexpr std::uint32_t kMinute = 60 * kSecond;

TEST(SoundPlayerStepRule, StepIsAFortiethWithinThreeAndThirtySeconds)
{
    EXPECT_EQ(PlayerStepMs(10 * kSecond), 3000u);
    EXPECT_EQ(PlayerStepMs(30 * kMinute), 30000u);
    EXPECT_EQ(PlayerStepMs(4 * kMinute), 6000u);
    EXPECT_EQ(PlayerStepMs(0), 3000u);                // an unknown length still steps
    EXPECT_EQ(PlayerStepMs(3 * 60 * kMinute), 30000u);
    EXPECT_EQ(PlayerStepMs(119999), 3000u);           // 2999.975 truncates below the minimum
    EXPECT_EQ(PlayerStepMs(120040), 3001u);
}

TEST(SoundPlayerStepRule, ForwardStopsAtTheLength)
{
    const std::uint32_t length = 4 * kMinute;
    EXPECT_EQ(StepForwardMs(length, length - kSecond), length);
    EXPECT_EQ(StepForwardMs(length, length), length);
    EXPECT_EQ(StepForwardMs(length, 60 * kSecond), 66 * kSecond);
    // Positions near the top of the range must not wrap to a small number.
    EXPECT_EQ(StepForwardMs(UINT32_MAX, UINT32_MAX - 5), UINT32_MAX);
}

TEST(SoundPlayerStepRule, BackNeverLandsBelowOneMillisecond)
{
    EXPECT_EQ(StepBackMs(10 * kSecond, 2 * kSecond), 1u);
    EXPECT_EQ(StepBackMs(10 * kSecond, 0), 1u);
    EXPECT_EQ(StepBackMs(10 * kSecond, 3 * kSecond), 0u);  // exactly one step back is the start
    EXPECT_EQ(StepBackMs(30 * kMinute, 20 * kMinute), 20 * kMinute - 30000);
}

// A capture thread that only records what it is told.
class CCaptureRecorder : public CWorkerThread {
public:
    static constexpr unsigned kQuit = WM_REC_CLOSE;

    std::vector<std::pair<unsigned, WPARAM>> Received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

protected:
    void OnMessage(CMessage& message) override
    {
        if (message.Message() == kQuit) {
            EndThread();
            return;
        }
        std::lock_guard lock(m_mutex);
        m_received.emplace_back(message.Message(), message.WParam());
    }

private:
    std::mutex m_mutex;
    std::vector<std::pair<unsigned, WPARAM>> m_received;
};

// A writer whose file closes after a number of looks.
struct CClosingWriter {
    int looksUntilClosed = 0;
    mutable std::atomic<int> looks{0};
    bool IsStreamClosed() const { return ++looks > looksUntilClosed; }
};

class SoundPlayerCaptureCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Kept to the end of the process: destroying it at exit, after Qt's
        // own globals, crashes once a worker thread has run.
        static int argc = 1;
        static char arg0[] = "test_audio";
        static char* argv[] = {arg0, nullptr};
        static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
        (void)app;
    }
    // The application object must exist before any thread object does.
    void SetUp() override
    {
        captureThread = std::make_unique<CCaptureRecorder>();
        captureThread->Start();
    }
    void TearDown() override
    {
        captureThread->PostThreadMessage(CCaptureRecorder::kQuit);
        captureThread->wait(5000);
        captureThread.reset();
    }
    bool WaitForCount(std::size_t count)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (captureThread->Received().size() < count) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            QThread::msleep(2);
        }
        return true;
    }

    std::unique_ptr<CCaptureRecorder> captureThread;
    CSoundPlayer player;
};

TEST_F(SoundPlayerCaptureCommands, EachCommandPostsItsMessage)
{
    player.Registra(captureThread.get());
    player.EnableVoiceActivation(captureThread.get());
    player.DisableVoiceActivation(captureThread.get());
    ASSERT_TRUE(WaitForCount(3));
    const std::vector<std::pair<unsigned, WPARAM>> expected{
        {WM_REC_START, 0}, {WM_REC_VOICE_ACTIVATION, 1}, {WM_REC_VOICE_ACTIVATION, 0}};
    EXPECT_EQ(captureThread->Received(), expected);
}

TEST_F(SoundPlayerCaptureCommands, StopRecordingSwitchesOffVoiceActivationFirstAndWaitsForTheWriter)
{
    CClosingWriter writer;
    writer.looksUntilClosed = 3;
    const auto start = std::chrono::steady_clock::now();
    player.StopRecording(captureThread.get(), &writer);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(writer.looks.load(), 4);
    EXPECT_GE(waited, std::chrono::milliseconds(140));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
    ASSERT_TRUE(WaitForCount(2));
    const std::vector<std::pair<unsigned, WPARAM>> expected{{WM_REC_VOICE_ACTIVATION, 0}, {WM_REC_STOP, 0}};
    EXPECT_EQ(captureThread->Received(), expected);
}

TEST_F(SoundPlayerCaptureCommands, StopRecordingGivesUpOnAWriterThatNeverCloses)
{
    CClosingWriter writer;
    writer.looksUntilClosed = 1000;
    const auto start = std::chrono::steady_clock::now();
    player.StopRecording(captureThread.get(), &writer);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(writer.looks.load(), 30);
    EXPECT_GE(waited, std::chrono::milliseconds(1400));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
}

TEST_F(SoundPlayerCaptureCommands, AMissingThreadIsIgnored)
{
    player.Registra(nullptr);
    player.StopRecording<CClosingWriter>(nullptr, nullptr);
    player.Registra(captureThread.get());
    ASSERT_TRUE(WaitForCount(1));
    EXPECT_EQ(captureThread->Received().size(), 1u);
}

}  // namespace
