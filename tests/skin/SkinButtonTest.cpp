#include "resources/StringTable.h"
#include "resources/art/Art.h"
#include "skin/CColorStatic.h"
#include "skin/CSkinButton.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

QPixmap Solid(QSize size, const QColor& colour)
{
    QPixmap p(size);
    p.fill(colour);
    return p;
}

void Hover(CSkinButton* button)
{
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), button->mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(button, &enter);
}

void Leave(CSkinButton* button)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
}

}  // namespace

TEST(SkinButtonImageChoice, EveryStateFallsBackToTheNormalImage)
{
    const AvailableImages none;
    const AvailableImages all{true, true, true};
    ButtonLook hovered;
    hovered.hovered = true;
    EXPECT_EQ(ChooseButtonImage(hovered, none), ButtonImage::Up);
    EXPECT_EQ(ChooseButtonImage(hovered, all), ButtonImage::Down);
    ButtonLook pressedFocused;
    pressedFocused.pressed = true;
    pressedFocused.focused = true;
    EXPECT_EQ(ChooseButtonImage(pressedFocused, all), ButtonImage::Down);
    EXPECT_EQ(ChooseButtonImage(pressedFocused, AvailableImages{false, true, true}), ButtonImage::Focus);
    ButtonLook disabled;
    disabled.enabled = false;
    EXPECT_EQ(ChooseButtonImage(disabled, all), ButtonImage::Disabled);
    EXPECT_EQ(ChooseButtonImage(disabled, AvailableImages{true, true, false}), ButtonImage::Up);
}

TEST(SkinButtonWidget, AButtonWithoutAPressedImageShowsItsNormalImageWhileHovered)
{
    QWidget host;
    auto* button = new CSkinButton(1011, &host);
    button->SetBitmaps(Solid({20, 10}, Qt::blue));
    button->SizeToContent();
    host.show();
    Hover(button);
    ASSERT_TRUE(button->IsHovered());
    EXPECT_EQ(button->CurrentImage(), ButtonImage::Up);
    EXPECT_EQ(QColor(button->grab().toImage().pixel(5, 5)), QColor(Qt::blue));

    button->SetBitmaps(Solid({20, 10}, Qt::blue), Solid({20, 10}, Qt::red));
    EXPECT_EQ(button->CurrentImage(), ButtonImage::Down);
    EXPECT_EQ(QColor(button->grab().toImage().pixel(5, 5)), QColor(Qt::red));
    Leave(button);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(button->CurrentImage(), ButtonImage::Up);
}

TEST(SkinButtonWidget, ADisabledButtonUnderTheMouseLooksDisabled)
{
    QWidget host;
    auto* button = new CSkinButton(1011, &host);
    ASSERT_TRUE(button->LoadBitmaps(QStringLiteral("REGISTRA")));
    button->ApplyTransportStyle();
    host.show();
    Hover(button);
    button->setEnabled(false);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(button->CurrentImage(), ButtonImage::Disabled);
}

TEST(SkinButtonWidget, SizeIsTheBitmapPlusTheMarginAndANegativeMarginMeansTwo)
{
    CSkinButton button(1099);
    ASSERT_TRUE(button.LoadBitmaps(QStringLiteral("SALVA")));
    button.SizeToContent();
    EXPECT_EQ(button.size(), QSize(17, 18));
    button.SetMargin(-7);
    button.SizeToContent();
    EXPECT_EQ(button.size(), QSize(17, 18));
    button.ApplyTransportStyle();
    EXPECT_EQ(button.size(), QSize(19, 20));
    EXPECT_FALSE(button.LoadBitmaps(QStringLiteral("NOSUCHBUTTON")));
}

TEST(SkinButtonWidget, TheKeyColourLetsTheButtonFaceThrough)
{
    QWidget host;
    auto* button = new CSkinButton(1011, &host);
    QPixmap art(10, 10);
    art.fill(Qt::white);
    {
        QPainter p(&art);
        p.fillRect(QRect(3, 3, 4, 4), Qt::black);
    }
    button->SetBitmaps(art);
    button->ApplyTransportStyle();  // white key, margin 4: picture at (2, 2)
    host.show();
    const QImage shot = button->grab().toImage();
    const QColor face = button->palette().color(QPalette::Button);
    EXPECT_EQ(QColor(shot.pixel(2, 2)), face);
    EXPECT_EQ(QColor(shot.pixel(6, 6)), QColor(Qt::black));
    EXPECT_EQ(QColor(shot.pixel(13, 13)), face);  // the margin
}

TEST(SkinButtonWidget, CaptionedStyleAddsALabelAlongTheBottomAndARaisedBorder)
{
    QWidget host;
    auto* button = new CSkinButton(1044, &host);
    ASSERT_TRUE(button->LoadBitmaps(QStringLiteral("CERCA")));
    button->ApplyCaptionedStyle(QStringLiteral("Find"));
    host.show();
    EXPECT_EQ(button->size(), QSize(57, 51));
    ASSERT_NE(button->Label(), nullptr);
    EXPECT_EQ(button->Label()->geometry(), QRect(2, 51 - 2 - 14, 57 - 4, 14));
    EXPECT_EQ(button->Label()->Caption(), "Find");
    EXPECT_EQ(button->Label()->Face(), "Tahoma");
    EXPECT_EQ(button->Label()->PointSize(), 8);
    EXPECT_EQ(button->Label()->EffectiveAlignment(), 1);
    // A second label replaces the first.
    button->SetLabel(QStringLiteral("Again"));
    EXPECT_EQ(button->findChildren<CColorStatic*>().size(), 1);

    Hover(button);
    const QImage shot = button->grab().toImage();
    EXPECT_EQ(shot.pixel(0, 20), button->palette().color(QPalette::Light).rgb());
    EXPECT_EQ(shot.pixel(56, 20), button->palette().color(QPalette::Dark).rgb());
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
    const QImage pressed = button->grab().toImage();
    EXPECT_EQ(pressed.pixel(0, 20), button->palette().color(QPalette::Dark).rgb());
    EXPECT_EQ(pressed.pixel(56, 20), button->palette().color(QPalette::Light).rgb());
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 20));
}

TEST(SkinButtonWidget, TooltipComesFromTheStringTable)
{
    CSkinButton button(1011);
    button.SetTooltipText(233, true);
    EXPECT_EQ(button.TooltipText(), LoadText(233));
    EXPECT_EQ(button.toolTip(), LoadText(233));
    button.SetTooltipText(233, false);
    EXPECT_FALSE(button.IsTooltipActive());
    EXPECT_TRUE(button.toolTip().isEmpty());
    // A text the table lacks changes nothing.
    button.SetTooltipText(233, true);
    button.SetTooltipText(999999, false);
    EXPECT_TRUE(button.IsTooltipActive());
}

namespace {
// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
}  // namespace

TEST(SkinButtonWidget, AnIdleCaptionedButtonStopsRepainting)
{
    // A window of idle buttons must cost no CPU: nothing may ask for a repaint from a paint.
    QWidget host;
    auto* button = new CSkinButton(1044, &host);
    ASSERT_TRUE(button->LoadBitmaps(QStringLiteral("CERCA")));
    button->ApplyCaptionedStyle(QStringLiteral("Find"));
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    QTest::qWait(100);
    PaintCounter counter;
    button->installEventFilter(&counter);
    QTest::qWait(300);
    EXPECT_LE(counter.paints, 1);
    button->update();
    QTest::qWait(100);
    EXPECT_GE(counter.paints, 1);  // an asked-for repaint still happens
    EXPECT_LE(counter.paints, 2);
}
