#include "store/RecordingFileStore.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace sonvelle {

StoreResult StoreFileWithRetries(const QString& from, const QString& to, int attempts, int pauseMs,
                                 const std::function<void(int)>& sleep)
{
    StoreResult result;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        result.attempts = attempt;
        result.lastError = MoveFileNoReplace(from, to);
        if (result.lastError == FileError::None) {
            result.stored = true;
            return result;
        }
        result.lastError = CopyFileNoReplace(from, to);
        if (result.lastError == FileError::None) {
            QFile::remove(from);
            result.stored = true;
            return result;
        }
        if (attempt < attempts && sleep)
            sleep(pauseMs);
    }
    return result;
}

namespace {

// Length of the MPEG audio frame whose header starts at `p`; 0 when it is no header.
int MpegFrameLength(const unsigned char* p)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return 0;
    const int version = (p[1] >> 3) & 3;  // 0 = 2.5, 2 = 2, 3 = 1
    const int layer = (p[1] >> 1) & 3;    // 1 = III, 2 = II, 3 = I
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    static const int kBitrates[2][3][15] = {
        {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
         {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
         {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
        {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
         {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
    static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    const bool mpeg1 = version == 3;
    const int layerIndex = 3 - layer;  // 0 = I, 1 = II, 2 = III
    const int bitrate = kBitrates[mpeg1 ? 0 : 1][layerIndex][bitrateIndex] * 1000;
    const int rate = kRates[version][rateIndex];
    if (layerIndex == 0)
        return (12 * bitrate / rate + padding) * 4;
    if (layerIndex == 2 && !mpeg1)
        return 72 * bitrate / rate + padding;
    return 144 * bitrate / rate + padding;
}

}  // namespace

qint64 CompleteMpegFramesLength(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const qint64 size = data.size();
    qint64 at = 0;
    while (at + 4 <= size) {
        const int length = MpegFrameLength(bytes + at);
        if (length <= 0)
            return at == 0 ? size : at;
        if (at + length > size)
            return at;
        at += length;
    }
    return at == 0 ? size : at;
}

bool AppendFileTo(const QString& segment, const QString& target, AppendTarget mode, qint64 skip)
{
    QFile in(segment);
    if (!in.open(QIODevice::ReadOnly) || skip < 0 || skip > in.size() || !in.seek(skip))
        return false;
    const QByteArray data = in.readAll();
    if (data.size() != in.size() - skip)
        return false;
    QFile out(target);
    const QIODevice::OpenMode openMode =
        mode == AppendTarget::NewFile ? QIODevice::ReadWrite | QIODevice::NewOnly : QIODevice::ReadWrite;
    if (!out.open(openMode))
        return false;
    const qint64 oldSize = out.size();
    const qint64 keep = CompleteMpegFramesLength(data);
    if (!out.seek(oldSize) || out.write(data.constData(), keep) != keep || !out.flush()) {
        if (mode == AppendTarget::NewFile)
            out.remove();
        else
            out.resize(oldSize);
        return false;
    }
    return true;
}

FileIdentity IdentityOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino)};
}

QString UnusedFilePath(const QString& folder, const QString& prefix, const QString& extension)
{
    for (unsigned n = 1; n <= 0xFFFF; ++n) {
        const QString candidate = folder + prefix + QString::number(n, 16).toUpper() + extension;
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
    return folder + prefix + extension;
}

unsigned SystemErrorNumber(FileError error)
{
    switch (error) {
    case FileError::None: return 0;
    case FileError::AccessDenied: return 5;    // ERROR_ACCESS_DENIED
    case FileError::BadPath: return 161;       // ERROR_BAD_PATHNAME
    case FileError::NotFound: return 2;        // ERROR_FILE_NOT_FOUND
    case FileError::Other: return 31;          // ERROR_GEN_FAILURE
    }
    return 31;
}

}  // namespace sonvelle
