#pragma once
// Streaming decoder for playback and duration: MP3 through libmpg123, WAV
// (and the other containers libsndfile reads) through libsndfile. Output is
// always interleaved signed 16-bit samples; only one block is decoded at a time,
// so a long recording never sits decoded in memory.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace sonvelle {

class CPlaybackDecoder {
public:
    CPlaybackDecoder();
    ~CPlaybackDecoder();
    CPlaybackDecoder(const CPlaybackDecoder&) = delete;
    CPlaybackDecoder& operator=(const CPlaybackDecoder&) = delete;

    // Opens the file and reads up to its first audio frame. On failure the
    // reason is in error and the decoder stays closed.
    bool Open(const QString& path, QString& error);
    void Close();
    bool IsOpen() const;

    int Rate() const { return m_rate; }
    int Channels() const { return m_channels; }

    // Length in milliseconds. Exact counts the frames of a variable-rate MP3;
    // otherwise the length comes from the first frames and the file size.
    std::uint32_t LengthMs(bool exact);

    // Decodes up to maxBytes (whole frames) into out; 0 at the end or on a
    // decoding error that cannot be passed over.
    std::size_t Read(void* out, std::size_t maxBytes);

    bool SeekMs(std::uint32_t positionMs);

    std::size_t BytesPerFrame() const { return static_cast<std::size_t>(m_channels) * 2; }

private:
    struct Mp3;
    struct Wav;
    std::unique_ptr<Mp3> m_mp3;
    std::unique_ptr<Wav> m_wav;
    int m_rate = 0;
    int m_channels = 0;
};

}  // namespace sonvelle
