#include "platform/Prompt.h"

#include <gtest/gtest.h>

using namespace sonvelle;

namespace {

TEST(Prompt, MessageBoxUsesTheProductCaptionUnlessOneIsGiven)
{
    CScriptedPrompt scripted;
    SetPrompt(&scripted);
    MessageBox("first", PromptIcon::Stop);
    MessageBox("second", PromptIcon::Information, PromptButtons::Ok, "Find");
    SetPrompt(nullptr);
    ASSERT_EQ(scripted.ShownSoFar().size(), 2u);
    EXPECT_EQ(scripted.ShownSoFar()[0].text, "first");
    EXPECT_EQ(scripted.ShownSoFar()[0].caption, "Sonvelle");
    EXPECT_EQ(scripted.ShownSoFar()[0].icon, PromptIcon::Stop);
    EXPECT_EQ(scripted.ShownSoFar()[1].caption, "Find");
    EXPECT_EQ(scripted.ShownSoFar()[1].icon, PromptIcon::Information);
}

TEST(Prompt, ScriptedAnswersComeInOrderThenTheDefaults)
{
    CScriptedPrompt scripted;
    scripted.Answer(PromptResult::No);
    scripted.Answer(PromptResult::Cancel);
    EXPECT_EQ(scripted.Show("q1", "c", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(scripted.Show("q2", "c", PromptIcon::Question, PromptButtons::YesNoCancel), PromptResult::Cancel);
    EXPECT_EQ(scripted.Show("q3", "c", PromptIcon::Question, PromptButtons::YesNo), PromptResult::Yes);
    EXPECT_EQ(scripted.Show("m", "c", PromptIcon::Stop, PromptButtons::Ok), PromptResult::Ok);
    EXPECT_EQ(scripted.Show("o", "c", PromptIcon::Stop, PromptButtons::OkCancel), PromptResult::Ok);
    EXPECT_EQ(scripted.ShownSoFar().size(), 5u);
    EXPECT_EQ(scripted.ShownSoFar()[2].buttons, PromptButtons::YesNo);
    scripted.Clear();
    EXPECT_TRUE(scripted.ShownSoFar().empty());
}

TEST(Prompt, WithoutAnInstalledPromptNothingIsAgreedTo)
{
    SetPrompt(nullptr);
    EXPECT_EQ(MessageBox("Overwrite?", PromptIcon::Question, PromptButtons::YesNo), PromptResult::No);
    EXPECT_EQ(MessageBox("Go on?", PromptIcon::Question, PromptButtons::OkCancel), PromptResult::Cancel);
}

}  // namespace
