#include "Clock.h"

#include <chrono>

namespace sonvelle {

std::uint32_t CSteadyClock::NowMs()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace {
CSteadyClock g_steady;
std::atomic<IClock*> g_clock{&g_steady};
}  // namespace

std::uint32_t timeGetSystemTime()
{
    return g_clock.load()->NowMs();
}

void SetSystemClock(IClock* clock)
{
    g_clock.store(clock ? clock : &g_steady);
}

}  // namespace sonvelle
