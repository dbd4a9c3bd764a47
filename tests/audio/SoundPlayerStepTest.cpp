// The wind step rule and the wait for the writer at a stop: logic that needs no sound.

#include "audio/SoundPlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

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
                          Wind{10000, 2000, 5000, 1},  // back never lands below 1 ms...
                          Wind{10000, 3000, 6000, 0},  // ...but one step back exactly is the start
                          Wind{UINT32_MAX, UINT32_MAX - 5, UINT32_MAX, UINT32_MAX - 5 - 30000}}) {
        EXPECT_EQ(StepForwardMs(w.length, w.position), w.forward) << w.length << " " << w.position;
        EXPECT_EQ(StepBackMs(w.length, w.position), w.back) << w.length << " " << w.position;
    }
}

// A writer whose file closes after a number of looks.
struct CClosingWriter {
    int looksUntilClosed = 0;
    mutable std::atomic<int> looks{0};
    bool IsStreamClosed() const { return ++looks > looksUntilClosed; }
};

TEST(SoundPlayerStopRecording, WaitsForTheWriterToCloseButGivesUpRatherThanHang)
{
    CSoundPlayer player;
    player.StopRecording<CClosingWriter>(nullptr, nullptr);  // nothing running: no wait
    struct Case {
        int looksUntilClosed, looks;
        std::chrono::milliseconds least, most;
    };
    // A writer that closes after three looks, and one that never closes (given up after 30).
    for (const Case& c : {Case{3, 4, 140ms, 1000ms}, Case{1000, 30, 1400ms, 3000ms}}) {
        CClosingWriter writer;
        writer.looksUntilClosed = c.looksUntilClosed;
        const auto start = std::chrono::steady_clock::now();
        player.StopRecording(nullptr, &writer);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(writer.looks.load(), c.looks);
        EXPECT_GE(waited, c.least);
        EXPECT_LT(waited, c.most);
    }
}

}  // namespace
