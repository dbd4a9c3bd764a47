// Prints how long the shapes and pictures take: the balloon's region (made each
// time the balloon is created), a worst-case full-screen region, and the first
// drawing of every picture the window loads at start.

#include "resources/art/Art.h"
#include "skin/BitmapRegion.h"
#include "skin/CLevelMeter.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace sonvelle;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QElapsedTimer t;
    t.start();
    for (const QString& name : NamedBitmaps())
        LoadBitmapImage(name);
    for (int id : NumberedBitmaps())
        LoadBitmapImage(id);
    std::printf("draw all %lld named and %zu numbered pictures: %.1f ms\n",
                static_cast<long long>(NamedBitmaps().size()), NumberedBitmaps().size(), t.nsecsElapsed() / 1e6);

    const QImage balloon = LoadBitmapImage(QStringLiteral("FUMETTO"));
    const int rounds = 200;
    t.restart();
    long long area = 0;
    for (int i = 0; i < rounds; ++i)
        area += RegionArea(*BitmapToRegion(balloon, 0xFF0000, true));
    std::printf("balloon region 258x68: %.3f ms each (area %lld)\n", t.nsecsElapsed() / 1e6 / rounds, area / rounds);

    QImage board(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < board.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(board.scanLine(y));
        for (int x = 0; x < board.width(); ++x)
            row[x] = (x + y) % 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 0);
    }
    t.restart();
    const auto worst = BitmapToRegion(board, 0xFF0000, true);
    std::printf("checkerboard region 1920x1080 (%d runs, %d batches): %.1f ms, area %lld\n", 1920 * 1080 / 2,
                1920 * 1080 / 2 / kRegionBatch + 1, t.nsecsElapsed() / 1e6, worst ? RegionArea(*worst) : 0);

    CLevelMeter meter;
    meter.resize(301, 14);
    const int levels = 100000;
    t.restart();
    for (int i = 0; i < levels; ++i)
        meter.SetLevel((i * 7919) % 32768);
    std::printf("level meter SetLevel: %.3f us each (%d repaints asked)\n", t.nsecsElapsed() / 1e3 / levels,
                meter.LevelRepaints());
    return 0;
}
