#include "platform/Prompt.h"

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

TEST(Prompt, CaptionAnswersInOrderThenDefaultsAndNothingAgreedToWithoutAPrompt)
{
    CScriptedPrompt scripted;
    SetPrompt(&scripted);
    scripted.Answer(PromptResult::No);
    scripted.Answer(PromptResult::Cancel);
    EXPECT_EQ(MessageBox("first", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("second", PromptIcon::Information, PromptButtons::YesNoCancel, "Find"), PromptResult::Cancel);
    EXPECT_EQ(MessageBox("third", PromptIcon::Question, PromptButtons::YesNo), PromptResult::Yes);
    EXPECT_EQ(MessageBox("fourth", PromptIcon::Stop, PromptButtons::OkCancel), PromptResult::Ok);
    SetPrompt(nullptr);
    ASSERT_EQ(scripted.ShownSoFar().size(), 4u);
    EXPECT_EQ(scripted.ShownSoFar()[0].text, "first");
    EXPECT_EQ(scripted.ShownSoFar()[0].caption, "Sonvelle");  // the product's unless one is given
    EXPECT_EQ(scripted.ShownSoFar()[1].caption, "Find");
    EXPECT_EQ(scripted.ShownSoFar()[1].icon, PromptIcon::Information);
    EXPECT_EQ(scripted.ShownSoFar()[1].buttons, PromptButtons::YesNoCancel);
    scripted.Clear();
    EXPECT_TRUE(scripted.ShownSoFar().empty());

    EXPECT_EQ(MessageBox("Overwrite?", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("Go on?", PromptIcon::Question, PromptButtons::OkCancel), PromptResult::Cancel);
}

}  // namespace
