#include "resources/art/Art.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

bool IsKeyWhite(QRgb c)
{
    return (c & 0xFFFFFF) == 0xFFFFFF;
}

TEST(ProgramArt, EveryButtonHasFourDistinctSameSizedPicturesOnTheWhiteKey)
{
    for (const QString& caption : ButtonBitmapCaptions()) {
        QImage states[4];
        const char suffix[4] = {'U', 'D', 'F', 'X'};
        for (int i = 0; i < 4; ++i) {
            states[i] = LoadBitmapImage(caption + QLatin1Char(suffix[i]));
            ASSERT_FALSE(states[i].isNull()) << caption.toStdString() << suffix[i];
            EXPECT_EQ(states[i].size(), states[0].size()) << caption.toStdString() << suffix[i];
            // Corners are the key, so the button face shows around the picture.
            EXPECT_TRUE(IsKeyWhite(states[i].pixel(0, 0))) << caption.toStdString() << suffix[i];
            for (int j = 0; j < i; ++j)
                EXPECT_NE(states[i], states[j]) << caption.toStdString() << suffix[i] << suffix[j];
        }
    }
    // Side pictures are glyphs with room for the caption below.
    const QImage side = LoadBitmapImage(QStringLiteral("CERCAU"));
    for (int x = 0; x < side.width(); ++x)
        EXPECT_TRUE(IsKeyWhite(side.pixel(x, side.height() - 8))) << x;
    // Names are looked up without regard to case; unknown ones give nothing.
    EXPECT_EQ(LoadBitmapImage(QStringLiteral("registrau")), LoadBitmapImage(QStringLiteral("REGISTRAU")));
    for (const char* unknown : {"REGISTRA", "REGISTRAQ"})
        EXPECT_TRUE(LoadBitmapImage(QString::fromLatin1(unknown)).isNull()) << unknown;
    EXPECT_TRUE(LoadBitmapImage(12345).isNull());
}

TEST(ProgramArt, BalloonOutlineIsNotBlendedWithTheRedKey)
{
    // A pixel of the outline blended with the red would stay on screen as a pink fringe.
    const QImage b = LoadBitmapImage(QStringLiteral("FUMETTO"));
    ASSERT_FALSE(b.isNull());
    auto isKey = [&](int x, int y) {
        return x < 0 || y < 0 || x >= b.width() || y >= b.height() || (b.pixel(x, y) & 0xFFFFFF) == 0xFF0000;
    };
    QSet<QRgb> edge;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (!isKey(x, y) && (isKey(x - 1, y) || isKey(x + 1, y) || isKey(x, y - 1) || isKey(x, y + 1)))
                edge.insert(b.pixel(x, y) & 0xFFFFFF);
    EXPECT_EQ(edge.size(), 1);
}

TEST(ProgramArt, NumberedBitmapsIconsAndCursor)
{
    for (int id : NumberedBitmaps())
        EXPECT_FALSE(LoadBitmapImage(id).isNull()) << id;
    EXPECT_NE(LoadBitmapImage(kBitmapCloseUp), LoadBitmapImage(kBitmapCloseDown));
    EXPECT_NE(LoadBitmapImage(kBitmapListRecording), LoadBitmapImage(kBitmapListProtected));
    EXPECT_NE(LoadBitmapImage(kBitmapAutoRecordingOn), LoadBitmapImage(QStringLiteral("REG_AUTOU")));

    for (int id : IconIds()) {
        EXPECT_EQ(LoadIconImage(id, 32).size(), QSize(32, 32)) << id;
        EXPECT_EQ(LoadIconImage(id, 16).size(), QSize(16, 16)) << id;
        EXPECT_FALSE(LoadIconResource(id).isNull()) << id;
    }
    EXPECT_TRUE(LoadIconImage(999).isNull());
    const int tray[] = {kIconTrayIdle, kIconTrayRecording, kIconTrayListening, kIconTrayAutoRecording};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < i; ++j)
            EXPECT_NE(LoadIconImage(tray[i]), LoadIconImage(tray[j])) << "two tray states look alike";
    // The notification-area scan needs a near-black block at least 9 wide and 5 high at 16 pixels.
    const QImage marker = LoadIconImage(kIconTrayMarker, 16);
    auto dark = [&](int x, int y) {
        const QColor c = QColor::fromRgba(marker.pixel(x, y));
        return c.alpha() == 255 && c.red() <= 3 && c.green() <= 3 && c.blue() <= 3;
    };
    int bestRun = 0;
    for (int y = 2; y + 2 < marker.height(); ++y)
        for (int x = 0, run = 0; x < marker.width(); ++x)
            bestRun = std::max(bestRun, run = dark(x, y) && dark(x, y - 2) && dark(x, y + 2) ? run + 1 : 0);
    EXPECT_GT(bestRun, 8);

    EXPECT_EQ(LoadCursorResource(kCursorDrag).shape(), Qt::BitmapCursor);
    EXPECT_EQ(LoadCursorResource(1).shape(), Qt::ArrowCursor);
}

}  // namespace
