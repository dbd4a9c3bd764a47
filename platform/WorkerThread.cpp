#include "WorkerThread.h"

#include <QCoreApplication>

namespace sonvelle {

class CWorkerThread::CReceiver : public QObject {
public:
    explicit CReceiver(CWorkerThread* owner) : m_owner(owner) {}

    bool event(QEvent* e) override
    {
        if (e->type() == CMessage::EventType()) {
            if (!m_owner->m_ended.load())
                m_owner->OnMessage(*static_cast<CMessage*>(e));
            return true;
        }
        return QObject::event(e);
    }

private:
    CWorkerThread* m_owner;
};

CWorkerThread::CWorkerThread() : m_receiver(new CReceiver(this))
{
    m_receiver->moveToThread(this);
}

CWorkerThread::~CWorkerThread()
{
    if (isRunning()) {
        quit();
        wait();
    }
    // Deleting the receiver drops whatever is still queued for it, payloads included.
    QCoreApplication::removePostedEvents(m_receiver);
    delete m_receiver;
}

void CWorkerThread::Start()
{
    start();
}

bool CWorkerThread::PostThreadMessage(unsigned message, WPARAM wParam, LPARAM lParam)
{
    if (m_ended.load())
        return false;
    return PostMessageTo(m_receiver, message, wParam, lParam);
}

bool CWorkerThread::IsStillActive() const
{
    return !m_ended.load() && !isFinished();
}

void CWorkerThread::EndThread()
{
    m_ended.store(true);
    quit();
}

void CWorkerThread::run()
{
    OnThreadStart();
    if (!m_ended.load())
        exec();
    m_ended.store(true);
    QCoreApplication::removePostedEvents(m_receiver);
    OnThreadEnd();
}

}  // namespace sonvelle
