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
    EXPECT_EQ(ChooseButtonImage({true, false, true, true}, {true, true, true}), ButtonImage::Down);
    EXPECT_EQ(ChooseButtonImage({true, false, true, true}, {false, true, true}), ButtonImage::Focus);
}

struct ButtonOnHost : ::testing::Test {
    QWidget host;
    CSkinButton* button = new CSkinButton(1044, &host);
};

TEST_F(ButtonOnHost, HoverShowsThePressedImageButNeverOnADisabledButton)
{
    QPixmap up(20, 10), down(20, 10);
    up.fill(Qt::blue);
    down.fill(Qt::red);
    button->SetBitmaps(up, down);
    button->SizeToContent();
    host.show();
    Hover(button);
    ASSERT_TRUE(button->IsHovered());
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
    QPixmap art(10, 10);
    art.fill(Qt::white);
    QPainter(&art).fillRect(QRect(3, 3, 4, 4), Qt::black);
    button->SetBitmaps(art);
    button->ApplyTransportStyle();
    host.show();
    EXPECT_GT(button->width(), art.width());
    const QPoint middle = button->rect().center();
    EXPECT_EQ(At(button, middle.x() - 3, middle.y() - 3), button->palette().color(QPalette::Button).rgb());
    EXPECT_EQ(At(button, middle.x(), middle.y()), QColor(Qt::black).rgb());
}

TEST_F(ButtonOnHost, CaptionedStyleHasALabelAlongTheBottomAndABorderThatSinksWhenPressed)
{
    ASSERT_TRUE(button->LoadBitmaps(QStringLiteral("CERCA")));
    button->ApplyCaptionedStyle(QStringLiteral("Find"));
    host.show();
    ASSERT_NE(button->Label(), nullptr);
    EXPECT_EQ(button->Label()->Caption(), "Find");
    EXPECT_TRUE(button->rect().contains(button->Label()->geometry()));
    EXPECT_GT(button->Label()->geometry().top(), button->height() / 2);

    Hover(button);
    const int right = button->width() - 1;
    const QRgb leftEdge = At(button, 0, 20), rightEdge = At(button, right, 20);
    EXPECT_NE(leftEdge, rightEdge);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(At(button, 0, 20), rightEdge);
    EXPECT_EQ(At(button, right, 20), leftEdge);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 20));
}

// Counts paint events and tells when they have stopped coming.
struct CPaintWatch : QObject {
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
}

}  // namespace
