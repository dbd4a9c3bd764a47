#include "resources/art/Art.h"
#include "skin/BitmapRegion.h"
#include "skin/CBalloonWnd.h"
#include "skin/CSkinButton.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

long long CountNotKey(const QImage& img)
{
    long long n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) != 0xFF0000;
    return n;
}

TEST(BitmapToRegion, TheKeyIsCutExactlyWhateverTheSizeOfTheBitmap)
{
    QImage red(258, 68, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    EXPECT_FALSE(BitmapToRegion(red, 0xFF0000, true).has_value());
    EXPECT_FALSE(BitmapToRegion(QImage(), 0xFF0000, true).has_value());
    EXPECT_EQ(RegionArea(*BitmapToRegion(red, 0xFF0000, false)), 258LL * 68);  // inverted: every pixel

    // Red green blue order, exact match, alpha plays no part.
    QImage img(5, 1, QImage::Format_ARGB32);
    const QRgb pixels[] = {qRgba(255, 0, 0, 255), qRgba(0, 0, 255, 255),  // the key, and its bytes reversed
                           qRgba(254, 0, 0, 255), qRgba(255, 0, 0, 0),    // near the key, the key transparent
                           qRgba(255, 0, 0, 255)};
    for (int x = 0; x < 5; ++x)
        img.setPixel(x, 0, pixels[x]);
    auto region = BitmapToRegion(img, 0xFF0000, true);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->boundingRect(), QRect(1, 0, 2, 1));
    EXPECT_EQ(RegionArea(*region), 2);

    // A checkerboard: one run per opaque pixel, far over one batch of rectangles.
    QImage board(201, 61, QImage::Format_RGB32);
    for (int y = 0; y < board.height(); ++y)
        for (int x = 0; x < board.width(); ++x)
            board.setPixel(x, y, (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(255, 255, 231));
    ASSERT_GT(CountNotKey(board), 3 * kRegionBatch);
    region = BitmapToRegion(board, 0xFF0000, true);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(RegionArea(*region), CountNotKey(board));
    EXPECT_TRUE(region->contains(QPoint(200, 60)));
    EXPECT_FALSE(region->contains(QPoint(200, 59)));
}

TEST(BalloonWindow, TheShapeIsTheBubbleWithTheCloseButtonAndTextOnIt)
{
    QWidget owner;
    CBalloonWnd balloon(&owner);
    balloon.Show(QPoint(300, 200), QStringLiteral("Click here to restore Sonvelle"));
    const QImage bitmap = LoadBitmapImage(QStringLiteral("FUMETTO"));
    EXPECT_TRUE(balloon.isVisible());
    EXPECT_EQ(balloon.geometry(), QRect(QPoint(300, 200), bitmap.size()));
    const long long bubble = CountNotKey(bitmap);
    EXPECT_EQ(RegionArea(balloon.Shape()), bubble);
    EXPECT_LT(bubble, bitmap.width() * bitmap.height());
    // The close button and the text lie on the bubble, not on the cut-away surround.
    EXPECT_TRUE(balloon.Shape().contains(balloon.CloseButton()->geometry()));
    EXPECT_GT(balloon.CloseButton()->x(), bitmap.width() / 2);
    EXPECT_TRUE(balloon.Shape().contains(balloon.TextRect().adjusted(0, 0, 0, -20)));

    QTest::mouseClick(balloon.CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(balloon.isVisible());
    // Shown again with a new text and owner; it stays a frameless pop-up.
    QWidget other;
    balloon.Show(&other, QPoint(10, 10), QStringLiteral("again"));
    EXPECT_TRUE(balloon.isVisible());
    EXPECT_EQ(balloon.parentWidget(), &other);
    EXPECT_TRUE(balloon.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(balloon.pos(), QPoint(10, 10));
    EXPECT_EQ(balloon.Text(), "again");
    balloon.setParent(nullptr);
}

}  // namespace
