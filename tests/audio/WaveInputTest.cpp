// The device side of capture: the buffer queue that both devices share.

#include "audio/WaveInput.h"
#include "platform/Messages.h"

#include "support/EventWait.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace sonvelle;
using namespace sonvelle::test;

namespace {

// Collects the buffers a device hands back, in order.
class CBufferSink : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != CMessage::EventType())
            return QObject::event(e);
        auto* m = static_cast<CMessage*>(e);
        if (m->Message() == MM_WIM_DATA)
            if (auto b = m->TakePayload<CWaveBuffer>())
                buffers.push_back(std::move(b));
        return true;
    }
    std::vector<std::unique_ptr<CWaveBuffer>> buffers;
};

std::int16_t SampleAt(const CWaveBuffer& b, int i)
{
    std::int16_t v = 0;
    std::memcpy(&v, b.data.constData() + 2 * i, 2);
    return v;
}

TEST(BufferQueue, FillsInOrderAResetReturnsThePartialBufferAndOnlyTheOverflowIsLost)
{
    CBufferSink sink;
    CBufferQueue queue;
    queue.SetTarget(&sink, 7);
    for (int i = 0; i < 3; ++i)
        queue.Add(AllocCaptureBuffer());
    std::vector<std::int16_t> ramp(1152 + 100);
    for (size_t i = 0; i < ramp.size(); ++i)
        ramp[i] = static_cast<std::int16_t>(i);
    // Odd-sized pieces, as a server delivers them.
    queue.Fill(reinterpret_cast<const char*>(ramp.data()), 1001);
    queue.Fill(reinterpret_cast<const char*>(ramp.data()) + 1001, ramp.size() * 2 - 1001);
    queue.ReturnAll();
    ASSERT_TRUE(WaitUntil([&] { return sink.buffers.size() == 3; }));
    EXPECT_EQ(sink.buffers[0]->bytesRecorded, 2304u);
    EXPECT_EQ(SampleAt(*sink.buffers[0], 1151), 1151);
    EXPECT_EQ(sink.buffers[1]->bytesRecorded, 200u);
    EXPECT_EQ(SampleAt(*sink.buffers[1], 0), 1152);
    EXPECT_EQ(sink.buffers[2]->bytesRecorded, 0u);

    // With no buffer queued, sound waits for the next one up to a limit.
    sink.buffers.clear();
    std::vector<char> sound(CBufferQueue::kPendingLimit + 1000, 1);
    queue.Fill(sound.data(), sound.size());
    EXPECT_EQ(queue.Dropped(), 1000u);
    queue.Add(AllocCaptureBuffer());
    ASSERT_TRUE(WaitUntil([&] { return sink.buffers.size() == 1; }));
    EXPECT_EQ(sink.buffers[0]->bytesRecorded, 2304u);
    EXPECT_EQ(sink.buffers[0]->data.at(0), 1);
    // A reset forgets what was waiting: it belonged to the capture that stopped.
    queue.ReturnAll();
    queue.Add(AllocCaptureBuffer());
    EXPECT_EQ(queue.Size(), 1);
}

}  // namespace
