#include "skin/AutoRepeat.h"
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

// The wind button on a host window, its repeats counted on simulated time.
struct HeldButton {
    Times reports;  // when the button's repeat signal came
    CSimulatedTimers timers;
    QWidget host;
    CSkinButton* button = new CSkinButton(1031, &host);

    explicit HeldButton(bool autoRepeat = true)
    {
        button->LoadBitmaps(QStringLiteral("AVANTIVELOCE"));
        button->ApplyTransportStyle();
        QObject::connect(button, &CSkinButton::repeated, [this](int id) {
            EXPECT_EQ(id, 1031);
            reports.push_back(timers.now);
        });
        button->SetTimerService(&timers);
        timers.onTick = [this](int id) { button->OnTimer(id); };
        if (autoRepeat)
            button->EnableAutoRepeat(kWindRepeatTimerId);
        host.show();
    }
};

TEST(HeldButtonSchedule, ReportsAtOnceThenAfterTheFirstDelayThenEveryRepeatUntilReleasedOrDisabled)
{
    struct Hold {
        long long press, release;
        bool disable = false;  // disabled at `release` instead of released
    };
    struct Case {
        const char* fault;
        bool autoRepeat;
        std::vector<Hold> holds;
        Times reports;
    };
    const Case cases[] = {
        {"repeats without auto-repeat", false, {{0, 2000}}, {}},
        {"wrong schedule or repeats after the release", true, {{0, 2000}}, {0, 1500, 1600, 1700, 1800, 1900, 2000}},
        {"repeats on a disabled button", true, {{0, 1600, true}}, {0, 1500, 1600}},
        {"a tap repeats", true, {{0, 1499}}, {0}},
        {"a second hold continues the first one's timing", true, {{0, 1499}, {3000, 4600}}, {0, 3000, 4500, 4600}},
    };
    for (const Case& c : cases) {
        HeldButton held(c.autoRepeat);
        for (const Hold& h : c.holds) {
            held.timers.AdvanceTo(h.press);
            QTest::mousePress(held.button, Qt::LeftButton, {}, QPoint(5, 5));
            held.timers.AdvanceTo(h.release);
            if (h.disable)
                held.button->setEnabled(false);
            else
                QTest::mouseRelease(held.button, Qt::LeftButton, {}, QPoint(5, 5));
        }
        held.timers.AdvanceTo(10000);
        EXPECT_EQ(held.reports, c.reports) << c.fault;
        EXPECT_TRUE(held.timers.running.empty()) << c.fault;
    }
}

TEST(AutoRepeatLogic, ForeignTimersAreNotTakenAndATickQueuedBeforeReleaseReportsNothing)
{
    CSimulatedTimers timers;
    int reports = 0;
    CAutoRepeat repeat(timers, [&] { ++reports; });
    repeat.SetTimerId(1);
    repeat.Press();
    repeat.Release();
    EXPECT_FALSE(repeat.OnTimer(7));
    EXPECT_TRUE(repeat.OnTimer(2));  // late tick of the fast timer
    EXPECT_EQ(reports, 1);
}

TEST(HeldButtonSchedule, ADoubleClickCountsAsTwoPresses)
{
    HeldButton held;
    CSkinButton* button = held.button;
    // What the platform delivers: press, release, press, double click, release.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                    Qt::LeftButton, {});
    QApplication::sendEvent(button, &dbl);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(held.reports.size(), 2u);
}

}  // namespace
