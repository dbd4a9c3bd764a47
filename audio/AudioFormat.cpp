#include "audio/AudioFormat.h"

#include <cstring>

namespace sonvelle {

std::unique_ptr<CWaveBuffer> AllocCaptureBuffer()
{
    auto buffer = std::make_unique<CWaveBuffer>();
    buffer->data = QByteArray(kBufferBytes, '\0');
    return buffer;
}

CCaptureStartRecord::CCaptureStartRecord(const WaveFormat& format)
{
    static constexpr char kName[] = "sound.wav";
    std::memcpy(bytes.data(), kName, sizeof kName);
    std::memcpy(bytes.data() + 260, &format, sizeof format);
}

}  // namespace sonvelle
