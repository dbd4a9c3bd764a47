#include "resources/art/Art.h"

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

TEST(ProgramArt, EveryButtonHasFourDistinctSameSizedPicturesOnTheWhiteKey)
{
    for (const QString& caption : ButtonBitmapCaptions()) {
        QImage states[4];
        const char suffix[4] = {'U', 'D', 'F', 'X'};
        for (int i = 0; i < 4; ++i) {
            const std::string name = caption.toStdString() + suffix[i];
            states[i] = LoadBitmapImage(caption + QLatin1Char(suffix[i]));
            ASSERT_FALSE(states[i].isNull()) << name;
            EXPECT_EQ(states[i].size(), states[0].size()) << name;
            // Corners are the key, so the button face shows around the picture.
            EXPECT_EQ(states[i].pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu) << name;
            for (int j = 0; j < i; ++j)
                EXPECT_NE(states[i], states[j]) << name << suffix[j];
        }
    }
}

TEST(ProgramArt, NumberedBitmapsIconsAndCursor)
{
    for (int id : NumberedBitmaps())
        EXPECT_FALSE(LoadBitmapImage(id).isNull()) << id;
    EXPECT_NE(LoadBitmapImage(kBitmapListRecording), LoadBitmapImage(kBitmapListProtected));
    EXPECT_NE(LoadBitmapImage(kBitmapAutoRecordingOn), LoadBitmapImage(QStringLiteral("REG_AUTOU")));

    for (int id : IconIds()) {
        EXPECT_EQ(LoadIconImage(id, 16).size(), QSize(16, 16)) << id;
        EXPECT_FALSE(LoadIconResource(id).isNull()) << id;
    }
    const int tray[] = {kIconTrayIdle, kIconTrayRecording, kIconTrayListening, kIconTrayAutoRecording};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < i; ++j)
            EXPECT_NE(LoadIconImage(tray[i]), LoadIconImage(tray[j])) << "two tray states look alike";
    EXPECT_EQ(LoadCursorResource(kCursorDrag).shape(), Qt::BitmapCursor);
}

}  // namespace
