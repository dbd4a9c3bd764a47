#include "store/Id3Tag.h"

#include "resources/StringTable.h"
#include "store/StoredText.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <sys/stat.h>
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

// The text a frame body carries. "COMM" of our own layout, and of other
// programs in ISO-8859-1 or UTF-8, starts 5 bytes in; in UTF-16 the
// description is skipped by its terminator.
QString FrameTextOf(const QByteArray& identifier, const char* body, qint64 size)
{
    if (size <= 0)
        return {};
    const auto encoding = static_cast<unsigned char>(body[0]);
    if (identifier != "COMM")
        return DecodeFrameText(encoding, body + 1, size - 1);
    if (size < 4)
        return DecodeFrameText(encoding, body + 1, size - 1);
    if (encoding == kUtf16 || encoding == kUtf16BigEndian) {
        qsizetype description = 0;
        DecodeFrameText(encoding, body + 4, size - 4, &description);
        return DecodeFrameText(encoding, body + 4 + description, size - 4 - description);
    }
    const qint64 start = std::min<qint64>(5, size);
    return DecodeFrameText(encoding, body + start, size - start);
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
    return m_file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly);
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

int CId3Tag::LocateTag(QFile& file, QByteArray* frames, qint64& audioStart)
{
    unsigned char header[kHeaderSize];
    std::uint32_t declared = 0;
    const int headerResult = ReadHeader(header, declared, &file);
    if (headerResult != 1)
        return headerResult;
    const qint64 fileSize = file.size();
    // A declared size beyond the end of the file is a short read: never allocate for it.
    if (qint64(declared) > fileSize)
        return -1;
    // Enough for either reading of the size: ours counts the header, the published rule does not.
    const qint64 span = std::min<qint64>(declared, fileSize - kHeaderSize);
    const QByteArray region = file.read(span);
    if (region.size() != span)
        return -1;

    const qint64 oursEnd = qint64(declared) - kHeaderSize;
    qint64 pos = 0;
    bool boundaryAtOurs = false;
    for (;;) {
        if (pos == oursEnd)
            boundaryAtOurs = true;
        if (pos + kHeaderSize > span || region[pos] == '\0')
            break;
        const qint64 body = BigEndian32(region.constData() + pos + 4);
        if (pos + kHeaderSize + body > span)
            break;
        pos += kHeaderSize + body;
    }
    bool published = false;
    if (!boundaryAtOurs && span == qint64(declared) && pos <= span) {
        // The frames, then nothing but padding, fill the size as the published rule reads it.
        published = true;
        for (qint64 i = pos; i < span && published; ++i)
            published = region[i] == '\0';
    }
    audioStart = published ? qint64(declared) + kHeaderSize : qint64(declared);
    if (frames)
        *frames = region.left(audioStart - kHeaderSize);
    return 1;
}

int CId3Tag::Read()
{
    m_frames.clear();
    QByteArray bytes;
    qint64 audioStart = 0;
    const int located = LocateTag(m_file, &bytes, audioStart);
    if (located != 1)
        return located;
    m_tagSize = static_cast<std::uint32_t>(audioStart);

    const qint64 fileSize = m_file.size();
    const qint64 length = bytes.size();
    const char* data = bytes.constData();
    qint64 pos = 0;
    std::vector<std::unique_ptr<CId3Frame>> inFileOrder;
    while (pos < length && inFileOrder.size() < kMaxFrames) {
        qint64 remaining = length - pos;
        // Zero bytes where an identifier would stand: padding, the end of the frames.
        if (remaining < 4 || data[pos] == '\0')
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
        const char* body = data + pos;
        pos += bodySize;
        auto frame = std::make_unique<CId3Frame>(identifier);
        frame->SetText(FrameTextOf(identifier, body, bodySize));
        inFileOrder.push_back(std::move(frame));
    }
    // The list holds the frames in reverse file order: a later duplicate is the one found.
    m_frames.assign(std::make_move_iterator(inFileOrder.rbegin()), std::make_move_iterator(inFileOrder.rend()));
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
    const unsigned char encoding = FrameEncodingFor(frame.GetText());
    QByteArray body(1, char(encoding));
    if (comment) {
        body.append(3, '\0');  // empty language
        // The empty description: its terminator, after a byte order mark in UTF-16.
        body.append(encoding == kLatin1 ? QByteArray(1, '\0') : QByteArray("\xFF\xFE\0\0", 4));
    }
    body.append(EncodeFrameText(frame.GetText(), encoding));
    QByteArray out = frame.Identifier().left(4);
    out.append(4 - out.size(), '\0');
    AppendBigEndian32(out, static_cast<std::uint32_t>(body.size()));
    out.append(2, '\0');  // flags
    out.append(body);
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
    qint64 audioStart = 0;
    const int located = LocateTag(m_file, nullptr, audioStart);
    if (located < 0) {
        // Too short for a header, or a header that claims more than the file holds: no tag, every byte is audio.
        unsigned char header[kHeaderSize];
        std::uint32_t ignored = 0;
        if (ReadHeader(header, ignored, &m_file) < 0 && m_file.size() >= kHeaderSize)
            return false;
        audioStart = 0;
    } else if (located == 0) {
        audioStart = 0;
    }
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
    const QByteArray path = QFile::encodeName(m_path);
    // A recording the user may not write keeps its tag, as it would keep its bytes.
    struct stat recording;
    if (::access(path.constData(), W_OK) != 0 || ::fstat(m_file.handle(), &recording) != 0)
        return false;

    const QString folder = m_path.left(m_path.lastIndexOf(QLatin1Char('/')) + 1);
    const QString tempPath = folder + LoadText(IDS_TAG_TEMP_FILE);
    const QByteArray temp = QFile::encodeName(tempPath);
    // unlink removes a symbolic link itself; the new file is made afresh and never through a link.
    ::unlink(temp.constData());
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // Readable by others only when the recording was: set before any audio reaches the file.
    if (::fchmod(fd, recording.st_mode & 07777) != 0) {
        ::close(fd);
        ::unlink(temp.constData());
        return false;
    }
    QFile out;
    if (!out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(temp.constData());
        return false;
    }
    auto fail = [&]() {
        out.close();
        ::unlink(temp.constData());
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
    if (!out.flush() || ::fsync(out.handle()) != 0)
        return fail();
    out.close();

    // The old file stays whole until the complete new one takes its name.
    m_file.close();
    if (std::rename(temp.constData(), path.constData()) != 0) {
        ::unlink(temp.constData());
        Open(m_path);
        return false;
    }
    SyncFolder(folder);
    if (!Open(m_path))
        return false;
    m_tagSize = static_cast<std::uint32_t>(total);
    return true;
}

}  // namespace sonvelle
