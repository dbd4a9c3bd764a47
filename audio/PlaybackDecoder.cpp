#include "audio/PlaybackDecoder.h"

#include <QFile>

#include <mpg123.h>
#include <sndfile.h>

#include <mutex>

namespace sonvelle {
namespace {

void InitMpg123Once()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// Containers that libsndfile handles better than an MP3 frame search would.
bool LooksLikeSndfileContainer(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray magic = file.read(4);
    return magic == "RIFF" || magic == "RIFX" || magic == "RF64" || magic == "FORM" || magic == "OggS"
           || magic == "fLaC";
}

}  // namespace

struct CPlaybackDecoder::Mp3 {
    mpg123_handle* handle = nullptr;
    ~Mp3()
    {
        if (handle) {
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }
};

struct CPlaybackDecoder::Wav {
    SNDFILE* file = nullptr;
    SF_INFO info{};
    ~Wav()
    {
        if (file)
            sf_close(file);
    }
};

CPlaybackDecoder::CPlaybackDecoder() = default;
CPlaybackDecoder::~CPlaybackDecoder() = default;

bool CPlaybackDecoder::IsOpen() const
{
    return m_mp3 || m_wav;
}

void CPlaybackDecoder::Close()
{
    m_mp3.reset();
    m_wav.reset();
    m_rate = 0;
    m_channels = 0;
}

bool CPlaybackDecoder::Open(const QString& path, QString& error)
{
    Close();
    if (!QFile::exists(path)) {
        error = QStringLiteral("file not found: %1").arg(path);
        return false;
    }
    const QByteArray local = QFile::encodeName(path);

    if (LooksLikeSndfileContainer(path)) {
        auto wav = std::make_unique<Wav>();
        wav->file = sf_open(local.constData(), SFM_READ, &wav->info);
        if (!wav->file) {
            error = QString::fromLocal8Bit(sf_strerror(nullptr));
            return false;
        }
        if (wav->info.channels < 1 || wav->info.channels > 8 || wav->info.samplerate <= 0) {
            error = QStringLiteral("unsupported sound format");
            return false;
        }
        m_rate = wav->info.samplerate;
        m_channels = wav->info.channels;
        m_wav = std::move(wav);
        return true;
    }

    InitMpg123Once();
    auto mp3 = std::make_unique<Mp3>();
    int result = MPG123_OK;
    mp3->handle = mpg123_new(nullptr, &result);
    if (!mp3->handle) {
        error = QString::fromLocal8Bit(mpg123_plain_strerror(result));
        return false;
    }
    // Recordings are constant bit rate: seeking by bit rate is exact and avoids
    // reading a 3-hour file's frame headers before the first jump.
    mpg123_param(mp3->handle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_FUZZY, 0.0);
    mpg123_format_none(mp3->handle);
    const long* rates = nullptr;
    std::size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (std::size_t i = 0; i < rateCount; ++i)
        mpg123_format(mp3->handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    if (mpg123_open(mp3->handle, local.constData()) != MPG123_OK) {
        error = QString::fromLocal8Bit(mpg123_strerror(mp3->handle));
        return false;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mp3->handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 || channels <= 0) {
        const char* why = mpg123_strerror(mp3->handle);
        error = QStringLiteral("no MPEG audio frames: %1").arg(QString::fromLocal8Bit(why));
        return false;
    }
    m_rate = static_cast<int>(rate);
    m_channels = channels;
    m_mp3 = std::move(mp3);
    return true;
}

std::uint32_t CPlaybackDecoder::LengthMs(bool exact)
{
    std::int64_t frames = 0;
    if (m_wav) {
        frames = m_wav->info.frames;
    } else if (m_mp3) {
        mpg123_frameinfo info{};
        const bool constantRate = mpg123_info(m_mp3->handle, &info) == MPG123_OK && info.vbr == MPG123_CBR;
        // A constant bit rate gives the length from the file size; anything
        // else is counted frame by frame (which moves the stream: measure first, then play).
        if (exact && !constantRate)
            mpg123_scan(m_mp3->handle);
        const off_t length = mpg123_length(m_mp3->handle);
        frames = length > 0 ? static_cast<std::int64_t>(length) : 0;
    }
    if (frames <= 0 || m_rate <= 0)
        return 0;
    const std::int64_t ms = frames * 1000 / m_rate;
    return ms > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(ms);
}

std::size_t CPlaybackDecoder::Read(void* out, std::size_t maxBytes)
{
    const std::size_t frameBytes = BytesPerFrame();
    if (frameBytes == 0)
        return 0;
    maxBytes -= maxBytes % frameBytes;
    if (maxBytes == 0)
        return 0;
    if (m_wav) {
        const sf_count_t got =
            sf_readf_short(m_wav->file, static_cast<short*>(out), static_cast<sf_count_t>(maxBytes / frameBytes));
        return got > 0 ? static_cast<std::size_t>(got) * frameBytes : 0;
    }
    if (!m_mp3)
        return 0;
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t total = 0;
    // A damaged frame is skipped by the library; a few empty rounds in a row mean the end.
    for (int emptyRounds = 0; total < maxBytes && emptyRounds < 4;) {
        std::size_t done = 0;
        const int result = mpg123_read(m_mp3->handle, bytes + total, maxBytes - total, &done);
        total += done;
        if (result == MPG123_DONE)
            break;
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(m_mp3->handle, &rate, &channels, &encoding);
            if (rate != m_rate || channels != m_channels)
                break;  // a format change mid-file is not followed; play what came before
            continue;
        }
        if (result != MPG123_OK && result != MPG123_NEED_MORE)
            break;
        emptyRounds = done == 0 ? emptyRounds + 1 : 0;
    }
    return total - total % frameBytes;
}

bool CPlaybackDecoder::SeekMs(std::uint32_t positionMs)
{
    const std::int64_t frame = static_cast<std::int64_t>(positionMs) * m_rate / 1000;
    if (m_wav)
        return sf_seek(m_wav->file, frame, SEEK_SET) >= 0;
    if (m_mp3)
        return mpg123_seek(m_mp3->handle, static_cast<off_t>(frame), SEEK_SET) >= 0;
    return false;
}

}  // namespace sonvelle
