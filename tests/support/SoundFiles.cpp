#include "support/SoundFiles.h"

#include "support/TagBytes.h"

#include <QFile>
#include <QProcess>

#include <sndfile.h>

#include <cmath>

namespace sonvelle::test {

bool RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString ToolOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

Pcm ReadWav(const QString& path)
{
    Pcm p;
    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!f)
        return p;
    p.rate = info.samplerate;
    p.channels = info.channels;
    p.samples.resize(static_cast<size_t>(info.frames * info.channels));
    p.ok = sf_read_short(f, p.samples.data(), static_cast<sf_count_t>(p.samples.size())) ==
           static_cast<sf_count_t>(p.samples.size());
    sf_close(f);
    return p;
}

bool WriteWav(const QString& path, const std::vector<short>& samples, int rate, int channels)
{
    SF_INFO info{0, rate, channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    const bool ok = sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size())) ==
                    static_cast<sf_count_t>(samples.size());
    sf_close(f);
    return ok;
}

Pcm DecodeMp3(const QString& path)
{
    const QString wav = path + QStringLiteral(".decoded.wav");
    if (!RunTool(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-w"), wav, path}))
        return {};
    Pcm p = ReadWav(wav);
    QFile::remove(wav);
    return p;
}

QStringList Mp3valFindings(const QString& path)
{
    QStringList findings;
    for (const QString& line : ToolOutput(QStringLiteral("mp3val"), {path}).split('\n'))
        if ((line.startsWith("WARNING") || line.startsWith("ERROR")) && !line.contains("No supported tags"))
            findings << line;
    return findings;
}

QStringList Mp3valFindingsBehindTag(const QString& path)
{
    const QByteArray bytes = ReadBytes(path);
    if (bytes.isEmpty())
        return {QStringLiteral("ERROR: cannot read ") + path};
    qsizetype start = 0;
    if (bytes.startsWith("ID3") && bytes.size() >= 10) {
        for (int i = 6; i < 10; ++i)
            start = (start << 7) | (static_cast<unsigned char>(bytes[i]) & 0x7f);
        // The first frame sync at or after where the size field points.
        while (start + 1 < bytes.size() &&
               !(static_cast<unsigned char>(bytes[start]) == 0xff && (static_cast<unsigned char>(bytes[start + 1]) & 0xe0) == 0xe0))
            ++start;
    }
    const QString audioOnly = path + QStringLiteral(".frames");
    if (!WriteBytes(audioOnly, bytes.mid(start)))
        return {QStringLiteral("ERROR: cannot write ") + audioOnly};
    const QStringList findings = Mp3valFindings(audioOnly);
    QFile::remove(audioOnly);
    return findings;
}

QString ProbeStream(const QString& path)
{
    return ToolOutput(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                                  "stream=sample_rate,channels,bit_rate", "-of", "csv=p=0", path})
        .trimmed();
}

QString MakeSpeech(const QString& folder, const QString& words)
{
    const QString raw = folder + QStringLiteral("/speech_raw.wav");
    const QString out = folder + QStringLiteral("/speech.wav");
    const bool made = RunTool(QStringLiteral("espeak-ng"), {QStringLiteral("-w"), raw, words}) &&
                      RunTool(QStringLiteral("sox"), {raw, "-r", "32000", "-c", "1", "-b", "16", out});
    return made ? out : QString();
}

QString MakeToneWav(const QString& folder, const QString& name, double seconds)
{
    const QString path = folder + "/" + name + QStringLiteral(".wav");
    return RunTool(QStringLiteral("sox"), {"-n", "-r", "32000", "-c", "1", "-b", "16", path, "synth",
                                           QString::number(seconds, 'f', 3), "sine", "440", "vol", "0.3"})
               ? path
               : QString();
}

QString MakeToneMp3(const QString& folder, const QString& name, double seconds)
{
    const QString wav = MakeToneWav(folder, name, seconds);
    const QString path = folder + "/" + name + QStringLiteral(".mp3");
    return !wav.isEmpty() && RunTool(QStringLiteral("lame"),
                                     {"--quiet", "-b", "32", "-m", "m", "--resample", "32", wav, path})
               ? path
               : QString();
}

std::vector<short> Tone(int samples, double hz, int amplitude)
{
    std::vector<short> out(static_cast<size_t>(samples));
    for (int i = 0; i < samples; ++i)
        out[static_cast<size_t>(i)] = static_cast<short>(amplitude * std::sin(2 * M_PI * hz * i / 32000.0));
    return out;
}

double Rms(const std::vector<short>& samples)
{
    double e = 0;
    for (short v : samples)
        e += double(v) * v;
    return samples.empty() ? 0 : std::sqrt(e / static_cast<double>(samples.size()));
}

double LoudSeconds(const std::vector<short>& samples, int threshold)
{
    long first = -1, last = -1;
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i] >= threshold) {
            first = first < 0 ? static_cast<long>(i) : first;
            last = static_cast<long>(i);
        }
    return first < 0 ? 0.0 : (last - first) / 32000.0;
}

bool SoundServerAnswers()
{
    return RunTool(QStringLiteral("pactl"), {QStringLiteral("info")});
}

int PlaybackStreams(bool onlySonvelle)
{
    const QString listing = ToolOutput(QStringLiteral("pactl"), {"list", "sink-inputs"});
    return static_cast<int>(listing.count(onlySonvelle ? QStringLiteral("application.name = \"Sonvelle\"")
                                                       : QStringLiteral("Sink Input #")));
}

}  // namespace sonvelle::test
