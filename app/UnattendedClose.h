#pragma once
// Closes the main window for a system request (a signal, the session
// manager's quit) through its normal close sequence, with nobody to answer:
// open message boxes are dismissed, and the close waits for any other modal
// dialog to end before it starts.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace sonvelle {

class CUnattendedClose : public QObject {
    Q_OBJECT
public:
    explicit CUnattendedClose(QWidget* window, QObject* parent = nullptr);

    // Safe to call any number of times; the first call starts the close.
    void Request(const QString& why);
    bool IsRequested() const { return m_requested; }

private:
    void CloseWhenFree();

    QPointer<QWidget> m_window;
    bool m_requested = false;
};

}  // namespace sonvelle
