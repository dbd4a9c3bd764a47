#include "resources/art/Art.h"
#include "skin/BitmapRegion.h"
#include "skin/CBalloonWnd.h"
#include "skin/CSkinButton.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

long long CountPixels(const QImage& img, const std::function<bool(QRgb)>& keep)
{
    long long n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += keep(img.pixel(x, y)) ? 1 : 0;
    return n;
}

}  // namespace

TEST(BitmapToRegion, AnAllKeyBitmapGivesNoRegion)
{
    QImage red(258, 68, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    EXPECT_FALSE(BitmapToRegion(red, 0xFF0000, true).has_value());
    EXPECT_FALSE(BitmapToRegion(QImage(), 0xFF0000, true).has_value());
    // Inverted: every pixel is wanted.
    auto all = BitmapToRegion(red, 0xFF0000, false);
    ASSERT_TRUE(all.has_value());
    EXPECT_EQ(RegionArea(*all), 258LL * 68);
}

TEST(BitmapToRegion, ManyThousandRunsStillGiveOneCompleteRegion)
{
    // A checkerboard: one run per opaque pixel, far over one batch of rectangles.
    QImage board(201, 61, QImage::Format_RGB32);
    for (int y = 0; y < board.height(); ++y)
        for (int x = 0; x < board.width(); ++x)
            board.setPixel(x, y, (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(255, 255, 231));
    const long long opaque = CountPixels(board, [](QRgb c) { return (c & 0xFFFFFF) != 0xFF0000; });
    ASSERT_GT(opaque, 3 * kRegionBatch);
    auto region = BitmapToRegion(board, 0xFF0000, true);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(RegionArea(*region), opaque);
    EXPECT_TRUE(region->contains(QPoint(0, 0)));
    EXPECT_FALSE(region->contains(QPoint(1, 0)));
    EXPECT_TRUE(region->contains(QPoint(200, 60)));
    EXPECT_FALSE(region->contains(QPoint(200, 59)));
}

TEST(BitmapToRegion, TheKeyMatchesExactlyInRedGreenBlueOrder)
{
    QImage img(4, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 0));  // the key: cut
    img.setPixel(1, 0, qRgb(0, 0, 255));  // same bytes the other way round: kept
    img.setPixel(2, 0, qRgb(254, 0, 0));  // near the key: kept
    img.setPixel(3, 0, qRgb(255, 0, 0));
    auto region = BitmapToRegion(img, 0xFF0000, true);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(RegionArea(*region), 2);
    EXPECT_EQ(region->boundingRect(), QRect(1, 0, 2, 1));
    // Alpha plays no part.
    QImage argb(2, 1, QImage::Format_ARGB32);
    argb.setPixel(0, 0, qRgba(255, 0, 0, 0));
    argb.setPixel(1, 0, qRgba(1, 2, 3, 255));
    EXPECT_EQ(RegionArea(*BitmapToRegion(argb, 0xFF0000, true)), 1);
}

TEST(BalloonWindow, TheShapeIsTheYellowBubbleAndTheCloseButtonSitsTopRight)
{
    QWidget owner;
    CBalloonWnd balloon(&owner);
    balloon.Show(QPoint(300, 200), QStringLiteral("Click here to restore Sonvelle"));
    EXPECT_TRUE(balloon.isVisible());
    EXPECT_EQ(balloon.geometry(), QRect(300, 200, 258, 68));
    EXPECT_EQ(balloon.Text(), "Click here to restore Sonvelle");
    EXPECT_EQ(balloon.CloseButton()->geometry(), QRect(258 - 25, 5, 17, 17));
    EXPECT_EQ(balloon.CloseButton()->ControlId(), 2);
    EXPECT_EQ(balloon.TextRect(), QRect(QPoint(40, 10), QPoint(258 - 15 - 1, 67)));

    const QImage art = LoadBitmapImage(QStringLiteral("FUMETTO"));
    const long long notRed = CountPixels(art, [](QRgb c) { return (c & 0xFFFFFF) != 0xFF0000; });
    EXPECT_EQ(RegionArea(balloon.Shape()), notRed);
    EXPECT_LT(notRed, 258LL * 68);
    // The close button lies on the bubble, not on the cut-away surround.
    EXPECT_TRUE(balloon.Shape().contains(balloon.CloseButton()->geometry()));
    EXPECT_TRUE(balloon.Shape().contains(balloon.TextRect().adjusted(0, 0, 0, -20)));

    QTest::mouseClick(balloon.CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(balloon.isVisible());
    // Shown again with a new text and owner; it stays a frameless pop-up.
    QWidget other;
    balloon.Show(&other, QPoint(10, 10), QStringLiteral("again"));
    EXPECT_TRUE(balloon.isVisible());
    EXPECT_EQ(balloon.parentWidget(), &other);
    EXPECT_TRUE(balloon.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(balloon.geometry(), QRect(10, 10, 258, 68));
    EXPECT_EQ(balloon.Text(), "again");
    balloon.setParent(nullptr);
}
