// Any bytes as a protected recording with any key word: only the writer's check block is accepted, a refused
// key word writes nothing, and an accepted one deciphers exactly the bytes after the check block.
#include "store/RecordingEntry.h"
#include "store/RecordingProtection.h"
#include "tests/fuzz/FuzzScratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace sonvelle;
    using fuzz::Require;
    const QByteArray input = fuzz::Input(data, size);
    const qsizetype keyLength = size < 2 ? 0 : data[0] % 24;
    if (size < size_t(2 + keyLength))
        return 0;
    const QByteArray key = input.mid(1, keyLength);
    const std::uint32_t tagSize = data[1 + keyLength];
    const QByteArray file = input.mid(2 + keyLength);
    const QByteArray afterTag = file.mid(tagSize);
    const qint64 block = tagSize <= file.size() ? CheckBlockLength(afterTag, key) : -1;
    if (block >= 0) {
        QByteArray expected = CheckBlockFor(key);
        ApplyKeyStream(expected.data(), expected.size(), key, 0);
        Require(afterTag.startsWith(expected) && block == expected.size());
    }

    CRecordingEntry entry;
    entry.m_strFolder = fuzz::ScratchFolder();
    entry.m_strName = QStringLiteral("p");
    entry.m_dwTagSize = tagSize;
    entry.m_bProtected = true;
    entry.m_strKeyWord = QString::fromLatin1(key);
    fuzz::WriteScratch(QStringLiteral("p.mp3"), file);
    QFile::remove(WorkingCopyPath(entry));
    const bool unlocked = Unprotect(entry, true);
    Require(QFile::exists(entry.FilePath()) && test::ReadBytes(entry.FilePath()) == file);
    Require(unlocked == QFile::exists(WorkingCopyPath(entry)));
    if (unlocked) {
        Require(block >= 0);
        QByteArray audio = afterTag.mid(block);
        ApplyKeyStream(audio.data(), audio.size(), key, qsizetype(block % key.size()));
        Require(test::ReadBytes(WorkingCopyPath(entry)) == audio);
    }
    return 0;
}
