#include "SkinTestSupport.h"
#include "skin/CPositionBar.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinMessages.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace sonvelle;
using sonvelle::test::CMessageRecorder;

TEST(PositionBarGeometry, SecondsUnderTheMouseAreRounded)
{
    EXPECT_EQ(SecondsAtX(0, 200, 100), 0);
    EXPECT_EQ(SecondsAtX(200, 200, 100), 100);
    EXPECT_EQ(SecondsAtX(3, 200, 100), 2);   // 1.5 rounds up
    EXPECT_EQ(SecondsAtX(1, 200, 100), 1);   // 0.5 rounds up
    EXPECT_EQ(SecondsAtX(7, 200, 10), 0);    // 0.35
    EXPECT_EQ(SecondsAtX(150, 0, 100), 0);   // a bar not laid out yet
    // Long recordings do not overflow.
    EXPECT_EQ(SecondsAtX(1000, 1000, 2000000000), 2000000000);
}

TEST(PositionBarGeometry, ClampingAndTheElapsedPart)
{
    EXPECT_EQ(ClampSeekX(-1, 200), 2);
    EXPECT_EQ(ClampSeekX(0, 200), 0);
    EXPECT_EQ(ClampSeekX(250, 200), 200);
    EXPECT_EQ(ElapsedWidth(5, 0, 10, 200), 100);
    EXPECT_EQ(ElapsedWidth(20, 0, 10, 200), 200);  // past the end stays in the bar
    EXPECT_EQ(ElapsedWidth(5, 0, 0, 200), 0);      // empty range: nothing, no division by zero
    EXPECT_EQ(ElapsedWidth(5, 10, 3, 200), 0);
    EXPECT_EQ(MinutesSecondsText(75 * 60 + 4), "75:04");
    EXPECT_EQ(MinutesSecondsText(59), "00:59");
}

namespace {

struct BarFixture : ::testing::Test {
    CMessageRecorder window;
    QWidget host;
    CPositionBar* bar = nullptr;

    void SetUp() override
    {
        host.resize(300, 40);
        bar = new CPositionBar(&host);
        bar->setGeometry(10, 10, 200, 8);
        QObject::connect(bar, &CPositionBar::positionChosen, [this](int seconds) {
            window.received.push_back({0, static_cast<WPARAM>(seconds), 0, 0});
        });
        bar->SetRange(0, 100);
        host.show();
    }
};

}  // namespace

TEST_F(BarFixture, ReleasingReportsAPositionEvenWithSeekDisabled)
{
    ASSERT_FALSE(bar->IsSeekEnabled());
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(50, 4));
    EXPECT_FALSE(bar->IsDragging());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(50, 4));
    window.Pump();
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].wParam, 25u);
}

TEST_F(BarFixture, DraggingWithSeekEnabledFollowsTheMouseAndReportsTheDropPoint)
{
    bar->EnableSeek(true);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(20, 4));
    EXPECT_TRUE(bar->IsDragging());
    QMouseEvent move(QEvent::MouseMove, QPointF(150, 4), bar->mapToGlobal(QPointF(150, 4)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(bar, &move);
    EXPECT_EQ(bar->DragX(), 150);
    EXPECT_EQ(bar->TipText(), "01:15");
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(260, 4));
    window.Pump();
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].wParam, 100u);  // right of the bar counts as its end
    EXPECT_FALSE(bar->IsDragging());
}

TEST_F(BarFixture, ReleaseLeftOfTheBarCountsAsColumnTwo)
{
    bar->SetRange(0, 1000);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(5, 4));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-30, 4));
    window.Pump();
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].wParam, 10u);  // 1000 x 2 / 200
}

TEST_F(BarFixture, SeekSwitchesTheCursorAndTheTip)
{
    bar->EnableSeek(true);
    QTest::mouseMove(bar, QPoint(40, 4));
    EXPECT_TRUE(bar->ShowsSeekCursor());
    EXPECT_TRUE(bar->IsTipActive());
    bar->EnableSeek(false);
    EXPECT_FALSE(bar->ShowsSeekCursor());
    EXPECT_FALSE(bar->IsTipActive());
}

TEST_F(BarFixture, PaintsTheElapsedPartInGreen)
{
    bar->SetPos(50);
    const QImage shot = bar->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(10, 4)), QColor(94, 218, 94));
    EXPECT_EQ(QColor(shot.pixel(99, 4)), QColor(94, 218, 94));
    EXPECT_EQ(QColor(shot.pixel(101, 4)), QColor(235, 235, 238));
    bar->SetRange(0, 0);  // a recording of unknown length draws no green and does not crash
    const QImage empty = bar->grab().toImage();
    EXPECT_EQ(QColor(empty.pixel(10, 4)), QColor(235, 235, 238));
}
