#include "CSkinButton.h"

#include "CColorStatic.h"
#include "QtTimerService.h"
#include "resources/StringTable.h"
#include "resources/art/Art.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace sonvelle {

CSkinButton::CSkinButton(int controlId, QWidget* parent) : QAbstractButton(parent), m_controlId(controlId)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, true);
    m_ownTimers = std::make_unique<CQtTimerService>([this](int id) { OnTimer(id); });
}

CSkinButton::~CSkinButton() = default;

bool CSkinButton::LoadBitmaps(const QString& caption)
{
    const QPixmap up = LoadBitmapResource(caption + QLatin1Char('U'));
    if (up.isNull())
        return false;
    SetBitmaps(up, LoadBitmapResource(caption + QLatin1Char('D')), LoadBitmapResource(caption + QLatin1Char('F')),
               LoadBitmapResource(caption + QLatin1Char('X')));
    return true;
}

void CSkinButton::SetBitmaps(const QPixmap& up, const QPixmap& down, const QPixmap& focus, const QPixmap& disabled)
{
    m_images[static_cast<int>(ButtonImage::Up)] = up;
    m_images[static_cast<int>(ButtonImage::Down)] = down;
    m_images[static_cast<int>(ButtonImage::Focus)] = focus;
    m_images[static_cast<int>(ButtonImage::Disabled)] = disabled;
    update();
}

void CSkinButton::SetBitmap(const QPixmap& all)
{
    SetBitmaps(all, all, all, all);
}

QSize CSkinButton::sizeHint() const
{
    const QPixmap& up = m_images[static_cast<int>(ButtonImage::Up)];
    return up.isNull() ? QSize(m_nMargin, m_nMargin) : up.deviceIndependentSize().toSize() + QSize(m_nMargin, m_nMargin);
}

void CSkinButton::SizeToContent()
{
    resize(sizeHint());
    m_bHover = false;
    update();
}

void CSkinButton::SetTransparentColour(const QColor& colour)
{
    m_bTransparent = true;
    m_crTransparent = colour;
    update();
}

void CSkinButton::EnableAutoRepeat(int timerId)
{
    m_bAutoRepeat = true;
    m_nRepeatTimer = timerId;
    if (!m_repeat)
        m_repeat = std::make_unique<CAutoRepeat>(Timers(), [this] { Report(); });
    m_repeat->SetTimerId(timerId);
}

void CSkinButton::SetMargin(int pixels)
{
    m_nMargin = pixels < 0 ? 2 : pixels;
}

void CSkinButton::SetRaisedBorder(bool on)
{
    m_bRaisedBorder = on;
    update();
}

void CSkinButton::SetTooltipText(int stringId, bool activate)
{
    const QString text = LoadText(stringId);
    if (text.isEmpty())
        return;
    m_tipText = text;
    m_bTipActive = activate;
    setToolTip(activate ? text : QString());
}

void CSkinButton::SetLabel(const QString& text)
{
    delete m_pLabel;
    m_pLabel = new CColorStatic(this);
    m_pLabel->SetFont(QStringLiteral("Tahoma"), 8, false, false);
    m_pLabel->SetTextColor(Qt::black);
    m_pLabel->SetBackColor(palette().color(QPalette::Button));
    m_pLabel->AlignCentre();
    m_pLabel->SetCaption(text);
    // Clicks on the caption belong to the button.
    m_pLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    PlaceLabel();
    m_pLabel->show();
}

void CSkinButton::PlaceLabel()
{
    if (m_pLabel)
        m_pLabel->setGeometry(2, height() - 2 - 14, qMax(0, width() - 4), 14);
}

void CSkinButton::ApplyTransportStyle()
{
    SetTransparentColour(QColor(255, 255, 255));
    SetMargin(4);
    SizeToContent();
}

void CSkinButton::ApplySmallStyle()
{
    SetTransparentColour(QColor(255, 255, 255));
    SetMargin(2);
    SizeToContent();
}

void CSkinButton::ApplyCaptionedStyle(const QString& caption)
{
    SetTransparentColour(QColor(255, 255, 255));
    SetMargin(1);
    SetRaisedBorder(true);
    SetLabel(caption);
    SizeToContent();
}

void CSkinButton::SetTimerService(ITimerService* timers)
{
    if (m_repeat)
        m_repeat->Release();
    m_timers = timers;
    if (m_repeat) {
        m_repeat = std::make_unique<CAutoRepeat>(Timers(), [this] { Report(); });
        m_repeat->SetTimerId(m_nRepeatTimer);
    }
}

ITimerService& CSkinButton::Timers()
{
    return m_timers ? *m_timers : *m_ownTimers;
}

void CSkinButton::OnTimer(int id)
{
    if (m_repeat)
        m_repeat->OnTimer(id);
}

void CSkinButton::Report()
{
    emit repeated(m_controlId);
}

ButtonImage CSkinButton::CurrentImage() const
{
    ButtonLook look;
    look.pressed = isDown();
    look.hovered = m_bHover;
    look.focused = hasFocus();
    look.enabled = isEnabled();
    AvailableImages available;
    available.down = !m_images[static_cast<int>(ButtonImage::Down)].isNull();
    available.focus = !m_images[static_cast<int>(ButtonImage::Focus)].isNull();
    available.disabled = !m_images[static_cast<int>(ButtonImage::Disabled)].isNull();
    return ChooseButtonImage(look, available);
}

QPixmap CSkinButton::CurrentPixmap() const
{
    return m_images[static_cast<int>(CurrentImage())];
}

void CSkinButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, palette().color(QPalette::Button));
    const QPixmap image = CurrentPixmap();
    if (!image.isNull()) {
        if (m_bTransparent) {
            // The mask costs a scan of every pixel: made once per image, not per paint.
            if (m_keyedSource != image.cacheKey() || m_keyedColour != m_crTransparent) {
                m_keyed = image;
                m_keyed.setMask(image.createMaskFromColor(m_crTransparent, Qt::MaskInColor));
                m_keyedSource = image.cacheKey();
                m_keyedColour = m_crTransparent;
            }
            p.drawPixmap(m_nMargin / 2, m_nMargin / 2, m_keyed);
        } else {
            p.drawPixmap(r, image);
        }
    }
    if ((m_bHover || isDown()) && m_bRaisedBorder) {
        const QColor light = palette().color(QPalette::Light);
        const QColor shadow = palette().color(QPalette::Dark);
        const QColor topLeft = isDown() ? shadow : light;
        const QColor bottomRight = isDown() ? light : shadow;
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(r.topRight(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.bottomRight());
    }
    // The caption label is a child: Qt paints it after the button. Asking for
    // its repaint from here would repaint the button again, for ever.
}

void CSkinButton::enterEvent(QEnterEvent* event)
{
    if (!m_bHover && isEnabled()) {
        m_bHover = true;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event)
{
    if (m_bHover) {
        m_bHover = false;
        update();
    }
    QAbstractButton::leaveEvent(event);
}

void CSkinButton::mousePressEvent(QMouseEvent* event)
{
    QAbstractButton::mousePressEvent(event);
    if (m_bAutoRepeat && m_repeat && event->button() == Qt::LeftButton && isDown())
        m_repeat->Press();
}

void CSkinButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_repeat && event->button() == Qt::LeftButton)
        m_repeat->Release();
    QAbstractButton::mouseReleaseEvent(event);
}

void CSkinButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt has already delivered the second press before this notice; treating
    // it as a press too would count a double click three times.
    event->accept();
}

void CSkinButton::changeEvent(QEvent* event)
{
    // A button disabled under the mouse must look disabled, not hovered, and stop repeating.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_bHover = false;
        if (m_repeat)
            m_repeat->Release();
        update();
    }
    QAbstractButton::changeEvent(event);
}

void CSkinButton::resizeEvent(QResizeEvent* event)
{
    PlaceLabel();
    QAbstractButton::resizeEvent(event);
}

}  // namespace sonvelle
