#pragma once
// What the end-to-end tests share: waiting on the event loop, speech made by
// espeak-ng, WAV files through libsndfile, and mpg123 as the independent decoder.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QThread>

#include <sndfile.h>

#include <cmath>
#include <functional>
#include <vector>

namespace sonvelle::e2e {

// Runs the event loop until the condition holds; false after the time-out.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents();
    return true;
}

struct Pcm {
    int rate = 0;
    int channels = 0;
    std::vector<short> samples;
    double Seconds() const { return rate > 0 && channels > 0 ? double(samples.size()) / channels / rate : -1.0; }
};

inline Pcm ReadWav(const QString& path)
{
    Pcm p;
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return p;
    p.rate = info.samplerate;
    p.channels = info.channels;
    p.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_read_short(f, p.samples.data(), static_cast<sf_count_t>(p.samples.size()));
    sf_close(f);
    return p;
}

// 32 kHz mono 16-bit, the microphone's format.
inline bool WriteWav(const QString& path, const std::vector<short>& samples)
{
    SF_INFO info{};
    info.samplerate = 32000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
    return true;
}

// What mpg123 decodes from the file; empty when it cannot.
inline Pcm Decode(const QString& mp3)
{
    const QString wav = mp3 + ".decoded.wav";
    if (QProcess::execute("mpg123", {"-q", "-w", wav, mp3}) != 0)
        return {};
    Pcm p = ReadWav(wav);
    QFile::remove(wav);
    return p;
}

// Spoken words as a 32 kHz mono WAV in the folder; empty on failure.
inline QString MakeSpeech(const QString& folder, const QString& words)
{
    const QString raw = folder + "/speech_raw.wav";
    const QString out = folder + "/speech.wav";
    if (QProcess::execute("espeak-ng", {"-w", raw, words}) != 0)
        return {};
    if (QProcess::execute("sox", {raw, "-r", "32000", "-c", "1", "-b", "16", out}) != 0)
        return {};
    return out;
}

inline double Rms(const std::vector<short>& s)
{
    double e = 0;
    for (short v : s)
        e += double(v) * v;
    return s.empty() ? 0 : std::sqrt(e / static_cast<double>(s.size()));
}

}  // namespace sonvelle::e2e
