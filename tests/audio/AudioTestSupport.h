#pragma once
// The shared test fixtures under the names the audio tests use.

#include "support/EventWait.h"
#include "support/PostedMessages.h"
#include "support/SoundFiles.h"
#include "support/TestFolders.h"

namespace sonvelle::test {

using DecodedAudio = Pcm;

inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    return WaitUntil(condition, timeout);
}

}  // namespace sonvelle::test
