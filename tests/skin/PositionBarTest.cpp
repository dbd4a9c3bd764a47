#include "skin/CPositionBar.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

struct BarFixture : ::testing::Test {
    std::vector<int> reported;  // seconds the bar signalled
    QWidget host;
    CPositionBar* bar = new CPositionBar(&host);

    void SetUp() override
    {
        bar->setGeometry(10, 10, 200, 8);
        QObject::connect(bar, &CPositionBar::positionChosen, [this](int seconds) { reported.push_back(seconds); });
        bar->SetRange(0, 100);
        host.show();
    }
};

TEST_F(BarFixture, ReleasingReportsTheDropPointWithOrWithoutSeek)
{
    struct Case {
        bool seek;
        int range, pressX, moveX, releaseX;
        int reported;
    };
    // Halves round up; right of the bar counts as its end, left of it as column two; long ones do not overflow.
    for (const Case& c : {Case{false, 100, 3, 3, 3, 2}, Case{true, 100, 20, 150, 260, 100},
                          Case{false, 1000, 5, 5, -30, 10}, Case{false, 2000000000, 9, 9, 200, 2000000000}}) {
        reported.clear();
        bar->SetRange(0, c.range);
        bar->EnableSeek(c.seek);
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(c.pressX, 4));
        EXPECT_EQ(bar->IsDragging(), c.seek);
        QMouseEvent move(QEvent::MouseMove, QPointF(c.moveX, 4), bar->mapToGlobal(QPointF(c.moveX, 4)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(bar, &move);
        if (c.seek) {
            EXPECT_EQ(bar->DragX(), c.moveX);
            EXPECT_EQ(bar->TipText(), "01:15");
        }
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(c.releaseX, 4));
        EXPECT_EQ(reported, std::vector<int>{c.reported}) << c.releaseX;
        EXPECT_FALSE(bar->IsDragging());
    }
}

TEST_F(BarFixture, SeekSwitchesTheCursorAndTheTipAndOnlyTheElapsedPartIsFilled)
{
    bar->EnableSeek(true);
    QTest::mouseMove(bar, QPoint(40, 4));
    EXPECT_TRUE(bar->ShowsSeekCursor() && bar->IsTipActive());
    bar->EnableSeek(false);
    EXPECT_FALSE(bar->ShowsSeekCursor() || bar->IsTipActive());

    bar->SetPos(50);
    const QImage shot = bar->grab().toImage();
    const QRgb elapsed = shot.pixel(10, 4), rest = shot.pixel(101, 4);
    EXPECT_NE(elapsed, rest);
    EXPECT_EQ(shot.pixel(99, 4), elapsed);
    bar->SetRange(0, 0);  // a recording of unknown length fills nothing and does not crash
    EXPECT_EQ(bar->grab().toImage().pixel(10, 4), rest);
}

}  // namespace
