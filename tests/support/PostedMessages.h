#pragma once
// The main window as the worker threads see it: collects what they post.

#include "platform/Message.h"

#include <QObject>
#include <QString>

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
    bool event(QEvent* e) override;
    std::vector<ReceivedMessage> received;
    int Count(unsigned message) const;
    std::vector<ReceivedMessage> Only(unsigned message) const;
};

}  // namespace sonvelle::test
