#pragma once
// The balloon pop-up: a frameless window shaped by the "FUMETTO" bitmap with
// its red surround cut away, a word-wrapped text and a close button.

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QString>
#include <QWidget>

namespace sonvelle {

class CSkinButton;

class CBalloonWnd : public QWidget {
    Q_OBJECT
public:
    // Surround colour cut away (0xRRGGBB) and the text background.
    static constexpr unsigned kSurroundKey = 0xFF0000;
    static constexpr int kCloseButtonId = 2;

    // The balloon is created hidden; Show places and shows it.
    explicit CBalloonWnd(QWidget* parent = nullptr);
    ~CBalloonWnd() override;

    // Top-left at the point (global coordinates), the bitmap's size; shown without activation.
    void Show(const QPoint& topLeft, const QString& text);
    // The same, owned by that window from now on.
    void Show(QWidget* parent, const QPoint& topLeft, const QString& text);
    QString Text() const { return m_text; }
    // The rectangle the text is wrapped in.
    QRect TextRect() const;
    CSkinButton* CloseButton() const { return m_close; }
    // The window's shape; empty when the bitmap gave none (the window keeps its rectangle).
    QRegion Shape() const { return m_region; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QRegion m_region;
    QPixmap m_bitmap;
    CSkinButton* m_close = nullptr;
};

}  // namespace sonvelle
