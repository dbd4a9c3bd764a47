// Any bytes as "Index.txt": records are read until one is short, which is cut off.
#include "store/IndexFile.h"
#include "store/RecordingEntry.h"
#include "tests/fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvelle;
    using fuzz::Require;
    CIndexFile index;
    if (!index.Open(fuzz::WriteScratch(QStringLiteral("Index.txt"), fuzz::Input(data, size))))
        return 0;
    const auto isRecordLength = [](qint64 n) {
        return n == CIndexFile::kBaseRecord || n == CIndexFile::kOperatorRecord;
    };
    qint64 consumed = 0;
    for (;;) {
        CRecordingEntry entry;
        if (!index.ReadRecord(entry))
            break;
        Require(isRecordLength(index.Pos() - entry.m_dwIndexOffset));
        consumed = index.Pos();
        // A record read back encodes to one of the two lengths again.
        Require(isRecordLength(CIndexFile::EncodeRecord(entry).size()));
        (void)entry.m_dtDate.Format(QStringLiteral("%d/%m/%Y %H:%M:%S"));
    }
    // Only whole records stay in the file.
    Require(index.Size() == consumed);
    return 0;
}
