#include "CLevelMeter.h"

#include "SkinGeometry.h"
#include "resources/art/Art.h"

#include <QMouseEvent>
#include <QPainter>

namespace sonvelle {

namespace {
const QColor kMeterBack(235, 235, 238);
const QColor kGreen(94, 218, 94);
const QColor kYellow(255, 255, 0);
const QColor kOrangeRed(255, 51, 0);
const QColor kMarkerRed(255, 0, 0);
}  // namespace

CLevelMeter::CLevelMeter(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void CLevelMeter::SetLevel(int peak)
{
    const int segments = LevelSegments(peak);
    if (segments == m_nSegments)
        return;
    m_nSegments = segments;
    ++m_levelRepaints;
    Changed();
}

void CLevelMeter::SetThreshold(int value)
{
    m_nThreshold = value;
    Changed();
}

void CLevelMeter::Changed()
{
    // The parent's background shows through the meter's edges: have it repainted too.
    m_bParentDirty = true;
    if (QWidget* parent = parentWidget())
        parent->update(geometry());
    update();
}

void CLevelMeter::paintEvent(QPaintEvent*)
{
    m_bParentDirty = false;
    QPainter p(this);
    const QSize client = size();
    p.setPen(Qt::black);
    p.setBrush(kMeterBack);
    p.drawRect(QRect(0, 0, client.width() - 1, client.height() - 1));

    for (int k = 1; k <= m_nSegments; ++k) {
        const QRect seg = MeterSegmentRect(k, client);
        if (seg.isEmpty())
            break;
        const SegmentBand band = BandOfSegment(k);
        p.setBrush(band == SegmentBand::Green ? kGreen : band == SegmentBand::Yellow ? kYellow : kOrangeRed);
        // QPainter's outline adds one pixel to the right and bottom.
        p.drawRect(seg.adjusted(0, 0, -1, -1));
    }

    const int x = ThresholdMarkerX(client.width(), m_nThreshold);
    p.setPen(kMarkerRed);
    p.drawLine(x, client.height() - 2, x, 0);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kOrangeRed);
    const int cx = std::max(x, 2);
    p.drawEllipse(QPoint(cx, client.height() / 2), 2, 2);
}

void CLevelMeter::UpdateCursor(QPoint pos)
{
    const bool onMarker = IsOnThresholdMarker(pos, size(), m_nThreshold);
    if (onMarker != m_bMarkerCursor || (!onMarker && !m_bDragging)) {
        m_bMarkerCursor = onMarker;
        if (onMarker || m_bDragging)
            setCursor(LoadCursorResource(kCursorDrag));
        else
            unsetCursor();
    }
}

void CLevelMeter::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (m_bDragging) {
        m_nThreshold = ThresholdAtX(pos.x(), width());
        Changed();
        return;
    }
    UpdateCursor(pos);
}

void CLevelMeter::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && IsOnThresholdMarker(pos, size(), m_nThreshold)) {
        // Qt keeps delivering moves to the pressed widget: the capture.
        m_bDragging = true;
    }
}

void CLevelMeter::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_bDragging || event->button() != Qt::LeftButton)
        return;
    m_bDragging = false;
    m_nThreshold = ThresholdAtX(event->position().toPoint().x(), width());
    Changed();
    UpdateCursor(event->position().toPoint());
    emit thresholdChanged(m_nThreshold);
}

}  // namespace sonvelle
