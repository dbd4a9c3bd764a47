#pragma once
// Real timers for the skinned controls: repeating QTimers keyed by id.

#include "skin/AutoRepeat.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

namespace sonvelle {

class CQtTimerService : public ITimerService {
public:
    explicit CQtTimerService(std::function<void(int)> onTick) : m_onTick(std::move(onTick)) {}

    void StartTimer(int id, int intervalMs) override
    {
        auto& timer = m_timers[id];
        if (!timer) {
            timer = std::make_unique<QTimer>();
            QObject::connect(timer.get(), &QTimer::timeout, [this, id] { m_onTick(id); });
        }
        timer->start(intervalMs);
    }

    void KillTimer(int id) override
    {
        auto it = m_timers.find(id);
        if (it != m_timers.end())
            it->second->stop();
    }

private:
    std::function<void(int)> m_onTick;
    std::map<int, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace sonvelle
