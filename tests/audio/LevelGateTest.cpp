// The level meter and the voice gate over exact milliseconds.

#include "audio/LevelGate.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sonvelle;
using End = CLevelGate::SegmentEnd;

namespace {

std::vector<std::int16_t> Buffer(std::int16_t peak, std::int16_t low = -100)
{
    std::vector<std::int16_t> b(1152, 0);
    b[100] = peak;
    b[700] = low;
    return b;
}

CLevelGate::Step Feed(CLevelGate& gate, std::int16_t peak, std::uint32_t at)
{
    const auto b = Buffer(peak);
    return gate.Process(b.data(), b.size(), at);
}

// Listening for voice above 1000.
struct CListeningGate : CLevelGate {
    CListeningGate(int silence, bool antiBump)
    {
        threshold = 1000;
        silenceSeconds = silence;
        antiBumpEnabled = antiBump;
        SetVoiceActivation(true);
    }
};

TEST(LevelMeter, ReportsAtMostEvery125MsWithThePeakSinceTheLastReport)
{
    CLevelGate gate;
    auto b = Buffer(300, -7000);
    auto step = gate.Process(b.data(), b.size(), 1000);
    ASSERT_TRUE(step.levelReport);
    EXPECT_EQ(step.peak, 300);
    EXPECT_EQ(step.lowest, -7000);
    EXPECT_FALSE(Feed(gate, 9000, 1100).levelReport);  // remembered, not reported
    b = Buffer(200, -5);
    EXPECT_FALSE(gate.Process(b.data(), b.size(), 1125).levelReport);  // exactly 125: not yet
    step = gate.Process(b.data(), b.size(), 1126);
    ASSERT_TRUE(step.levelReport);
    EXPECT_EQ(step.peak, 9000);
    EXPECT_EQ(step.lowest, -5);  // of the buffer just scanned
    EXPECT_EQ(gate.Process(b.data(), b.size(), 1300).peak, 200);  // the peak starts again from zero
    // Across a wrap of the clock: 272 ms later is still later.
    EXPECT_TRUE(Feed(gate, 100, 0xFFFFFF00u).levelReport);
    EXPECT_FALSE(Feed(gate, 100, 0xFFFFFF00u + 100).levelReport);
    EXPECT_TRUE(Feed(gate, 100, 0x10u).levelReport);
}

TEST(LevelMeter, AnEmptyOrAllNegativeBufferCountsAsZero)
{
    CLevelGate gate;
    gate.threshold = 0;
    gate.SetVoiceActivation(true);
    auto step = gate.Process(nullptr, 0, 500);
    EXPECT_EQ(step.peak, 0);
    EXPECT_EQ(step.lowest, 32767);
    EXPECT_TRUE(step.forward);  // threshold 0: even an empty buffer is loud
    std::vector<std::int16_t> negative(1152, -20000);
    step = gate.Process(negative.data(), negative.size(), 1000);
    EXPECT_EQ(step.peak, 0);
    EXPECT_EQ(step.lowest, -20000);
}

// One buffer fed to the gate and the segment end it must give.
struct Beat {
    bool loud;
    std::uint32_t at;
    End end = End::None;
};

struct GateCase {
    const char* fault;
    int silenceSeconds;
    bool antiBump;
    std::vector<Beat> beats;
};

TEST(VoiceGate, SegmentsEndAfterExactlyTheSilenceOrTheBumpRule)
{
    constexpr std::uint32_t wrap = 0xFFFFFC00u;
    const GateCase cases[] = {
        {"silence ends one millisecond early or late", 3, false,
         {{true, 108}, {false, 2000}, {false, 108 + 2999}, {false, 108 + 3000, End::Silence}}},
        {"silence 0 waits for more quiet", 0, false, {{true, 100}, {false, 136, End::Silence}}},
        {"silence miscounted across a wrap of the clock", 3, false,
         {{true, wrap}, {false, wrap + 2999}, {false, wrap + 3000, End::Silence}}},
        {"a bump ends at exactly two seconds instead of after", 15, true,
         {{true, 10000}, {true, 10500}, {false, 11000}, {false, 12000}, {false, 12001, End::AntiBump}}},
        {"a loud buffer at exactly one second clears the suspicion", 15, true,
         {{true, 0}, {true, 1000}, {false, 2001, End::AntiBump}}},
        {"a real segment is taken for a bump", 15, true,
         {{true, 20000}, {true, 21001}, {false, 23000}, {false, 21001 + 14999}, {false, 21001 + 15000, End::Silence}}},
        {"a short silence setting loses to the bump rule", 1, true,
         {{true, 0}, {true, 468}, {false, 1467}, {false, 1468, End::Silence}}},
        {"without the bump rule a short noise is dropped", 1, false, {{true, 0}, {false, 2500, End::Silence}}},
    };
    for (const GateCase& c : cases) {
        CListeningGate gate(c.silenceSeconds, c.antiBump);
        for (const Beat& beat : c.beats) {
            const auto step = Feed(gate, beat.loud ? 5000 : 10, beat.at);
            EXPECT_EQ(step.segmentEnd, beat.end) << c.fault << " at " << beat.at;
            EXPECT_EQ(step.forward, beat.end == End::None) << c.fault << " at " << beat.at;
        }
        EXPECT_FALSE(gate.Triggered()) << c.fault;
    }
}

TEST(VoiceGate, TheThresholdStartsASegmentOnceAndManualRecordingForwardsAll)
{
    CListeningGate gate(3, false);
    EXPECT_FALSE(Feed(gate, 999, 0).forward);
    const auto start = Feed(gate, 1000, 36);  // equal to the threshold is loud
    EXPECT_TRUE(start.voiceDetected);
    EXPECT_TRUE(start.forward);
    EXPECT_FALSE(Feed(gate, 5000, 72).voiceDetected);  // once per segment
    EXPECT_EQ(Feed(gate, 10, 5000).segmentEnd, End::Silence);
    EXPECT_FALSE(Feed(gate, 10, 5036).forward);  // waiting again: quiet is dropped
    // Settings changed between buffers take effect at the next one.
    gate.threshold = 6000;
    EXPECT_FALSE(Feed(gate, 5000, 5072).forward);
    gate.SetVoiceActivation(false);
    EXPECT_TRUE(Feed(gate, 10, 5108).forward);
    EXPECT_FALSE(Feed(gate, 9000, 5144).voiceDetected);
}

TEST(VoiceGate, SwitchingVoiceActivationOnMidSegmentHoldsItUntilTheNextLoudBuffer)
{
    CListeningGate gate(1, false);
    Feed(gate, 5000, 0);
    gate.SetVoiceActivation(true);
    EXPECT_TRUE(gate.Triggered());
    auto s = Feed(gate, 10, 5000);
    EXPECT_FALSE(s.forward);
    EXPECT_EQ(s.segmentEnd, End::None);  // not forwarding, so nothing ends
    s = Feed(gate, 5000, 6000);
    EXPECT_TRUE(s.forward);
    EXPECT_FALSE(s.voiceDetected);  // resumed, not a new segment
    EXPECT_EQ(Feed(gate, 10, 7000).segmentEnd, End::Silence);
}

// Anti-bump switched off: a segment is never discarded, whatever watch an earlier one left behind.
struct AntiBumpCase {
    const char* what;
    bool onForBump;      // the first, short segment
    bool onAtNextStart;  // the next segment starts
    bool onMidNext;      // changed right after the next segment started
    End expected;        // how the next segment ends
    std::uint32_t at;    // and when
};

TEST(AntiBumpSetting, DecidesEachSegmentWithoutLeftoversFromEarlierOnes)
{
    const AntiBumpCase cases[] = {
        {"switched off after a bump", true, false, false, End::Silence, 13000},
        {"switched off during the suspected segment", true, true, false, End::Silence, 13000},
        {"switched on mid-segment after starting off", true, false, true, End::Silence, 13000},
        {"kept on: a second bump is still discarded", true, true, true, End::AntiBump, 12500},
        {"never on", false, false, false, End::Silence, 13000},
    };
    for (const AntiBumpCase& c : cases) {
        SCOPED_TRACE(c.what);
        CListeningGate gate(1, c.onForBump);
        // A 0.5 s bump that ends by a short silence: with anti-bump on, its watch stays armed.
        ASSERT_TRUE(Feed(gate, 5000, 0).voiceDetected);
        Feed(gate, 5000, 500);
        ASSERT_EQ(Feed(gate, 10, 1500).segmentEnd, End::Silence);

        // The next segment: one loud buffer, then quiet for the 3 s silence allowance.
        gate.silenceSeconds = 3;
        gate.antiBumpEnabled = c.onAtNextStart;
        ASSERT_TRUE(Feed(gate, 5000, 10000).voiceDetected);
        gate.antiBumpEnabled = c.onMidNext;
        End end = End::None;
        std::uint32_t endedAt = 0;
        for (std::uint32_t at : {10100u, 12500u, 13000u}) {
            end = Feed(gate, 10, at).segmentEnd;
            endedAt = at;
            if (end != End::None)
                break;
        }
        EXPECT_EQ(end, c.expected);
        EXPECT_EQ(endedAt, c.at);
    }
}

}  // namespace
