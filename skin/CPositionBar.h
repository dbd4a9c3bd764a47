#pragma once
// Playing-position bar: elapsed part in green, a drag bar and a time tooltip
// while seeking is enabled; a release over it reports the chosen second.

#include <QString>
#include <QWidget>

namespace sonvelle {

class CPositionBar : public QWidget {
    Q_OBJECT
public:
    explicit CPositionBar(QWidget* parent = nullptr);

    void SetRange(int min, int max);  // seconds
    void SetPos(int seconds);         // repaints
    void EnableSeek(bool enable);

    int Pos() const { return m_nPos; }
    int Min() const { return m_nMin; }
    int Max() const { return m_nMax; }
    bool IsSeekEnabled() const { return m_bSeekEnabled; }
    bool IsDragging() const { return m_bDragging; }
    int DragX() const { return m_nDragX; }
    bool ShowsSeekCursor() const { return m_bSeekCursor; }
    // The time text the tooltip shows for the last mouse position.
    QString TipText() const { return m_tipText; }
    bool IsTipActive() const { return m_bSeekEnabled; }

signals:
    // The mouse let go of the bar at this position, in whole seconds.
    void positionChosen(int seconds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void UpdateTip(QPoint pos, QPoint globalPos);

    bool m_bSeekCursor = false;
    bool m_bSeekEnabled = false;
    int m_nPos = 0;
    int m_nMax = 10;
    int m_nMin = 0;
    bool m_bDragging = false;
    int m_nDragX = 0;
    QString m_tipText;
};

}  // namespace sonvelle
