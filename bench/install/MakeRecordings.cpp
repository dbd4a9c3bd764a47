// Fills a work folder with tagged recordings for the start-up bench:
// make_recordings <folder> <count>
#include "support/TagBytes.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <folder> <count>\n", argv[0]);
        return 2;
    }
    using namespace sonvelle::test;
    const QString folder = QString::fromLocal8Bit(argv[1]) + '/';
    const int count = std::atoi(argv[2]);
    if (!QDir().mkpath(folder))
        return 1;
    const QByteArray audio = FakeAudio(2000);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Call %1").arg(i);
        const QByteArray notes = i % 3 ? QByteArray("notes of the call ") + QByteArray::number(i) : QByteArray();
        const QByteArray frames = FullFrames(name.toUtf8(), notes, i % 5 ? QByteArray() : QByteArray("Desk 2"), i % 7 == 0);
        if (!WriteBytes(folder + name + ".mp3", TagBytes(frames) + audio))
            return 1;
    }
    return 0;
}
