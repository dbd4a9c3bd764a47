#pragma once
// The multimedia millisecond clock: unsigned 32 bits, wrapping after ~49.7 days.
// Tests swap in a manual clock so that times such as "exactly 1000 ms" are exact.

#include <atomic>
#include <cstdint>

namespace sonvelle {

class IClock {
public:
    virtual ~IClock() = default;
    virtual std::uint32_t NowMs() = 0;
};

// Monotonic system clock.
class CSteadyClock : public IClock {
public:
    std::uint32_t NowMs() override;
};

// A clock that moves only when told to. Safe to read from any thread.
class CManualClock : public IClock {
public:
    explicit CManualClock(std::uint32_t start = 0) : m_now(start) {}
    std::uint32_t NowMs() override { return m_now.load(); }
    void Set(std::uint32_t ms) { m_now.store(ms); }
    void Advance(std::uint32_t ms) { m_now.fetch_add(ms); }

private:
    std::atomic<std::uint32_t> m_now;
};

// The process-wide clock (timeGetSystemTime / GetTickCount).
std::uint32_t timeGetSystemTime();
// Replaces the process-wide clock; null restores the steady clock. The caller keeps ownership.
void SetSystemClock(IClock* clock);

// Milliseconds from `since` to `now`, correct across a wrap of the counter.
inline std::uint32_t ElapsedMs(std::uint32_t since, std::uint32_t now) { return now - since; }

}  // namespace sonvelle
