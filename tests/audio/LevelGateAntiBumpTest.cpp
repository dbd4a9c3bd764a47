// Anti-bump switched off never discards a segment, whatever watch an earlier
// segment or an earlier setting left behind.

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
    return gate.Process(b.data(), b.size(), at);
}

TEST(AntiBumpOff, ASegmentIsEndedBySilenceNeverDiscarded)
{
    // Each case: when anti-bump is switched off, in ms (before the first
    // segment, during it, or between the two segments).
    for (std::uint32_t offAt : {0u, 500u, 5000u}) {
        SCOPED_TRACE(offAt);
        CLevelGate gate;
        gate.threshold = 1000;
        gate.silenceSeconds = 3;
        gate.antiBumpEnabled = offAt > 0;
        gate.SetVoiceActivation(true);
        std::vector<End> ends;
        // A 300 ms sound, then one loud buffer 10 s later, each followed by quiet.
        for (std::uint32_t t = 0; t < 20000; t += 36) {
            if (t >= offAt)
                gate.antiBumpEnabled = false;
            const bool loud = (t < 300) || (t >= 10000 && t < 10036);
            const End end = Feed(gate, loud ? 5000 : 10, 1000 + t).segmentEnd;
            if (end != End::None)
                ends.push_back(end);
        }
        // With anti-bump still on at the first segment's quiet, that one is a bump.
        if (offAt == 5000u)
            EXPECT_EQ(ends, (std::vector<End>{End::AntiBump, End::Silence}));
        else
            EXPECT_EQ(ends, (std::vector<End>{End::Silence, End::Silence}));
    }
}

}  // namespace
