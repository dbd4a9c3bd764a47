#include "skin/CLevelMeter.h"
#include "skin/SkinGeometry.h"

#include <QSet>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

TEST(LevelMeterGeometry, WildLevelsThresholdsAndWidthsStayOnTheMeter)
{
    // Above full scale never lights more than the meter has.
    EXPECT_EQ(LevelSegments(-32768), 0);
    EXPECT_EQ(LevelSegments(INT32_MAX), 30);
    // Stored thresholds are not clamped: wild values stay on the meter, with no overflow.
    EXPECT_EQ(ThresholdMarkerX(300, -2000000000), 0);
    EXPECT_EQ(ThresholdMarkerX(300, 2000000000), 299);
    for (int t : {1000, 5000, 12345, 30000})  // dropping the marker where it is drawn keeps the threshold
        EXPECT_NEAR(ThresholdAtX(ThresholdMarkerX(300, t), 300), t, 32767 / 300 + 40) << t;

    // Segments tile the meter and never pass its right edge.
    for (int width : {31, 61, 90, 150, 151, 301}) {
        int previousRight = 0;
        for (int k = 1; k <= 30; ++k) {
            const QRect r = MeterSegmentRect(k, QSize(width, 12));
            EXPECT_EQ(r, QRect(QPoint(previousRight + 1, 1), QPoint(r.right(), 10))) << width << " " << k;
            EXPECT_TRUE(r.right() >= r.left() && r.right() <= width - 1) << width << " " << k;
            previousRight = r.right();
        }
    }
    // Too narrow for one pixel per segment: nothing is drawn rather than garbage.
    EXPECT_TRUE(MeterSegmentRect(1, QSize(20, 12)).isEmpty());
}

struct MeterFixture : ::testing::Test {
    std::vector<int> reported;  // thresholds the meter signalled
    QWidget host;
    CLevelMeter* meter = new CLevelMeter(&host);

    void SetUp() override
    {
        meter->setGeometry(10, 10, 300, 14);
        QObject::connect(meter, &CLevelMeter::thresholdChanged, [this](int threshold) { reported.push_back(threshold); });
        meter->SetThreshold(16384);  // marker at 150
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
    }
};

TEST_F(MeterFixture, DroppingTheMarkerReportsTheNewThresholdClampedToTheMeter)
{
    struct Case {
        int from, to;
        std::vector<int> reported;
    };
    const Case cases[] = {
        {140, 280, {}},                      // 10 pixels off the marker: no drag
        {155, 30, {ThresholdAtX(30, 300)}},  // within 5 pixels it grabs
        {30, 340, {32767}},                  // past the right edge is full scale
        {298, -40, {0}},                     // past the left edge is zero
    };
    for (const Case& c : cases) {
        reported.clear();
        const int before = meter->Threshold();
        Drag(c.from, c.to);
        EXPECT_EQ(reported, c.reported) << c.from << " to " << c.to;
        EXPECT_EQ(meter->Threshold(), c.reported.empty() ? before : c.reported[0]);
        EXPECT_FALSE(meter->IsDragging());
    }
}

TEST_F(MeterFixture, PaintsThreeBandsAndRepaintsOnlyWhenTheSegmentCountChanges)
{
    meter->SetLevel(0);
    const QImage dark = meter->grab().toImage();
    EXPECT_NE(dark.pixel(ThresholdMarkerX(300, 16384), 1), dark.pixel(40, 1)) << "no marker drawn";
    for (int level : {547, 600, 1000, 32767, 32767})
        meter->SetLevel(level);
    EXPECT_EQ(meter->LevelRepaints(), 2);

    const QImage lit = meter->grab().toImage();
    QSet<QRgb> bands;
    for (int k : {1, 19, 30}) {
        const QPoint middle = MeterSegmentRect(k, QSize(300, 14)).center();
        EXPECT_NE(lit.pixel(middle), dark.pixel(middle)) << k << " is not lit";
        bands.insert(lit.pixel(middle));
    }
    EXPECT_EQ(bands.size(), 3);
}

}  // namespace
