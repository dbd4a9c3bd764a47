#pragma once
// Timers that run on simulated time for the skin tests.

#include "skin/AutoRepeat.h"

#include <functional>
#include <map>

namespace sonvelle::test {

// Repeating timers on a simulated millisecond clock.
class CSimulatedTimers : public ITimerService {
public:
    std::function<void(int)> onTick;
    long long now = 0;

    void StartTimer(int id, int intervalMs) override { m_timers[id] = {intervalMs, now + intervalMs, true}; }
    void KillTimer(int id) override
    {
        auto it = m_timers.find(id);
        if (it != m_timers.end())
            it->second.active = false;
    }
    bool IsActive(int id) const
    {
        auto it = m_timers.find(id);
        return it != m_timers.end() && it->second.active;
    }

    // Fires every tick due up to and including `until`, in time order.
    void AdvanceTo(long long until)
    {
        for (;;) {
            int next = -1;
            long long due = 0;
            for (auto& [id, t] : m_timers)
                if (t.active && t.due <= until && (next < 0 || t.due < due)) {
                    next = id;
                    due = t.due;
                }
            if (next < 0)
                break;
            now = due;
            m_timers[next].due += m_timers[next].interval;
            if (onTick)
                onTick(next);
        }
        now = until;
    }

private:
    struct Timer {
        int interval;
        long long due;
        bool active;
    };
    std::map<int, Timer> m_timers;
};

}  // namespace sonvelle::test
