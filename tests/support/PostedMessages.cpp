#include "support/PostedMessages.h"

namespace sonvelle::test {

bool CMainWindowStub::event(QEvent* e)
{
    if (e->type() != CMessage::EventType())
        return QObject::event(e);
    auto* m = static_cast<CMessage*>(e);
    ReceivedMessage r{m->Message(), m->WParam(), m->LParam(), {}};
    if (auto path = m->TakePayload<QString>())
        r.path = *path;
    received.push_back(r);
    return true;
}

int CMainWindowStub::Count(unsigned message) const
{
    return static_cast<int>(Only(message).size());
}

std::vector<ReceivedMessage> CMainWindowStub::Only(unsigned message) const
{
    std::vector<ReceivedMessage> out;
    for (const auto& r : received)
        if (r.message == message)
            out.push_back(r);
    return out;
}

}  // namespace sonvelle::test
