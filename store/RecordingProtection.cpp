#include "store/RecordingProtection.h"

#include "store/RecordingEntry.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace sonvelle {

namespace {

constexpr qsizetype kChunk = 500000;
constexpr int kMaxLengthDigits = 4;

ProtectionStepHook& StepHook()
{
    static ProtectionStepHook hook;
    return hook;
}

// False: the test hook cut the operation short here.
bool Continue(ProtectionStep step)
{
    return !StepHook() || StepHook()(step);
}

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void Reset(int fd)
    {
        Close();
        m_fd = fd;
    }
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    bool Close()
    {
        if (m_fd < 0)
            return true;
        const bool ok = ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

qint64 ReadFull(int fd, char* buffer, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, static_cast<size_t>(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

bool WriteFull(int fd, const char* buffer, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, buffer + done, static_cast<size_t>(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// A fresh file that only the owner can read: never an existing file or a link
// planted under the name.
int CreateOwnerOnly(const QString& path)
{
    const QByteArray native = Native(path);
    ::unlink(native.constData());
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::fchmod(fd, 0600);
    return fd;
}

void SyncFolderOf(const QString& path)
{
    const int fd = ::open(Native(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Copies `length` bytes from `in` to `out`, XORed with the key stream.
bool CopyThroughKey(int in, int out, qint64 length, const QByteArray& key, qsizetype& position)
{
    std::vector<char> buffer(static_cast<std::size_t>(std::min<qint64>(length, kChunk)));
    bool half = false;
    while (length > 0) {
        const qint64 want = std::min<qint64>(length, kChunk);
        if (ReadFull(in, buffer.data(), want) != want)
            return false;
        position = ApplyKeyStream(buffer.data(), want, key, position);
        if (!WriteFull(out, buffer.data(), want))
            return false;
        length -= want;
        if (!half) {
            half = true;
            if (!Continue(ProtectionStep::CopyHalfWritten))
                return false;
        }
    }
    return true;
}

// Makes the new file durable and puts it under the recording's name in one step.
bool ReplaceWith(Fd& out, const QString& copy, const QString& target, mode_t mode)
{
    if (!Continue(ProtectionStep::CopyWritten))
        return false;
    ::fchmod(out.Get(), mode & 07777);
    if (::fsync(out.Get()) != 0 || !out.Close())
        return false;
    if (!Continue(ProtectionStep::CopyFlushed))
        return false;
    if (::rename(Native(copy).constData(), Native(target).constData()) != 0)
        return false;
    SyncFolderOf(target);
    return Continue(ProtectionStep::Renamed);
}

struct Source {
    Fd fd;
    struct stat info {};
};

bool OpenSource(const CRecordingEntry& entry, Source& source)
{
    source.fd.Reset(::open(Native(entry.FilePath()).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!source.fd.IsOpen() || ::fstat(source.fd.Get(), &source.info) != 0 || !S_ISREG(source.info.st_mode))
        return false;
    return static_cast<qint64>(entry.m_dwTagSize) <= source.info.st_size;
}

}  // namespace

QString WorkingCopyPath(const QString& folder, const QString& name)
{
    return folder + name + QStringLiteral(".snx");
}

QString WorkingCopyPath(const CRecordingEntry& entry)
{
    return WorkingCopyPath(entry.m_strFolder, entry.m_strName);
}

QByteArray KeyWordBytes(const QString& keyWord)
{
    for (const QChar c : keyWord) {
        if (c.unicode() > 0xFF)
            return keyWord.toUtf8();
    }
    return keyWord.toLatin1();
}

QByteArray CheckBlockFor(const QByteArray& key)
{
    return QByteArray::number(key.size()) + '*' + key + '*';
}

qsizetype ApplyKeyStream(char* data, qsizetype size, const QByteArray& key, qsizetype position)
{
    const qsizetype keySize = key.size();
    const char* k = key.constData();
    for (qsizetype i = 0; i < size; ++i) {
        data[i] = static_cast<char>(data[i] ^ k[position]);
        if (++position == keySize)
            position = 0;
    }
    return position;
}

qint64 CheckBlockLength(const QByteArray& data, const QByteArray& key)
{
    const qsizetype keySize = key.size();
    if (keySize == 0)
        return -1;
    auto clear = [&](qsizetype i) { return static_cast<char>(data[i] ^ key[i % keySize]); };

    qsizetype star = -1;
    for (qsizetype i = 0; i <= kMaxLengthDigits && i < data.size(); ++i) {
        if (clear(i) == '*') {
            star = i;
            break;
        }
    }
    if (star <= 0)
        return -1;
    qint64 length = 0;
    for (qsizetype i = 0; i < star; ++i) {
        const char c = clear(i);
        if (c < '0' || c > '9')
            return -1;
        length = length * 10 + (c - '0');
    }
    if (length != keySize)
        return -1;
    const qsizetype total = star + 1 + keySize + 1;
    if (data.size() < total)
        return -1;
    for (qsizetype j = 0; j < keySize; ++j) {
        if (clear(star + 1 + j) != key[j])
            return -1;
    }
    if (clear(total - 1) != '*')
        return -1;
    return total;
}

bool Protect(CRecordingEntry& entry)
{
    const QByteArray key = KeyWordBytes(entry.m_strKeyWord);
    if (key.isEmpty() || entry.IsInUse())
        return false;
    Source source;
    if (!OpenSource(entry, source))
        return false;
    const QString copy = WorkingCopyPath(entry);
    Fd out(CreateOwnerOnly(copy));
    if (!out.IsOpen())
        return false;
    if (!Continue(ProtectionStep::CopyCreated))
        return false;

    const qint64 tagSize = entry.m_dwTagSize;
    const qint64 rest = source.info.st_size - tagSize;
    QByteArray tag(tagSize, Qt::Uninitialized);
    QByteArray block = CheckBlockFor(key);
    qsizetype position = ApplyKeyStream(block.data(), block.size(), key, 0);
    bool ok = ReadFull(source.fd.Get(), tag.data(), tagSize) == tagSize && WriteFull(out.Get(), tag.constData(), tagSize)
              && WriteFull(out.Get(), block.constData(), block.size())
              && CopyThroughKey(source.fd.Get(), out.Get(), rest, key, position);
    if (ok)
        ok = ReplaceWith(out, copy, entry.FilePath(), source.info.st_mode);
    if (!ok) {
        if (StepHook())
            return false;  // a simulated kill leaves what a kill would
        out.Close();
        QFile::remove(copy);
        return false;
    }
    entry.m_bProtected = true;
    entry.m_dwSize = static_cast<std::uint32_t>(source.info.st_size + block.size());
    entry.SetState(kStateTagPending);
    return true;
}

bool Unprotect(CRecordingEntry& entry, bool workingCopyOnly)
{
    const QByteArray key = KeyWordBytes(entry.m_strKeyWord);
    if (key.isEmpty())
        return false;
    Source source;
    if (!OpenSource(entry, source))
        return false;
    const qint64 tagSize = entry.m_dwTagSize;
    if (::lseek(source.fd.Get(), tagSize, SEEK_SET) != tagSize)
        return false;
    QByteArray head(std::min<qint64>(source.info.st_size - tagSize, kMaxLengthDigits + 2 + key.size()), Qt::Uninitialized);
    if (ReadFull(source.fd.Get(), head.data(), head.size()) != head.size())
        return false;
    const qint64 blockLength = CheckBlockLength(head, key);
    if (blockLength < 0)
        return false;
    if (::lseek(source.fd.Get(), tagSize + blockLength, SEEK_SET) != tagSize + blockLength)
        return false;

    const QString copy = WorkingCopyPath(entry);
    Fd out(CreateOwnerOnly(copy));
    if (!out.IsOpen())
        return false;
    if (!Continue(ProtectionStep::CopyCreated))
        return false;
    qsizetype position = blockLength % key.size();
    bool ok = CopyThroughKey(source.fd.Get(), out.Get(), source.info.st_size - tagSize - blockLength, key, position);
    if (ok && workingCopyOnly)
        ok = out.Close();
    else if (ok)
        ok = ReplaceWith(out, copy, entry.FilePath(), source.info.st_mode);
    if (!ok) {
        if (StepHook())
            return false;
        out.Close();
        QFile::remove(copy);
        return false;
    }
    if (workingCopyOnly)
        return true;
    entry.m_bProtected = false;
    entry.m_dwSize = static_cast<std::uint32_t>(source.info.st_size - tagSize - blockLength);
    entry.m_dwTagSize = 0;
    entry.SetState(kStateTagPending);
    return true;
}

void SetProtectionStepHookForTesting(ProtectionStepHook hook)
{
    StepHook() = std::move(hook);
}

}  // namespace sonvelle
