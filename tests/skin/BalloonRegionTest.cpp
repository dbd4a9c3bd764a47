#include "resources/art/Art.h"
#include "skin/BitmapRegion.h"
#include "skin/CBalloonWnd.h"
#include "skin/CSkinButton.h"

#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

bool IsKey(const QImage& img, int x, int y)
{
    return !img.rect().contains(x, y) || (img.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
}

long long CountNotKey(const QImage& img)
{
    long long n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += !IsKey(img, x, y);
    return n;
}

TEST(BalloonWindow, TheShapeIsTheBubbleWithTheCloseButtonAndTextOnItAndNoPinkFringe)
{
    QWidget owner;
    CBalloonWnd balloon(&owner);
    balloon.Show(QPoint(300, 200), QStringLiteral("Click here to restore Sonvelle"));
    const QImage bitmap = LoadBitmapImage(QStringLiteral("FUMETTO"));
    EXPECT_TRUE(balloon.isVisible());
    EXPECT_EQ(balloon.geometry(), QRect(QPoint(300, 200), bitmap.size()));
    EXPECT_EQ(RegionArea(balloon.Shape()), CountNotKey(bitmap));
    EXPECT_TRUE(balloon.Shape().contains(balloon.CloseButton()->geometry()));
    EXPECT_TRUE(balloon.Shape().contains(balloon.TextRect().adjusted(0, 0, 0, -20)));

    // An outline pixel blended with the red key would stay on screen as a pink fringe.
    QSet<QRgb> edge;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (!IsKey(bitmap, x, y) && (IsKey(bitmap, x - 1, y) || IsKey(bitmap, x + 1, y) ||
                                         IsKey(bitmap, x, y - 1) || IsKey(bitmap, x, y + 1)))
                edge.insert(bitmap.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(edge.size(), 1);

    QTest::mouseClick(balloon.CloseButton(), Qt::LeftButton);
    EXPECT_FALSE(balloon.isVisible());
    // Every minimise shows it again.
    balloon.Show(QPoint(10, 10), QStringLiteral("again"));
    EXPECT_TRUE(balloon.isVisible() && balloon.pos() == QPoint(10, 10) && balloon.Text() == "again");
}

}  // namespace
