#pragma once
// Auto-repeat of a held button: one report at the press, one when the first
// timer fires after 1500 ms, then one every 100 ms until release. Timers go
// through a service so that tests can run them on simulated time.

#include <functional>

namespace sonvelle {

class ITimerService {
public:
    virtual ~ITimerService() = default;
    // Starts (or restarts) a repeating timer; its ticks come back through CAutoRepeat::OnTimer.
    virtual void StartTimer(int id, int intervalMs) = 0;
    virtual void KillTimer(int id) = 0;
};

class CAutoRepeat {
public:
    static constexpr int kFirstDelayMs = 1500;
    static constexpr int kRepeatMs = 100;

    CAutoRepeat(ITimerService& timers, std::function<void()> report);

    // The first delay runs under this id, the fast repeat under id + 1.
    void SetTimerId(int id) { m_timerId = id; }
    int TimerId() const { return m_timerId; }

    void Press();
    void Release();
    // True when the tick was one of ours.
    bool OnTimer(int id);
    bool IsHeld() const { return m_held; }

private:
    ITimerService& m_timers;
    std::function<void()> m_report;
    int m_timerId = 1;
    bool m_held = false;
};

}  // namespace sonvelle
