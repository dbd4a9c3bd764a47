#pragma once
// Helpers of the skin tests: a window stand-in that records the messages the
// controls post, and timers that run on simulated time.

#include "platform/Message.h"
#include "skin/AutoRepeat.h"

#include <QCoreApplication>
#include <QObject>

#include <functional>
#include <map>
#include <vector>

namespace sonvelle::test {

struct Posted {
    unsigned message;
    WPARAM wParam;
    LPARAM lParam;
    long long at;
};

class CMessageRecorder : public QObject {
public:
    std::vector<Posted> received;
    const long long* clock = nullptr;

    bool event(QEvent* e) override
    {
        if (e->type() == CMessage::EventType()) {
            auto* m = static_cast<CMessage*>(e);
            received.push_back({m->Message(), m->WParam(), m->LParam(), clock ? *clock : 0});
            return true;
        }
        return QObject::event(e);
    }

    // Delivers what was posted so far.
    void Pump() { QCoreApplication::sendPostedEvents(this); }

    std::vector<long long> TimesOf(unsigned message) const
    {
        std::vector<long long> out;
        for (const Posted& p : received)
            if (p.message == message)
                out.push_back(p.at);
        return out;
    }
};

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
