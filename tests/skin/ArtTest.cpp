#include "resources/art/Art.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

bool IsKeyWhite(QRgb c)
{
    return (c & 0xFFFFFF) == 0xFFFFFF;
}

TEST(ProgramArt, EveryButtonHasFourDistinctPicturesOfOneAllowedSizeOnTheWhiteKey)
{
    // Three groups of transport buttons and the small save button.
    const QSet<QSize> allowed = {QSize(45, 37), QSize(56, 50), QSize(50, 45), QSize(15, 16)};
    const QStringList captions = ButtonBitmapCaptions();
    EXPECT_EQ(captions.size(), 14);
    for (const char* c : {"REGISTRA", "PLAYREC", "STOPREC", "STOPPLAY", "AVANTIVELOCE", "INDIETROVELOCE", "PAUSA",
                          "REG_AUTO", "CERCA", "ELIMINA", "SEND", "IMPOSTAZIONI", "HELP", "SALVA"})
        EXPECT_TRUE(captions.contains(QString::fromLatin1(c))) << c;
    for (const QString& caption : captions) {
        QImage states[4];
        const char suffix[4] = {'U', 'D', 'F', 'X'};
        for (int i = 0; i < 4; ++i) {
            states[i] = LoadBitmapImage(caption + QLatin1Char(suffix[i]));
            ASSERT_TRUE(allowed.contains(states[i].size())) << caption.toStdString() << suffix[i];
            EXPECT_EQ(states[i].size(), states[0].size()) << caption.toStdString() << suffix[i];
            // Corners are the key, so the button face shows around the picture.
            EXPECT_TRUE(IsKeyWhite(states[i].pixel(0, 0))) << caption.toStdString() << suffix[i];
            for (int j = 0; j < i; ++j)
                EXPECT_NE(states[i], states[j]) << caption.toStdString() << suffix[i] << suffix[j];
        }
    }
    EXPECT_EQ(LoadBitmapImage(QStringLiteral("AVANTIVELOCEU")).size(), QSize(45, 37));
    EXPECT_EQ(LoadBitmapImage(QStringLiteral("CERCAU")).size(), QSize(56, 50));
    // Side pictures are glyphs with room for the caption below; transport pictures are bodies.
    const QImage side = LoadBitmapImage(QStringLiteral("CERCAU"));
    for (int x = 0; x < side.width(); ++x)
        EXPECT_TRUE(IsKeyWhite(side.pixel(x, side.height() - 8))) << x;
    const QImage transport = LoadBitmapImage(QStringLiteral("PLAYRECU"));
    EXPECT_FALSE(IsKeyWhite(transport.pixel(8, transport.height() / 2)));
    // Names are looked up without regard to case; unknown ones give nothing.
    EXPECT_EQ(LoadBitmapImage(QStringLiteral("registrau")), LoadBitmapImage(QStringLiteral("REGISTRAU")));
    for (const char* unknown : {"REGISTRA", "REGISTRAQ"})
        EXPECT_TRUE(LoadBitmapImage(QString::fromLatin1(unknown)).isNull()) << unknown;
    EXPECT_TRUE(LoadBitmapImage(12345).isNull());
}

TEST(ProgramArt, BalloonIsPaleYellowOnExactRedWithNoBlendedEdge)
{
    const QImage b = LoadBitmapImage(QStringLiteral("FUMETTO"));
    ASSERT_EQ(b.size(), QSize(258, 68));
    EXPECT_EQ(b.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(b.pixel(257, 67) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(QColor(b.pixel(120, 30)), QColor(255, 255, 231));
    // A pixel of the outline blended with the red would stay on screen as a pink fringe.
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
    EXPECT_EQ(LoadBitmapImage(kBitmapCloseUp).size(), QSize(17, 17));
    EXPECT_NE(LoadBitmapImage(kBitmapCloseUp), LoadBitmapImage(kBitmapCloseDown));
    for (int id : {297, 298, 296, 332}) {
        const QImage img = LoadBitmapImage(id);
        ASSERT_EQ(img.size(), QSize(18, 18)) << id;
        EXPECT_TRUE(IsKeyWhite(img.pixel(0, 0)) && IsKeyWhite(img.pixel(0, 17))) << id;
    }
    EXPECT_NE(LoadBitmapImage(296), LoadBitmapImage(332));
    EXPECT_EQ(LoadBitmapImage(kBitmapAutoRecordingOn).size(), LoadBitmapImage(QStringLiteral("REG_AUTOU")).size());
    EXPECT_NE(LoadBitmapImage(kBitmapAutoRecordingOn), LoadBitmapImage(QStringLiteral("REG_AUTOU")));

    for (int id : IconIds()) {
        EXPECT_EQ(LoadIconImage(id, 32).size(), QSize(32, 32)) << id;
        EXPECT_EQ(LoadIconImage(id, 16).size(), QSize(16, 16)) << id;
        EXPECT_FALSE(LoadIconResource(id).isNull()) << id;
    }
    EXPECT_TRUE(LoadIconImage(999).isNull());
    EXPECT_NE(LoadIconImage(kIconTrayRecording), LoadIconImage(kIconTrayListening));
    EXPECT_NE(LoadIconImage(kIconTrayAutoRecording), LoadIconImage(kIconTrayListening));
    EXPECT_NE(LoadIconImage(kIconTrayIdle), LoadIconImage(kIconTrayRecording));
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

    const QCursor drag = LoadCursorResource(kCursorDrag);
    EXPECT_EQ(drag.shape(), Qt::BitmapCursor);
    EXPECT_EQ(drag.hotSpot(), QPoint(16, 16));
    EXPECT_EQ(LoadCursorResource(1).shape(), Qt::ArrowCursor);
}

}  // namespace
