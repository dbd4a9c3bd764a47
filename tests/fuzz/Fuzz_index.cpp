// Any bytes as "Index.txt": records are read until one is short, which is cut off.
#include "store/IndexFile.h"
#include "store/RecordingEntry.h"
#include "tests/fuzz/FuzzScratch.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvelle;
    const QString path = fuzz::WriteScratch(QStringLiteral("Index.txt"), data, size);
    CIndexFile index;
    if (!index.Open(path))
        return 0;
    qint64 consumed = 0;
    for (;;) {
        CRecordingEntry entry;
        if (!index.ReadRecord(entry))
            break;
        const qint64 length = index.Pos() - entry.m_dwIndexOffset;
        if (length != CIndexFile::kBaseRecord && length != CIndexFile::kOperatorRecord)
            std::abort();
        consumed = index.Pos();
        // A record read back encodes to one of the two lengths again.
        const qsizetype encoded = CIndexFile::EncodeRecord(entry).size();
        if (encoded != CIndexFile::kBaseRecord && encoded != CIndexFile::kOperatorRecord)
            std::abort();
        (void)entry.m_dtDate.Format(QStringLiteral("%d/%m/%Y %H:%M:%S"));
    }
    // Only whole records stay in the file.
    if (index.Size() != consumed)
        std::abort();
    return 0;
}
