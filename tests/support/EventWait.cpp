#include "support/EventWait.h"

#include <QCoreApplication>
#include <QThread>

namespace sonvelle::test {

void EnsureCoreApplication()
{
    static int argc = 1;
    static char arg0[] = "sonvelle_test";
    static char* argv[] = {arg0, nullptr};
    // Never destroyed: Qt's own globals are gone by the time static objects are.
    [[maybe_unused]] static QCoreApplication* app =
        QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents();
    return true;
}

}  // namespace sonvelle::test
