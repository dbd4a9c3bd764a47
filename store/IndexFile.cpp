#include "store/IndexFile.h"

#include "platform/Log.h"
#include "store/RecordingEntry.h"
#include "store/StoredText.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/file.h>
#include <unistd.h>

namespace sonvelle {

namespace {

constexpr qint64 kMarkerSize = sizeof(CIndexFile::kOperatorMarker) - 1;

QString TrimmedField(const char* p)
{
    int end = CIndexFile::kTextField;
    while (end > 0 && (p[end - 1] == ' ' || (p[end - 1] >= '\t' && p[end - 1] <= '\r') || p[end - 1] == '\0'))
        --end;
    return DecodeStoredText(QByteArray(p, end));
}

double ReadDouble(const char* p)
{
    const quint64 bits = qFromLittleEndian<quint64>(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void AppendDouble(QByteArray& out, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, sizeof bits);
    char le[8];
    qToLittleEndian(bits, le);
    out.append(le, 8);
}

}  // namespace

bool CIndexFile::Open(const QString& path)
{
    Close();
    DropCache();
    m_path = path;
    const QByteArray name = QFile::encodeName(path);
    // Made for the owner only, whatever the umask; an existing file is taken as it is.
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::fchmod(fd, 0600);
    else if (errno == EEXIST)
        fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!m_file.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    if (!Lock()) {
        m_file.close();
        return false;
    }
    return m_file.seek(0);
}

bool CIndexFile::Lock()
{
    return ::flock(m_file.handle(), LOCK_EX | LOCK_NB) == 0;
}

void CIndexFile::Close()
{
    if (m_file.isOpen()) {
        m_file.flush();
        m_file.close();
    }
}

qint64 CIndexFile::CachedRead(char* out, qint64 count)
{
    constexpr qint64 kBlock = 1 << 20;
    const qint64 pos = m_readPos;
    if (m_cacheStart < 0 || pos < m_cacheStart || pos + count > m_cacheStart + m_cache.size()) {
        if (!m_file.seek(pos))
            return -1;
        m_cache = m_file.read(std::max(count, kBlock));
        m_cacheStart = pos;
        if (m_cache.isEmpty() && m_file.error() != QFileDevice::NoError)
            return -1;
    }
    const qint64 available = std::min<qint64>(count, m_cacheStart + m_cache.size() - pos);
    std::memcpy(out, m_cache.constData() + (pos - m_cacheStart), static_cast<std::size_t>(available));
    m_readPos += available;
    return available;
}

bool CIndexFile::TruncateAt(qint64 offset)
{
    DropCache();
    m_file.flush();
    const bool ok = m_file.resize(offset);
    m_file.seek(offset);
    return ok;
}

bool CIndexFile::ReadRecord(CRecordingEntry& entry)
{
    const qint64 start = m_file.pos();
    m_readPos = start;
    entry.m_dwIndexOffset = static_cast<std::uint32_t>(start);
    char base[kBaseRecord];
    const qint64 got = CachedRead(base, kBaseRecord);
    if (got != kBaseRecord) {
        if (got < 0)
            WriteLog(m_file.errorString());
        if (got != 0 || start < m_file.size())
            TruncateAt(start);
        return false;
    }
    entry.m_strName = TrimmedField(base);
    entry.m_nIndexState = base[260] == '1' ? kIndexDeleted : kIndexValid;
    entry.m_dtDate = COleDateTime(ReadDouble(base + 261));
    entry.m_dtDuration = COleDateTime(ReadDouble(base + 269));
    entry.m_bProtected = base[277] == '1';
    entry.m_strNotes = TrimmedField(base + 278);
    entry.m_strOperator.clear();

    char marker[kMarkerSize];
    const qint64 afterNotes = m_readPos;
    const qint64 markerGot = CachedRead(marker, kMarkerSize);
    if (markerGot == kMarkerSize && std::memcmp(marker, kOperatorMarker, kMarkerSize) == 0 &&
        !NameRecordFollows(afterNotes)) {
        char field[kTextField];
        if (CachedRead(field, kTextField) != kTextField) {
            TruncateAt(start);
            return false;
        }
        entry.m_strOperator = TrimmedField(field);
    } else {
        m_readPos = afterNotes;
    }
    entry.m_bFound = false;
    return m_file.seek(m_readPos);
}

bool CIndexFile::NameRecordFollows(qint64 offset)
{
    // An older index may hold a record whose name begins with the marker. Its
    // flag bytes stand where an operator field holds its 250th text byte and
    // where the next record holds its 7th name byte.
    char probe[kBaseRecord];
    const qint64 saved = m_readPos;
    m_readPos = offset;
    const qint64 got = CachedRead(probe, kBaseRecord);
    m_readPos = saved;
    auto flag = [](char c) { return c == '0' || c == '1'; };
    return got == kBaseRecord && flag(probe[260]) && flag(probe[277]);
}

bool CIndexFile::MayBeCut(const QString& text)
{
    // A field cut short ends within the last bytes of one character of its end.
    return text.toUtf8().size() > kTextField - 4;
}

QByteArray CIndexFile::FixedField(const QString& text)
{
    QByteArray field = Utf8Prefix(text, kTextField);
    field.append(kTextField - field.size(), ' ');
    return field;
}

QByteArray CIndexFile::EncodeRecord(const CRecordingEntry& entry)
{
    QByteArray out;
    out.reserve(kOperatorRecord);
    out += FixedField(entry.m_strName);
    out += entry.m_nIndexState == kIndexDeleted ? '1' : '0';
    AppendDouble(out, entry.m_dtDate.Value());
    AppendDouble(out, entry.m_dtDuration.Value());
    out += entry.m_bProtected ? '1' : '0';
    out += FixedField(entry.m_strNotes);
    if (!entry.m_strOperator.isEmpty()) {
        out.append(kOperatorMarker, kMarkerSize);
        out += FixedField(entry.m_strOperator);
    }
    return out;
}

bool CIndexFile::WriteRecord(CRecordingEntry& entry)
{
    DropCache();
    entry.m_dwIndexOffset = static_cast<std::uint32_t>(m_file.pos());
    const QByteArray record = EncodeRecord(entry);
    return m_file.write(record) == record.size() && m_file.flush();
}

qint64 CIndexFile::StoredRecordLength(qint64 offset)
{
    char marker[kMarkerSize];
    if (!m_file.seek(offset + kBaseRecord))
        return kBaseRecord;
    const qint64 got = m_file.read(marker, kMarkerSize);
    return got == kMarkerSize && std::memcmp(marker, kOperatorMarker, kMarkerSize) == 0 ? kOperatorRecord
                                                                                         : kBaseRecord;
}

bool CIndexFile::MarkDeleted(const CRecordingEntry& entry)
{
    DropCache();
    return m_file.seek(qint64(entry.m_dwIndexOffset) + 260) && m_file.write("1", 1) == 1 && m_file.flush();
}

bool CIndexFile::RewriteRecord(CRecordingEntry& entry)
{
    const qint64 offset = entry.m_dwIndexOffset;
    const qint64 wanted = entry.m_strOperator.isEmpty() ? kBaseRecord : kOperatorRecord;
    if (offset + kBaseRecord <= m_file.size() && StoredRecordLength(offset) == wanted)
        return m_file.seek(offset) && WriteRecord(entry);
    if (offset + kBaseRecord <= m_file.size() && !MarkDeleted(entry))
        return false;
    return SeekEnd() && WriteRecord(entry);
}

bool CIndexFile::Compact(const std::vector<CRecordingEntry*>& entries)
{
    std::vector<std::uint32_t> offsets;
    offsets.reserve(entries.size());
    QByteArray all;
    for (CRecordingEntry* entry : entries) {
        offsets.push_back(static_cast<std::uint32_t>(all.size()));
        all += EncodeRecord(*entry);
    }
    const int slash = int(m_path.lastIndexOf(QLatin1Char('/')));
    QByteArray temp = QFile::encodeName(m_path.left(slash + 1) + QStringLiteral(".Index.txt.XXXXXX"));
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    QFile out;
    bool ok = ::fchmod(fd, 0600) == 0 && out.open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle) &&
              out.write(all) == all.size() && out.flush() && ::fsync(fd) == 0 &&
              ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    // The new file is locked before it takes the name, and its handle is the one kept:
    // there is no reopening that could fail once the old file is gone.
    ok = ok && std::rename(temp.constData(), QFile::encodeName(m_path).constData()) == 0;
    if (!ok) {
        if (out.isOpen())
            out.close();
        else
            ::close(fd);
        ::unlink(temp.constData());
        return false;
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i]->m_dwIndexOffset = offsets[i];
    DropCache();
    m_file.close();
    const int kept = ::dup(fd);
    out.close();
    if (kept < 0 || !m_file.open(kept, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        if (kept >= 0)
            ::close(kept);
        return false;
    }
    return SeekEnd();
}

}  // namespace sonvelle
