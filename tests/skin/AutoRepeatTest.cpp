#include "skin/CSkinButton.h"
#include "skin/SkinMessages.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <map>

using namespace sonvelle;
using Times = std::vector<long long>;

namespace {

// Repeating timers on a simulated millisecond clock.
struct CSimulatedTimers : ITimerService {
    std::function<void(int)> onTick;
    long long now = 0;
    std::map<int, std::pair<int, long long>> running;  // id: interval, when due

    void StartTimer(int id, int intervalMs) override { running[id] = {intervalMs, now + intervalMs}; }
    void KillTimer(int id) override { running.erase(id); }
    void AdvanceTo(long long until)
    {
        while (now < until) {
            ++now;
            for (const auto& [id, timer] : std::map(running))  // a copy: a tick may start or kill timers
                if (running.contains(id) && running[id].second == now) {
                    running[id].second += timer.first;
                    onTick(id);
                }
        }
    }
};

TEST(HeldButtonSchedule, ReportsAtOnceThenAfterTheFirstDelayThenEveryRepeatUntilReleasedOrDisabled)
{
    struct Hold {
        long long press, release;
        bool disable = false;      // disabled at `release` instead of released
        bool doubleClick = false;  // the press comes as the platform delivers a double click's second one
    };
    struct Case {
        const char* fault;
        std::vector<Hold> holds;
        Times reports;
    };
    const Case cases[] = {
        {"wrong schedule or repeats after the release", {{0, 2000}}, {0, 1500, 1600, 1700, 1800, 1900, 2000}},
        {"repeats on a disabled button", {{0, 1600, true}}, {0, 1500, 1600}},
        {"a tap repeats", {{0, 1499}}, {0}},
        {"a second hold continues the first one's timing", {{0, 1499}, {3000, 4600}}, {0, 3000, 4500, 4600}},
        {"a double click is not two presses", {{0, 0}, {0, 0, false, true}}, {0, 0}},
    };
    for (const Case& c : cases) {
        Times reports;
        CSimulatedTimers timers;
        QWidget host;
        auto* button = new CSkinButton(1031, &host);
        button->LoadBitmaps(QStringLiteral("AVANTIVELOCE"));
        button->ApplyTransportStyle();
        QObject::connect(button, &CSkinButton::repeated, [&](int id) {
            EXPECT_EQ(id, 1031);
            reports.push_back(timers.now);
        });
        button->SetTimerService(&timers);
        timers.onTick = [button](int id) { button->OnTimer(id); };
        button->EnableAutoRepeat(kWindRepeatTimerId);
        host.show();
        for (const Hold& h : c.holds) {
            timers.AdvanceTo(h.press);
            QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
            if (h.doubleClick) {
                QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                                Qt::LeftButton, Qt::LeftButton, {});
                QApplication::sendEvent(button, &dbl);
            }
            timers.AdvanceTo(h.release);
            if (h.disable)
                button->setEnabled(false);
            else
                QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
        }
        button->OnTimer(kWindRepeatTimerId + 1);  // a tick the real timers queued before the release
        timers.AdvanceTo(10000);
        EXPECT_EQ(reports, c.reports) << c.fault;
        EXPECT_TRUE(timers.running.empty()) << c.fault;
    }
}

}  // namespace
