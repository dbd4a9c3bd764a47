#include "CColorStatic.h"

#include "SkinGeometry.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

namespace sonvelle {

CColorStatic::CColorStatic(QWidget* parent) : QWidget(parent)
{
    m_crText = palette().color(QPalette::WindowText);
    m_crBack = palette().color(QPalette::Button);
}

void CColorStatic::SetFont(const QString& face, int pointSize, bool bold, bool italic)
{
    if (!face.isEmpty())
        m_strFace = face;
    if (pointSize > 0)
        m_nPointSize = pointSize;
    m_bBold = bold;
    m_bItalic = italic;
    m_bFontDirty = true;
    update();
}

void CColorStatic::SetTextColor(const QColor& colour)
{
    m_crText = colour;
}

void CColorStatic::SetTextColorAndRedraw(const QColor& colour)
{
    m_crText = colour;
    repaint();
}

void CColorStatic::SetBackColor(const QColor& colour)
{
    m_crBack = colour;
    update();
}

void CColorStatic::SetCaption(const QString& text)
{
    m_text = text;
    repaint();
}

void CColorStatic::AlignLeft()
{
    m_nAlign = 0;
    update();
}

void CColorStatic::AlignCentre()
{
    m_nAlign = 1;
    update();
}

void CColorStatic::AlignRight()
{
    m_nAlign = 2;
    update();
}

void CColorStatic::SetStyleAlignment(Qt::Alignment alignment)
{
    m_styleAlign = alignment;
    update();
}

void CColorStatic::SetFormat(int flags)
{
    m_nFormat = flags;
    update();
}

void CColorStatic::SetRoundBox(bool on)
{
    m_bRoundBox = on;
    update();
}

void CColorStatic::SetTransparentBack(bool on)
{
    m_bTransparentBack = on;
    setAttribute(Qt::WA_TranslucentBackground, on);
    update();
}

QFont CColorStatic::DrawingFont()
{
    if (m_bFontDirty) {
        QFont f(m_strFace);
        const int dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
        const int height = -FontPixelHeight(m_nPointSize, dpi);
        f.setPixelSize(height > 0 ? height : 1);
        f.setWeight(m_bBold ? QFont::Bold : QFont::Normal);
        f.setItalic(m_bItalic);
        m_font = f;
        m_bFontDirty = false;
    }
    return m_font;
}

int CColorStatic::EffectiveAlignment() const
{
    if (m_nAlign >= 0)
        return m_nAlign;
    if (m_styleAlign & Qt::AlignRight)
        return 2;
    if (m_styleAlign & Qt::AlignHCenter)
        return 1;
    return 0;
}

int CColorStatic::TextFlags() const
{
    static const int horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    const int align = horizontal[EffectiveAlignment()];
    if (m_nFormat != 0)
        return m_nFormat | align | Qt::TextSingleLine;
    return align | Qt::AlignTop | Qt::TextWordWrap;
}

void CColorStatic::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_bTransparentBack) {
        if (m_bRoundBox) {
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRoundedRect(rect(), 10, 10);
        } else {
            p.fillRect(rect(), m_crBack);
        }
    }
    p.setFont(DrawingFont());
    p.setPen(m_crText);
    p.drawText(rect(), TextFlags(), m_text);
}

}  // namespace sonvelle
