#pragma once
// Posted messages between the threads: an event carrying the message number,
// wParam, lParam and, optionally, an owned payload (a buffer, a path text).
// The payload belongs to the receiver; an event dropped unread frees it.

#include <QEvent>
#include <QObject>

#include <cstdint>
#include <memory>
#include <typeindex>

namespace sonvelle {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_CLOSE = 0x0010;

class CMessage : public QEvent {
public:
    static QEvent::Type EventType();

    CMessage(unsigned message, WPARAM wParam, LPARAM lParam);

    template <class T>
    CMessage(unsigned message, WPARAM wParam, LPARAM lParam, std::unique_ptr<T> payload)
        : CMessage(message, wParam, lParam)
    {
        m_payload = Owned(payload.release(), [](void* p) { delete static_cast<T*>(p); });
        m_payloadType = typeid(T);
    }

    unsigned Message() const { return m_message; }
    WPARAM WParam() const { return m_wParam; }
    LPARAM LParam() const { return m_lParam; }

    bool HasPayload() const { return m_payload != nullptr; }

    // Takes the payload out of the message; null when absent or of another type.
    template <class T>
    std::unique_ptr<T> TakePayload()
    {
        if (!m_payload || m_payloadType != std::type_index(typeid(T)))
            return nullptr;
        return std::unique_ptr<T>(static_cast<T*>(m_payload.release()));
    }

private:
    unsigned m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    using Owned = std::unique_ptr<void, void (*)(void*)>;
    Owned m_payload{nullptr, [](void*) {}};
    std::type_index m_payloadType = typeid(void);
};

// Posts to any receiver (a worker thread's receiver or a window). The event
// is delivered on the receiver's thread, in the order posted. Returns false
// when the receiver is null (the payload is freed then).
bool PostMessageTo(QObject* receiver, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0);

void PostMessageEvent(QObject* receiver, CMessage* message);

template <class T>
bool PostMessageTo(QObject* receiver, unsigned message, WPARAM wParam, LPARAM lParam, std::unique_ptr<T> payload)
{
    if (!receiver)
        return false;
    PostMessageEvent(receiver, new CMessage(message, wParam, lParam, std::move(payload)));
    return true;
}

}  // namespace sonvelle
