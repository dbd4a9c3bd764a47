#include "platform/Prompt.h"

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

TEST(Prompt, AnswersAsScriptedAndNoYesIsGivenUnattendedOrWithoutAPrompt)
{
    CScriptedPrompt scripted;
    SetPrompt(&scripted);
    scripted.Answer(PromptResult::No);
    EXPECT_EQ(MessageBox("first", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("second", PromptIcon::Information, PromptButtons::YesNoCancel, "Find"), PromptResult::Yes);
    ASSERT_EQ(scripted.ShownSoFar().size(), 2u);
    EXPECT_EQ(scripted.ShownSoFar()[0].caption, "Sonvelle");  // the product's unless one is given
    EXPECT_EQ(scripted.ShownSoFar()[1].caption, "Find");
    EXPECT_EQ(scripted.ShownSoFar()[1].buttons, PromptButtons::YesNoCancel);

    // Once the session ends nobody is asked, and nothing waits for an answer.
    EXPECT_TRUE(CanAskUser());
    SetUnattended();
    EXPECT_FALSE(CanAskUser());
    EXPECT_EQ(MessageBox("Save?", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("Go on?", PromptIcon::Question, PromptButtons::OkCancel), PromptResult::Cancel);
    EXPECT_EQ(scripted.ShownSoFar().size(), 2u);
    SetUnattended(false);

    SetPrompt(nullptr);
    EXPECT_EQ(MessageBox("Overwrite?", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("Go on?", PromptIcon::Question, PromptButtons::OkCancel), PromptResult::Cancel);
}

}  // namespace
