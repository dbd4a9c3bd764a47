#include "SkinTestSupport.h"
#include "skin/CSkinButton.h"
#include "skin/SkinMessages.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace sonvelle;
using sonvelle::test::CSimulatedTimers;
using Times = std::vector<long long>;

namespace {

TEST(AutoRepeatLogic, ReportsAtOnceThenAfterTheFirstDelayThenEveryRepeat)
{
    struct Hold {
        long long press, release;
    };
    struct Case {
        const char* fault;
        std::vector<Hold> holds;
        Times reports;
    };
    const Case cases[] = {
        {"wrong schedule or repeats after the release", {{0, 2000}}, {0, 1500, 1600, 1700, 1800, 1900, 2000}},
        {"a tap repeats", {{0, 1499}}, {0}},
        {"a second hold continues the first one's timing", {{0, 1499}, {3000, 4600}}, {0, 3000, 4500, 4600}},
    };
    for (const Case& c : cases) {
        CSimulatedTimers timers;
        Times reports;
        CAutoRepeat repeat(timers, [&] { reports.push_back(timers.now); });
        repeat.SetTimerId(1526);
        timers.onTick = [&](int id) { EXPECT_TRUE(repeat.OnTimer(id)); };
        for (const Hold& h : c.holds) {
            timers.AdvanceTo(h.press);
            repeat.Press();
            timers.AdvanceTo(h.release);
            repeat.Release();
        }
        timers.AdvanceTo(10000);
        EXPECT_EQ(reports, c.reports) << c.fault;
        EXPECT_FALSE(timers.IsActive(1526) || timers.IsActive(1527)) << c.fault;
        EXPECT_FALSE(repeat.OnTimer(7)) << "another control's timer was taken";
    }
}

TEST(AutoRepeatLogic, ATickQueuedBeforeReleaseReportsNothing)
{
    CSimulatedTimers timers;
    int reports = 0;
    CAutoRepeat repeat(timers, [&] { ++reports; });
    repeat.SetTimerId(1);
    repeat.Press();
    repeat.Release();
    EXPECT_TRUE(repeat.OnTimer(2));  // late tick of the fast timer
    EXPECT_EQ(reports, 1);
}

struct HeldButton : ::testing::Test {
    Times reports;  // when the button's repeat signal came
    CSimulatedTimers timers;
    QWidget host;
    CSkinButton* button = nullptr;

    void SetUp() override
    {
        button = new CSkinButton(1031, &host);
        button->LoadBitmaps(QStringLiteral("AVANTIVELOCE"));
        button->ApplyTransportStyle();
        QObject::connect(button, &CSkinButton::repeated, [this](int id) {
            EXPECT_EQ(id, 1031);
            reports.push_back(timers.now);
        });
        button->SetTimerService(&timers);
        timers.onTick = [this](int id) { button->OnTimer(id); };
        host.show();
    }
};

TEST_F(HeldButton, HoldingTheWindButtonReportsItsIdOnTheScheduleUntilReleasedOrDisabled)
{
    struct Case {
        bool autoRepeat;
        long long disableAt;  // 0: released at 2000 instead
        Times reports;
    };
    for (const Case& c : {Case{false, 0, {}}, Case{true, 0, {0, 1500, 1600, 1700, 1800, 1900, 2000}},
                          Case{true, 1600, {0, 1500, 1600}}}) {
        reports.clear();
        timers.now = 0;
        button->setEnabled(true);
        if (c.autoRepeat)
            button->EnableAutoRepeat(kWindRepeatTimerId);
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
        timers.AdvanceTo(c.disableAt ? c.disableAt : 2000);
        if (c.disableAt)
            button->setEnabled(false);
        else
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
        timers.AdvanceTo(5000);
        EXPECT_EQ(reports, c.reports) << c.autoRepeat << " " << c.disableAt;
    }
}

TEST_F(HeldButton, ADoubleClickCountsAsTwoPresses)
{
    button->EnableAutoRepeat(kWindRepeatTimerId);
    // What the platform delivers: press, release, press, double click, release.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                    Qt::LeftButton, {});
    QApplication::sendEvent(button, &dbl);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(reports.size(), 2u);
}

}  // namespace
