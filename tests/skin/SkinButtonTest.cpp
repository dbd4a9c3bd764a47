#include "resources/StringTable.h"
#include "resources/art/Art.h"
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

TEST(SkinButtonImage, PressedBeatsFocusAndAStateWithoutItsImageShowsTheNormalOne)
{
    const AvailableImages all{true, true, true};
    EXPECT_EQ(ChooseButtonImage({true, false, true, true}, all), ButtonImage::Down);
    EXPECT_EQ(ChooseButtonImage({true, false, true, true}, {false, true, true}), ButtonImage::Focus);
    EXPECT_EQ(ChooseButtonImage({false, false, false, false}, {true, true, false}), ButtonImage::Up);
}

struct ButtonOnHost : ::testing::Test {
    QWidget host;
    CSkinButton* button = new CSkinButton(1044, &host);
};

TEST_F(ButtonOnHost, HoverShowsThePressedImageOnlyWhenThereIsOneAndNeverOnADisabledButton)
{
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
    EXPECT_FALSE(button->LoadBitmaps(QStringLiteral("NOSUCHBUTTON")));
    Hover(button);
    button->setEnabled(false);
    EXPECT_FALSE(button->IsHovered());
    EXPECT_EQ(button->CurrentImage(), ButtonImage::Disabled);
}

TEST_F(ButtonOnHost, TheMarginNeverCutsThePictureAndTheWhiteKeyLetsTheFaceThrough)
{
    CSkinButton sized(1099);
    ASSERT_TRUE(sized.LoadBitmaps(QStringLiteral("SALVA")));
    sized.SetMargin(-7);  // negative means the default
    sized.SizeToContent();
    EXPECT_GT(sized.width(), LoadBitmapImage(QStringLiteral("SALVAU")).width());

    QPixmap art(10, 10);
    art.fill(Qt::white);
    QPainter(&art).fillRect(QRect(3, 3, 4, 4), Qt::black);
    button->SetBitmaps(art);
    button->ApplyTransportStyle();
    host.show();
    const QPoint middle = button->rect().center();
    EXPECT_EQ(At(button, middle.x() - 3, middle.y() - 3), button->palette().color(QPalette::Button).rgb());
    EXPECT_EQ(At(button, middle.x(), middle.y()), QColor(Qt::black).rgb());
}

TEST_F(ButtonOnHost, CaptionedStyleHasOneLabelAlongTheBottomAndABorderThatSinksWhenPressed)
{
    ASSERT_TRUE(button->LoadBitmaps(QStringLiteral("CERCA")));
    button->ApplyCaptionedStyle(QStringLiteral("Find"));
    host.show();
    ASSERT_NE(button->Label(), nullptr);
    EXPECT_EQ(button->Label()->Caption(), "Find");
    EXPECT_TRUE(button->rect().contains(button->Label()->geometry()));
    EXPECT_GT(button->Label()->geometry().top(), button->height() / 2);
    button->SetLabel(QStringLiteral("Again"));
    EXPECT_EQ(button->findChildren<CColorStatic*>().size(), 1) << "a second label must replace the first";

    Hover(button);
    const int right = button->width() - 1;
    const QRgb leftEdge = At(button, 0, 20), rightEdge = At(button, right, 20);
    EXPECT_NE(leftEdge, rightEdge);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(At(button, 0, 20), rightEdge);
    EXPECT_EQ(At(button, right, 20), leftEdge);
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
    std::chrono::steady_clock::time_point last;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            last = std::chrono::steady_clock::now();
        }
        return false;
    }
    bool Settles()
    {
        last = std::chrono::steady_clock::now();
        return test::WaitUntil([&] { return std::chrono::steady_clock::now() - last > 200ms; }, 3s);
    }
};

TEST_F(ButtonOnHost, AnIdleCaptionedButtonStopsRepainting)
{
    // A window of idle buttons must cost no CPU: nothing may ask for a repaint from a paint.
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
