#pragma once
// A push button drawn from four bitmaps (normal, pressed/hovered, focused,
// disabled), with a transparent key colour, margin, raised border, label,
// tooltip and optional auto-repeat reported to the owning window.

#include "skin/AutoRepeat.h"
#include "skin/SkinGeometry.h"

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>

#include <memory>

namespace sonvelle {

class CColorStatic;
class CQtTimerService;

class CSkinButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CSkinButton(int controlId, QWidget* parent = nullptr);
    ~CSkinButton() override;

    int ControlId() const { return m_controlId; }

    // Loads caption + "U", "D", "F", "X" from the program's art; false when the normal one is missing.
    bool LoadBitmaps(const QString& caption);
    // Missing (null) images fall back to the normal one.
    void SetBitmaps(const QPixmap& up, const QPixmap& down = {}, const QPixmap& focus = {},
                    const QPixmap& disabled = {});
    // One picture for all four states.
    void SetBitmap(const QPixmap& all);

    void SizeToContent();
    void SetTransparentColour(const QColor& colour);
    void EnableAutoRepeat(int timerId);
    void SetMargin(int pixels);  // negative gives 2
    void SetRaisedBorder(bool on);
    // Text from the string table; an empty text changes nothing.
    void SetTooltipText(int stringId, bool activate = true);
    void SetLabel(const QString& text);

    // The looks the main window uses; each sizes the button last.
    void ApplyTransportStyle();
    void ApplySmallStyle();
    void ApplyCaptionedStyle(const QString& caption);

    // Replaces the real timers (tests); null restores them. The caller keeps ownership.
    void SetTimerService(ITimerService* timers);
    // A timer tick for this button (the real timers call it; simulated ones too).
    void OnTimer(int id);

    int Margin() const { return m_nMargin; }
    bool HasRaisedBorder() const { return m_bRaisedBorder; }
    bool IsAutoRepeat() const { return m_bAutoRepeat; }
    bool IsHovered() const { return m_bHover; }
    bool IsTransparent() const { return m_bTransparent; }
    QColor TransparentColour() const { return m_crTransparent; }
    CColorStatic* Label() const { return m_pLabel; }
    QString TooltipText() const { return m_tipText; }
    bool IsTooltipActive() const { return m_bTipActive; }
    ButtonImage CurrentImage() const;
    QPixmap CurrentPixmap() const;
    QSize sizeHint() const override;

signals:
    // A held repeating button: at the press, after 1500 ms, then every 100 ms.
    void repeated(int controlId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Report();
    void PlaceLabel();
    ITimerService& Timers();

    int m_controlId;
    QPixmap m_images[4];
    bool m_bRaisedBorder = false;
    bool m_bAutoRepeat = false;
    int m_nRepeatTimer = 0;
    bool m_bTipActive = false;
    bool m_bHover = false;
    CColorStatic* m_pLabel = nullptr;
    QPixmap m_keyed;  // the current image with its transparent colour masked out
    qint64 m_keyedSource = 0;
    QColor m_keyedColour;
    int m_nMargin = 2;
    bool m_bTransparent = false;
    QColor m_crTransparent;
    QString m_tipText;
    std::unique_ptr<CQtTimerService> m_ownTimers;
    ITimerService* m_timers = nullptr;
    std::unique_ptr<CAutoRepeat> m_repeat;
};

}  // namespace sonvelle
