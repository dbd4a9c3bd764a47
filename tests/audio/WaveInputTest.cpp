// The device side of capture: the buffer queue that both devices share, and
// the file-fed microphone.

#include "audio/FileWaveInput.h"
#include "audio/WaveInput.h"
#include "platform/Messages.h"

#include "support/EventWait.h"
#include "support/SoundFiles.h"

#include <QTemporaryDir>

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
    EXPECT_EQ(queue.Size(), 0);

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

TEST(FileFedMicrophone, PlaysTheFileMixedToMonoAtItsPaceThenSilenceAndRefusesWhatItCannotPlay)
{
    QTemporaryDir dir;
    std::vector<short> frames;
    for (int i = 0; i < 3 * 1152; ++i)
        frames.insert(frames.end(), {1000, 3000});
    const QString path = dir.filePath("mic.wav");
    ASSERT_TRUE(WriteWav(path, frames, 32000, 2));
    auto source = std::make_shared<CFileFedSource>(path, 20.0);
    ASSERT_TRUE(source->Valid()) << source->Error().toStdString();
    EXPECT_EQ(source->Samples(), 3u * 1152);

    CBufferSink sink;
    CFileWaveInput input(source);
    ASSERT_EQ(input.Open(&sink, WaveFormat{}), 0);
    for (int i = 0; i < 6; ++i)
        input.AddBuffer(AllocCaptureBuffer());
    const std::uint32_t before = source->NowMs();
    ASSERT_EQ(input.Start(), 0);
    ASSERT_TRUE(WaitUntil([&] { return sink.buffers.size() == 6; }));
    // Six buffers are 216 ms of sound: the clock ran as far, and did not jump.
    const std::uint32_t ran = source->NowMs() - before;
    EXPECT_GE(ran, 216u);
    EXPECT_LT(ran, 100000u);
    input.Stop();
    input.Close();
    EXPECT_EQ(SampleAt(*sink.buffers[0], 5), 2000);
    EXPECT_EQ(SampleAt(*sink.buffers[5], 1151), 0);  // past the end: silence
    for (const auto& b : sink.buffers)
        EXPECT_EQ(b->bytesRecorded, 2304u);

    // A file it cannot play: a wrong rate, or none at all, which no device opens on.
    ASSERT_TRUE(WriteWav(dir.filePath("mic44.wav"), std::vector<short>(4410, 5), 44100));
    EXPECT_FALSE(CFileFedSource(dir.filePath("mic44.wav"), 1.0).Valid());
    CFileWaveInput missing(std::make_shared<CFileFedSource>(dir.filePath("none.wav"), 1.0));
    EXPECT_NE(missing.Open(&sink, WaveFormat{}), 0);
    EXPECT_NE(missing.Start(), 0);
}

}  // namespace
