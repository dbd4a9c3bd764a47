#include "CBalloonWnd.h"

#include "BitmapRegion.h"
#include "CSkinButton.h"
#include "resources/art/Art.h"

#include <QPainter>

namespace sonvelle {

namespace {
const QColor kBalloonFace(255, 255, 231);
}

CBalloonWnd::CBalloonWnd(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    const QImage bitmap = LoadBitmapImage(QString::fromLatin1(kBalloonBitmap));
    m_bitmap = LoadBitmapResource(QString::fromLatin1(kBalloonBitmap));
    resize(bitmap.size());
    if (auto region = BitmapToRegion(bitmap, kSurroundKey, true)) {
        m_region = *region;
        setMask(m_region);
    }
    m_close = new CSkinButton(kCloseButtonId, this);
    const QPixmap up = LoadBitmapResource(kBitmapCloseUp);
    const QPixmap down = LoadBitmapResource(kBitmapCloseDown);
    m_close->SetBitmaps(up, down, down, up);
    m_close->SetMargin(0);
    m_close->setText(QStringLiteral("X"));
    m_close->setFocusPolicy(Qt::NoFocus);
    connect(m_close, &QAbstractButton::clicked, this, &QWidget::hide);
}

CBalloonWnd::~CBalloonWnd() = default;

void CBalloonWnd::Show(const QPoint& topLeft, const QString& text)
{
    m_text = text;
    setGeometry(QRect(topLeft, m_bitmap.deviceIndependentSize().toSize()));
    m_close->setGeometry(width() - 25, 5, 17, 17);
    show();
    update();
}

void CBalloonWnd::Show(QWidget* parent, const QPoint& topLeft, const QString& text)
{
    if (parent != parentWidget())
        setParent(parent, windowFlags());
    Show(topLeft, text);
}

QRect CBalloonWnd::TextRect() const
{
    return QRect(QPoint(40, 10), QPoint(width() - 15 - 1, height() - 1));
}

void CBalloonWnd::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_bitmap);
    p.setFont(font());
    p.setPen(Qt::black);
    p.setBackground(kBalloonFace);
    p.drawText(TextRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_text);
}

}  // namespace sonvelle
