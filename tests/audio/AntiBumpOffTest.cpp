// Anti-bump switched off: a segment is never discarded, whatever watch an
// earlier segment left behind.

#include "audio/LevelGate.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sonvelle;
using End = CLevelGate::SegmentEnd;

namespace {

CLevelGate::Step Feed(CLevelGate& gate, std::int16_t peak, std::uint32_t at)
{
    std::vector<std::int16_t> buffer(1152, 0);
    buffer[10] = peak;
    return gate.Process(buffer.data(), buffer.size(), at);
}

struct Case {
    const char* what;
    bool onForBump;      // the first, short segment
    bool onAtNextStart;  // the next segment starts
    bool onMidNext;      // changed right after the next segment started
    End expected;        // how the next segment ends
    std::uint32_t at;    // and when
};

}  // namespace

TEST(AntiBumpSetting, DecidesEachSegmentWithoutLeftoversFromEarlierOnes)
{
    const Case cases[] = {
        {"switched off after a bump", true, false, false, End::Silence, 13000},
        {"switched off during the suspected segment", true, true, false, End::Silence, 13000},
        {"switched on mid-segment after starting off", true, false, true, End::Silence, 13000},
        {"kept on: a second bump is still discarded", true, true, true, End::AntiBump, 12500},
        {"never on", false, false, false, End::Silence, 13000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CLevelGate gate;
        gate.threshold = 1000;
        gate.SetVoiceActivation(true);

        // A 0.5 s bump that ends by a short silence: with anti-bump on, its watch stays armed.
        gate.silenceSeconds = 1;
        gate.antiBumpEnabled = c.onForBump;
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
