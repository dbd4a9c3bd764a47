#include "skin/CColorStatic.h"
#include "skin/SkinGeometry.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace sonvelle;

TEST(ColorStatic, DrawsWithTheFontAlignmentAndBackgroundLastSet)
{
    QWidget host;
    host.resize(200, 60);
    auto* field = new CColorStatic(&host);
    field->setGeometry(0, 0, 100, 40);
    field->SetFont(QStringLiteral("DejaVu Sans"), 11, true, true);
    const QFont f = field->DrawingFont();
    EXPECT_TRUE(f.bold() && f.italic());
    EXPECT_EQ(f.pixelSize(), -FontPixelHeight(11, field->logicalDpiY()));
    // The font is cached: setting another must rebuild it.
    field->SetFont(QStringLiteral("DejaVu Sans"), 7, false, false);
    EXPECT_LT(field->DrawingFont().pixelSize(), f.pixelSize());
    EXPECT_FALSE(field->DrawingFont().bold());

    field->AlignRight();
    EXPECT_EQ(field->TextFlags() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    field->AlignLeft();
    EXPECT_EQ(field->TextFlags() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);

    field->SetBackColor(QColor(0, 102, 0));
    host.show();
    EXPECT_EQ(QColor(field->grab().toImage().pixel(90, 35)), QColor(0, 102, 0));
}
