#include "skin/CColorStatic.h"
#include "skin/SkinGeometry.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace sonvelle;

TEST(ColorStaticFont, SetFontKeepsTheOldFaceAndSizeForEmptyValuesAndTruncatesPixels)
{
    EXPECT_EQ(FontPixelHeight(8, 96), -10);  // 10.67 truncated, as the platform's font height
    CColorStatic field;
    field.SetFont(QStringLiteral("DejaVu Sans"), 11, true, false);
    field.SetFont(QString(), 0, true, true);
    EXPECT_EQ(field.Face(), "DejaVu Sans");
    EXPECT_EQ(field.PointSize(), 11);
    const QFont f = field.DrawingFont();
    EXPECT_TRUE(f.bold() && f.italic());
    EXPECT_EQ(f.pixelSize(), -FontPixelHeight(11, field.logicalDpiY()));
    // A dirty font is rebuilt: a smaller size takes effect.
    field.SetFont(QString(), 7, false, false);
    EXPECT_LT(field.DrawingFont().pixelSize(), f.pixelSize());
    EXPECT_FALSE(field.DrawingFont().bold());
}

TEST(ColorStaticLayout, AlignmentComesFromTheStyleUntilSetAndFormatMakesOneLine)
{
    CColorStatic field;
    EXPECT_EQ(field.EffectiveAlignment(), 0);
    field.SetStyleAlignment(Qt::AlignRight);
    EXPECT_EQ(field.EffectiveAlignment(), 2);
    field.AlignLeft();
    EXPECT_EQ(field.EffectiveAlignment(), 0);
    EXPECT_TRUE(field.TextFlags() & Qt::TextWordWrap);
    field.SetFormat(Qt::AlignVCenter);
    const int lineFlags = int(Qt::TextWordWrap) | Qt::TextSingleLine | Qt::AlignVCenter;
    EXPECT_EQ(field.TextFlags() & lineFlags, int(Qt::TextSingleLine) | Qt::AlignVCenter);
}

TEST(ColorStaticPaint, BackgroundRoundBoxAndTransparency)
{
    QWidget host;
    host.setAutoFillBackground(true);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, QColor(10, 20, 30));
    host.setPalette(pal);
    host.resize(200, 60);
    auto* field = new CColorStatic(&host);
    field->setGeometry(0, 0, 100, 40);
    field->SetBackColor(QColor(0, 102, 0));
    field->SetTextColor(QColor(38, 124, 8));
    field->SetCaption(QStringLiteral("- -"));
    host.show();
    EXPECT_EQ(QColor(field->grab().toImage().pixel(90, 35)), QColor(0, 102, 0));
    field->SetRoundBox(true);
    const QImage round = field->grab().toImage();
    EXPECT_EQ(QColor(round.pixel(50, 20)), QColor(Qt::white));
    EXPECT_NE(QColor(round.pixel(0, 0)), QColor(Qt::white));  // the rounded corner
    field->SetTransparentBack(true);
    const QImage through = host.grab(field->geometry()).toImage();
    EXPECT_EQ(QColor(through.pixel(90, 35)), QColor(10, 20, 30));
}
