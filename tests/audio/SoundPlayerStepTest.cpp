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
    std::vector<std::pair<unsigned, WPARAM>> Received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }

protected:
    void OnMessage(CMessage& message) override
    {
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
    void SetUp() override
    {
        test::EnsureCoreApplication();
        capture.Start();
    }
    bool WaitForCount(std::size_t count)
    {
        return test::WaitFor([&] { return capture.Received().size() >= count; }, std::chrono::seconds(5));
    }

    CCaptureRecorder capture;
    CSoundPlayer player;
};

TEST_F(SoundPlayerCaptureCommands, EachCommandPostsItsMessage)
{
    player.Registra(&capture);
    player.EnableVoiceActivation(&capture);
    player.DisableVoiceActivation(&capture);
    ASSERT_TRUE(WaitForCount(3));
    const std::vector<std::pair<unsigned, WPARAM>> expected{
        {WM_REC_START, 0}, {WM_REC_VOICE_ACTIVATION, 1}, {WM_REC_VOICE_ACTIVATION, 0}};
    EXPECT_EQ(capture.Received(), expected);
}

TEST_F(SoundPlayerCaptureCommands, StopRecordingSwitchesOffVoiceActivationFirstAndWaitsForTheWriter)
{
    CClosingWriter writer;
    writer.looksUntilClosed = 3;
    const auto start = std::chrono::steady_clock::now();
    player.StopRecording(&capture, &writer);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(writer.looks.load(), 4);
    EXPECT_GE(waited, std::chrono::milliseconds(140));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));
    ASSERT_TRUE(WaitForCount(2));
    const std::vector<std::pair<unsigned, WPARAM>> expected{{WM_REC_VOICE_ACTIVATION, 0}, {WM_REC_STOP, 0}};
    EXPECT_EQ(capture.Received(), expected);
}

TEST_F(SoundPlayerCaptureCommands, StopRecordingGivesUpOnAWriterThatNeverCloses)
{
    CClosingWriter writer;
    writer.looksUntilClosed = 1000;
    const auto start = std::chrono::steady_clock::now();
    player.StopRecording(&capture, &writer);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(writer.looks.load(), 30);
    EXPECT_GE(waited, std::chrono::milliseconds(1400));
    EXPECT_LT(waited, std::chrono::milliseconds(3000));
}

TEST_F(SoundPlayerCaptureCommands, AMissingThreadIsIgnored)
{
    player.Registra(nullptr);
    player.StopRecording<CClosingWriter>(nullptr, nullptr);
    player.Registra(&capture);
    ASSERT_TRUE(WaitForCount(1));
    EXPECT_EQ(capture.Received().size(), 1u);
}

}  // namespace
