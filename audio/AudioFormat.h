#pragma once
// The capture format and the blocks that travel between the capture device,
// the capture thread and the writer thread.

#include <QByteArray>

#include <array>
#include <cstdint>
#include <memory>

namespace sonvelle {

constexpr int kSampleRate = 32000;
constexpr int kSamplesPerBuffer = 1152;
constexpr int kBytesPerSample = 2;
constexpr int kBufferBytes = kSamplesPerBuffer * kBytesPerSample;  // 2304 bytes, 36 ms

// The 18-byte wave format record: 16-bit PCM, little-endian.
#pragma pack(push, 1)
struct WaveFormat {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSec = kSampleRate;
    std::uint32_t avgBytesPerSec = 2 * kSampleRate;
    std::uint16_t blockAlign = 2;
    std::uint16_t bitsPerSample = 16;
    std::uint16_t extraSize = 0;
};
#pragma pack(pop)
static_assert(sizeof(WaveFormat) == 18);

// One capture buffer: its block (buffer length = data.size()) and the bytes
// the device recorded into it. Travels as the payload of MM_WIM_DATA (device
// to capture thread) and of WM_WRITER_DATA (a copy, capture thread to writer).
struct CWaveBuffer {
    QByteArray data;
    std::uint32_t bytesRecorded = 0;
};

std::unique_ptr<CWaveBuffer> AllocCaptureBuffer();

// The capture start record, payload of WM_WRITER_CREATE_FILE: 378 zero-filled
// bytes holding "sound.wav" in a 260-byte name field and the wave format.
struct CCaptureStartRecord {
    std::array<char, 378> bytes{};
    explicit CCaptureStartRecord(const WaveFormat& format);
};

}  // namespace sonvelle
