#pragma once
// A text field with its own font, colours, alignment and optional round box.

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace sonvelle {

class CColorStatic : public QWidget {
    Q_OBJECT
public:
    explicit CColorStatic(QWidget* parent = nullptr);

    // An empty face or a size <= 0 keeps the old value.
    void SetFont(const QString& face, int pointSize, bool bold, bool italic);
    void SetTextColor(const QColor& colour);
    void SetTextColorAndRedraw(const QColor& colour);
    void SetBackColor(const QColor& colour);
    // Sets the text and repaints at once.
    void SetCaption(const QString& text);
    QString Caption() const { return m_text; }

    void AlignLeft();
    void AlignCentre();
    void AlignRight();
    // The alignment the control was created with; used while no Align call was made.
    void SetStyleAlignment(Qt::Alignment alignment);
    // Non-zero: extra Qt::TextFlag bits, drawn as a single line.
    void SetFormat(int flags);
    void SetRoundBox(bool on);
    void SetTransparentBack(bool on);

    QColor TextColor() const { return m_crText; }
    QColor BackColor() const { return m_crBack; }
    int PointSize() const { return m_nPointSize; }
    QString Face() const { return m_strFace; }
    bool IsBold() const { return m_bBold; }
    bool IsItalic() const { return m_bItalic; }
    // The font the text is drawn with (rebuilt when dirty).
    QFont DrawingFont();
    // 0 left, 1 centre, 2 right: the alignment in effect.
    int EffectiveAlignment() const;
    // Qt flags the text is drawn with.
    int TextFlags() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_bRoundBox = false;
    bool m_bTransparentBack = false;
    int m_nFormat = 0;
    int m_nAlign = -1;
    bool m_bFontDirty = true;
    QFont m_font;
    bool m_bItalic = false;
    bool m_bBold = false;
    int m_nPointSize = 12;
    QString m_strFace = QStringLiteral("Tahoma");
    QColor m_crText;
    QColor m_crBack;
    Qt::Alignment m_styleAlign = Qt::AlignLeft;
    QString m_text;
};

}  // namespace sonvelle
