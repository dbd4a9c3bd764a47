// Any bytes as a recording's file: the tag reader answers 1, 0 or -1, and
// what it reads serialises back to a tag that reads as the same frames.
#include "store/Id3Tag.h"
#include "tests/fuzz/FuzzScratch.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvelle;
    const QString path = fuzz::WriteScratch(QStringLiteral("t.mp3"), data, size);
    CId3Tag tag;
    if (!tag.Open(path))
        return 0;
    const int result = tag.Read();
    if (result < -1 || result > 1)
        std::abort();
    if (result != 1)
        return 0;
    if (tag.Frames().size() > CId3Tag::kMaxFrames)
        std::abort();

    QByteArray frames;
    for (auto it = tag.Frames().rbegin(); it != tag.Frames().rend(); ++it) {
        const CId3Frame& frame = **it;
        if (frame.Identifier().isEmpty() || frame.Identifier().size() > 4)
            std::abort();
        (void)frame.GetNumber();
        (void)frame.GetTime().Format(QStringLiteral("%H:%M:%S"));
        frames += CId3Tag::SerializeFrame(frame);
    }
    const QByteArray header = QByteArray("ID3\x03\x00\x00", 6) + CId3Tag::SynchsafeBytes(std::uint32_t(frames.size() + 10));
    const QByteArray bytes = header + frames;
    const QString again = fuzz::WriteScratch(QStringLiteral("again.mp3"), reinterpret_cast<const uint8_t*>(bytes.constData()),
                                             size_t(bytes.size()));
    CId3Tag reread;
    if (!reread.Open(again) || reread.Read() != 1 || reread.Frames().size() != tag.Frames().size())
        std::abort();
    for (std::size_t i = 0; i < tag.Frames().size(); ++i) {
        const CId3Frame& a = *tag.Frames()[i];
        const CId3Frame& b = *reread.Frames()[i];
        if (a.Identifier() != b.Identifier() || a.GetText() != b.GetText())
            std::abort();
    }
    if (reread.TagSize() != std::uint32_t(bytes.size()))
        std::abort();
    return 0;
}
