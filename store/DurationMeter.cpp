#include "store/DurationMeter.h"

#include <QFile>

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace sonvelle {

namespace {

// The decoder reads the file as if it began where the audio begins. Its scan
// asks for a few bytes per frame: served from a buffer, or measuring a file
// would cost thousands of system calls, more than copying it.
struct AudioWindow {
    int fd = -1;
    off_t start = 0;
    off_t at = 0;  // from the start of the audio
    off_t bufferAt = 0;
    size_t buffered = 0;
    unsigned char buffer[64 * 1024];
};

ssize_t WindowRead(void* handle, void* out, size_t count)
{
    auto* window = static_cast<AudioWindow*>(handle);
    auto* to = static_cast<unsigned char*>(out);
    size_t done = 0;
    while (done < count) {
        if (window->at < window->bufferAt || window->at >= window->bufferAt + static_cast<off_t>(window->buffered)) {
            const ssize_t got = ::pread(window->fd, window->buffer, sizeof window->buffer, window->start + window->at);
            if (got < 0)
                return done ? static_cast<ssize_t>(done) : -1;
            window->bufferAt = window->at;
            window->buffered = static_cast<size_t>(got);
            if (got == 0)
                break;
        }
        const size_t offset = static_cast<size_t>(window->at - window->bufferAt);
        const size_t n = std::min(count - done, window->buffered - offset);
        std::memcpy(to + done, window->buffer + offset, n);
        done += n;
        window->at += static_cast<off_t>(n);
    }
    return static_cast<ssize_t>(done);
}

off_t WindowSeek(void* handle, off_t offset, int whence)
{
    auto* window = static_cast<AudioWindow*>(handle);
    off_t base = window->at;
    if (whence == SEEK_SET)
        base = 0;
    else if (whence == SEEK_END) {
        const off_t end = ::lseek(window->fd, 0, SEEK_END);
        if (end < 0)
            return end;
        base = end - window->start;
    }
    if (base + offset < 0)
        return -1;
    window->at = base + offset;
    return window->at;
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

    auto owned = std::make_unique<AudioWindow>();
    AudioWindow& window = *owned;
    window.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (window.fd < 0)
        return -1.0;
    window.start = AudioStart(window.fd);

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
