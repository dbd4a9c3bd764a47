#pragma once
// What the volume slider needs of the mixer's speakers line. The mixer gives
// the window one when it opens the line; until then the slider moves nothing.

#include <cstdint>

namespace sonvelle {

class ISpeakerLine {
public:
    virtual ~ISpeakerLine() = default;
    virtual std::uint32_t Minimum() const = 0;
    virtual std::uint32_t Maximum() const = 0;
    virtual bool GetVolume(std::uint32_t& volume) const = 0;
    virtual bool SetVolume(std::uint32_t volume) = 0;
    // True when a change notice names this line's own volume control.
    virtual bool IsOwnVolumeControl(std::uintptr_t mixer, std::intptr_t controlId) const = 0;
};

}  // namespace sonvelle
