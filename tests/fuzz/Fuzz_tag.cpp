// Any bytes as a recording's file: the tag reader answers 1, 0 or -1, and
// what it reads serialises back to a tag that reads as the same frames.
#include "store/Id3Tag.h"
#include "tests/fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvelle;
    using fuzz::Require;
    CId3Tag tag;
    if (!tag.Open(fuzz::WriteScratch(QStringLiteral("t.mp3"), fuzz::Input(data, size))))
        return 0;
    const int result = tag.Read();
    Require(result >= -1 && result <= 1);
    if (result != 1)
        return 0;
    Require(tag.Frames().size() <= CId3Tag::kMaxFrames);

    QByteArray frames;
    for (auto it = tag.Frames().rbegin(); it != tag.Frames().rend(); ++it) {
        const CId3Frame& frame = **it;
        Require(!frame.Identifier().isEmpty() && frame.Identifier().size() <= 4);
        (void)frame.GetNumber();
        (void)frame.GetTime().Format(QStringLiteral("%H:%M:%S"));
        frames += CId3Tag::SerializeFrame(frame);
    }
    const QByteArray bytes =
        QByteArray("ID3\x03\x00\x00", 6) + CId3Tag::SynchsafeBytes(std::uint32_t(frames.size() + 10)) + frames;
    CId3Tag reread;
    Require(reread.Open(fuzz::WriteScratch(QStringLiteral("again.mp3"), bytes)) && reread.Read() == 1);
    Require(reread.Frames().size() == tag.Frames().size() && reread.TagSize() == std::uint32_t(bytes.size()));
    for (std::size_t i = 0; i < tag.Frames().size(); ++i) {
        const CId3Frame& a = *tag.Frames()[i];
        const CId3Frame& b = *reread.Frames()[i];
        Require(a.Identifier() == b.Identifier() && a.GetText() == b.GetText());
    }
    return 0;
}
