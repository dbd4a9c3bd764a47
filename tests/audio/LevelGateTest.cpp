// The voice gate over exact milliseconds.

#include "audio/LevelGate.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sonvelle;
using End = CLevelGate::SegmentEnd;

namespace {

CLevelGate::Step Feed(CLevelGate& gate, std::int16_t peak, std::uint32_t at)
{
    std::vector<std::int16_t> b(1152, 0);
    b[100] = peak;
    b[700] = -100;
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

// One buffer fed to the gate and the segment end it must give; a setting of 0 or 1
// is changed just before the buffer.
struct Beat {
    bool loud;
    std::uint32_t at;
    End end = End::None;
    int antiBump = -1;
    int silenceSeconds = -1;
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
    constexpr End S = End::Silence, N = End::None;
    // A 0.5 s bump ended by a short silence leaves the bump watch armed for the next segment.
    const GateCase cases[] = {
        {"silence ends one millisecond early or late", 3, false,
         {{true, 108}, {false, 2000}, {false, 108 + 2999}, {false, 108 + 3000, S}}},
        {"silence 0 waits for more quiet", 0, false, {{true, 100}, {false, 136, S}}},
        {"silence miscounted across a wrap of the clock", 3, false,
         {{true, wrap}, {false, wrap + 2999}, {false, wrap + 3000, S}}},
        {"a bump ends at exactly two seconds instead of after", 15, true,
         {{true, 10000}, {true, 10500}, {false, 11000}, {false, 12000}, {false, 12001, End::AntiBump}}},
        {"a loud buffer at exactly one second clears the suspicion", 15, true,
         {{true, 0}, {true, 1000}, {false, 2001, End::AntiBump}}},
        {"a real segment is taken for a bump", 15, true,
         {{true, 20000}, {true, 21001}, {false, 23000}, {false, 21001 + 14999}, {false, 21001 + 15000, S}}},
        {"a short silence setting loses to the bump rule", 1, true,
         {{true, 0}, {true, 468}, {false, 1467}, {false, 1468, S}}},
        {"without the bump rule a short noise is dropped", 1, false, {{true, 0}, {false, 2500, S}}},
        {"switched off after a bump, the old watch still discards", 1, true,
         {{true, 0}, {true, 500}, {false, 1500, S}, {true, 10000, N, 0, 3}, {false, 12500}, {false, 13000, S}}},
        {"switched off during the suspected segment, it is still discarded", 1, true,
         {{true, 0}, {true, 500}, {false, 1500, S}, {true, 10000, N, 1, 3}, {false, 10100, N, 0}, {false, 12500},
          {false, 13000, S}}},
        {"switched on mid-segment, a leftover watch discards it", 1, true,
         {{true, 0}, {true, 500}, {false, 1500, S}, {true, 10000, N, 0, 3}, {false, 10100, N, 1}, {false, 12500},
          {false, 13000, S}}},
        {"kept on, a second bump is kept", 1, true,
         {{true, 0}, {true, 500}, {false, 1500, S}, {true, 10000, N, 1, 3}, {false, 12500, End::AntiBump}}},
    };
    for (const GateCase& c : cases) {
        CListeningGate gate(c.silenceSeconds, c.antiBump);
        for (const Beat& beat : c.beats) {
            if (beat.antiBump >= 0)
                gate.antiBumpEnabled = beat.antiBump == 1;
            if (beat.silenceSeconds >= 0)
                gate.silenceSeconds = beat.silenceSeconds;
            const auto step = Feed(gate, beat.loud ? 5000 : 10, beat.at);
            EXPECT_EQ(step.segmentEnd, beat.end) << c.fault << " at " << beat.at;
            EXPECT_EQ(step.forward, beat.end == End::None) << c.fault << " at " << beat.at;
        }
        EXPECT_FALSE(gate.Triggered()) << c.fault;
    }
}

TEST(VoiceGate, TheThresholdStartsASegmentOnceAndSwitchingActivationTakesEffectAtTheNextBuffer)
{
    CListeningGate gate(3, false);
    EXPECT_FALSE(Feed(gate, 999, 0).forward);
    const auto start = Feed(gate, 1000, 36);  // equal to the threshold is loud
    EXPECT_TRUE(start.voiceDetected);
    EXPECT_TRUE(start.forward);
    EXPECT_FALSE(Feed(gate, 5000, 72).voiceDetected);  // once per segment
    EXPECT_EQ(Feed(gate, 10, 5000).segmentEnd, End::Silence);
    EXPECT_FALSE(Feed(gate, 10, 5036).forward);  // waiting again: quiet is dropped
    gate.threshold = 6000;
    EXPECT_FALSE(Feed(gate, 5000, 5072).forward);
    gate.SetVoiceActivation(false);
    EXPECT_TRUE(Feed(gate, 10, 5108).forward);
    EXPECT_FALSE(Feed(gate, 9000, 5144).voiceDetected);

    // Switched on again mid-segment: held until the next loud buffer, which resumes the same segment.
    gate.threshold = 1000;
    gate.silenceSeconds = 1;
    gate.SetVoiceActivation(true);
    ASSERT_TRUE(Feed(gate, 5000, 8000).voiceDetected);
    gate.SetVoiceActivation(true);
    EXPECT_TRUE(gate.Triggered());
    auto s = Feed(gate, 10, 9000);
    EXPECT_FALSE(s.forward);
    EXPECT_EQ(s.segmentEnd, End::None);
    s = Feed(gate, 5000, 10000);
    EXPECT_TRUE(s.forward);
    EXPECT_FALSE(s.voiceDetected);
    EXPECT_EQ(Feed(gate, 10, 11000).segmentEnd, End::Silence);
    gate.threshold = 0;
    EXPECT_TRUE(gate.Process(nullptr, 0, 11036).forward);  // threshold 0: even an empty buffer is loud
}

}  // namespace
