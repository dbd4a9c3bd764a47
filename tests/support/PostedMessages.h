#pragma once
// The main window as the worker threads see it: collects what they post.

#include "platform/Message.h"

#include <QObject>
#include <QString>

#include <algorithm>
#include <iterator>
#include <vector>

namespace sonvelle::test {

struct ReceivedMessage {
    unsigned message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    QString path;  // the payload of a file-ready message
};

class CMainWindowStub : public QObject {
public:
    bool event(QEvent* e) override
    {
        if (e->type() != CMessage::EventType())
            return QObject::event(e);
        auto* m = static_cast<CMessage*>(e);
        auto path = m->TakePayload<QString>();
        received.push_back({m->Message(), m->WParam(), m->LParam(), path ? *path : QString()});
        return true;
    }
    int Count(unsigned message) const { return static_cast<int>(Only(message).size()); }
    std::vector<ReceivedMessage> Only(unsigned message) const
    {
        std::vector<ReceivedMessage> out;
        std::ranges::copy_if(received, std::back_inserter(out),
                             [message](const ReceivedMessage& r) { return r.message == message; });
        return out;
    }

    std::vector<ReceivedMessage> received;
};

}  // namespace sonvelle::test
