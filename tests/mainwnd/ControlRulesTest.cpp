#include "mainwnd/CallLogFormat.h"
#include "mainwnd/ControlRules.h"
#include "mainwnd/KeyboardTable.h"
#include "resources/StringTable.h"

#include <Qt>

#include <gtest/gtest.h>

namespace sonvelle {
namespace {

TEST(RecordButtons, AutoRecordingStatesShowTheOnPictureAndLockRecord)
{
    for (int n = 4; n <= 7; ++n) {
        const auto state = static_cast<RecorderState>(n);
        const RecordButtonsLook look = RecordButtonsFor(state, true);
        EXPECT_TRUE(look.autoRecordingImages) << n;
        EXPECT_FALSE(look.recordEnabled) << n;
        EXPECT_FALSE(look.disableStop) << "listening keeps Stop, state " << n;
    }
}

TEST(RecordButtons, IdleDisablesStopButPlayingKeepsIt)
{
    EXPECT_TRUE(RecordButtonsFor(RecorderState::Idle, true).disableStop);
    EXPECT_TRUE(RecordButtonsFor(RecorderState::Idle, true).recordEnabled);
    EXPECT_FALSE(RecordButtonsFor(RecorderState::Playing, true).disableStop);
    EXPECT_FALSE(RecordButtonsFor(RecorderState::Playing, true).autoRecordingImages);
}

TEST(RecordButtons, NoSoundCardKeepsRecordingSwitchedOff)
{
    for (RecorderState state : {RecorderState::Idle, RecorderState::Playing}) {
        const RecordButtonsLook look = RecordButtonsFor(state, false);
        EXPECT_FALSE(look.recordEnabled);
        EXPECT_FALSE(look.autoRecordingEnabled);
    }
}

TEST(ListDependentRules, EmptyListDisablesEverythingThatNeedsARecording)
{
    ListControlsNow now;
    now.itemCount = 0;
    now.playEnabled = now.findEnabled = now.deleteEnabled = now.sendEnabled = true;
    const ListControlChanges c = ListDependentChanges(now);
    EXPECT_TRUE(c.forgetSelection);
    EXPECT_TRUE(c.clearEdits);
    EXPECT_EQ(c.editsEnabled, false);
    EXPECT_EQ(c.saveEnabled, false);
    EXPECT_EQ(c.playEnabled, false);
    EXPECT_EQ(c.findEnabled, false);
    EXPECT_EQ(c.deleteEnabled, false);
    EXPECT_EQ(c.sendEnabled, false);
    EXPECT_EQ(c.toolsItemsEnabled, false);
}

TEST(ListDependentRules, FirstRecordingEnablesSendOnlyWithoutNoSend)
{
    ListControlsNow now;
    now.itemCount = 1;
    ListControlChanges c = ListDependentChanges(now);
    EXPECT_EQ(c.editsEnabled, true);
    EXPECT_EQ(c.playEnabled, true);
    EXPECT_EQ(c.findEnabled, true);
    EXPECT_EQ(c.deleteEnabled, true);
    EXPECT_EQ(c.sendEnabled, true);
    EXPECT_EQ(c.toolsItemsEnabled, true);
    EXPECT_FALSE(c.saveEnabled.has_value()) << "saving waits for an edit";

    now.noSend = true;
    c = ListDependentChanges(now);
    EXPECT_EQ(c.sendEnabled, false);
    EXPECT_EQ(c.findEnabled, true);
}

TEST(ListDependentRules, PlayIsOfferedOnlyWhenNothingIsRecordedAndASoundCardExists)
{
    ListControlsNow now;
    now.itemCount = 3;
    for (int state = 0; state <= 7; ++state) {
        now.recordingState = static_cast<RecorderState>(state);
        const bool expected = state == 0 || state == 1 || state == 6;
        EXPECT_EQ(ListDependentChanges(now).playEnabled.value_or(false), expected) << state;
    }
    now.recordingState = RecorderState::Idle;
    now.soundCardPresent = false;
    EXPECT_FALSE(ListDependentChanges(now).playEnabled.has_value());
}

TEST(ListDependentRules, ControlsAlreadyEnabledAreLeftAlone)
{
    ListControlsNow now;
    now.itemCount = 2;
    now.playEnabled = now.findEnabled = now.deleteEnabled = now.sendEnabled = true;
    const ListControlChanges c = ListDependentChanges(now);
    EXPECT_FALSE(c.playEnabled.has_value());
    EXPECT_FALSE(c.toolsItemsEnabled.has_value());
    EXPECT_FALSE(c.sendEnabled.has_value());

    now.noSend = true;
    EXPECT_EQ(ListDependentChanges(now).sendEnabled, false) << "an enabled Send is switched off by NoSend";
}

TEST(WindowCaption, OperatorInBracketsOnlyWhenSet)
{
    EXPECT_EQ(MainWindowCaption(QString()), LoadText(354));
    EXPECT_EQ(MainWindowCaption(QStringLiteral("Desk 2")), LoadText(354) + QStringLiteral(" (Desk 2)"));
}

TEST(KeyboardTable, EscNeverReachesTheDialogAndModifiedKeysPassOn)
{
    EXPECT_EQ(KeyActionFor(Qt::Key_Escape, false), KeyAction::CloseFindWindow);
    EXPECT_EQ(KeyActionFor(Qt::Key_Escape, true), KeyAction::CloseFindWindow);
    EXPECT_EQ(KeyActionFor(Qt::Key_Return, false), KeyAction::PlaySelected);
    EXPECT_EQ(KeyActionFor(Qt::Key_Enter, false), KeyAction::PlaySelected);
    EXPECT_EQ(KeyActionFor(Qt::Key_F5, false), KeyAction::Rescan);
    EXPECT_EQ(KeyActionFor(Qt::Key_F1, false), KeyAction::Swallow);
    EXPECT_EQ(KeyActionFor(Qt::Key_F3, false), KeyAction::Swallow);
    EXPECT_EQ(KeyActionFor(Qt::Key_F5, true), KeyAction::PassOn);
    EXPECT_EQ(KeyActionFor(Qt::Key_A, false), KeyAction::PassOn);
}

TEST(ListTexts, DurationsCountTotalMinutes)
{
    const double day = 86400.0;
    EXPECT_EQ(FormatListDuration(75 * 60 / day), QStringLiteral("75:00"));
    EXPECT_EQ(FormatListDuration(65 / day), QStringLiteral("01:05"));
    EXPECT_EQ(FormatListDuration(0.0), QStringLiteral("00:00"));
    EXPECT_EQ(FormatListDuration(59.6 / day), QStringLiteral("01:00")) << "rounds to the nearest second";
    EXPECT_EQ(FormatListDuration(25 * 3600 / day), QStringLiteral("1500:00")) << "past a day";
    EXPECT_EQ(FormatListDuration(-1.0), QStringLiteral("--:--"));
}

TEST(ListTexts, SizesInWholeKilobytesRoundedUp)
{
    EXPECT_EQ(FormatListSize(0), QStringLiteral("0 KB"));
    EXPECT_EQ(FormatListSize(1), QStringLiteral("1 KB"));
    EXPECT_EQ(FormatListSize(1024), QStringLiteral("1 KB"));
    EXPECT_EQ(FormatListSize(1025), QStringLiteral("2 KB"));
    EXPECT_EQ(FormatListSize(0xFFFFFFFFu), QStringLiteral("4194304 KB")) << "no overflow at the top";
}

TEST(ListTexts, NoteLineBreaksShowAsTwoBlanks)
{
    EXPECT_EQ(NotesForList(QStringLiteral("first\r\nsecond")), QStringLiteral("first  second"));
    EXPECT_EQ(NotesForList(QStringLiteral("a\nb\rc")), QStringLiteral("a  b  c"));
    EXPECT_EQ(NotesForList(QStringLiteral("\r\n\r\n")), QStringLiteral("    "));
}

TEST(ListTexts, RowImageFollowsPlayStateAndProtection)
{
    EXPECT_EQ(CallLogImageFor(true, 0, true), IMAGE_PLAYING);
    EXPECT_EQ(CallLogImageFor(false, 2, true), IMAGE_IN_USE);
    EXPECT_EQ(CallLogImageFor(false, 3, false), IMAGE_IN_USE);
    EXPECT_EQ(CallLogImageFor(false, 1, true), IMAGE_PROTECTED);
    EXPECT_EQ(CallLogImageFor(false, 0, false), IMAGE_NORMAL);
}

TEST(TimeDisplay, MinutesKeepCountingPastAnHour)
{
    MinutesSeconds shown = SplitElapsed(75 * 60 + 7);
    EXPECT_EQ(shown.minutes, QStringLiteral("75"));
    EXPECT_EQ(shown.seconds, QStringLiteral("07"));
    shown = SplitElapsed(25 * 3600);
    EXPECT_EQ(shown.minutes, QStringLiteral("1500")) << "a day does not wrap to zero";
    shown = SplitElapsed(-3);
    EXPECT_EQ(shown.minutes + shown.seconds, QStringLiteral("0000"));
}

}  // namespace
}  // namespace sonvelle
