// Any bytes as a protected recording, with any key word: the check block
// reader accepts only what the writer would have written, a refused key word
// leaves the file as it was and writes nothing, and an accepted one deciphers
// exactly the bytes after the check block.
#include "store/RecordingEntry.h"
#include "store/RecordingProtection.h"
#include "tests/fuzz/FuzzScratch.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvelle;
    if (size < 2)
        return 0;
    const size_t keyLength = data[0] % 24;
    if (size < 2 + keyLength)
        return 0;
    const QByteArray key(reinterpret_cast<const char*>(data) + 1, qsizetype(keyLength));
    const std::uint32_t tagSize = data[1 + keyLength];
    const uint8_t* fileBytes = data + 2 + keyLength;
    const size_t fileSize = size - 2 - keyLength;
    const QByteArray file(reinterpret_cast<const char*>(fileBytes), qsizetype(fileSize));

    if (tagSize <= fileSize) {
        const QByteArray afterTag = file.mid(tagSize);
        const qint64 block = CheckBlockLength(afterTag, key);
        if (block >= 0) {
            QByteArray expected = CheckBlockFor(key);
            ApplyKeyStream(expected.data(), expected.size(), key, 0);
            if (!afterTag.startsWith(expected) || block != expected.size())
                std::abort();
        }
    }

    CRecordingEntry entry;
    entry.m_strFolder = fuzz::ScratchFolder();
    entry.m_strName = QStringLiteral("p");
    entry.m_dwTagSize = tagSize;
    entry.m_bProtected = true;
    entry.m_strKeyWord = QString::fromLatin1(key);
    fuzz::WriteScratch(QStringLiteral("p.mp3"), fileBytes, fileSize);
    QFile::remove(WorkingCopyPath(entry));
    const bool unlocked = Unprotect(entry, true);
    QFile mp3(entry.FilePath());
    if (!mp3.open(QIODevice::ReadOnly) || mp3.readAll() != file)
        std::abort();
    QFile copy(WorkingCopyPath(entry));
    if (unlocked != copy.exists())
        std::abort();
    if (unlocked) {
        const QByteArray afterTag = file.mid(tagSize);
        const qint64 block = CheckBlockLength(afterTag, key);
        QByteArray audio = afterTag.mid(block);
        ApplyKeyStream(audio.data(), audio.size(), key, qsizetype(block % key.size()));
        if (block < 0 || !copy.open(QIODevice::ReadOnly) || copy.readAll() != audio)
            std::abort();
    }
    return 0;
}
