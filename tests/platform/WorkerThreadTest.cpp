#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <vector>

using namespace sonvelle;

namespace {

// Counts live payloads so that a leak or a double free shows.
struct Tracked {
    static inline std::atomic<int> alive{0};
    int value;
    explicit Tracked(int v) : value(v) { ++alive; }
    ~Tracked() { --alive; }
};

// Read only after the thread ended.
class RecordingThread : public CWorkerThread {
public:
    std::vector<int> seen;
    std::vector<int> payloads;
    std::atomic<bool> sawForeignThread{false};

protected:
    void OnMessage(CMessage& message) override
    {
        if (QThread::currentThread() != this)
            sawForeignThread = true;
        if (message.Message() == 99) {
            EndThread();
            return;
        }
        seen.push_back(static_cast<int>(message.WParam()));
        if (auto p = message.TakePayload<Tracked>())
            payloads.push_back(p->value);
    }
};

TEST(WorkerThread, DeliversInPostedOrderOnItsOwnThreadAndPayloadsAreFreedWhateverHappens)
{
    {
        RecordingThread thread;
        for (int i = 0; i < 100; ++i)  // posted before the start: they wait in the queue
            thread.PostThreadMessage(1, static_cast<WPARAM>(i));
        thread.Start();
        for (int i = 100; i < 1000; ++i)
            thread.PostThreadMessage(1, static_cast<WPARAM>(i), 0, std::make_unique<Tracked>(i));
        thread.PostThreadMessage(99);
        ASSERT_TRUE(thread.wait(10000));
        EXPECT_FALSE(thread.IsStillActive());
        EXPECT_FALSE(thread.sawForeignThread);
        std::vector<int> posted(1000);
        std::iota(posted.begin(), posted.end(), 0);
        EXPECT_EQ(thread.seen, posted);
        EXPECT_EQ(thread.payloads.size(), 900u);
        EXPECT_FALSE(thread.PostThreadMessage(1, 0, 0, std::make_unique<Tracked>(7)));

        RecordingThread endsEarly;
        endsEarly.Start();
        endsEarly.PostThreadMessage(99);  // ends before reading the rest
        for (int i = 0; i < 50; ++i)
            endsEarly.PostThreadMessage(1, 0, 0, std::make_unique<Tracked>(i));
        ASSERT_TRUE(endsEarly.wait(10000));
        RecordingThread neverStarted;
        neverStarted.PostThreadMessage(1, 0, 0, std::make_unique<Tracked>(1));
    }
    EXPECT_EQ(Tracked::alive.load(), 0);

    CMessage message(5, 1, 2, std::make_unique<Tracked>(3));
    EXPECT_EQ(message.TakePayload<int>(), nullptr);
    EXPECT_TRUE(message.HasPayload());
    const auto p = message.TakePayload<Tracked>();
    EXPECT_TRUE(p && p->value == 3);
    EXPECT_FALSE(message.HasPayload());
}

}  // namespace
