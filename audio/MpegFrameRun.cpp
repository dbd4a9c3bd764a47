#include "audio/MpegFrameRun.h"

namespace sonvelle {

namespace {

struct FrameHeader {
    int length = 0;
    int samples = 0;
    int rate = 0;
    unsigned char kind = 0;  // version and layer bits: every frame of a run shares them
};

// Layer III, the layer the encoder writes, in any of the three MPEG versions.
FrameHeader ReadHeader(const unsigned char* p)
{
    FrameHeader h;
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return h;
    const int version = (p[1] >> 3) & 3;  // 0 = 2.5, 2 = 2, 3 = 1
    const int layer = (p[1] >> 1) & 3;    // 1 = III
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return h;
    static const int kBitrates[2][15] = {{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
                                         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};
    static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    const bool mpeg1 = version == 3;
    h.rate = kRates[version][rateIndex];
    h.samples = mpeg1 ? 1152 : 576;
    h.length = (mpeg1 ? 144 : 72) * kBitrates[mpeg1 ? 0 : 1][bitrateIndex] * 1000 / h.rate + ((p[2] >> 1) & 1);
    h.kind = p[1] & 0x1E;
    return h;
}

bool SameStream(const FrameHeader& a, const FrameHeader& b)
{
    return b.length > 0 && a.kind == b.kind && a.rate == b.rate;
}

}  // namespace

MpegFrameRun FindMpegFrameRun(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qint64 size = data.size();
    MpegFrameRun run;
    // The first header that the next frame confirms (or that ends the data exactly).
    qint64 at = 0;
    FrameHeader first;
    for (; at + 4 <= size; ++at) {
        first = ReadHeader(bytes + at);
        if (first.length <= 0 || at + first.length > size)
            continue;
        if (at + first.length == size)
            break;
        if (at + first.length + 4 <= size && SameStream(first, ReadHeader(bytes + at + first.length)))
            break;
    }
    if (at + 4 > size)
        return run;
    run.begin = at;
    while (at + 4 <= size) {
        const FrameHeader h = ReadHeader(bytes + at);
        if (!SameStream(first, h) || at + h.length > size)
            break;
        at += h.length;
        ++run.frames;
    }
    run.end = at;
    run.seconds = static_cast<double>(run.frames) * first.samples / first.rate;
    return run;
}

}  // namespace sonvelle
