#pragma once
// Input level meter: 30 segments in three colours and a threshold marker
// that the user drags; the new threshold is reported on drop.

#include <QWidget>

namespace sonvelle {

class CLevelMeter : public QWidget {
    Q_OBJECT
public:
    explicit CLevelMeter(QWidget* parent = nullptr);

    // Peak sample value 0..32767; repaints only when the lit segments change.
    void SetLevel(int peak);
    // Stored as given; repaints.
    void SetThreshold(int value);

    int Segments() const { return m_nSegments; }
    int Threshold() const { return m_nThreshold; }
    bool IsDragging() const { return m_bDragging; }
    bool ShowsMarkerCursor() const { return m_bMarkerCursor; }
    // Number of repaints SetLevel asked for.
    int LevelRepaints() const { return m_levelRepaints; }

signals:
    // The threshold marker was dropped: the new threshold, 0..32767.
    void thresholdChanged(int threshold);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Changed();
    void UpdateCursor(QPoint pos);

    bool m_bDragging = false;
    bool m_bMarkerCursor = false;
    bool m_bParentDirty = false;
    int m_nSegments = 0;
    int m_nThreshold = 0;
    int m_levelRepaints = 0;
};

}  // namespace sonvelle
