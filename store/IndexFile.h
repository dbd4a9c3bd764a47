#pragma once
// "Index.txt": the catalogue's cache of what the tags hold. Fixed-width
// records back to back, no header:
//   name 260 | deleted "1"/"0" | date double | duration double | protected "1"/"0" | notes 260
//   [ "<operatore>" | operator 260 ]   (only when the operator is not empty)
// Texts are UTF-8 padded with blanks; doubles and numbers little-endian.

#include <QFile>
#include <QString>

#include <vector>

namespace sonvelle {

class CRecordingEntry;

class CIndexFile {
public:
    static constexpr int kTextField = 260;
    static constexpr int kBaseRecord = 538;
    static constexpr int kOperatorRecord = 809;
    static constexpr char kOperatorMarker[] = "<operatore>";

    CIndexFile() = default;
    ~CIndexFile() { Close(); }
    CIndexFile(const CIndexFile&) = delete;
    CIndexFile& operator=(const CIndexFile&) = delete;

    // Opens or creates the file without truncating it, locked against other openers.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return m_file.isOpen(); }
    const QString& Path() const { return m_path; }

    qint64 Pos() const { return m_file.pos(); }
    qint64 Size() const { return m_file.size(); }
    bool Seek(qint64 pos) { return m_file.seek(pos); }
    bool SeekEnd() { return m_file.seek(m_file.size()); }

    // One record at the current position into the entry (offset, index
    // state, fields). A partial record is cut off the file for good: false.
    bool ReadRecord(CRecordingEntry& entry);
    // One record at the current position; the entry's offset becomes that position.
    bool WriteRecord(CRecordingEntry& entry);
    // Rewrites the entry's record where it stands when the length is unchanged;
    // otherwise marks the old one deleted and appends a new one, so that no
    // record ever runs into its neighbour.
    bool RewriteRecord(CRecordingEntry& entry);
    bool MarkDeleted(const CRecordingEntry& entry);
    // Replaces the file by one holding the entries' records in order; the old
    // file stays whole until the new one is complete.
    bool Compact(const std::vector<CRecordingEntry*>& entries);

    static QByteArray EncodeRecord(const CRecordingEntry& entry);
    // The text fills its field, so the field may hold only its beginning.
    static bool MayBeCut(const QString& text);
    static QByteArray FixedField(const QString& text);

private:
    bool Lock();
    // The bytes at offset form a name record rather than an operator field.
    bool NameRecordFollows(qint64 offset);
    // Length of the record stored at offset, judged as the reader judges it.
    qint64 StoredRecordLength(qint64 offset);
    bool TruncateAt(qint64 offset);
    // Reads through a block cache, so that walking the records costs a few large reads.
    qint64 CachedRead(char* out, qint64 count);
    void DropCache() { m_cacheStart = -1; m_cache.clear(); }

    QFile m_file;
    QString m_path;
    QByteArray m_cache;
    qint64 m_cacheStart = -1;
    qint64 m_readPos = 0;
};

}  // namespace sonvelle
