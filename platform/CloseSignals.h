#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, `systemctl --user stop`, Ctrl-C, a
// closed terminal) become a close request on the event loop instead of ending
// the process, so that the normal close sequence stores the running recording
// and restores the volumes. The handler only writes the signal's number into
// a pipe; a QSocketNotifier reads it on the thread that made this object.

#include <QObject>

class QSocketNotifier;

namespace sonvelle {

class CCloseSignals : public QObject {
    Q_OBJECT
public:
    explicit CCloseSignals(QObject* parent = nullptr);
    // Gives the signals back their default action.
    ~CCloseSignals() override;

    // False when the pipe could not be made or another object already listens.
    bool IsListening() const { return m_notifier != nullptr; }

signals:
    // Once per signal received; several may come before the close is done.
    void closeRequested(int signalNumber);

private:
    void OnReadable();

    int m_readEnd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace sonvelle
