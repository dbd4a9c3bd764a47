// skin_contact_sheet OUT.png: every bitmap, icon and cursor on one sheet, enlarged 2x.

#include "resources/art/Art.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

using namespace sonvelle;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: skin_contact_sheet OUT.png\n");
        return 2;
    }
    const int scale = 2, cell = 130, cols = 8;
    struct Item {
        QString label;
        QImage image;
    };
    std::vector<Item> items;
    for (const QString& name : NamedBitmaps())
        items.push_back({name, LoadBitmapImage(name)});
    for (int id : NumberedBitmaps())
        items.push_back({QString::number(id), LoadBitmapImage(id)});
    for (int id : IconIds())
        items.push_back({QStringLiteral("icon %1").arg(id), LoadIconImage(id, 32)});
    items.push_back({QStringLiteral("cursor 278"), LoadCursorResource(kCursorDrag).pixmap().toImage()});

    int rows = 0, col = 0, extraRows = 0;
    for (const Item& it : items) {
        const int span = it.image.width() * scale > cell ? (it.image.width() * scale + cell - 1) / cell : 1;
        if (col + span > cols) {
            ++rows;
            col = 0;
        }
        col += span;
        (void)extraRows;
    }
    QImage sheet(cols * cell, (rows + 1) * cell, QImage::Format_RGB32);
    sheet.fill(QColor(240, 240, 240));
    QPainter p(&sheet);
    int r = 0;
    col = 0;
    for (const Item& it : items) {
        const int span = it.image.width() * scale > cell ? (it.image.width() * scale + cell - 1) / cell : 1;
        if (col + span > cols) {
            ++r;
            col = 0;
        }
        const QRect box(col * cell, r * cell, span * cell, cell);
        const QImage big = it.image.scaled(it.image.size() * scale);
        p.drawImage(box.left() + (box.width() - big.width()) / 2, box.top() + 8, big);
        p.setPen(Qt::black);
        p.drawText(box.adjusted(0, 0, 0, -4), Qt::AlignHCenter | Qt::AlignBottom,
                   QStringLiteral("%1 %2x%3").arg(it.label).arg(it.image.width()).arg(it.image.height()));
        col += span;
    }
    p.end();
    return sheet.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
