#include "platform/Prompt.h"

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

// Once the session ends, or with no prompt at all, nobody is asked and nothing waits for an answer.
TEST(Prompt, NoYesIsGivenUnattendedOrWithoutAPrompt)
{
    CScriptedPrompt scripted;
    SetPrompt(&scripted);
    EXPECT_TRUE(CanAskUser());
    SetUnattended();
    EXPECT_FALSE(CanAskUser());
    EXPECT_EQ(MessageBox("Save?", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("Go on?", PromptIcon::Question, PromptButtons::OkCancel), PromptResult::Cancel);
    EXPECT_TRUE(scripted.ShownSoFar().empty());
    SetUnattended(false);

    SetPrompt(nullptr);
    EXPECT_EQ(MessageBox("Overwrite?", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("Go on?", PromptIcon::Question, PromptButtons::OkCancel), PromptResult::Cancel);
}

}  // namespace
