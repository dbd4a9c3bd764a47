// Time to read a tag with large padding or very many frames. Prints figures; asserts nothing.
#include "store/Id3Tag.h"
#include "tests/store/StoreFixtures.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace sonvelle;
using namespace sonvelle::testing;

namespace {

double MedianReadMs(const QString& path, std::size_t& frames)
{
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        CId3Tag tag;
        QElapsedTimer t;
        t.start();
        tag.Open(path);
        tag.Read();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
        frames = tag.Frames().size();
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

}  // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/t.mp3";
    const QByteArray frames = TextFrame("TIT2", "Padded") + CommentFrame("notes");
    QByteArray tiny;
    for (int i = 0; i < 100000; ++i)
        tiny += RawFrame("TXXX", QByteArray(1, '\0'));
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"1 MiB padding", TagBytes(frames + QByteArray(1 << 20, '\0')) + FakeAudio()},
        {"16 MiB padding", TagBytes(frames + QByteArray(16 << 20, '\0')) + FakeAudio()},
        {"100,000 frames", TagBytes(tiny) + FakeAudio()},
    };
    for (const auto& c : cases) {
        WriteBytes(path, c.bytes);
        std::size_t count = 0;
        const double ms = MedianReadMs(path, count);
        std::printf("%-16s read in %9.2f ms, %zu frames kept\n", c.what, ms, count);
    }
    return 0;
}
