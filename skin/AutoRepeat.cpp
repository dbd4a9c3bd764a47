#include "AutoRepeat.h"

#include <utility>

namespace sonvelle {

CAutoRepeat::CAutoRepeat(ITimerService& timers, std::function<void()> report)
    : m_timers(timers), m_report(std::move(report))
{
}

void CAutoRepeat::Press()
{
    m_timers.KillTimer(m_timerId + 1);
    m_held = true;
    m_report();
    m_timers.StartTimer(m_timerId, kFirstDelayMs);
}

void CAutoRepeat::Release()
{
    m_held = false;
    m_timers.KillTimer(m_timerId);
    m_timers.KillTimer(m_timerId + 1);
}

bool CAutoRepeat::OnTimer(int id)
{
    if (id != m_timerId && id != m_timerId + 1)
        return false;
    if (!m_held) {
        // A tick already queued when the button was let go.
        m_timers.KillTimer(id);
        return true;
    }
    m_report();
    if (id == m_timerId) {
        m_timers.KillTimer(m_timerId);
        m_timers.StartTimer(m_timerId + 1, kRepeatMs);
    }
    return true;
}

}  // namespace sonvelle
