// Any bytes as a recording's file: the tag reader must answer 1, 0 or -1 and nothing else.
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
    for (const auto& frame : tag.Frames()) {
        if (frame->Identifier().size() > 4)
            std::abort();
        (void)frame->GetText();
        (void)frame->GetNumber();
        (void)frame->GetTime().Format(QStringLiteral("%H:%M:%S"));
        // What was read must serialise back to the same text.
        CId3Frame copy;
        copy.CopyFrom(*frame);
        if (CId3Tag::SerializeFrame(copy).size() < 11)
            std::abort();
    }
    return 0;
}
