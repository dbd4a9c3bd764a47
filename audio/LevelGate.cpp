#include "audio/LevelGate.h"

#include "platform/Clock.h"

namespace sonvelle {

void CLevelGate::SetVoiceActivation(bool on)
{
    m_voiceActivation = on;
    m_forwarding = false;
}

CLevelGate::Step CLevelGate::Process(const std::int16_t* samples, std::size_t count, std::uint32_t now)
{
    Step step;
    std::int16_t highest = 0;
    std::int16_t lowest = 32767;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int16_t s = samples[i];
        if (s < lowest)
            lowest = s;
        if (s > highest)
            highest = s;
    }
    if (highest > m_peakSinceReport)
        m_peakSinceReport = highest;
    if (ElapsedMs(m_lastReportTime, now) > 125) {
        m_lastReportTime = now;
        step.levelReport = true;
        step.peak = m_peakSinceReport;
        step.lowest = lowest;
        m_peakSinceReport = 0;
    }

    if (!m_voiceActivation) {
        m_forwarding = true;
        step.forward = true;
        return step;
    }

    const bool loud = static_cast<std::int32_t>(highest) >= threshold.load();
    if (loud) {
        if (!m_triggered) {
            // A segment started with anti-bump off is never suspected, whatever an earlier one left armed.
            m_antiBumpWatch = antiBumpEnabled.load();
            m_antiBumpWatchStart = now;
            step.voiceDetected = true;
            m_triggered = true;
        } else if (m_antiBumpWatch && ElapsedMs(m_antiBumpWatchStart, now) > 1000) {
            m_antiBumpWatch = false;
        }
        m_forwarding = true;
        m_lastLoudTime = now;
    } else if (m_triggered) {
        if (m_antiBumpWatch && antiBumpEnabled.load() && ElapsedMs(m_antiBumpWatchStart, now) > 2000 &&
            m_forwarding) {
            step.segmentEnd = SegmentEnd::AntiBump;
            m_triggered = false;
            m_forwarding = false;
        } else if (ElapsedMs(m_lastLoudTime, now) >=
                   static_cast<std::uint32_t>(silenceSeconds.load()) * 1000u) {
            // Switched on again mid-segment and not forwarding: the segment waits for a loud buffer.
            if (m_forwarding) {
                step.segmentEnd = SegmentEnd::Silence;
                m_triggered = false;
                m_forwarding = false;
            }
        }
    }
    step.forward = m_forwarding;
    return step;
}

}  // namespace sonvelle
