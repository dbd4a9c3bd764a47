#include "resources/StringTable.h"
#include "skin/CColorStatic.h"
#include "skin/CSkinButton.h"

#include "support/EventWait.h"

#include <QApplication>
#include <QEnterEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using namespace sonvelle;
using namespace std::chrono_literals;

namespace {

QPixmap Solid(const QColor& colour)
{
    QPixmap p(20, 10);
    p.fill(colour);
    return p;
}

void Hover(CSkinButton* button)
{
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), button->mapToGlobal(QPointF(3, 3)));
    QApplication::sendEvent(button, &enter);
}

QRgb At(QWidget* w, int x, int y)
{
    return w->grab().toImage().pixel(x, y);
}

TEST(SkinButtonImage, EveryStateFallsBackToTheNormalImage)
{
    struct Case {
        ButtonLook look;
        AvailableImages images;
        ButtonImage shown;
    };
    const AvailableImages all{true, true, true};
    const Case cases[] = {
        {{false, true, false, true}, {}, ButtonImage::Up},  // hovered without a pressed image
        {{false, true, false, true}, all, ButtonImage::Down},
        {{true, false, true, true}, all, ButtonImage::Down},
        {{true, false, true, true}, {false, true, true}, ButtonImage::Focus},
        {{false, false, false, false}, all, ButtonImage::Disabled},
        {{false, false, false, false}, {true, true, false}, ButtonImage::Up},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseButtonImage(c.look, c.images), c.shown)
            << c.look.pressed << c.look.hovered << c.look.focused << c.look.enabled;
}

TEST(SkinButtonWidget, HoverShowsThePressedImageOnlyWhenThereIsOneAndNeverOnADisabledButton)
{
    QWidget host;
    auto* button = new CSkinButton(1011, &host);
    button->SetBitmaps(Solid(Qt::blue));
    button->SizeToContent();
    host.show();
    Hover(button);
    ASSERT_TRUE(button->IsHovered());
    EXPECT_EQ(At(button, 5, 5), QColor(Qt::blue).rgb());
    button->SetBitmaps(Solid(Qt::blue), Solid(Qt::red));
    EXPECT_EQ(At(button, 5, 5), QColor(Qt::red).rgb());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(button->CurrentImage(), ButtonImage::Up);

    ASSERT_TRUE(button->LoadBitmaps(QStringLiteral("REGISTRA")));
    Hover(button);
    button->setEnabled(false);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(button->CurrentImage(), ButtonImage::Disabled);
}

TEST(SkinButtonWidget, SizeMarginAndTheKeyColourThatLetsTheFaceThrough)
{
    CSkinButton sized(1099);
    ASSERT_TRUE(sized.LoadBitmaps(QStringLiteral("SALVA")));
    EXPECT_FALSE(sized.LoadBitmaps(QStringLiteral("NOSUCHBUTTON")));
    sized.SetMargin(-7);  // negative means the default of two
    sized.SizeToContent();
    EXPECT_EQ(sized.size(), QSize(17, 18));
    sized.ApplyTransportStyle();
    EXPECT_EQ(sized.size(), QSize(19, 20));

    QWidget host;
    auto* button = new CSkinButton(1011, &host);
    QPixmap art(10, 10);
    art.fill(Qt::white);
    QPainter(&art).fillRect(QRect(3, 3, 4, 4), Qt::black);
    button->SetBitmaps(art);
    button->ApplyTransportStyle();  // white key, margin 4: picture at (2, 2)
    host.show();
    const QRgb face = button->palette().color(QPalette::Button).rgb();
    EXPECT_EQ(At(button, 2, 2), face);
    EXPECT_EQ(At(button, 6, 6), QColor(Qt::black).rgb());
    EXPECT_EQ(At(button, 13, 13), face);
}

TEST(SkinButtonWidget, CaptionedStyleAddsALabelAlongTheBottomAndABorderThatSinksWhenPressed)
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
    EXPECT_EQ(button->Label()->PointSize(), 8);
    EXPECT_EQ(button->Label()->EffectiveAlignment(), 1);
    button->SetLabel(QStringLiteral("Again"));
    EXPECT_EQ(button->findChildren<CColorStatic*>().size(), 1) << "a second label must replace the first";

    Hover(button);
    const QRgb light = button->palette().color(QPalette::Light).rgb();
    const QRgb dark = button->palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(At(button, 0, 20), light);
    EXPECT_EQ(At(button, 56, 20), dark);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(At(button, 0, 20), dark);
    EXPECT_EQ(At(button, 56, 20), light);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 20));
}

TEST(SkinButtonWidget, TooltipComesFromTheStringTable)
{
    CSkinButton button(1011);
    button.SetTooltipText(IDS_APP_NAME, true);
    EXPECT_EQ(button.toolTip(), LoadText(IDS_APP_NAME));
    button.SetTooltipText(IDS_APP_NAME, false);
    EXPECT_TRUE(button.toolTip().isEmpty());
    button.SetTooltipText(IDS_APP_NAME, true);
    button.SetTooltipText(999999, false);  // a text the table lacks changes nothing
    EXPECT_TRUE(button.IsTooltipActive());
}

// Counts paint events and tells when they have stopped coming.
class CPaintWatch : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            m_last = std::chrono::steady_clock::now();
        }
        return false;
    }
    bool Settles()
    {
        m_last = std::chrono::steady_clock::now();
        return test::WaitUntil([&] { return std::chrono::steady_clock::now() - m_last > 200ms; }, 3s);
    }

private:
    std::chrono::steady_clock::time_point m_last;
};

TEST(SkinButtonWidget, AnIdleCaptionedButtonStopsRepainting)
{
    // A window of idle buttons must cost no CPU: nothing may ask for a repaint from a paint.
    QWidget host;
    auto* button = new CSkinButton(1044, &host);
    ASSERT_TRUE(button->LoadBitmaps(QStringLiteral("CERCA")));
    button->ApplyCaptionedStyle(QStringLiteral("Find"));
    CPaintWatch watch;
    button->installEventFilter(&watch);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    EXPECT_TRUE(watch.Settles()) << "still repainting after " << watch.paints << " paints";
    watch.paints = 0;
    button->update();
    EXPECT_TRUE(test::WaitUntil([&] { return watch.paints >= 1; }, 3s)) << "an asked-for repaint never came";
    EXPECT_TRUE(watch.Settles());
    EXPECT_LE(watch.paints, 2);
}

}  // namespace
