#pragma once
// Sound files and sound-server checks for the player's tests. Files are made
// by sox and lame in a temporary folder, as a recording would be encoded.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace sonvelle::test {

inline bool RunTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

inline QString ToolOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A sine tone of the given length as 16-bit mono 32 kHz WAV.
inline QString MakeToneWav(const QTemporaryDir& dir, const QString& name, double seconds)
{
    const QString path = dir.filePath(name + QStringLiteral(".wav"));
    const bool ok = RunTool(QStringLiteral("sox"),
                            {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("32000"), QStringLiteral("-c"),
                             QStringLiteral("1"), QStringLiteral("-b"), QStringLiteral("16"), path,
                             QStringLiteral("synth"), QString::number(seconds, 'f', 3), QStringLiteral("sine"),
                             QStringLiteral("440"), QStringLiteral("vol"), QStringLiteral("0.3")});
    return ok ? path : QString();
}

// The same tone encoded as the recorder encodes: 32 kbit/s mono, 32 kHz.
inline QString MakeToneMp3(const QTemporaryDir& dir, const QString& name, double seconds)
{
    const QString wav = MakeToneWav(dir, name, seconds);
    if (wav.isEmpty())
        return {};
    const QString path = dir.filePath(name + QStringLiteral(".mp3"));
    const bool ok = RunTool(QStringLiteral("lame"), {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("32"),
                                                     QStringLiteral("-m"), QStringLiteral("m"),
                                                     QStringLiteral("--resample"), QStringLiteral("32"), wav, path});
    return ok ? path : QString();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline bool SoundServerAnswers()
{
    return RunTool(QStringLiteral("pactl"), {QStringLiteral("info")});
}

// How many playback streams of this program the sound server shows.
inline int SonvellePlaybackStreams()
{
    const QString listing = ToolOutput(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("sink-inputs")});
    return static_cast<int>(listing.count(QStringLiteral("application.name = \"Sonvelle\"")));
}

}  // namespace sonvelle::test
