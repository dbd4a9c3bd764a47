#include "SkinTestSupport.h"
#include "skin/CLevelMeter.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinMessages.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace sonvelle;
using sonvelle::test::CMessageRecorder;

TEST(LevelMeterSegments, FullScaleAndTheRoundingEdge)
{
    EXPECT_EQ(LevelSegments(32767), 30);
    EXPECT_EQ(LevelSegments(546), 0);
    EXPECT_EQ(LevelSegments(547), 1);
    EXPECT_EQ(LevelSegments(0), 0);
    EXPECT_EQ(LevelSegments(-32768), 0);
    // Half-way between 14 and 15 segments: 14.5 x 32767 / 30 = 15837.4
    EXPECT_EQ(LevelSegments(15837), 14);
    EXPECT_EQ(LevelSegments(15838), 15);
    // A peak above full scale never lights more than the meter has.
    EXPECT_EQ(LevelSegments(40000), 30);
    EXPECT_EQ(LevelSegments(INT32_MAX), 30);
}

TEST(LevelMeterSegments, BandsChangeAtSixtyAndEightyPercent)
{
    EXPECT_EQ(BandOfSegment(1), SegmentBand::Green);
    EXPECT_EQ(BandOfSegment(18), SegmentBand::Green);
    EXPECT_EQ(BandOfSegment(19), SegmentBand::Yellow);
    EXPECT_EQ(BandOfSegment(24), SegmentBand::Yellow);
    EXPECT_EQ(BandOfSegment(25), SegmentBand::OrangeRed);
    EXPECT_EQ(BandOfSegment(30), SegmentBand::OrangeRed);
}

TEST(LevelMeterSegments, SegmentsTileTheMeterAndNeverPassTheRightEdge)
{
    for (int width : {31, 61, 90, 150, 151, 301}) {
        const QSize client(width, 12);
        int previousRight = 0;
        for (int k = 1; k <= 30; ++k) {
            const QRect r = MeterSegmentRect(k, client);
            ASSERT_FALSE(r.isEmpty()) << width << " " << k;
            EXPECT_EQ(r.left(), previousRight + 1) << width << " " << k;
            EXPECT_LE(r.right(), width - 1);
            EXPECT_EQ(r.top(), 1);
            EXPECT_EQ(r.bottom(), 10);
            previousRight = r.right();
        }
    }
    // Too narrow for one pixel per segment: nothing is drawn rather than garbage.
    EXPECT_TRUE(MeterSegmentRect(1, QSize(20, 12)).isEmpty());
    EXPECT_TRUE(MeterSegmentRect(31, QSize(300, 12)).isEmpty());
}

TEST(LevelMeterMarker, FormulasAtTheEdgesAndInBetween)
{
    EXPECT_EQ(ThresholdAtX(300, 300), 32767);
    EXPECT_EQ(ThresholdAtX(0, 300), 0);
    EXPECT_EQ(ThresholdAtX(-50, 300), 0);
    EXPECT_EQ(ThresholdAtX(900, 300), 32767);
    // (300-150)*1000/300 = 500; 500*32767/1000 = 16383; 32767-16383
    EXPECT_EQ(ThresholdAtX(150, 300), 16384);
    // (300-100)*1000/300 = 666 (integer); 666*32767/1000 = 21822
    EXPECT_EQ(ThresholdAtX(100, 300), 32767 - 21822);

    EXPECT_EQ(ThresholdMarkerX(300, 0), 0);
    EXPECT_EQ(ThresholdMarkerX(300, 32767), 299);  // kept inside
    // (32767-16384)*1000/32767 = 499: 300 - 300*499/1000 = 151
    EXPECT_EQ(ThresholdMarkerX(300, 16384), 151);
    // Stored thresholds are not clamped: wild values stay on the meter, no overflow.
    EXPECT_EQ(ThresholdMarkerX(300, -2000000000), 0);
    EXPECT_EQ(ThresholdMarkerX(300, 2000000000), 299);
    // A meter not laid out yet.
    EXPECT_EQ(ThresholdMarkerX(0, 5000), 0);
    EXPECT_EQ(ThresholdAtX(10, 0), 0);
    // Dropping the marker where it is drawn keeps the threshold close.
    for (int t : {1000, 5000, 12345, 30000}) {
        const int back = ThresholdAtX(ThresholdMarkerX(300, t), 300);
        EXPECT_NEAR(back, t, 32767 / 300 + 40) << t;
    }
}

namespace {

struct MeterFixture : ::testing::Test {
    CMessageRecorder window;
    QWidget host;
    CLevelMeter* meter = nullptr;

    void SetUp() override
    {
        host.resize(400, 60);
        meter = new CLevelMeter(&host);
        meter->setGeometry(10, 10, 300, 14);
        QObject::connect(meter, &CLevelMeter::thresholdChanged, [this](int threshold) {
            window.received.push_back({0, static_cast<WPARAM>(threshold), 0, 0});
        });
        host.show();
    }

    void Drag(int fromX, int toX)
    {
        QTest::mouseMove(meter, QPoint(fromX, 7));
        QTest::mousePress(meter, Qt::LeftButton, {}, QPoint(fromX, 7));
        QMouseEvent move(QEvent::MouseMove, QPointF(toX, 7), meter->mapToGlobal(QPointF(toX, 7)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(meter, &move);
        QTest::mouseRelease(meter, Qt::LeftButton, {}, QPoint(toX, 7));
        window.Pump();
    }
};

}  // namespace

TEST_F(MeterFixture, DroppingTheMarkerAtTheFarRightGivesFullScaleAndReportsIt)
{
    meter->SetThreshold(16384);
    Drag(150, 300);
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].wParam, 32767u);
    EXPECT_EQ(meter->Threshold(), 32767);
    EXPECT_FALSE(meter->IsDragging());
}

TEST_F(MeterFixture, DroppingTheMarkerPastTheLeftEdgeGivesZero)
{
    meter->SetThreshold(16384);
    Drag(152, -40);
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].wParam, 0u);
}

TEST_F(MeterFixture, APressAwayFromTheMarkerNeitherDragsNorReports)
{
    meter->SetThreshold(16384);  // marker at 150
    Drag(140, 280);              // 10 pixels off
    EXPECT_TRUE(window.received.empty());
    EXPECT_EQ(meter->Threshold(), 16384);
    // Within 5 pixels it grabs.
    Drag(155, 30);
    ASSERT_EQ(window.received.size(), 1u);
    EXPECT_EQ(window.received[0].wParam, static_cast<WPARAM>(ThresholdAtX(30, 300)));
}

TEST_F(MeterFixture, TheCursorChangesOnlyNearTheMarker)
{
    meter->SetThreshold(0);
    QTest::mouseMove(meter, QPoint(3, 7));
    EXPECT_TRUE(meter->ShowsMarkerCursor());
    QTest::mouseMove(meter, QPoint(40, 7));
    EXPECT_FALSE(meter->ShowsMarkerCursor());
}

TEST_F(MeterFixture, SetLevelRepaintsOnlyWhenTheSegmentCountChanges)
{
    meter->SetLevel(547);
    meter->SetLevel(600);   // still one segment
    meter->SetLevel(1000);  // still one
    meter->SetLevel(32767);
    meter->SetLevel(32767);
    EXPECT_EQ(meter->Segments(), 30);
    EXPECT_EQ(meter->LevelRepaints(), 2);
}

TEST_F(MeterFixture, PaintsTheBandsAndTheMarker)
{
    meter->SetLevel(32767);
    meter->SetThreshold(16384);
    const QImage shot = meter->grab().toImage();
    const int w = (300 - 1) / 30;
    auto colourAtSegment = [&](int k) { return QColor(shot.pixel((k - 1) * w + 1 + w / 2, 3)); };
    EXPECT_EQ(colourAtSegment(1), QColor(94, 218, 94));
    EXPECT_EQ(colourAtSegment(18), QColor(94, 218, 94));
    EXPECT_EQ(colourAtSegment(19), QColor(255, 255, 0));
    EXPECT_EQ(colourAtSegment(25), QColor(255, 51, 0));
    EXPECT_EQ(QColor(shot.pixel(151, 1)), QColor(255, 0, 0));
    // Dark level: the background shows.
    meter->SetLevel(0);
    const QImage dark = meter->grab().toImage();
    EXPECT_EQ(QColor(dark.pixel(40, 3)), QColor(235, 235, 238));
}
