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

class Gate : public ::testing::Test {
protected:
    void SetUp() override
    {
        gate.threshold = 1000;
        gate.silenceSeconds = 3;
        gate.antiBumpEnabled = false;
        gate.SetVoiceActivation(true);
    }
    CLevelGate::Step Loud(std::uint32_t at) { return Feed(5000, at); }
    CLevelGate::Step Quiet(std::uint32_t at) { return Feed(10, at); }
    CLevelGate::Step Feed(std::int16_t peak, std::uint32_t at)
    {
        const auto b = Buffer(peak);
        return gate.Process(b.data(), b.size(), at);
    }
    CLevelGate gate;
};

TEST(LevelMeter, ReportsAtMostEvery125MsWithThePeakSinceTheLastReport)
{
    CLevelGate gate;
    auto b = Buffer(300, -7000);
    auto step = gate.Process(b.data(), b.size(), 1000);
    ASSERT_TRUE(step.levelReport);
    EXPECT_EQ(step.peak, 300);
    EXPECT_EQ(step.lowest, -7000);

    // 100 ms later: no report, but its peak is remembered.
    b = Buffer(9000);
    EXPECT_FALSE(gate.Process(b.data(), b.size(), 1100).levelReport);
    b = Buffer(200, -5);
    EXPECT_FALSE(gate.Process(b.data(), b.size(), 1125).levelReport);  // exactly 125: not yet
    step = gate.Process(b.data(), b.size(), 1126);
    ASSERT_TRUE(step.levelReport);
    EXPECT_EQ(step.peak, 9000);
    EXPECT_EQ(step.lowest, -5);  // of the buffer just scanned
    // The peak starts again from zero.
    step = gate.Process(b.data(), b.size(), 1300);
    ASSERT_TRUE(step.levelReport);
    EXPECT_EQ(step.peak, 200);
}

TEST(LevelMeter, AnEmptyOrAllNegativeBufferCountsAsZero)
{
    CLevelGate gate;
    gate.threshold = 0;
    gate.SetVoiceActivation(true);
    auto step = gate.Process(nullptr, 0, 500);
    ASSERT_TRUE(step.levelReport);
    EXPECT_EQ(step.peak, 0);
    EXPECT_EQ(step.lowest, 32767);
    // Threshold 0: even an empty buffer is loud and starts a segment.
    EXPECT_TRUE(step.voiceDetected);
    EXPECT_TRUE(step.forward);

    std::vector<std::int16_t> negative(1152, -20000);
    step = gate.Process(negative.data(), negative.size(), 1000);
    EXPECT_EQ(step.peak, 0);
    EXPECT_EQ(step.lowest, -20000);
}

TEST(LevelMeter, SurvivesAWrapOfTheClock)
{
    CLevelGate gate;
    auto b = Buffer(100);
    EXPECT_TRUE(gate.Process(b.data(), b.size(), 0xFFFFFF00u).levelReport);
    EXPECT_FALSE(gate.Process(b.data(), b.size(), 0xFFFFFF00u + 100).levelReport);
    EXPECT_TRUE(gate.Process(b.data(), b.size(), 0x00000010u).levelReport);  // 272 ms later
}

TEST_F(Gate, ManualRecordingForwardsEverything)
{
    gate.SetVoiceActivation(false);
    EXPECT_TRUE(Quiet(0).forward);
    const auto s = Loud(40);
    EXPECT_TRUE(s.forward);
    EXPECT_FALSE(s.voiceDetected);
}

TEST_F(Gate, ASegmentStartsAtTheThresholdAndEndsAfterExactlyTheSilence)
{
    EXPECT_FALSE(Feed(999, 0).forward);
    const auto start = Feed(1000, 36);  // equal to the threshold is loud
    EXPECT_TRUE(start.voiceDetected);
    EXPECT_TRUE(start.forward);
    EXPECT_TRUE(Loud(72).forward);
    EXPECT_FALSE(Loud(108).voiceDetected);  // only once per segment
    // Quiet buffers inside the allowance still belong to the segment.
    EXPECT_TRUE(Quiet(2000).forward);
    auto s = Quiet(108 + 2999);
    EXPECT_TRUE(s.forward);
    EXPECT_EQ(s.segmentEnd, End::None);
    s = Quiet(108 + 3000);
    EXPECT_EQ(s.segmentEnd, End::Silence);
    EXPECT_FALSE(s.forward);
    EXPECT_FALSE(gate.Triggered());
    // Back to waiting: quiet buffers are dropped, the next loud one starts anew.
    EXPECT_FALSE(Quiet(5000).forward);
    EXPECT_TRUE(Loud(6000).voiceDetected);
}

TEST_F(Gate, SilenceZeroEndsAtTheFirstQuietBuffer)
{
    gate.silenceSeconds = 0;
    Loud(100);
    const auto s = Quiet(136);
    EXPECT_EQ(s.segmentEnd, End::Silence);
    EXPECT_FALSE(s.forward);
}

TEST_F(Gate, SilenceIsMeasuredAcrossAWrapOfTheClock)
{
    const std::uint32_t start = 0xFFFFFC00u;
    Loud(start);
    EXPECT_EQ(Quiet(start + 2999).segmentEnd, End::None);
    EXPECT_EQ(Quiet(start + 3000).segmentEnd, End::Silence);  // numerically below the start
}

TEST_F(Gate, AntiBumpNeedsStrictlyMoreThanTwoSecondsOfSuspicion)
{
    gate.antiBumpEnabled = true;
    gate.silenceSeconds = 15;
    Loud(10000);
    Loud(10500);
    EXPECT_EQ(Quiet(11000).segmentEnd, End::None);
    EXPECT_EQ(Quiet(12000).segmentEnd, End::None);  // exactly 2000 ms after the start
    const auto s = Quiet(12001);
    EXPECT_EQ(s.segmentEnd, End::AntiBump);
    EXPECT_FALSE(s.forward);
    EXPECT_FALSE(gate.Triggered());
}

TEST_F(Gate, ALoudBufferMoreThanOneSecondInClearsTheSuspicion)
{
    gate.antiBumpEnabled = true;
    gate.silenceSeconds = 15;
    Loud(0);
    Loud(1000);  // exactly 1000: still suspected
    EXPECT_EQ(Quiet(2001).segmentEnd, End::AntiBump);

    Loud(20000);
    Loud(21001);  // more than 1000: a real segment
    EXPECT_EQ(Quiet(23000).segmentEnd, End::None);
    EXPECT_EQ(Quiet(21001 + 14999).segmentEnd, End::None);
    EXPECT_EQ(Quiet(21001 + 15000).segmentEnd, End::Silence);
}

TEST_F(Gate, AHalfSecondBumpEndsBySilenceOrByAntiBumpAsTheSettingsSay)
{
    gate.antiBumpEnabled = true;
    // Silence 1 s: ends by silence, 1 s after its last loud buffer, not discarded.
    gate.silenceSeconds = 1;
    std::uint32_t t = 0;
    for (; t <= 500; t += 36)
        Loud(t);
    const std::uint32_t lastLoud = t - 36;
    for (; t - lastLoud < 1000; t += 36)
        ASSERT_EQ(Quiet(t).segmentEnd, End::None) << t;
    EXPECT_EQ(Quiet(t).segmentEnd, End::Silence);

    // Silence 15 s: the same bump ends at the first quiet buffer more than 2 s after its start, discarded.
    gate.silenceSeconds = 15;
    const std::uint32_t start = 100000;
    for (t = start; t <= start + 500; t += 36)
        Loud(t);
    for (; t - start <= 2000; t += 36)
        ASSERT_EQ(Quiet(t).segmentEnd, End::None) << t;
    EXPECT_EQ(Quiet(t).segmentEnd, End::AntiBump);
}

TEST_F(Gate, WithoutAntiBumpAShortNoiseIsKept)
{
    gate.silenceSeconds = 1;
    Loud(0);
    EXPECT_EQ(Quiet(2500).segmentEnd, End::Silence);
}

TEST_F(Gate, SwitchingVoiceActivationStopsForwardingButKeepsTheSegment)
{
    gate.silenceSeconds = 1;
    Loud(0);
    gate.SetVoiceActivation(true);
    EXPECT_TRUE(gate.Triggered());
    // Still triggered but not forwarding: quiet buffers are dropped and nothing ends.
    auto s = Quiet(100);
    EXPECT_FALSE(s.forward);
    s = Quiet(5000);
    EXPECT_EQ(s.segmentEnd, End::None);
    EXPECT_FALSE(s.forward);
    // The next loud buffer resumes the segment without a new detection.
    s = Loud(6000);
    EXPECT_TRUE(s.forward);
    EXPECT_FALSE(s.voiceDetected);
    EXPECT_EQ(Quiet(7000).segmentEnd, End::Silence);
}

TEST_F(Gate, SettingsChangedBetweenBuffersTakeEffectAtTheNextOne)
{
    EXPECT_TRUE(Feed(1500, 0).forward);
    gate.ClearTriggered();
    gate.ClearForwarding();
    gate.threshold = 2000;
    EXPECT_FALSE(Feed(1500, 36).forward);
    EXPECT_TRUE(Feed(2000, 72).voiceDetected);
}

}  // namespace
