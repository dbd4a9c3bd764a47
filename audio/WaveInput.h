#pragma once
// The wave-input device: buffers added to it are filled in order and posted
// back to the owning thread as MM_WIM_DATA (wParam the device's number,
// payload the CWaveBuffer); Reset posts back every queued buffer with the
// bytes recorded so far. Results are 0 or an error number for ErrorText.
// A device whose server goes away while it is open posts WM_WAVEIN_LOST
// once (wParam the device's number, lParam the error); from then on Reset
// and Stop succeed at once, for there is nothing left to stop.

#include "audio/AudioFormat.h"
#include "platform/Message.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace sonvelle {

constexpr unsigned WM_WAVEIN_LOST = WM_USER + 506;

class IWaveInput {
public:
    virtual ~IWaveInput() = default;
    virtual int Open(QObject* notify, const WaveFormat& format) = 0;
    virtual void AddBuffer(std::unique_ptr<CWaveBuffer> buffer) = 0;
    virtual int Start() = 0;
    virtual int Reset() = 0;
    virtual int Stop() = 0;
    virtual int Close() = 0;
    virtual QString ErrorText(int error) const = 0;
    virtual int QueuedBuffers() const = 0;
    // Sound that arrived while no buffer was queued (bytes).
    virtual std::uint64_t DroppedBytes() const = 0;
    // The number its notices carry; 0 when it posts none but buffers.
    virtual std::uintptr_t DeviceId() const { return 0; }
};

using WaveInputFactory = std::function<std::unique_ptr<IWaveInput>()>;

// The file-fed microphone when SONVELLE_WAVE_INPUT names a WAV file, else the
// sound server's default source.
std::unique_ptr<IWaveInput> CreateDefaultWaveInput();

// The queue shared by the real devices: filled from the device's own thread.
class CBufferQueue {
public:
    static constexpr int kPendingLimit = 2 * 64000;  // two seconds
    void SetTarget(QObject* notify, std::uintptr_t deviceId);
    std::uintptr_t DeviceId() const;
    // Posts a message about the device itself to the owner.
    void PostNotice(unsigned message, std::intptr_t lParam);
    void Add(std::unique_ptr<CWaveBuffer> buffer);
    // Copies sound into the queued buffers, posting each one that is full.
    void Fill(const char* bytes, std::size_t count);
    // Posts every queued buffer, in order.
    void ReturnAll();
    int Size() const;
    std::uint64_t Dropped() const;

private:
    void PostFront();
    void FillLocked(const char* bytes, std::size_t count);
    mutable std::mutex m_mutex;
    std::deque<std::unique_ptr<CWaveBuffer>> m_queue;
    // Sound that came while every buffer was in the owner's hands: it waits
    // here (up to kPendingLimit) for the next buffer instead of being lost.
    QByteArray m_pending;
    QObject* m_notify = nullptr;
    std::uintptr_t m_deviceId = 0;
    std::uint64_t m_dropped = 0;
};

std::uintptr_t NextWaveDeviceId();

}  // namespace sonvelle
