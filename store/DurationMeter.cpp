#include "store/DurationMeter.h"

#include <QFile>

#include <mpg123.h>

#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace sonvelle {

namespace {

// The decoder reads the file as if it began where the audio begins.
struct AudioWindow {
    int fd = -1;
    off_t start = 0;
};

ssize_t WindowRead(void* handle, void* buffer, size_t count)
{
    return ::read(static_cast<AudioWindow*>(handle)->fd, buffer, count);
}

off_t WindowSeek(void* handle, off_t offset, int whence)
{
    auto* window = static_cast<AudioWindow*>(handle);
    if (whence == SEEK_SET)
        offset += window->start;
    const off_t at = ::lseek(window->fd, offset, whence);
    return at < 0 ? at : at - window->start;
}

// Header-inclusive size of the file's own tag; 0 without one.
off_t AudioStart(int fd)
{
    unsigned char h[10];
    if (::pread(fd, h, sizeof h, 0) != static_cast<ssize_t>(sizeof h) || h[0] != 'I' || h[1] != 'D' || h[2] != '3' ||
        ((h[6] | h[7] | h[8] | h[9]) & 0x80))
        return 0;
    const off_t size = (off_t(h[6]) << 21) | (off_t(h[7]) << 14) | (off_t(h[8]) << 7) | h[9];
    const off_t end = ::lseek(fd, 0, SEEK_END);
    return size >= 10 && size <= end ? size : 0;
}

}  // namespace

double CMpegDurationMeter::MeasureSeconds(const QString& path, bool /*alternativeMethod*/)
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });

    AudioWindow window;
    window.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (window.fd < 0)
        return -1.0;
    window.start = AudioStart(window.fd);
    ::lseek(window.fd, window.start, SEEK_SET);

    double seconds = -1.0;
    int error = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &error);
    if (mh) {
        mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        // Whole frames, as every player sounds them; no guess at the encoder's delay.
        mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
        if (mpg123_replace_reader_handle(mh, WindowRead, WindowSeek, nullptr) == MPG123_OK &&
            mpg123_open_handle(mh, &window) == MPG123_OK) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            if (mpg123_getformat(mh, &rate, &channels, &encoding) == MPG123_OK && rate > 0 &&
                mpg123_scan(mh) == MPG123_OK) {
                const off_t samples = mpg123_length(mh);
                if (samples >= 0)
                    seconds = static_cast<double>(samples) / static_cast<double>(rate);
            }
            mpg123_close(mh);
        }
        mpg123_delete(mh);
    }
    ::close(window.fd);
    return seconds;
}

IDurationMeter& DefaultDurationMeter()
{
    static CMpegDurationMeter meter;
    return meter;
}

}  // namespace sonvelle
