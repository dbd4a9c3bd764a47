#pragma once
// The level meter and the voice-activation gate: pure logic over a buffer's
// samples and the millisecond clock. The capture thread acts on the result
// (posting the reports, ending the segment, restarting the device).
// The three settings are stored by the main window while capture runs.

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace sonvelle {

class CLevelGate {
public:
    enum class SegmentEnd { None, Silence, AntiBump };

    struct Step {
        bool levelReport = false;   // post WM_INPUT_LEVEL (peak, lowest)
        std::int32_t peak = 0;
        std::int32_t lowest = 0;
        bool voiceDetected = false;  // post WM_VOICE_DETECTED
        SegmentEnd segmentEnd = SegmentEnd::None;  // post WM_WRITER_HAND_OVER and restart
        bool forward = false;        // the buffer belongs to the recording
    };

    // Measures one buffer at time `now` and runs the gate on it.
    Step Process(const std::int16_t* samples, std::size_t count, std::uint32_t now);

    // WM_REC_VOICE_ACTIVATION: either way forwarding stops; triggered is kept.
    void SetVoiceActivation(bool on);
    bool VoiceActivation() const { return m_voiceActivation; }

    // Start of capture clears triggered; a stop clears forwarding.
    void ClearTriggered() { m_triggered = false; }
    void ClearForwarding() { m_forwarding = false; }
    bool Triggered() const { return m_triggered; }
    bool Forwarding() const { return m_forwarding; }

    std::atomic<bool> antiBumpEnabled{true};
    std::atomic<std::int32_t> threshold{0};
    std::atomic<std::int32_t> silenceSeconds{0};

private:
    bool m_antiBumpWatch = false;
    std::uint32_t m_antiBumpWatchStart = 0;
    bool m_forwarding = false;
    std::uint32_t m_lastLoudTime = 0;
    bool m_triggered = false;
    bool m_voiceActivation = false;
    // The meter: one report per 125 ms carrying the peak since the previous one.
    std::uint32_t m_lastReportTime = 0;
    std::int16_t m_peakSinceReport = 0;
};

}  // namespace sonvelle
