#pragma once
// A thread with its own message queue. Subclasses handle messages in
// OnMessage, on the worker thread, one at a time, in the order posted.
// Messages posted before Start() wait in the queue.

#include "Message.h"

#include <QThread>

#include <atomic>

namespace sonvelle {

class CWorkerThread : public QThread {
public:
    CWorkerThread();
    ~CWorkerThread() override;

    // Starts the thread's message loop.
    void Start();

    // Posts a message to the thread's queue. False once the thread has ended.
    bool PostThreadMessage(unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);
    template <class T>
    bool PostThreadMessage(unsigned message, WPARAM wParam, LPARAM lParam, std::unique_ptr<T> payload)
    {
        if (m_ended.load())
            return false;
        return PostMessageTo(m_receiver, message, wParam, lParam, std::move(payload));
    }

    // True while the thread has not ended (the "STILL_ACTIVE" exit code).
    bool IsStillActive() const;

    // The object messages for this thread are delivered to.
    QObject* Receiver() const { return m_receiver; }

protected:
    virtual void OnMessage(CMessage& message) = 0;
    // Runs on the worker thread before the first message and after the last.
    virtual void OnThreadStart() {}
    virtual void OnThreadEnd() {}

    // Ends the message loop after the current message; queued messages are
    // dropped and their payloads freed.
    void EndThread();

private:
    class CReceiver;
    void run() override;

    QObject* m_receiver;
    std::atomic<bool> m_ended{false};
};

}  // namespace sonvelle
