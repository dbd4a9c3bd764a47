// Writes the program icon as PNG files of the hicolor theme's usual sizes:
// make_icons <folder> <name>  ->  <folder>/<size>x<size>/apps/<name>.png
#include "resources/art/Art.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <folder> <name>\n", argv[0]);
        return 2;
    }
    // Drawing needs a GUI application, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString path = dir + '/' + name + QStringLiteral(".png");
        const QImage icon = sonvelle::LoadIconImage(sonvelle::kIconProgram, size);
        if (!QDir().mkpath(dir) || icon.isNull() || !icon.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
