#include "CloseSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace sonvelle {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
std::atomic<int> g_writeEnd{-1};

extern "C" void OnCloseSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        // A full pipe already holds requests enough.
        [[maybe_unused]] const ssize_t written = write(fd, &number, 1);
    }
    errno = savedErrno;
}

}  // namespace

CCloseSignals::CCloseSignals(QObject* parent) : QObject(parent)
{
    int fds[2];
    if (g_writeEnd.load() >= 0 || pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = fds[0];
    g_writeEnd.store(fds[1]);
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CCloseSignals::OnReadable);

    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals)
        sigaction(s, &action, nullptr);
}

CCloseSignals::~CCloseSignals()
{
    if (!m_notifier)
        return;
    for (int s : kSignals)
        std::signal(s, SIG_DFL);
    const int writeEnd = g_writeEnd.exchange(-1);
    close(writeEnd);
    close(m_readEnd);
}

void CCloseSignals::OnReadable()
{
    unsigned char numbers[16];
    ssize_t got;
    while ((got = read(m_readEnd, numbers, sizeof numbers)) > 0) {
        for (ssize_t i = 0; i < got; ++i)
            emit closeRequested(numbers[i]);
    }
}

}  // namespace sonvelle
