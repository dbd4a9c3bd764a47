// The wind step rule and the capture commands: logic that needs no sound.

#include "audio/SoundPlayer.h"
#include "platform/Messages.h"

#include "support/EventWait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <utility>
#include <vector>

using namespace sonvelle;
using namespace std::chrono_literals;

namespace {

constexpr std::uint32_t kMinute = 60000;

TEST(SoundPlayerStepRule, AFortiethWithinThreeAndThirtySecondsNeverPastTheEnds)
{
    struct Step {
        std::uint32_t length, expected;
    };
    for (const Step& s : {Step{4 * kMinute, 6000}, Step{180 * kMinute, 30000}, Step{119999, 3000}, Step{120040, 3001}})
        EXPECT_EQ(PlayerStepMs(s.length), s.expected) << s.length;

    struct Wind {
        std::uint32_t length, position, forward, back;
    };
    for (const Wind& w : {Wind{4 * kMinute, 4 * kMinute - 1000, 4 * kMinute, 4 * kMinute - 7000},
                          Wind{4 * kMinute, 60000, 66000, 54000},
                          Wind{10000, 2000, 5000, 1},  // back never lands below 1 ms...
                          Wind{10000, 0, 3000, 1},
                          Wind{10000, 3000, 6000, 0},  // ...but one step back exactly is the start
                          Wind{UINT32_MAX, UINT32_MAX - 5, UINT32_MAX, UINT32_MAX - 5 - 30000}}) {
        EXPECT_EQ(StepForwardMs(w.length, w.position), w.forward) << w.length << " " << w.position;
        EXPECT_EQ(StepBackMs(w.length, w.position), w.back) << w.length << " " << w.position;
    }
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
        if (message.Message() == WM_REC_CLOSE) {
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
    void SetUp() override { captureThread.Start(); }
    void TearDown() override
    {
        captureThread.PostThreadMessage(WM_REC_CLOSE);
        captureThread.wait(5000);
    }
    bool Received(const std::vector<std::pair<unsigned, WPARAM>>& expected)
    {
        return test::WaitUntil([&] { return captureThread.Received().size() >= expected.size(); }, 5s) &&
               captureThread.Received() == expected;
    }

    CCaptureRecorder captureThread;
    CSoundPlayer player;
};

TEST_F(SoundPlayerCaptureCommands, StopRecordingSwitchesOffVoiceActivationFirstAndWaitsForTheWriter)
{
    player.Registra(nullptr);  // no capture thread: ignored
    player.StopRecording<CClosingWriter>(nullptr, nullptr);
    struct Case {
        int looksUntilClosed, looks;
        std::chrono::milliseconds least, most;
    };
    // A writer that closes after three looks, and one that never closes (given up after 30).
    for (const Case& c : {Case{3, 4, 140ms, 1000ms}, Case{1000, 30, 1400ms, 3000ms}}) {
        CClosingWriter writer;
        writer.looksUntilClosed = c.looksUntilClosed;
        const auto start = std::chrono::steady_clock::now();
        player.StopRecording(&captureThread, &writer);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(writer.looks.load(), c.looks);
        EXPECT_GE(waited, c.least);
        EXPECT_LT(waited, c.most);
    }
    EXPECT_TRUE(Received({{WM_REC_VOICE_ACTIVATION, 0}, {WM_REC_STOP, 0}, {WM_REC_VOICE_ACTIVATION, 0}, {WM_REC_STOP, 0}}));
}

}  // namespace
