// skin_contact_sheet OUT.png [CONTROLS.png]: every bitmap, icon and cursor on one
// sheet, enlarged 2x; optionally the controls placed on a panel as a window shows them.

#include "resources/art/Art.h"
#include "skin/CColorStatic.h"
#include "skin/CLevelMeter.h"
#include "skin/CPositionBar.h"
#include "skin/CSkinButton.h"

#include <QApplication>

#include <QPainter>

#include <cstdio>

using namespace sonvelle;

namespace {

QImage ControlsPanel()
{
    QWidget panel;
    panel.resize(560, 250);
    int x = 10;
    struct Transport {
        int id;
        const char* caption;
    };
    for (const Transport& t : {Transport{1011, "REGISTRA"}, Transport{1019, "REG_AUTO"}, Transport{1013, "STOPREC"},
                               Transport{1022, "PLAYREC"}, Transport{1015, "PAUSA"}, Transport{1032, "INDIETROVELOCE"},
                               Transport{1031, "AVANTIVELOCE"}}) {
        auto* b = new CSkinButton(t.id, &panel);
        b->LoadBitmaps(QString::fromLatin1(t.caption));
        b->ApplyTransportStyle();
        b->move(x, 10);
        if (t.id == 1015)
            b->setEnabled(false);
        x += b->width() + 4;
    }
    x = 10;
    for (const char* c : {"CERCA", "ELIMINA", "SEND", "IMPOSTAZIONI", "HELP"}) {
        auto* b = new CSkinButton(1044, &panel);
        b->LoadBitmaps(QString::fromLatin1(c));
        b->ApplyCaptionedStyle(QString::fromLatin1(c).left(1) + QString::fromLatin1(c).mid(1).toLower());
        b->move(x, 70);
        x += b->width() + 6;
    }
    auto* save = new CSkinButton(1099, &panel);
    save->LoadBitmaps(QStringLiteral("SALVA"));
    save->ApplySmallStyle();
    save->move(x + 10, 80);

    auto* display = new CColorStatic(&panel);
    display->setGeometry(10, 135, 200, 30);
    display->SetBackColor(QColor(0, 102, 0));
    display->SetTextColor(QColor(102, 204, 51));
    display->SetFont(QStringLiteral("Tahoma"), 11, true, false);
    display->SetCaption(QStringLiteral("REC   75:04"));
    auto* meter = new CLevelMeter(&panel);
    meter->setGeometry(10, 175, 301, 14);
    meter->SetLevel(26000);
    meter->SetThreshold(9000);
    auto* bar = new CPositionBar(&panel);
    bar->setGeometry(10, 200, 301, 8);
    bar->SetRange(0, 100);
    bar->SetPos(40);
    QImage shot = panel.grab().toImage();
    QPainter p(&shot);
    p.drawImage(290, 140, LoadBitmapImage(QStringLiteral("FUMETTO")));
    return shot;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: skin_contact_sheet OUT.png\n");
        return 2;
    }
    const int scale = 2, cell = 150, cols = 8;
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
    if (!sheet.save(QString::fromLocal8Bit(argv[1])))
        return 1;
    if (argc > 2 && !ControlsPanel().save(QString::fromLocal8Bit(argv[2])))
        return 1;
    return 0;
}
