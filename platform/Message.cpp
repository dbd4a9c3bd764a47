#include "Message.h"

#include <QCoreApplication>

namespace sonvelle {

QEvent::Type CMessage::EventType()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

CMessage::CMessage(unsigned message, WPARAM wParam, LPARAM lParam)
    : QEvent(EventType()), m_message(message), m_wParam(wParam), m_lParam(lParam)
{
}

void PostMessageEvent(QObject* receiver, CMessage* message)
{
    QCoreApplication::postEvent(receiver, message);
}

bool PostMessageTo(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam)
{
    if (!receiver)
        return false;
    PostMessageEvent(receiver, new CMessage(message, wParam, lParam));
    return true;
}

}  // namespace sonvelle
