#include "store/Id3Tag.h"

#include "resources/StringTable.h"

#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace sonvelle {

namespace {

std::uint32_t BigEndian32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t(u[0]) << 24) | (std::uint32_t(u[1]) << 16) | (std::uint32_t(u[2]) << 8) | u[3];
}

void AppendBigEndian32(QByteArray& out, std::uint32_t v)
{
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

bool SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

CId3Tag::~CId3Tag()
{
    Close();
}

bool CId3Tag::Open(const QString& path)
{
    m_file.close();
    m_path = path;
    m_file.setFileName(path);
    return m_file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly);
}

void CId3Tag::Close()
{
    m_frames.clear();
    m_file.close();
}

int CId3Tag::ReadHeader(unsigned char buffer[kHeaderSize], std::uint32_t& size, QFile* file)
{
    QFile& f = file ? *file : m_file;
    if (!f.isOpen() || !f.seek(0))
        return -1;
    if (f.read(reinterpret_cast<char*>(buffer), kHeaderSize) != kHeaderSize)
        return -1;
    if (buffer[0] != 'I' || buffer[1] != 'D' || buffer[2] != '3')
        return 0;
    // A size byte with its top bit set is no synchsafe size.
    if ((buffer[6] | buffer[7] | buffer[8] | buffer[9]) & 0x80)
        return 0;
    const std::uint32_t decoded = (std::uint32_t(buffer[6]) << 21) | (std::uint32_t(buffer[7]) << 14) |
                                  (std::uint32_t(buffer[8]) << 7) | buffer[9];
    if (decoded < kHeaderSize)
        return 0;
    size = decoded;
    if (!file)
        m_tagSize = decoded;
    return 1;
}

int CId3Tag::Read()
{
    m_frames.clear();
    unsigned char header[kHeaderSize];
    std::uint32_t size = 0;
    const int headerResult = ReadHeader(header, size);
    if (headerResult != 1)
        return headerResult;

    const qint64 fileSize = m_file.size();
    const qint64 length = qint64(size) - kHeaderSize;
    // A declared size beyond the end of the file is a short read: never allocate for it.
    if (qint64(size) > fileSize)
        return -1;
    if (length == 0)
        return 1;
    const QByteArray bytes = m_file.read(length);
    if (bytes.size() != length)
        return -1;

    const char* data = bytes.constData();
    qint64 pos = 0;
    while (pos < length) {
        qint64 remaining = length - pos;
        if (remaining < 4)
            break;
        QByteArray identifier(data + pos, 4);
        const qsizetype zero = identifier.indexOf('\0');
        if (zero >= 0)
            identifier.truncate(zero);
        pos += 4;
        remaining -= 4;
        if (remaining < 4)
            break;
        const std::uint32_t bodySize = BigEndian32(data + pos);
        if (qint64(bodySize) > remaining || qint64(bodySize) >= fileSize)
            return 0;
        if (remaining < 6)
            break;
        pos += 6;
        remaining -= 6;
        if (qint64(bodySize) > remaining)
            break;
        const QByteArray body(data + pos, qsizetype(bodySize));
        pos += bodySize;
        qsizetype textStart = identifier == "COMM" && bodySize >= 4 ? 5 : 1;
        textStart = std::min<qsizetype>(textStart, body.size());
        auto frame = std::make_unique<CId3Frame>(identifier);
        frame->SetTextBytes(body.mid(textStart));
        m_frames.insert(m_frames.begin(), std::move(frame));
    }
    return 1;
}

CId3Frame* CId3Tag::FindFrame(const QByteArray& identifier) const
{
    for (const auto& frame : m_frames) {
        if (frame->Identifier() == identifier)
            return frame.get();
    }
    return nullptr;
}

bool CId3Tag::GetFrame(const QByteArray& identifier, CId3Frame& out) const
{
    const CId3Frame* found = FindFrame(identifier);
    if (!found)
        return false;
    out.CopyFrom(*found);
    return true;
}

void CId3Tag::SetTextFrame(const QByteArray& identifier, const QString& text)
{
    CId3Frame* frame = FindFrame(identifier);
    if (!frame) {
        m_frames.push_back(std::make_unique<CId3Frame>(identifier));
        frame = m_frames.back().get();
    }
    frame->SetText(text);
}

void CId3Tag::SetNumberFrame(const QByteArray& identifier, std::int32_t value)
{
    SetTextFrame(identifier, QString::number(value));
}

void CId3Tag::SetFlagFrame(const QByteArray& identifier, bool flag)
{
    SetTextFrame(identifier, flag ? QStringLiteral("Protetta") : QStringLiteral("Non Protetta"));
}

QByteArray CId3Tag::SynchsafeBytes(std::uint32_t size)
{
    QByteArray out(4, '\0');
    out[0] = char((size >> 21) & 0x7f);
    out[1] = char((size >> 14) & 0x7f);
    out[2] = char((size >> 7) & 0x7f);
    out[3] = char(size & 0x7f);
    return out;
}

QByteArray CId3Tag::SerializeFrame(const CId3Frame& frame)
{
    const bool comment = frame.Identifier() == "COMM";
    QByteArray out = frame.Identifier().left(4);
    out.append(4 - out.size(), '\0');
    AppendBigEndian32(out, frame.Length() + (comment ? 5 : 1));
    out.append(3, '\0');  // two flag bytes, the encoding byte
    if (comment)
        out.append(4, '\0');  // empty language, empty description's terminator
    out.append(frame.TextBytes());
    return out;
}

bool CId3Tag::WriteFrame(QFile& out, const CId3Frame& frame, std::uint32_t& written)
{
    const QByteArray bytes = SerializeFrame(frame);
    const qint64 n = out.write(bytes);
    if (n > 0)
        written = static_cast<std::uint32_t>(n);
    return n == bytes.size();
}

bool CId3Tag::WriteSize(QFile& out, std::uint32_t size)
{
    return out.seek(6) && out.write(SynchsafeBytes(size)) == 4 && out.seek(out.size());
}

bool CId3Tag::CopyAudio(QFile& out)
{
    unsigned char header[kHeaderSize];
    std::uint32_t oldSize = 0;
    const int headerResult = ReadHeader(header, oldSize, &m_file);
    if (headerResult < 0 && m_file.size() >= kHeaderSize)
        return false;
    // A header that claims more than the file holds is no tag: keep every byte.
    qint64 audioStart = headerResult == 1 && qint64(oldSize) <= m_file.size() ? oldSize : 0;
    if (!m_file.seek(audioStart))
        return false;
    QByteArray chunk;
    chunk.resize(kCopyChunk);
    for (;;) {
        const qint64 got = m_file.read(chunk.data(), kCopyChunk);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (out.write(chunk.constData(), got) != got)
            return false;
    }
}

bool CId3Tag::Write()
{
    if (!m_file.isOpen())
        return false;
    const QString folder = m_path.left(m_path.lastIndexOf(QLatin1Char('/')) + 1);
    const QString tempPath = folder + LoadText(124);
    QFile::remove(tempPath);

    QFile out(tempPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    auto fail = [&]() {
        out.close();
        QFile::remove(tempPath);
        return false;
    };

    const char header[kHeaderSize] = {'I', 'D', '3', 0x03, 0x00, 0x00, 0, 0, 0, 0};
    if (out.write(header, kHeaderSize) != kHeaderSize)
        return fail();
    std::uint64_t total = kHeaderSize;
    for (const auto& frame : m_frames) {
        std::uint32_t written = 0;
        if (!WriteFrame(out, *frame, written))
            return fail();
        total += written;
    }
    if (total >= (1u << 28) || !WriteSize(out, static_cast<std::uint32_t>(total)))
        return fail();
    if (!CopyAudio(out))
        return fail();
    out.setPermissions(m_file.permissions());
    if (!out.flush() || ::fsync(out.handle()) != 0)
        return fail();
    out.close();

    // The old file stays whole until the complete new one takes its name.
    m_file.close();
    if (std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(m_path).constData()) != 0) {
        QFile::remove(tempPath);
        Open(m_path);
        return false;
    }
    SyncFolder(folder);
    if (!Open(m_path))
        return false;
    unsigned char check[kHeaderSize];
    std::uint32_t newSize = 0;
    ReadHeader(check, newSize);
    return true;
}

}  // namespace sonvelle
