#include "platform/CloseSignals.h"

#include "support/EventWait.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace sonvelle {
namespace {

TEST(CloseSignals, EachEndingSignalBecomesACloseRequestInsteadOfAnEnd)
{
    test::EnsureCoreApplication();
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        CCloseSignals closeSignals;
        ASSERT_TRUE(closeSignals.IsListening());
        std::vector<int> received;
        QObject::connect(&closeSignals, &CCloseSignals::closeRequested, [&received](int n) { received.push_back(n); });
        raise(signalNumber);
        test::WaitUntil([&received] { return !received.empty(); });
        EXPECT_EQ(received, std::vector<int>{signalNumber}) << signalNumber;
    }
}

TEST(CloseSignals, OneListenerAtATimeAndTheDefaultActionComesBack)
{
    {
        CCloseSignals first;
        ASSERT_TRUE(first.IsListening());
        CCloseSignals second;
        EXPECT_FALSE(second.IsListening());
    }
    struct sigaction current {};
    ASSERT_EQ(sigaction(SIGTERM, nullptr, &current), 0);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
    CCloseSignals again;
    EXPECT_TRUE(again.IsListening());
}

}  // namespace
}  // namespace sonvelle
