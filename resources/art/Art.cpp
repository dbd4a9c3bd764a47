#include "Art.h"

#include <QGuiApplication>
#include <QHash>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <functional>

namespace sonvelle {

namespace {

// Palette shared by every picture so that the window reads as one piece.
const QColor kKeyWhite(255, 255, 255);
const QColor kBodyTop(74, 85, 104);
const QColor kBodyBottom(38, 45, 58);
const QColor kBodyHoverTop(104, 118, 140);
const QColor kBodyHoverBottom(56, 66, 84);
const QColor kBodyGreyTop(196, 198, 202);
const QColor kBodyGreyBottom(168, 170, 175);
const QColor kFocusRing(66, 165, 245);
const QColor kRecordRed(229, 57, 53);
const QColor kRecordRedBright(255, 96, 80);
const QColor kPlayGreen(94, 218, 94);
const QColor kGlyphLight(236, 239, 241);
const QColor kGlyphGrey(232, 233, 235);
const QColor kSideGlyph(38, 70, 110);
const QColor kSideGlyphGrey(160, 162, 166);
const QColor kBalloonFace(255, 255, 231);
const QColor kBalloonSurround(255, 0, 0);
const QColor kBalloonEdge(176, 160, 90);
const QColor kDisplayGreen(0, 102, 0);

enum class State { Up, Down, Focus, Disabled };

// Pixels per drawing unit: 1 for the images callers measure and cut regions
// from, the screen's ratio for the pixmaps the windows draw, so they stay sharp.
thread_local qreal t_scale = 1.0;

QImage Blank(int w, int h, const QColor& fill = kKeyWhite)
{
    QImage img(qRound(w * t_scale), qRound(h * t_scale), QImage::Format_RGB32);
    img.setDevicePixelRatio(t_scale);
    img.fill(fill);
    return img;
}

// Glyph colours for a state: the accent colour, or grey when disabled.
QColor Accent(State s, const QColor& normal, const QColor& bright)
{
    if (s == State::Disabled)
        return kGlyphGrey;
    return s == State::Down ? bright : normal;
}

// A transport button body: rounded, shaded, on the white key.
void DrawBody(QPainter& p, QRectF r, State s, bool lit = false)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    if (s == State::Disabled) {
        g.setColorAt(0, kBodyGreyTop);
        g.setColorAt(1, kBodyGreyBottom);
    } else if (lit) {
        g.setColorAt(0, s == State::Down ? QColor(255, 120, 100) : QColor(236, 80, 64));
        g.setColorAt(1, s == State::Down ? QColor(190, 40, 30) : QColor(150, 24, 20));
    } else if (s == State::Down) {
        g.setColorAt(0, kBodyHoverTop);
        g.setColorAt(1, kBodyHoverBottom);
    } else {
        g.setColorAt(0, kBodyTop);
        g.setColorAt(1, kBodyBottom);
    }
    const qreal radius = qMin(r.width(), r.height()) * 0.22;
    p.setPen(QPen(QColor(20, 24, 30), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    // Top sheen.
    QRectF sheen(r.left() + 3, r.top() + 2, r.width() - 6, r.height() * 0.42);
    QLinearGradient sg(sheen.topLeft(), sheen.bottomLeft());
    sg.setColorAt(0, QColor(255, 255, 255, s == State::Disabled ? 70 : 55));
    sg.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sg);
    p.drawRoundedRect(sheen, radius * 0.7, radius * 0.7);
    if (s == State::Focus) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kFocusRing, 2));
        p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), radius * 0.8, radius * 0.8);
    }
}

QImage TransportButton(int w, int h, State s, const std::function<void(QPainter&, QRectF, State)>& glyph,
                       bool lit = false)
{
    QImage img = Blank(w, h);
    QPainter p(&img);
    const QRectF body(1.5, 1.5, w - 3, h - 3);
    DrawBody(p, body, s, lit);
    // Pressed pictures sit one pixel lower, as a pressed key does.
    const QRectF area = body.adjusted(0, s == State::Down ? 1 : 0, 0, s == State::Down ? 1 : 0);
    p.setRenderHint(QPainter::Antialiasing);
    glyph(p, area, s);
    return img;
}

QRectF GlyphBox(QRectF area, qreal fraction)
{
    const qreal side = qMin(area.width(), area.height()) * fraction;
    return QRectF(area.center().x() - side / 2, area.center().y() - side / 2, side, side);
}

void GlyphRecord(QPainter& p, QRectF area, State s)
{
    const QRectF b = GlyphBox(area, 0.5);
    QRadialGradient g(b.center() - QPointF(b.width() * 0.15, b.height() * 0.15), b.width() * 0.6);
    const QColor c = Accent(s, kRecordRed, kRecordRedBright);
    g.setColorAt(0, c.lighter(135));
    g.setColorAt(1, c);
    p.setPen(QPen(s == State::Disabled ? QColor(150, 152, 156) : QColor(120, 20, 16), 1));
    p.setBrush(g);
    p.drawEllipse(b);
}

void GlyphPlay(QPainter& p, QRectF area, State s)
{
    const QRectF b = GlyphBox(area, 0.48);
    QPainterPath path;
    path.moveTo(b.left() + b.width() * 0.12, b.top());
    path.lineTo(b.right(), b.center().y());
    path.lineTo(b.left() + b.width() * 0.12, b.bottom());
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(Accent(s, kPlayGreen, kPlayGreen.lighter(120)));
    p.drawPath(path);
}

void GlyphStop(QPainter& p, QRectF area, State s)
{
    const QRectF b = GlyphBox(area, 0.40);
    p.setPen(Qt::NoPen);
    p.setBrush(Accent(s, kGlyphLight, Qt::white));
    p.drawRoundedRect(b, 2, 2);
}

void GlyphStopPlaying(QPainter& p, QRectF area, State s)
{
    // Stop square with a small green play mark beside it: "stop playing".
    const QRectF b = GlyphBox(area, 0.40).translated(-area.width() * 0.08, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(Accent(s, kGlyphLight, Qt::white));
    p.drawRoundedRect(b, 2, 2);
    const qreal t = b.height() * 0.5;
    const QPointF a(b.right() + 3, b.center().y() - t / 2);
    QPainterPath path;
    path.moveTo(a);
    path.lineTo(a.x() + t * 0.8, b.center().y());
    path.lineTo(a.x(), a.y() + t);
    path.closeSubpath();
    p.setBrush(Accent(s, kPlayGreen, kPlayGreen.lighter(120)));
    p.drawPath(path);
}

void GlyphPause(QPainter& p, QRectF area, State s)
{
    const QRectF b = GlyphBox(area, 0.42);
    const qreal bar = b.width() * 0.34;
    p.setPen(Qt::NoPen);
    p.setBrush(Accent(s, kGlyphLight, Qt::white));
    p.drawRoundedRect(QRectF(b.left(), b.top(), bar, b.height()), 1.5, 1.5);
    p.drawRoundedRect(QRectF(b.right() - bar, b.top(), bar, b.height()), 1.5, 1.5);
}

void GlyphWind(QPainter& p, QRectF area, State s, bool forward)
{
    const QRectF b = GlyphBox(area, 0.50);
    const qreal half = b.width() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(Accent(s, kGlyphLight, Qt::white));
    for (int i = 0; i < 2; ++i) {
        const qreal x0 = b.left() + i * half;
        QPainterPath path;
        if (forward) {
            path.moveTo(x0, b.top());
            path.lineTo(x0 + half, b.center().y());
            path.lineTo(x0, b.bottom());
        } else {
            path.moveTo(x0 + half, b.top());
            path.lineTo(x0, b.center().y());
            path.lineTo(x0 + half, b.bottom());
        }
        path.closeSubpath();
        p.drawPath(path);
    }
}

// Auto-recording: a record dot sending out "listening" arcs.
void GlyphAuto(QPainter& p, QRectF area, State s, bool on)
{
    const QRectF b = GlyphBox(area, 0.62);
    const qreal d = b.height() * 0.42;
    const QRectF dot(b.left() + 1, b.center().y() - d / 2, d, d);
    const QColor dotColour = s == State::Disabled ? kGlyphGrey : (on ? QColor(255, 236, 120) : kRecordRed);
    p.setPen(QPen(s == State::Disabled ? QColor(150, 152, 156) : QColor(80, 16, 12), 1));
    p.setBrush(dotColour);
    p.drawEllipse(dot);
    p.setBrush(Qt::NoBrush);
    const QColor arc = Accent(s, on ? QColor(255, 236, 120) : kGlyphLight, Qt::white);
    for (int i = 1; i <= 3; ++i) {
        const qreal r = d / 2 + i * b.width() * 0.13;
        p.setPen(QPen(arc, 1.8, Qt::SolidLine, Qt::RoundCap));
        const QRectF ring(dot.center().x() - r, dot.center().y() - r, 2 * r, 2 * r);
        p.drawArc(ring, -45 * 16, 90 * 16);
    }
    // "A" for automatic, small, under the arcs.
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(7, int(area.height() * 0.22)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(arc);
    p.drawText(QRectF(area.left(), area.bottom() - area.height() * 0.34, area.width() - 5, area.height() * 0.3),
               Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("A"));
}

// Side buttons: a glyph in the top part, the caption label covers the bottom 16 pixels.
QImage SideButton(int w, int h, State s, const std::function<void(QPainter&, QRectF, const QColor&)>& glyph)
{
    QImage img = Blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF top(0, 0, w, h - 16);
    if (s == State::Down) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(214, 232, 250));
        p.drawRoundedRect(QRectF(3, 2, w - 6, h - 19), 5, 5);
    } else if (s == State::Focus) {
        p.setPen(QPen(kFocusRing, 1.5, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(3, 2, w - 6, h - 19), 5, 5);
    }
    const QColor c = s == State::Disabled ? kSideGlyphGrey : kSideGlyph;
    const QRectF b = GlyphBox(top.adjusted(0, 3, 0, -1), 0.9);
    glyph(p, b, c);
    return img;
}

void SideFind(QPainter& p, QRectF b, const QColor& c)
{
    const qreal d = b.width() * 0.58;
    const QRectF lens(b.left() + 1, b.top() + 1, d, d);
    p.setPen(QPen(c, 3));
    p.setBrush(QColor(200, 228, 250));
    p.drawEllipse(lens);
    p.setPen(QPen(c, 4.5, Qt::SolidLine, Qt::RoundCap));
    const QPointF from = lens.center() + QPointF(d * 0.36, d * 0.36);
    p.drawLine(from, QPointF(b.right() - 2, b.bottom() - 2));
}

void SideDelete(QPainter& p, QRectF b, const QColor& c)
{
    // A waste bin.
    const qreal w = b.width() * 0.62;
    const QRectF can(b.center().x() - w / 2, b.top() + b.height() * 0.26, w, b.height() * 0.70);
    p.setPen(QPen(c, 2));
    p.setBrush(c == kSideGlyph ? QColor(250, 214, 210) : QColor(236, 236, 238));
    QPainterPath path;
    path.moveTo(can.topLeft());
    path.lineTo(can.topRight());
    path.lineTo(can.right() - 2, can.bottom());
    path.lineTo(can.left() + 2, can.bottom());
    path.closeSubpath();
    p.drawPath(path);
    p.setPen(QPen(c, 1.6));
    for (int i = 1; i <= 2; ++i) {
        const qreal x = can.left() + can.width() * i / 3.0;
        p.drawLine(QPointF(x, can.top() + 4), QPointF(x, can.bottom() - 4));
    }
    p.setPen(QPen(c, 2.5, Qt::SolidLine, Qt::RoundCap));
    const qreal lidY = can.top() - 3;
    p.drawLine(QPointF(can.left() - 3, lidY), QPointF(can.right() + 3, lidY));
    p.setPen(QPen(c, 2));
    p.drawLine(QPointF(b.center().x() - 3, lidY - 3), QPointF(b.center().x() + 3, lidY - 3));
}

void SideSend(QPainter& p, QRectF b, const QColor& c)
{
    // An envelope.
    const QRectF env(b.left(), b.top() + b.height() * 0.2, b.width(), b.height() * 0.62);
    p.setPen(QPen(c, 2));
    p.setBrush(c == kSideGlyph ? QColor(255, 246, 214) : QColor(236, 236, 238));
    p.drawRect(env);
    p.setBrush(Qt::NoBrush);
    QPainterPath flap;
    flap.moveTo(env.topLeft());
    flap.lineTo(env.center().x(), env.top() + env.height() * 0.58);
    flap.lineTo(env.topRight());
    p.drawPath(flap);
}

void SideOptions(QPainter& p, QRectF b, const QColor& c)
{
    // A cog wheel.
    const QPointF centre = b.center();
    const qreal outer = b.width() * 0.47, inner = b.width() * 0.34;
    QPainterPath cog;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal a0 = (i - 0.5) * M_PI / teeth, a1 = (i + 0.5) * M_PI / teeth;
        const qreal r = (i % 2 == 0) ? outer : inner;
        const QPointF p0 = centre + QPointF(r * qCos(a0), r * qSin(a0));
        const QPointF p1 = centre + QPointF(r * qCos(a1), r * qSin(a1));
        if (i == 0)
            cog.moveTo(p0);
        else
            cog.lineTo(p0);
        cog.lineTo(p1);
    }
    cog.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(centre, b.width() * 0.14, b.width() * 0.14);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(cog.subtracted(hole));
}

void SideHelp(QPainter& p, QRectF b, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(b.adjusted(1, 1, -1, -1));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(int(b.height() * 0.72));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(b, Qt::AlignCenter, QStringLiteral("?"));
}

// Save: a small floppy disk, 15 x 16.
QImage SaveButton(State s)
{
    QImage img = Blank(15, 16);
    QPainter p(&img);
    const QColor body = s == State::Disabled ? kSideGlyphGrey : (s == State::Down ? QColor(40, 110, 200) : kSideGlyph);
    const int dy = s == State::Down ? 1 : 0;
    p.fillRect(QRect(1, 1 + dy, 13, 13), body);
    p.fillRect(QRect(4, 1 + dy, 7, 4), QColor(236, 239, 241));
    p.fillRect(QRect(8, 2 + dy, 2, 2), body);
    p.fillRect(QRect(3, 8 + dy, 9, 6), Qt::white);
    p.fillRect(QRect(4, 10 + dy, 7, 1), QColor(170, 174, 180));
    p.fillRect(QRect(4, 12 + dy, 7, 1), QColor(170, 174, 180));
    if (s == State::Focus) {
        // Corners stay the key colour.
        p.setPen(QPen(kFocusRing, 1));
        p.drawLine(1, 0, 13, 0);
        p.drawLine(1, 15, 13, 15);
        p.drawLine(0, 1, 0, 14);
        p.drawLine(14, 1, 14, 14);
    }
    return img;
}

// The balloon: a pale yellow speech bubble on pure red, its tail at the bottom
// right where the notification icon sits. Drawn without smoothing so that the
// surround stays exactly the key colour.
QImage Balloon()
{
    const int w = 258, h = 68;
    QImage img = Blank(w, h, kBalloonSurround);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1, 1, w - 3, 53), 10, 10);
    QPainterPath tail;
    tail.moveTo(222, 50);
    tail.lineTo(243, 66);
    tail.lineTo(238, 50);
    tail.closeSubpath();
    const QPainterPath shape = bubble.united(tail).simplified();
    p.setPen(QPen(kBalloonEdge, 1));
    p.setBrush(kBalloonFace);
    p.drawPath(shape);
    // Program mark at the left, outside the text area.
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF mic(12, 14, 18, 26);
    p.setPen(Qt::NoPen);
    p.setBrush(kDisplayGreen);
    p.drawRoundedRect(QRectF(mic.left() + 4, mic.top(), 10, 17), 5, 5);
    p.setPen(QPen(kDisplayGreen, 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(mic.left() + 1, mic.top() + 6, 16, 16), 200 * 16, 140 * 16);
    p.drawLine(QPointF(mic.center().x(), mic.top() + 22), QPointF(mic.center().x(), mic.top() + 26));
    p.setPen(Qt::NoPen);
    p.setBrush(kRecordRed);
    p.drawEllipse(QRectF(mic.right() - 2, mic.top() - 2, 7, 7));
    return img;
}

// Balloon close button, 17 x 17 on the balloon's colour.
QImage CloseButton(bool pressed)
{
    QImage img = Blank(17, 17, kBalloonFace);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(pressed ? QColor(150, 24, 20) : kBalloonEdge, 1));
    p.setBrush(pressed ? kRecordRed : QColor(250, 246, 214));
    p.drawRoundedRect(QRectF(1.5, 1.5, 14, 14), 3, 3);
    p.setPen(QPen(pressed ? Qt::white : QColor(90, 80, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 5.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 5.5), QPointF(5.5, 11.5));
    return img;
}

// List images, 18 x 18 on the white mask colour.
QImage ListDocument(const std::function<void(QPainter&)>& badge)
{
    QImage img = Blank(18, 18);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A sound file: a page with a waveform.
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(11.5, 1.5);
    page.lineTo(14.5, 4.5);
    page.lineTo(14.5, 16.5);
    page.lineTo(3.5, 16.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(70, 90, 120), 1));
    p.setBrush(QColor(226, 238, 250));
    p.drawPath(page);
    p.setPen(QPen(QColor(30, 110, 200), 1.2));
    const qreal ys[] = {0, -3, 2, -4, 3, -1, 1};
    QPainterPath wave;
    for (int i = 0; i < 7; ++i) {
        const QPointF pt(5 + i * 1.3, 10 + ys[i]);
        if (i == 0)
            wave.moveTo(pt);
        else
            wave.lineTo(pt);
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    badge(p);
    return img;
}

QImage ListPlaying()
{
    return ListDocument([](QPainter& p) {
        QPainterPath tri;
        tri.moveTo(9, 9);
        tri.lineTo(17, 13);
        tri.lineTo(9, 17);
        tri.closeSubpath();
        p.setPen(QPen(QColor(20, 90, 20), 1));
        p.setBrush(kPlayGreen);
        p.drawPath(tri);
    });
}

QImage ListRecording()
{
    return ListDocument([](QPainter& p) {
        p.setPen(QPen(QColor(120, 20, 16), 1));
        p.setBrush(kRecordRed);
        p.drawEllipse(QRectF(10, 10, 7, 7));
    });
}

QImage ListPlain()
{
    return ListDocument([](QPainter&) {});
}

QImage ListProtected()
{
    return ListDocument([](QPainter& p) {
        // A padlock at the bottom right.
        p.setPen(QPen(QColor(120, 90, 10), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(10.5, 6.5, 5, 6), 0, 180 * 16);
        p.setPen(QPen(QColor(120, 90, 10), 1));
        p.setBrush(QColor(240, 190, 40));
        p.drawRoundedRect(QRectF(9.5, 10.5, 7, 6), 1, 1);
    });
}

// Menu mark pictures, 13 x 13 on white.
QImage MenuMark(const std::function<void(QPainter&)>& draw)
{
    QImage img = Blank(13, 13);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return img;
}

QImage MenuDot(const QColor& c)
{
    return MenuMark([c](QPainter& p) {
        p.setPen(QPen(c.darker(150), 1));
        p.setBrush(c);
        p.drawEllipse(QRectF(2.5, 2.5, 8, 8));
    });
}

QImage MenuSquare(const QColor& c)
{
    return MenuMark([c](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRect(QRectF(3, 3, 7, 7));
    });
}

QImage MenuAuto(const QColor& dot, const QColor& arc)
{
    return MenuMark([dot, arc](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawEllipse(QRectF(1, 4, 5, 5));
        p.setPen(QPen(arc, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(0, 2, 9, 9), -50 * 16, 100 * 16);
        p.drawArc(QRectF(-2, 0, 13, 13), -50 * 16, 100 * 16);
    });
}

QImage MenuOptions()
{
    QImage img = MenuMark([](QPainter&) {});
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    SideOptions(p, QRectF(0.5, 0.5, 12, 12), kSideGlyph);
    return img;
}

// Icons: a microphone on the display green, with a state mark.
enum class IconMark { None, RecordDot, Listening, AutoRecording };

QImage ProgramStyleIcon(int size, IconMark mark)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    QLinearGradient g(0, 0, 0, 32);
    g.setColorAt(0, QColor(24, 140, 24));
    g.setColorAt(1, kDisplayGreen);
    p.setPen(QPen(QColor(0, 60, 0), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    // Microphone.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 244, 240));
    p.drawRoundedRect(QRectF(11, 5, 9, 15), 4.5, 4.5);
    p.setPen(QPen(QColor(240, 244, 240), 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(8, 9, 15, 15), 200 * 16, 140 * 16);
    p.drawLine(QPointF(15.5, 24), QPointF(15.5, 27));
    p.drawLine(QPointF(11.5, 27), QPointF(19.5, 27));
    switch (mark) {
    case IconMark::None:
        break;
    case IconMark::RecordDot:
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(kRecordRed);
        p.drawEllipse(QRectF(19, 1, 12, 12));
        break;
    case IconMark::Listening:
        p.setPen(QPen(QColor(255, 214, 64), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(16, 2, 12, 12), -40 * 16, 80 * 16);
        p.drawArc(QRectF(12, -2, 20, 20), -40 * 16, 80 * 16);
        break;
    case IconMark::AutoRecording:
        p.setPen(QPen(QColor(255, 214, 64), 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(12, -2, 20, 20), -40 * 16, 80 * 16);
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(kRecordRed);
        p.drawEllipse(QRectF(18, 2, 10, 10));
        break;
    }
    return img;
}

// The marker the notification-area scan looks for: a near-black block.
QImage MarkerIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    const int inset = qMax(1, size / 8);
    p.fillRect(QRect(inset, inset, size - 2 * inset, size - 2 * inset), Qt::black);
    return img;
}

// The drag cursor: a left-right arrow across a vertical bar, black with a
// white outline so it shows on any background.
QImage DragCursorImage()
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(3, 16);
    arrow.lineTo(9, 10);
    arrow.lineTo(9, 14);
    arrow.lineTo(23, 14);
    arrow.lineTo(23, 10);
    arrow.lineTo(29, 16);
    arrow.lineTo(23, 22);
    arrow.lineTo(23, 18);
    arrow.lineTo(9, 18);
    arrow.lineTo(9, 22);
    arrow.closeSubpath();
    QPainterPath bar;
    bar.addRect(QRectF(15, 5, 2, 22));
    const QPainterPath shape = arrow.united(bar);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(shape);
    return img;
}

struct ButtonArt {
    const char* caption;
    int width;
    int height;
    std::function<QImage(State)> draw;
};

QImage Transport(int w, int h, State s, void (*glyph)(QPainter&, QRectF, State))
{
    return TransportButton(w, h, s, glyph);
}

const std::vector<ButtonArt>& Buttons()
{
    static const std::vector<ButtonArt> groups = {
        {"REGISTRA", 50, 45, [](State s) { return Transport(50, 45, s, GlyphRecord); }},
        {"PLAYREC", 50, 45, [](State s) { return Transport(50, 45, s, GlyphPlay); }},
        {"STOPREC", 50, 45, [](State s) { return Transport(50, 45, s, GlyphStop); }},
        {"STOPPLAY", 50, 45, [](State s) { return Transport(50, 45, s, GlyphStopPlaying); }},
        {"PAUSA", 50, 45, [](State s) { return Transport(50, 45, s, GlyphPause); }},
        {"REG_AUTO", 50, 45,
         [](State s) {
             return TransportButton(50, 45, s, [](QPainter& p, QRectF a, State st) { GlyphAuto(p, a, st, false); });
         }},
        {"AVANTIVELOCE", 45, 37,
         [](State s) {
             return TransportButton(45, 37, s, [](QPainter& p, QRectF a, State st) { GlyphWind(p, a, st, true); });
         }},
        {"INDIETROVELOCE", 45, 37,
         [](State s) {
             return TransportButton(45, 37, s, [](QPainter& p, QRectF a, State st) { GlyphWind(p, a, st, false); });
         }},
        {"CERCA", 56, 50, [](State s) { return SideButton(56, 50, s, SideFind); }},
        {"ELIMINA", 56, 50, [](State s) { return SideButton(56, 50, s, SideDelete); }},
        {"SEND", 56, 50, [](State s) { return SideButton(56, 50, s, SideSend); }},
        {"IMPOSTAZIONI", 56, 50, [](State s) { return SideButton(56, 50, s, SideOptions); }},
        {"HELP", 56, 50, [](State s) { return SideButton(56, 50, s, SideHelp); }},
        {"SALVA", 15, 16, [](State s) { return SaveButton(s); }},
    };
    return groups;
}

const char kSuffixes[4] = {'U', 'D', 'F', 'X'};

QImage Generate(const QString& key)
{
    if (key == QLatin1String(kBalloonBitmap))
        return Balloon();
    for (const ButtonArt& group : Buttons()) {
        const QString caption = QString::fromLatin1(group.caption);
        if (key.size() != caption.size() + 1 || !key.startsWith(caption))
            continue;
        for (int i = 0; i < 4; ++i)
            if (key.back() == QLatin1Char(kSuffixes[i]))
                return group.draw(static_cast<State>(i));
    }
    return {};
}

QImage GenerateNumbered(int id)
{
    switch (id) {
    case kBitmapAutoRecordingOn:
        return TransportButton(50, 45, State::Up, [](QPainter& p, QRectF a, State s) { GlyphAuto(p, a, s, true); },
                               true);
    case kBitmapCloseDown:
        return CloseButton(true);
    case kBitmapCloseUp:
        return CloseButton(false);
    case kBitmapListImage0:
        return ListPlaying();
    case kBitmapListImage1:
        return ListRecording();
    case kBitmapListRecording:
        return ListPlain();
    case kBitmapListProtected:
        return ListProtected();
    case kBitmapMenuNewOk:
        return MenuDot(kRecordRed);
    case kBitmapMenuNewGrey:
        return MenuDot(kSideGlyphGrey);
    case kBitmapMenuAutoOn:
        return MenuAuto(kRecordRed, kSideGlyph);
    case kBitmapMenuAutoGrey:
        return MenuAuto(kSideGlyphGrey, kSideGlyphGrey);
    case kBitmapMenuStopOk:
        return MenuSquare(QColor(30, 34, 40));
    case kBitmapMenuStopGrey:
        return MenuSquare(kSideGlyphGrey);
    case kBitmapMenuOptions:
        return MenuOptions();
    default:
        return {};
    }
}

// Pictures are drawn once; later calls share the cached copy.
QMutex& CacheLock()
{
    static QMutex lock;
    return lock;
}

QHash<QString, QImage>& Cache()
{
    static QHash<QString, QImage> cache;
    return cache;
}

QImage Cached(const QString& key, const std::function<QImage()>& make)
{
    QMutexLocker lock(&CacheLock());
    auto it = Cache().find(key);
    if (it == Cache().end())
        it = Cache().insert(key, make());
    return it.value();
}

}  // namespace

QImage LoadBitmapImage(const QString& name)
{
    const QString key = name.toUpper();
    return Cached(key, [&] { return Generate(key); });
}

QImage LoadBitmapImage(int id)
{
    return Cached(QStringLiteral("#%1").arg(id), [&] { return GenerateNumbered(id); });
}

namespace {

qreal ScreenScale()
{
    const auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    return app ? std::max<qreal>(1.0, app->devicePixelRatio()) : 1.0;
}

// The same picture drawn at the screen's ratio; its logical size stays the image's.
QPixmap AtScreenScale(const QString& key, const std::function<QImage()>& make)
{
    const qreal scale = ScreenScale();
    const QImage img = Cached(QStringLiteral("%1@%2").arg(key).arg(scale), [&] {
        const qreal saved = t_scale;
        t_scale = scale;
        QImage drawn = make();
        t_scale = saved;
        return drawn;
    });
    return img.isNull() ? QPixmap() : QPixmap::fromImage(img);
}

}  // namespace

QPixmap LoadBitmapResource(const QString& name)
{
    const QString key = name.toUpper();
    return AtScreenScale(key, [&] { return Generate(key); });
}

QPixmap LoadBitmapResource(int id)
{
    return AtScreenScale(QStringLiteral("#%1").arg(id), [&] { return GenerateNumbered(id); });
}

QImage LoadIconImage(int id, int size)
{
    if (size <= 0)
        return {};
    return Cached(QStringLiteral("icon%1@%2").arg(id).arg(size), [&]() -> QImage {
        switch (id) {
        case kIconProgram:
        case kIconTrayIdle:
            return ProgramStyleIcon(size, IconMark::None);
        case kIconTrayRecording:
            return ProgramStyleIcon(size, IconMark::RecordDot);
        case kIconTrayListening:
            return ProgramStyleIcon(size, IconMark::Listening);
        case kIconTrayAutoRecording:
            return ProgramStyleIcon(size, IconMark::AutoRecording);
        case kIconTrayMarker:
            return MarkerIcon(size);
        default:
            return {};
        }
    });
}

QIcon LoadIconResource(int id)
{
    if (LoadIconImage(id, 16).isNull())
        return {};
    QIcon icon;
    for (int size : {16, 22, 24, 32, 44, 48, 64, 96, 128})
        icon.addPixmap(QPixmap::fromImage(LoadIconImage(id, size)));
    return icon;
}

QCursor LoadCursorResource(int id)
{
    if (id != kCursorDrag)
        return QCursor(Qt::ArrowCursor);
    return QCursor(QPixmap::fromImage(Cached(QStringLiteral("cursor278"), DragCursorImage)), 16, 16);
}

QStringList ButtonBitmapCaptions()
{
    QStringList out;
    for (const ButtonArt& group : Buttons())
        out << QString::fromLatin1(group.caption);
    return out;
}

QStringList NamedBitmaps()
{
    QStringList out;
    for (const QString& caption : ButtonBitmapCaptions())
        for (char suffix : kSuffixes)
            out << caption + QLatin1Char(suffix);
    out << QString::fromLatin1(kBalloonBitmap);
    return out;
}

std::vector<int> NumberedBitmaps()
{
    return {kBitmapAutoRecordingOn, kBitmapCloseDown, kBitmapCloseUp, kBitmapListImage0, kBitmapListImage1,
            kBitmapListRecording, kBitmapListProtected, kBitmapMenuNewGrey, kBitmapMenuAutoOn, kBitmapMenuStopGrey,
            kBitmapMenuOptions, kBitmapMenuNewOk, kBitmapMenuAutoGrey, kBitmapMenuStopOk};
}

std::vector<int> IconIds()
{
    return {kIconProgram, kIconTrayListening, kIconTrayRecording, kIconTrayMarker, kIconTrayIdle,
            kIconTrayAutoRecording};
}

}  // namespace sonvelle
