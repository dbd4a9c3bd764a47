#include "platform/CloseSignals.h"

#include "support/EventWait.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace sonvelle {
namespace {

// Each listener is made after the last one ended, so the loop also shows the handler comes back.
TEST(CloseSignals, EachEndingSignalBecomesACloseRequestToTheOneListenerAndTheDefaultActionReturns)
{
    test::EnsureCoreApplication();
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        CCloseSignals closeSignals;
        ASSERT_TRUE(closeSignals.IsListening());
        EXPECT_FALSE(CCloseSignals().IsListening());
        std::vector<int> received;
        QObject::connect(&closeSignals, &CCloseSignals::closeRequested, [&received](int n) { received.push_back(n); });
        raise(signalNumber);
        test::WaitUntil([&received] { return !received.empty(); });
        EXPECT_EQ(received, std::vector<int>{signalNumber}) << signalNumber;
    }
    struct sigaction current {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace sonvelle
