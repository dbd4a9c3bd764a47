#include "audio/WaveInput.h"

#include "audio/FileWaveInput.h"
#include "audio/PulseWaveInput.h"
#include "platform/Messages.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace sonvelle {

std::uintptr_t NextWaveDeviceId()
{
    static std::atomic<std::uintptr_t> next{1};
    return next.fetch_add(1);
}

std::unique_ptr<IWaveInput> CreateDefaultWaveInput()
{
    const QString file = qEnvironmentVariable("SONVELLE_WAVE_INPUT");
    if (!file.isEmpty())
        return std::make_unique<CFileWaveInput>(CFileFedSource::FromEnvironment());
    return std::make_unique<CPulseWaveInput>();
}

void CBufferQueue::SetTarget(QObject* notify, std::uintptr_t deviceId)
{
    std::lock_guard lock(m_mutex);
    m_notify = notify;
    m_deviceId = deviceId;
}

std::uintptr_t CBufferQueue::DeviceId() const
{
    std::lock_guard lock(m_mutex);
    return m_deviceId;
}

void CBufferQueue::PostNotice(unsigned message, std::intptr_t lParam)
{
    std::lock_guard lock(m_mutex);
    PostMessageTo(m_notify, message, m_deviceId, lParam);
}

void CBufferQueue::Add(std::unique_ptr<CWaveBuffer> buffer)
{
    if (!buffer)
        return;
    buffer->bytesRecorded = 0;
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(buffer));
    if (!m_pending.isEmpty()) {
        const QByteArray pending = std::move(m_pending);
        m_pending.clear();
        FillLocked(pending.constData(), static_cast<std::size_t>(pending.size()));
    }
}

void CBufferQueue::PostFront()
{
    std::unique_ptr<CWaveBuffer> done = std::move(m_queue.front());
    m_queue.pop_front();
    PostMessageTo(m_notify, MM_WIM_DATA, m_deviceId, 0, std::move(done));
}

void CBufferQueue::Fill(const char* bytes, std::size_t count)
{
    std::lock_guard lock(m_mutex);
    FillLocked(bytes, count);
}

void CBufferQueue::FillLocked(const char* bytes, std::size_t count)
{
    while (count > 0) {
        if (m_queue.empty()) {
            const auto room = static_cast<std::size_t>(std::max(0, kPendingLimit - static_cast<int>(m_pending.size())));
            const std::size_t kept = std::min(room, count);
            m_pending.append(bytes, static_cast<qsizetype>(kept));
            m_dropped += count - kept;
            return;
        }
        CWaveBuffer& b = *m_queue.front();
        const std::size_t room = static_cast<std::size_t>(b.data.size()) - b.bytesRecorded;
        const std::size_t n = std::min(room, count);
        std::memcpy(b.data.data() + b.bytesRecorded, bytes, n);
        b.bytesRecorded += static_cast<std::uint32_t>(n);
        bytes += n;
        count -= n;
        if (b.bytesRecorded == static_cast<std::uint32_t>(b.data.size()))
            PostFront();
    }
}

void CBufferQueue::ReturnAll()
{
    std::lock_guard lock(m_mutex);
    m_pending.clear();  // sound of a capture that is being stopped
    while (!m_queue.empty())
        PostFront();
}

int CBufferQueue::Size() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_queue.size());
}

std::uint64_t CBufferQueue::Dropped() const
{
    std::lock_guard lock(m_mutex);
    return m_dropped;
}

}  // namespace sonvelle
