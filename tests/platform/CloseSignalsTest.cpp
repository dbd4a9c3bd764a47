#include "platform/CloseSignals.h"
#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

namespace sonvelle {
namespace {

std::vector<int> ReceiveFor(CCloseSignals& closeSignals, int signalNumber)
{
    std::vector<int> received;
    QObject::connect(&closeSignals, &CCloseSignals::closeRequested, [&received](int n) { received.push_back(n); });
    raise(signalNumber);
    QElapsedTimer timer;
    timer.start();
    while (received.empty() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return received;
}

TEST(CloseSignals, EachEndingSignalBecomesACloseRequestInsteadOfAnEnd)
{
    ASSERT_NE(QCoreApplication::instance(), nullptr);
    for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        CCloseSignals closeSignals;
        ASSERT_TRUE(closeSignals.IsListening());
        EXPECT_EQ(ReceiveFor(closeSignals, signalNumber), std::vector<int>{signalNumber}) << signalNumber;
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

TEST(Unattended, NobodyIsAskedOnceTheSessionEnds)
{
    CScriptedPrompt scripted;
    SetPrompt(&scripted);
    EXPECT_TRUE(CanAskUser());
    SetUnattended();
    EXPECT_FALSE(CanAskUser());
    // Never a yes given on the user's behalf, and nothing waits for an answer.
    EXPECT_EQ(MessageBox("Save?", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("Go on?", PromptIcon::Question, PromptButtons::OkCancel), PromptResult::Cancel);
    EXPECT_TRUE(scripted.ShownSoFar().empty());
    SetUnattended(false);
    SetPrompt(nullptr);
}

}  // namespace
}  // namespace sonvelle
