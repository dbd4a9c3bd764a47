#include "CPositionBar.h"

#include "SkinGeometry.h"
#include "resources/art/Art.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace sonvelle {

namespace {
const QColor kBarBack(235, 235, 238);
const QColor kGreen(94, 218, 94);
}  // namespace

CPositionBar::CPositionBar(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void CPositionBar::SetRange(int min, int max)
{
    m_nMin = min;
    m_nMax = max;
    update();
}

void CPositionBar::SetPos(int seconds)
{
    m_nPos = seconds;
    repaint();
}

void CPositionBar::EnableSeek(bool enable)
{
    m_bSeekEnabled = enable;
    if (!enable) {
        m_bSeekCursor = false;
        unsetCursor();
        QToolTip::hideText();
    }
}

void CPositionBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect().adjusted(-2, -2, 2, 2), kBarBack);
    const int elapsed = ElapsedWidth(m_nPos, m_nMin, m_nMax, width());
    if (elapsed > 0)
        p.fillRect(QRect(0, 0, elapsed, height()), kGreen);
    if (m_bDragging)
        p.fillRect(QRect(m_nDragX, -2, 2, height() + 4), Qt::black);
}

void CPositionBar::UpdateTip(QPoint pos, QPoint globalPos)
{
    m_tipText = MinutesSecondsText(SecondsAtX(ClampSeekX(pos.x(), width()), width(), m_nMax));
    if (m_bSeekEnabled)
        QToolTip::showText(globalPos, m_tipText, this, rect(), 32767);
}

void CPositionBar::enterEvent(QEnterEvent* event)
{
    if (m_bSeekEnabled) {
        m_bSeekCursor = true;
        setCursor(LoadCursorResource(kCursorDrag));
    }
    QWidget::enterEvent(event);
}

void CPositionBar::leaveEvent(QEvent* event)
{
    if (m_bSeekCursor) {
        m_bSeekCursor = false;
        unsetCursor();
    }
    QWidget::leaveEvent(event);
}

void CPositionBar::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const bool inside = rect().contains(pos);
    if (m_bSeekEnabled && inside != m_bSeekCursor) {
        m_bSeekCursor = inside;
        if (inside)
            setCursor(LoadCursorResource(kCursorDrag));
        else
            unsetCursor();
    }
    m_nDragX = ClampSeekX(pos.x(), width());
    UpdateTip(pos, event->globalPosition().toPoint());
    if (m_bDragging)
        update();
}

void CPositionBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    UpdateTip(pos, event->globalPosition().toPoint());
    if (m_bSeekEnabled) {
        m_bDragging = true;
        m_nDragX = ClampSeekX(pos.x(), width());
        update();
    }
}

void CPositionBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int x = ClampSeekX(event->position().toPoint().x(), width());
    const int seconds = SecondsAtX(x, width(), m_nMax);
    m_bDragging = false;
    update();
    QToolTip::hideText();
    emit positionChosen(seconds < 0 ? 0 : seconds);
}

}  // namespace sonvelle
