#include "SkinTestSupport.h"
#include "skin/CSkinButton.h"
#include "skin/SkinMessages.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace sonvelle;
using sonvelle::test::CMessageRecorder;
using sonvelle::test::CSimulatedTimers;

TEST(AutoRepeatLogic, ReportsAtOnceThenAfterTheFirstDelayThenEveryRepeat)
{
    CSimulatedTimers timers;
    std::vector<long long> reports;
    CAutoRepeat repeat(timers, [&] { reports.push_back(timers.now); });
    repeat.SetTimerId(1526);
    timers.onTick = [&](int id) { EXPECT_TRUE(repeat.OnTimer(id)); };

    repeat.Press();
    timers.AdvanceTo(2000);
    repeat.Release();
    timers.AdvanceTo(6000);
    EXPECT_EQ(reports, (std::vector<long long>{0, 1500, 1600, 1700, 1800, 1900, 2000}));
    EXPECT_FALSE(timers.IsActive(1526));
    EXPECT_FALSE(timers.IsActive(1527));
    EXPECT_FALSE(repeat.OnTimer(7));  // another control's timer
}

TEST(AutoRepeatLogic, AShortTapReportsOnceAndASecondHoldStartsAfresh)
{
    CSimulatedTimers timers;
    std::vector<long long> reports;
    CAutoRepeat repeat(timers, [&] { reports.push_back(timers.now); });
    repeat.SetTimerId(40);
    timers.onTick = [&](int id) { repeat.OnTimer(id); };

    repeat.Press();
    timers.AdvanceTo(1499);
    repeat.Release();
    timers.AdvanceTo(3000);
    EXPECT_EQ(reports, (std::vector<long long>{0}));

    repeat.Press();
    timers.AdvanceTo(4600);
    repeat.Release();
    EXPECT_EQ(reports, (std::vector<long long>{0, 3000, 4500, 4600}));
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

namespace {

// The window's record of the button's repeat signal.
constexpr unsigned kRepeated = 1;

struct HeldButton : ::testing::Test {
    CMessageRecorder window;
    CSimulatedTimers timers;
    QWidget host;
    CSkinButton* button = nullptr;

    void SetUp() override
    {
        window.clock = &timers.now;
        button = new CSkinButton(1031, &host);
        button->LoadBitmaps(QStringLiteral("AVANTIVELOCE"));
        button->ApplyTransportStyle();
        QObject::connect(button, &CSkinButton::repeated, [this](int id) {
            window.received.push_back({kRepeated, static_cast<WPARAM>(id), 0, timers.now});
        });
        button->SetTimerService(&timers);
        timers.onTick = [this](int id) {
            button->OnTimer(id);
            window.Pump();
        };
        host.show();
    }
};

}  // namespace

TEST_F(HeldButton, HoldingTheWindButtonForTwoSecondsReportsItsIdOnTheSchedule)
{
    button->EnableAutoRepeat(kWindRepeatTimerId);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    window.Pump();
    timers.AdvanceTo(2000);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    timers.AdvanceTo(5000);
    window.Pump();
    EXPECT_EQ(window.TimesOf(kRepeated), (std::vector<long long>{0, 1500, 1600, 1700, 1800, 1900, 2000}));
    for (const auto& m : window.received)
        EXPECT_EQ(m.wParam, 1031u);
}

TEST_F(HeldButton, ADoubleClickCountsAsTwoPresses)
{
    button->EnableAutoRepeat(kWindRepeatTimerId);
    // What the platform delivers for a double click: press, release, press, double click, release.
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                    Qt::LeftButton, {});
    QApplication::sendEvent(button, &dbl);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    window.Pump();
    EXPECT_EQ(window.TimesOf(kRepeated).size(), 2u);
}

TEST_F(HeldButton, WithoutAutoRepeatAHeldButtonReportsNothing)
{
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    timers.AdvanceTo(3000);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(5, 5));
    window.Pump();
    EXPECT_TRUE(window.received.empty());
}

TEST_F(HeldButton, DisablingTheButtonWhileHeldStopsTheRepeat)
{
    button->EnableAutoRepeat(kWindRepeatTimerId);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    window.Pump();
    timers.AdvanceTo(1600);
    button->setEnabled(false);
    timers.AdvanceTo(4000);
    window.Pump();
    EXPECT_EQ(window.TimesOf(kRepeated), (std::vector<long long>{0, 1500, 1600}));
}
