#pragma once
// Sound made and read by tools independent of the program: sox, lame and
// espeak-ng make it, libsndfile reads and writes WAV, mpg123 decodes MP3.

#include <QString>
#include <QStringList>

#include <vector>

namespace sonvelle::test {

struct Pcm {
    bool ok = false;
    int rate = 0;
    int channels = 0;
    std::vector<short> samples;
    double Seconds() const { return rate > 0 && channels > 0 ? double(samples.size()) / channels / rate : -1.0; }
};

// Runs a tool to its end; true when it exits with 0.
bool RunTool(const QString& program, const QStringList& arguments);
QString ToolOutput(const QString& program, const QStringList& arguments);

Pcm ReadWav(const QString& path);
// 16-bit PCM; 32 kHz mono is the microphone's format.
bool WriteWav(const QString& path, const std::vector<short>& samples, int rate = 32000, int channels = 1);
// What mpg123 decodes from the file; ok is false when it cannot.
Pcm DecodeMp3(const QString& path);

// What mp3val finds wrong, one finding a line ("no tags" is no fault in an untagged segment).
QStringList Mp3valFindings(const QString& path);
// The same for the frames behind an ID3v2 tag, given to mp3val without the tag: our
// tag's size counts its own header, and mp3val, starting ten bytes into the first
// frame, can resynchronise on a false frame and report faults the audio has not.
QStringList Mp3valFindingsBehindTag(const QString& path);
// "rate,channels,bit rate" of the first audio stream as ffprobe reads it.
QString ProbeStream(const QString& path);

// Spoken words as a 32 kHz mono WAV in the folder; empty on failure.
QString MakeSpeech(const QString& folder, const QString& words);
// A 440 Hz sine as 32 kHz mono WAV, and as the recorder encodes it (32 kbit/s mono MP3).
QString MakeToneWav(const QString& folder, const QString& name, double seconds);
QString MakeToneMp3(const QString& folder, const QString& name, double seconds);

// A tone (or silence, amplitude 0) of n samples at 32 kHz.
std::vector<short> Tone(int samples, double hz, int amplitude);
double Rms(const std::vector<short>& samples);
// Seconds from the first to the last sample at or above the threshold: what a voice gate keeps.
double LoudSeconds(const std::vector<short>& samples, int threshold);

bool SoundServerAnswers();
// Playback streams on the sound server: all of them, or this program's.
int PlaybackStreams(bool onlySonvelle = true);

}  // namespace sonvelle::test
